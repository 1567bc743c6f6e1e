#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/Errors.h"
#include "core/TextFile.h"
#include "support/Files.h"

using namespace zelvo;

namespace {
void Put(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}
}  // namespace

TEST(TextFile, SplitsAtEveryLineEnd) {
  struct Case {
    const char *text;
    QStringList lines;
    const char *firstEnd;
  } cases[] = {
      {"", {}, "\r\n"},
      {"a", {"a"}, "\r\n"},
      {"a\r\nb", {"a", "b"}, "\r\n"},
      {"a\r\nb\r\n", {"a", "b"}, "\r\n"},
      {"a\r\n\r\n", {"a", ""}, "\r\n"},  // an empty last line is kept
      {"a\nb\rc\r\nd", {"a", "b", "c", "d"}, "\n"},
      {"a\rb", {"a", "b"}, "\r"},
      {"\n", {""}, "\n"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(SplitLines(QString::fromLatin1(c.text)), c.lines) << c.text;
    EXPECT_EQ(FirstLineEnd(QString::fromLatin1(c.text)), QString::fromLatin1(c.firstEnd)) << c.text;
  }
}

TEST(TextFile, WritesAppendsAndReadsWindows1252Lines) {
  QTemporaryDir dir;
  const QString path = dir.filePath("r.csv");
  WriteTextLines(path, {"Fläche;27 °C", "x"});
  EXPECT_EQ(Bytes(path), QByteArray("Fl\xE4"
                                    "che;27 \xB0"
                                    "C\r\nx\r\n"));
  AppendTextLines(path, {"µV"});
  EXPECT_EQ(ReadTextLines(path), QStringList({"Fläche;27 °C", "x", "µV"}));
  EXPECT_FALSE(QFile::exists(TempPathFor(path)));
}

TEST(TextFile, FailuresNameThePathAndTheReason) {
  QTemporaryDir dir;
  const QString missing = dir.filePath("no/such/folder/f.txt");
  for (auto op :
       {+[](const QString &p) { ReadTextLines(p); }, +[](const QString &p) { WriteTextLines(p, {"x"}); },
        +[](const QString &p) { AppendTextLines(p, {"x"}); }}) {
    try {
      op(missing);
      ADD_FAILURE() << "no error";
    } catch (const EFileError &e) {
      EXPECT_TRUE(e.Message().contains(QDir::toNativeSeparators(missing))) << e.what();
      EXPECT_TRUE(e.Message().contains("No such file or directory")) << e.what();
    }
  }
  // Appending never creates the file.
  EXPECT_THROW(AppendTextLines(dir.filePath("new.csv"), {"x"}), EFileError);
  EXPECT_FALSE(QFile::exists(dir.filePath("new.csv")));
}

TEST(TextFile, FailedReplacementKeepsTheOldFile) {
  // Tests run as root, where a read-only folder does not stop a write; a directory standing
  // where the temporary file has to go does.
  QTemporaryDir dir;
  const QString path = dir.filePath("list.txt");
  Put(path, "old\r\n");
  ASSERT_TRUE(QDir().mkdir(TempPathFor(path)));
  EXPECT_THROW(WriteTextLines(path, {"new"}), EFileError);
  EXPECT_EQ(Bytes(path), QByteArray("old\r\n"));
  EXPECT_TRUE(QFileInfo(TempPathFor(path)).isDir());  // someone else's directory stays
}

TEST(TextFile, ReplacementKeepsPermissionsAndFollowsLinks) {
  QTemporaryDir dir;
  const QString real = dir.filePath("real.ini");
  const QString link = dir.filePath("link.ini");
  Put(real, "a\r\n");
  QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
  ASSERT_TRUE(QFile::link(real, link));
  Put(TempPathFor(real), "stale leftover of a crash");

  WriteTextLines(link, {"b"});
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(Bytes(real), QByteArray("b\r\n"));
  EXPECT_EQ(QFile::permissions(real) & 0x7077,  // owner, group, other; not the "user" bits
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
  EXPECT_FALSE(QFile::exists(TempPathFor(real)));
}
