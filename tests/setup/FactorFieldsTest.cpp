#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/Language.h"
#include "core/LocaleGuard.h"
#include "core/Settings.h"
#include "setup/FactorFields.h"

using namespace zelvo;
using F = TFactorField;

namespace {

QString DisplayOf(const QList<TDisplayText> &displays, const char *label) {
  QString text = QStringLiteral("<none>");
  for (const TDisplayText &d : displays)
    if (QLatin1String(d.Label) == QLatin1String(label)) text = d.Text;
  return text;
}

// The twelve fields as the window would read them after "Aceton" 2,05 was dropped on the
// second FID sample field.
std::array<TFactorFieldInput, kFactorFieldCount> GermanInputs() {
  return {{{"120,0", {}},
           {"100,5", {}},
           {"100", {}},
           {"90", {}},
           {"1,00", "Isobutan"},
           {"1,00", "Isobutan"},
           {"2,05", "Aceton"},
           {"1,00", "Isobutan"},
           {"1,00", "THT"},
           {"1,00", "THT"},
           {"1,30", "Schwefelwasserstoff"},
           {"1,00", "THT"}}};
}

}  // namespace

TEST(FactorFields, StartUpShowsTheStoredValuesAndReportsUnusableOnes) {
  LocaleGuard german(LocaleGuard::German());
  QTemporaryDir dir;
  const QString path = dir.filePath("Zelvo730.ini");
  ASSERT_TRUE(CreateSettingsFileIfMissing(path, dir.path()));
  TIniFile ini(path);
  ini.WriteString("Measurement", "FIDSampleFactor2", "2,05");
  ini.WriteString("Measurement", "FIDSampleFactorName2", "Aceton");
  ini.WriteString("Measurement", "FPDSampleFactor3", "0");   // would divide by zero
  ini.WriteString("Measurement", "SampleFlow2", "1.000,5");  // not a number

  const TFactorFieldsLoad load = LoadFactorFields(ini, kEnglishOffset);
  ASSERT_EQ(load.Fields.size(), kFactorFieldCount);
  for (int i = 0; i < kFactorFieldCount; ++i) EXPECT_EQ(load.Fields[i].Id, FactorFieldDefs()[i].Id);
  const auto field = [&](F id) { return load.Fields[static_cast<int>(id)]; };
  EXPECT_EQ(field(F::CalFlow).Text, "120,0");      // creation value
  EXPECT_EQ(field(F::SampleFlow2).Text, "100,0");  // default after the problem
  EXPECT_EQ(field(F::FIDSample2).Text, "2,05");
  EXPECT_DOUBLE_EQ(field(F::FIDSample2).Value, 2.05);
  EXPECT_EQ(field(F::FIDSample2).Name, "Aceton");
  EXPECT_EQ(field(F::FPDCal).Name, "THT");
  EXPECT_DOUBLE_EQ(field(F::FPDSample3).Value, 1);
  EXPECT_EQ(field(F::FPDSample3).Text, "1,00");
  ASSERT_EQ(load.Problems.size(), 2) << load.Problems.join('\n').toStdString();
  EXPECT_TRUE(load.Problems[0].contains("SampleFlow2")) << load.Problems[0].toStdString();
  EXPECT_EQ(load.Problems[1],
            "[Measurement] FPDSampleFactor3 = 0: the value must be greater than 0 (1,00 used)");

  EXPECT_EQ(DisplayOf(load.Displays, "lblFIDCalFactor"), "[1,00]");
  EXPECT_EQ(DisplayOf(load.Displays, "lblFIDCalInfo"), "Isobutan (ppm)");
  EXPECT_EQ(DisplayOf(load.Displays, "lblFPDCALInfo"), "THT (ppm)");
  EXPECT_EQ(DisplayOf(load.Displays, "lblInfoSample2"), "Aceton[2,05]");
}

