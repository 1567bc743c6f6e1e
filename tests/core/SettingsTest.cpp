#include <gtest/gtest.h>

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include "LocaleGuard.h"
#include "core/Errors.h"
#include "core/Settings.h"
#include "support/Files.h"

using namespace zelvo;

namespace {
}  // namespace

TEST(Settings, CreatedFileMatchesTheHandMadeFixture) {
  // The fixture was typed from the key table: German regional format, CR LF, Windows-1252
  // (the "²" of SampleArea(cm²) is the single byte B2).
  LocaleGuard german(LocaleGuard::German());
  QTemporaryDir dir;
  const QString path = dir.filePath("Zelvo730.ini");
  ASSERT_TRUE(CreateSettingsFileIfMissing(path, "/opt/zelvo730"));
  EXPECT_EQ(Bytes(path), Bytes(ZELVO_SOURCE_DIR "/tests/core/fixtures/Zelvo730-created-de.ini"));

  // An existing file is never touched again.
  QFile::resize(path, 10);
  EXPECT_FALSE(CreateSettingsFileIfMissing(path, "/elsewhere"));
  EXPECT_EQ(QFileInfo(path).size(), 10);
}

TEST(Settings, CreationValuesAndDefaultsDifferWhereTheTableSays) {
  LocaleGuard english(LocaleGuard::English());
  QTemporaryDir dir;
  const TIniFile created(dir.filePath("created.ini"));
  const TIniFile empty(dir.filePath("empty.ini"));
  ASSERT_TRUE(CreateSettingsFileIfMissing(created.FileName(), dir.path()));

  struct TextCase {
    const char *section, *key, *created, *missing;
  } texts[] = {
      {"Language", "Code", "DE", "US"},
      {"DeviceTyp", "Typ", "FID", "FID"},
      {"Communication", "ComPortA", "COM2", "COM1"},
      {"Communication", "ComPortB", "COM3", "COM2"},
      {"Preferences", "Standard", "EN374", "ASTM"},
      {"Measurement", "DataDir", nullptr, "c:\\"},
  };
  for (const TextCase &c : texts) {
    const QString expected = c.created ? QString(c.created) : dir.path() + "/";
    EXPECT_EQ(ReadSettingText(created, c.section, c.key), expected) << c.key;
    EXPECT_EQ(ReadSettingText(empty, c.section, c.key), c.missing) << c.key;
  }
  struct FloatCase {
    const char *section, *key;
    double created, missing;
  } floats[] = {{"Calibration", "FPD/ppm", 2, 10},
                {"Measurement", "LimitFID", 1, 100},
                {"Measurement", "SampleArea(cm²)", 19.6, 19.6}};
  for (const FloatCase &c : floats) {
    EXPECT_DOUBLE_EQ(ReadSettingFloat(created, c.section, QString::fromUtf8(c.key)), c.created) << c.key;
    EXPECT_DOUBLE_EQ(ReadSettingFloat(empty, c.section, QString::fromUtf8(c.key)), c.missing) << c.key;
  }
  EXPECT_EQ(ReadSettingInteger(created, "Measurement", "MeasurementInjectionTime/s"), 15);
  EXPECT_EQ(ReadSettingInteger(empty, "Measurement", "MeasurementInjectionTime/s"), 300);
  EXPECT_EQ(created.ReadString("Preferences", "ZeroCompensation", "none"), "0");
  EXPECT_THROW(ReadSettingInteger(empty, "Measurement", "LimitFID"), std::invalid_argument);  // a float key
}

TEST(Settings, KeyTableIsConsistent) {
  // 63 keys in 9 sections, no key twice, every default readable in its type.
  QSet<QString> seen;
  QStringList sections;
  for (const TSettingKey &k : SettingKeys()) {
    const QString id = (k.SectionName() + "/" + k.KeyName()).toLower();
    EXPECT_FALSE(seen.contains(id)) << id.toStdString();
    seen.insert(id);
    if (sections.isEmpty() || sections.last() != k.SectionName()) sections.append(k.SectionName());
    if (k.Default && k.Type == TSettingType::Integer) {
      EXPECT_EQ(QString::number(k.DefaultInteger()), k.Default);
    }
    EXPECT_EQ(FindSettingKey(k.SectionName().toUpper(), k.KeyName().toLower()), &k);
  }
  EXPECT_EQ(seen.size(), 63);
  EXPECT_EQ(sections, QStringList({"Language", "DeviceTyp", "Communication", "Debug", "Detection",
                                   "Calibration", "Preferences", "Info", "Measurement"}));
}

// The writers take only keys of the table, in any case, and write nothing else.
TEST(Settings, WritersTakeOnlyKeysOfTheTable) {
  LocaleGuard english(LocaleGuard::English());
  QTemporaryDir dir;
  TIniFile ini(dir.filePath("Zelvo730.ini"));
  WriteSettingInteger(ini, "Preferences", "FPD_AIR", 450);
  WriteSettingFloat(ini, "Measurement", "LimitFID", 1.5);
  WriteSettingText(ini, "Info", "Sampleinfo1", "Handschuh");
  EXPECT_EQ(ReadSettingInteger(ini, "Preferences", "FPD_Air"), 450);
  EXPECT_DOUBLE_EQ(ReadSettingFloat(ini, "Measurement", "LimitFID"), 1.5);
  EXPECT_EQ(ReadSettingText(ini, "Info", "SampleInfo1"), "Handschuh");
  const QByteArray before = Bytes(ini.FileName());
  EXPECT_THROW(WriteSettingInteger(ini, "Preferences", "FPD_Luft", 1), std::invalid_argument);
  EXPECT_THROW(WriteSettingInteger(ini, "Measurement", "LimitFID", 1), std::invalid_argument);  // a float key
  EXPECT_THROW(WriteSettingText(ini, "Info", "SampleInfo4", "x"), std::invalid_argument);
  EXPECT_EQ(Bytes(ini.FileName()), before);
  // A default of the caller's, for a key of the table only.
  EXPECT_EQ(ReadSettingText(ini, "Communication", "ComPortB", "COM1"), "COM1");
  EXPECT_THROW(ReadSettingText(ini, "Communication", "ComPortC", "COM1"), std::invalid_argument);
}

TEST(Settings, CreationFailureLeavesNoFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("missing/Zelvo730.ini");
  EXPECT_THROW(CreateSettingsFileIfMissing(path, dir.path()), EFileError);
  EXPECT_FALSE(QFile::exists(path));
}
