#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "LocaleGuard.h"
#include "core/Errors.h"
#include "core/IniFile.h"
#include "core/TextFile.h"

using namespace zelvo;

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  QByteArray Bytes() const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  void Put(const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }

  QTemporaryDir dir;
  QString path = dir.filePath("Zelvo730.ini");
  TIniFile ini{path};
};

}  // namespace

TEST_F(IniFileTest, KeyAndSectionNamesIgnoreCase) {
  ini.WriteInteger("Preferences", "FPD_Air", 500);
  ini.WriteInteger("PREFERENCES", "FPD_AIR", 450);  // updates the same line
  EXPECT_EQ(ini.ReadInteger("preferences", "FPD_AIR", 0), 450);
  EXPECT_EQ(Bytes(), QByteArray("[Preferences]\r\nFPD_Air=450\r\n"));
  ini.WriteString("Info", "SampleInfo1", "Handschuh");
  EXPECT_EQ(ini.ReadString("INFO", "Sampleinfo1", "d"), "Handschuh");
}

TEST_F(IniFileTest, ValueForms) {
  Put("[S]\r\n"
      "hex=0x1E\r\n"
      "neg=-12\r\n"
      "spaced =  7  \r\n"
      "word=abc\r\n"
      "partly=12abc\r\n"
      "empty=\r\n"
      "text=  Isobutan (ppm) \r\n"
      "area(cm\xB2)=19,6\r\n");
  struct IntCase {
    const char *key;
    int value;
  } ints[] = {{"hex", 30},    {"neg", -12},  {"spaced", 7},  {"word", -1},
              {"partly", -1}, {"empty", -1}, {"missing", -1}};
  for (const IntCase &c : ints) EXPECT_EQ(ini.ReadInteger("S", c.key, -1), c.value) << c.key;

  EXPECT_EQ(ini.ReadString("S", "text", "d"), "Isobutan (ppm)");
  EXPECT_EQ(ini.ReadString("S", "empty", "d"), "");  // present but empty is not missing
  EXPECT_EQ(ini.ReadString("S", "missing", "d"), "d");
  EXPECT_EQ(ini.ReadString("Other", "text", "d"), "d");

  LocaleGuard german(LocaleGuard::German());
  EXPECT_DOUBLE_EQ(ini.ReadFloat("S", QString::fromUtf8("AREA(CM²)"), 0), 19.6);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "empty", 2.5), 2.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "missing", 2.5), 2.5);
}

TEST_F(IniFileTest, MissingFileReadsDefaultsAndIsCreatedByAWrite) {
  EXPECT_EQ(ini.ReadString("Language", "Code", "US"), "US");
  EXPECT_FALSE(QFile::exists(path));
  ini.WriteString("Language", "Code", "DE");
  EXPECT_EQ(ini.ReadString("Language", "Code", "US"), "DE");
}

TEST_F(IniFileTest, FloatFollowsTheRegionalFormat) {
  {
    LocaleGuard german(LocaleGuard::German());
    ini.WriteFloat("Measurement", "LimitFID", 19.6);
    EXPECT_EQ(Bytes(), QByteArray("[Measurement]\r\nLimitFID=19,6\r\n"));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("Measurement", "LimitFID", 100), 19.6);
  }
  LocaleGuard english(LocaleGuard::English());
  try {
    ini.ReadFloat("Measurement", "LimitFID", 100);
    ADD_FAILURE() << "no conversion error";
  } catch (const EConvertError &e) {
    EXPECT_TRUE(e.Message().contains("'19,6' is not a valid floating point value")) << e.what();
    EXPECT_TRUE(e.Message().contains("LimitFID")) << e.what();
    EXPECT_TRUE(e.Message().contains("[Measurement]")) << e.what();
    EXPECT_TRUE(e.Message().contains(path)) << e.what();
  }
}

TEST_F(IniFileTest, WriteKeepsEveryOtherLineAndTheLineEnd) {
  // A Unix-style file with a comment, a key outside any section, an unknown line, a blank
  // line closing a section and a duplicate section: only the addressed lines change.
  Put("; Zelvo730 settings\n"
      "orphan=1\n"
      "[Measurement]\n"
      "Scale = 10000\n"
      ";Scale=5\n"
      "some unknown line\n"
      "\n"
      "[Info]\n"
      "SampleInfo1=Kittel\n"
      "[measurement]\n"
      "Scale=3\n");
  ini.WriteInteger("Measurement", "Scale", 20000);
  ini.WriteInteger("Measurement", "ScaleMin", -50);
  ini.WriteString("Info", "SampleInfo2", "Größe 9");
  ini.WriteString("Language", "Code", "DE");
  EXPECT_EQ(Bytes(), QByteArray("; Zelvo730 settings\n"
                                "orphan=1\n"
                                "[Measurement]\n"
                                "Scale=20000\n"
                                ";Scale=5\n"
                                "some unknown line\n"
                                "ScaleMin=-50\n"
                                "\n"
                                "[Info]\n"
                                "SampleInfo1=Kittel\n"
                                "SampleInfo2=Gr\xF6\xDF"
                                "e 9\n"
                                "[measurement]\n"
                                "Scale=3\n"
                                "[Language]\n"
                                "Code=DE\n"));
  EXPECT_EQ(ini.ReadInteger("MEASUREMENT", "scale", 0), 20000);  // the first section wins
}

TEST_F(IniFileTest, ALineBreakInAValueCannotAddLines) {
  ini.WriteString("Info", "SampleInfo1", "a\r\n[Language]\r\nCode=XX");
  EXPECT_EQ(ini.ReadString("Info", "SampleInfo1", ""), "a  [Language]  Code=XX");
  EXPECT_EQ(ini.ReadString("Language", "Code", "US"), "US");
}

TEST_F(IniFileTest, FailedWriteRaisesAndKeepsTheOldFile) {
  // Tests run as root, so a read-only folder would not stop the write; a directory standing
  // where the temporary file goes makes the failure real.
  Put("[Preferences]\r\nH2Set=600\r\n");
  ASSERT_TRUE(QDir().mkdir(TempPathFor(path)));
  try {
    ini.WriteInteger("Preferences", "H2Set", 700);
    ADD_FAILURE() << "no error";
  } catch (const EFileError &e) {
    EXPECT_TRUE(e.Message().contains(path)) << e.what();
  }
  EXPECT_EQ(Bytes(), QByteArray("[Preferences]\r\nH2Set=600\r\n"));

  // A folder that does not exist: the error names the reason.
  TIniFile nowhere(dir.filePath("missing/Zelvo730.ini"));
  try {
    nowhere.WriteString("Language", "Code", "DE");
    ADD_FAILURE() << "no error";
  } catch (const EFileError &e) {
    EXPECT_TRUE(e.Message().contains("No such file or directory")) << e.what();
  }
}