TEST(FactorFields, StoreSequenceTakesEveryFieldInOrder) {
  LocaleGuard german(LocaleGuard::German());
  const TFactorStore store = StoreFactorFields(GermanInputs(), kGermanOffset);
  EXPECT_FALSE(store.Failed);
  EXPECT_TRUE(store.Message.isEmpty());
  ASSERT_EQ(store.Stored.size(), kFactorFieldCount);
  EXPECT_DOUBLE_EQ(store.Stored[static_cast<int>(F::FIDSample2)].Value, 2.05);
  EXPECT_DOUBLE_EQ(store.Stored[static_cast<int>(F::SampleFlow1)].Value, 100.5);

  // Flows: the value; factors: the value, then the name.
  ASSERT_EQ(store.Writes.size(), 4 + 8 * 2);
  EXPECT_EQ(store.Writes[0].section + "/" + store.Writes[0].key + "=" + store.Writes[0].value,
            "Calibration/CalFlow=120");
  EXPECT_EQ(store.Writes[1].key + "=" + store.Writes[1].value, "SampleFlow1=100,5");
  EXPECT_EQ(store.Writes[8].key + "=" + store.Writes[8].value, "FIDSampleFactor2=2,05");
  EXPECT_EQ(store.Writes[9].key + "=" + store.Writes[9].value, "FIDSampleFactorName2=Aceton");

  // After a store the calibration displays show the name alone; the bracketed factor is the
  // field's text as dropped.
  EXPECT_EQ(DisplayOf(store.Displays, "lblFIDCalInfo"), "Isobutan");
  EXPECT_EQ(DisplayOf(store.Displays, "lblFIDCalFactor"), "[1,00]");
  EXPECT_EQ(DisplayOf(store.Displays, "lblInfoSample2"), "Aceton[2,05]");
  EXPECT_EQ(DisplayOf(store.Displays, "lblFPDCalFactor"), "[1,00]");

  // The writes land in the settings file and the start-up reads the same back.
  QTemporaryDir dir;
  TIniFile ini(dir.filePath("Zelvo730.ini"));
  ini.WriteStrings(store.Writes);
  const TFactorFieldsLoad load = LoadFactorFields(ini, kGermanOffset);
  EXPECT_TRUE(load.Problems.isEmpty());
  for (int i = 0; i < kFactorFieldCount; ++i) {
    EXPECT_DOUBLE_EQ(load.Fields[i].Value, store.Stored[i].Value) << i;
    EXPECT_EQ(load.Fields[i].Name, store.Stored[i].Name) << i;
  }
}

TEST(FactorFields, StoreSequenceStopsAtTheFirstBadField) {
  LocaleGuard german(LocaleGuard::German());
  const struct {
    F bad;
    const char *text;
    const char *message;
  } cases[] = {
      {F::CalFlow, "",
       "Kalibrierfluss: '' ist keine gültige Zahl. Das Feld und die folgenden wurden nicht übernommen."},
      {F::FIDSample2, "2.05",
       "FID-Faktor Zelle 2 (Aceton): '2.05' ist keine gültige Zahl. Das Feld und die folgenden wurden nicht "
       "übernommen."},
      {F::FPDCal, "0",
       "FPD-Kalibrierfaktor (THT): 0 ist nicht zulässig, der Wert muss größer als 0 sein. Das Feld und die "
       "folgenden "
       "wurden nicht übernommen."},
      {F::SampleFlow3, "-90", nullptr},
      {F::FPDSample3, "-1",
       "FPD-Faktor Zelle 3 (THT): -1 ist nicht zulässig, der Wert muss größer als 0 sein. "
       "Das Feld wurde nicht übernommen."},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(FactorFieldOf(c.bad).Field);
    auto inputs = GermanInputs();
    inputs[static_cast<int>(c.bad)].Text = QString::fromUtf8(c.text);
    // A later bad field must not matter: the sequence has stopped before it.
    if (c.bad != F::FPDSample3) inputs[kFactorFieldCount - 1].Text = "x";
    const TFactorStore store = StoreFactorFields(inputs, kGermanOffset);
    ASSERT_TRUE(store.Failed);
    EXPECT_EQ(*store.Failed, c.bad);
    if (c.message) {
      EXPECT_EQ(store.Message, QString::fromUtf8(c.message));
    }
    const int before = static_cast<int>(c.bad);
    ASSERT_EQ(store.Stored.size(), before);
    for (int i = 0; i < before; ++i) EXPECT_EQ(store.Stored[i].Id, FactorFieldDefs()[i].Id);
    int writes = 0;
    for (int i = 0; i < before; ++i) writes += FactorFieldDefs()[i].IsFlow() ? 1 : 2;
    EXPECT_EQ(store.Writes.size(), writes);
    for (const TIniFile::Entry &w : store.Writes)
      EXPECT_NE(w.key, QLatin1String(FactorFieldOf(c.bad).ValueKey)) << w.key.toStdString();
  }
}

