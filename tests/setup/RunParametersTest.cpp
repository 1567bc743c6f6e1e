#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/Language.h"
#include "core/LocaleGuard.h"
#include "core/Settings.h"
#include "setup/RunParameters.h"

using namespace zelvo;
using S = TInputStatus;

TEST(RunParameters, LimitsRefusalsAndWriteBacks) {
  LocaleGuard english(LocaleGuard::English());
  const struct {
    TRunParam id;
    const char *text;
    double previous;
    int startzelle;
    S status;
    double stored;          // the value to store (the previous one when refused)
    const char *fieldText;  // what the field shows afterwards; nullptr: left as typed
  } cases[] = {
      {TRunParam::Startzelle, "0", 1, 1, S::Corrected, 1, "1"},
      {TRunParam::Startzelle, "9", 1, 1, S::Corrected, 6, "6"},
      {TRunParam::Startzelle, " +4", 1, 1, S::Accepted, 4, "4"},
      {TRunParam::AnzahlZellen, "5", 4, 4, S::Corrected, 3, "3"},  // positions 4, 5, 6
      {TRunParam::AnzahlZellen, "6", 4, 1, S::Accepted, 6, "6"},
      {TRunParam::AnzahlZellen, "0", 4, 1, S::Corrected, 1, "1"},
      {TRunParam::AnzahlZellen, "0", 4, 6, S::Corrected, 1, "1"},
      // A start position beyond 6 (from the settings file) must not give a count below 1.
      {TRunParam::AnzahlZellen, "3", 4, 9, S::Corrected, 1, "1"},
      {TRunParam::Messzeit, "300", 60, 1, S::Accepted, 300, nullptr},
      {TRunParam::Messzeit, "0", 60, 1, S::NotPositive, 60, "60"},
      {TRunParam::AnzahlMessreihen, "-2", 10, 1, S::NotPositive, 10, "10"},
      {TRunParam::LimitFID, "0", 0.1, 1, S::NotPositive, 0.1, "0.1"},
      {TRunParam::LimitFPD, "-0.5", 10, 1, S::NotPositive, 10, "10.0"},
      {TRunParam::FIDCALMenge, "0.0", 100, 1, S::NotPositive, 100, "100"},
      {TRunParam::FPDCalMenge, "2.5", 10, 1, S::Accepted, 2.5, nullptr},
      {TRunParam::Messzeit, "4.5", 60, 1, S::NotANumber, 60, nullptr},
      {TRunParam::Startzelle, "", 2, 1, S::NotANumber, 2, nullptr},
      {TRunParam::LimitFID, "abc", 1, 1, S::NotANumber, 1, nullptr},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(RunParamOf(c.id).Field) + " <- \"" + c.text + "\"");
    const TRunParamInput r =
        TakeRunParam(c.id, QString::fromUtf8(c.text), c.previous, c.startzelle, kEnglishOffset);
    EXPECT_EQ(r.Status, c.status);
    EXPECT_DOUBLE_EQ(r.Value, c.stored);
    EXPECT_EQ(r.FieldText.has_value(), c.fieldText != nullptr);
    if (c.fieldText && r.FieldText) {
      EXPECT_EQ(*r.FieldText, QString::fromUtf8(c.fieldText));
    }
    // Refusals and conversion errors are told; the silent limits of start and count are not.
    EXPECT_EQ(r.Message.isEmpty(), r.Stored());
  }
}

TEST(RunParameters, RefusalNamesTheFieldAndKeepsThePreviousValue) {
  LocaleGuard german(LocaleGuard::German());
  const TRunParamInput r = TakeRunParam(TRunParam::Messzeit, "0", 60, 1, kGermanOffset);
  EXPECT_EQ(r.Message,
            "Messzeit pro Zelle: 0 ist nicht zulässig, der Wert muss größer als 0 sein. "
            "Der bisherige Wert 60 bleibt.");
  const TRunParamInput e = TakeRunParam(TRunParam::LimitFPD, "x", 10, 1, kEnglishOffset);
  EXPECT_TRUE(e.Message.startsWith(GetLangString(kEnglishOffset, 47) + ": ")) << e.Message.toStdString();
}

TEST(RunParameters, DecimalsFollowTheRegionalSeparator) {
  const struct {
    bool german;
    const char *text;
    std::optional<double> value;  // nullopt: conversion error
  } cases[] = {
      {true, "0,5", 0.5},          {false, "0,5", std::nullopt},  {false, "0.5", 0.5},
      {true, "0.5", std::nullopt}, {true, "1.000", std::nullopt},  // no group separators
      {true, "1000", 1000},        {true, " 2,5 ", 2.5},          {false, "1e2", 100},
  };
  for (const auto &c : cases) {
    LocaleGuard locale(c.german ? LocaleGuard::German() : LocaleGuard::English());
    SCOPED_TRACE(std::string(c.german ? "de " : "en ") + c.text);
    for (TRunParam id :
         {TRunParam::LimitFID, TRunParam::LimitFPD, TRunParam::FIDCALMenge, TRunParam::FPDCalMenge}) {
      const TRunParamInput r = TakeRunParam(id, QString::fromUtf8(c.text), 7, 1, kGermanOffset);
      if (c.value) {
        EXPECT_EQ(r.Status, S::Accepted);
        EXPECT_DOUBLE_EQ(r.Value, *c.value);
      } else {
        EXPECT_EQ(r.Status, S::NotANumber);
        EXPECT_DOUBLE_EQ(r.Value, 7);
      }
    }
  }
}