// Before a run only the fields of the positions in the run's range may refuse the start; a
// refused field of another position is passed over and the fields after it are still stored.
TEST(FactorFields, RunStoreRefusesOnlyForPositionsInTheRange) {
  LocaleGuard german(LocaleGuard::German());
  const struct {
    std::vector<std::pair<F, const char *>> bad;
    const char *first, *count;
    std::optional<F> failed;
    std::vector<F> skipped;
  } cases[] = {
      {{{F::FIDSample3, "0"}}, "1", "4", std::nullopt, {F::FIDSample3}},  // cell 3 is position 6
      {{{F::FIDSample3, "0"}}, "1", "6", F::FIDSample3, {}},
      {{{F::FIDSample3, "0"}}, "6", "1", F::FIDSample3, {}},
      {{{F::CalFlow, "x"}}, "4", "3", std::nullopt, {F::CalFlow}},  // the zero gas has its own flow
      {{{F::CalFlow, "x"}}, "1", "1", std::nullopt, {F::CalFlow}},
      {{{F::CalFlow, "x"}}, "3", "2", F::CalFlow, {}},
      // Two refused fields: each decided for itself.
      {{{F::SampleFlow1, "-5"}, {F::FPDSample2, ""}}, "6", "1", {}, {F::SampleFlow1, F::FPDSample2}},
      {{{F::SampleFlow1, "-5"}, {F::FPDSample2, ""}}, "5", "1", F::FPDSample2, {F::SampleFlow1}},
      {{{F::FPDCal, "0"}}, "4", "1", F::FPDCal, {}},  // every position reads the calibration factors
      {{{F::FIDCal, "0"}}, "1", "1", F::FIDCal, {}},
      // The count as the run takes it: at least 1, the range ending at 6.
      {{{F::FIDSample1, "0"}}, "3", "0", std::nullopt, {F::FIDSample1}},
      {{{F::FIDSample3, "0"}}, "4", "99", F::FIDSample3, {}},
      {{{F::FIDSample3, "0"}}, "6", "2147483647", F::FIDSample3, {}},
      // A range the run refuses itself: no field refuses before it.
      {{{F::FIDCal, "0"}}, "x", "4", std::nullopt, {F::FIDCal}},
      {{{F::FIDCal, "0"}}, "1", "", std::nullopt, {F::FIDCal}},
      {{{F::FIDCal, "0"}}, "7", "1", std::nullopt, {F::FIDCal}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << FactorFieldOf(c.bad.front().first).Field << " range " << c.first
                                    << "+" << c.count);
    auto inputs = GermanInputs();
    for (const auto &[id, text] : c.bad) inputs[static_cast<int>(id)].Text = QString::fromUtf8(text);
    const TFactorStore store = StoreFactorFieldsForRun(inputs, kGermanOffset, c.first, c.count);
    EXPECT_EQ(store.Failed, c.failed);
    EXPECT_EQ(store.Message.isEmpty(), !c.failed);
    EXPECT_EQ(store.Skipped, QList<F>(c.skipped.begin(), c.skipped.end()));
    // Stored: every field up to the failed one (or all), except the skipped ones.
    QList<F> expected;
    for (const TFactorFieldDef &d : FactorFieldDefs()) {
      if (c.failed && d.Id == *c.failed) break;
      if (!store.Skipped.contains(d.Id)) expected << d.Id;
    }
    QList<F> stored;
    for (const TFactorFieldValue &v : store.Stored) stored << v.Id;
    EXPECT_EQ(stored, expected);
    for (const TIniFile::Entry &w : store.Writes)
      for (const auto &[id, text] : c.bad) EXPECT_NE(w.key, QLatin1String(FactorFieldOf(id).ValueKey));
  }
  // The later fields are stored with their values: the FPD fields after a passed-over cell 3.
  auto inputs = GermanInputs();
  inputs[static_cast<int>(F::FIDSample3)].Text = "0";
  const TFactorStore store = StoreFactorFieldsForRun(inputs, kGermanOffset, "1", "4");
  ASSERT_EQ(store.Stored.size(), kFactorFieldCount - 1);
  EXPECT_EQ(store.Stored.back().Id, F::FPDSample3);
  EXPECT_DOUBLE_EQ(store.Stored[kFactorFieldCount - 3].Value, 1.3);  // FPDSample2, "1,30"
}