TEST(RunParameters, StoredValuesLoadBackAndBadOnesAreReported) {
  LocaleGuard german(LocaleGuard::German());
  QTemporaryDir dir;
  TIniFile ini(dir.filePath("Zelvo730.ini"));
  StoreRunParam(ini, TRunParam::Startzelle, 4);
  StoreRunParam(ini, TRunParam::AnzahlZellen, 6);  // the pair is not limited at loading
  StoreRunParam(ini, TRunParam::Messzeit, 300);
  StoreRunParam(ini, TRunParam::LimitFID, 0.05);
  StoreRunParam(ini, TRunParam::FPDCalMenge, 2.5);
  EXPECT_EQ(ini.ReadString("Measurement", "LimitFID", ""), "0,05");  // the floating-point writer
  EXPECT_EQ(ini.ReadString("Calibration", "FPD/ppm", ""), "2,5");

  TRunParamsLoad load = LoadRunParams(ini, kEnglishOffset);
  EXPECT_TRUE(load.Problems.isEmpty()) << load.Problems.join('\n').toStdString();
  EXPECT_EQ(load.Values.Startzelle, 4);
  EXPECT_EQ(load.Values.AnzahlZellen, 6);
  EXPECT_EQ(load.Values.Messzeit, 300);
  EXPECT_EQ(load.Values.AnzahlMessreihen, 10);  // table default
  EXPECT_DOUBLE_EQ(load.Values.LimitFID, 0.05);
  EXPECT_DOUBLE_EQ(load.Values.FPDCalMenge, 2.5);
  EXPECT_EQ(RunParamText(TRunParam::LimitFID, load.Values.LimitFID), "0,05");

  ini.WriteString("Measurement", "StartingCell", "0");
  ini.WriteString("Measurement", "NumberOfCycles", "0");
  ini.WriteString("Measurement", "LimitFPD", "1.5");  // not a number in German
  ini.WriteString("Calibration", "FID/ppm", "-100");
  load = LoadRunParams(ini, kEnglishOffset);
  EXPECT_EQ(load.Values.Startzelle, 1);
  EXPECT_EQ(load.Values.AnzahlMessreihen, 10);
  EXPECT_DOUBLE_EQ(load.Values.LimitFPD, 10);
  EXPECT_DOUBLE_EQ(load.Values.FIDCALMenge, 100);
  ASSERT_EQ(load.Problems.size(), 4) << load.Problems.join('\n').toStdString();
  EXPECT_EQ(load.Problems[0], "[Measurement] StartingCell = 0: out of range (1 used)");
  EXPECT_EQ(load.Problems[1], "[Measurement] NumberOfCycles = 0: the value must be greater than 0 (10 used)");
  EXPECT_TRUE(load.Problems[2].contains("LimitFPD")) << load.Problems[2].toStdString();
}

TEST(RunParameters, RunPositionsStayWithinTheSix) {
  const struct {
    int start, count, wantStart, wantCount;
  } cases[] = {{1, 6, 1, 6}, {4, 6, 4, 3}, {0, 0, 1, 1}, {9, 2, 6, 1}, {3, -1, 3, 1}, {2, 4, 2, 4}};
  for (const auto &c : cases) {
    const TRunPositions p = LimitRunPositions(c.start, c.count);
    EXPECT_EQ(p.Startzelle, c.wantStart) << c.start << "/" << c.count;
    EXPECT_EQ(p.AnzahlZellen, c.wantCount) << c.start << "/" << c.count;
  }
}

TEST(RunParameters, DetectionValuesOfZeroOrBelowTakeTheirDefaults) {
  TDetectionCheck c = CheckDetection(200, 10000, 25, 10, kEnglishOffset);
  EXPECT_TRUE(c.Problems.isEmpty());
  EXPECT_DOUBLE_EQ(c.Values.MinPeakWith, 1.2);  // 200 / (10000 / 60)

  c = CheckDetection(300, 0, -1, 0, kEnglishOffset);
  EXPECT_EQ(c.Values.LoopVolume, 300);
  EXPECT_EQ(c.Values.Loopflow, 10000);
  EXPECT_EQ(c.Values.PeakTime, 25);
  EXPECT_EQ(c.Values.MinPeakStart, 10);
  EXPECT_DOUBLE_EQ(c.Values.MinPeakWith, 1.8);
  EXPECT_EQ(c.Problems,
            QStringList({"[Detection] Loopflow = 0: the value must be greater than 0 (10000 used)",
                         "[Detection] PeakIndex = -1: the value must be greater than 0 (25 used)",
                         "[Detection] MinIndex = 0: the value must be greater than 0 (10 used)"}));

  QTemporaryDir dir;
  TIniFile ini(dir.filePath("Zelvo730.ini"));
  ini.WriteInteger("Detection", "Loopvolume", 0);
  ini.WriteInteger("detection", "LOOPFLOW", 6000);
  c = ReadDetection(ini, kGermanOffset);
  EXPECT_EQ(c.Values.LoopVolume, 200);
  EXPECT_EQ(c.Values.Loopflow, 6000);
  EXPECT_DOUBLE_EQ(c.Values.MinPeakWith, 2.0);
  EXPECT_EQ(c.Problems,
            QStringList("[Detection] Loopvolume = 0: der Wert muss größer als 0 sein (200 verwendet)"));
}
