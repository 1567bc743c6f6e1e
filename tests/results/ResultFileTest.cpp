#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "RecordFixtures.h"
#include "core/Cp1252.h"
#include "core/LocaleGuard.h"
#include "results/RecordText.h"
#include "results/ResultFile.h"

using namespace zelvo;

namespace {
const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
}  // namespace

TEST(ResultFile, GermanFidHeaderByteForByte) {
  const QStringList lines =
      ResultHeaderLines(fixtures::Header(kGermanOffset, TDeviceTyp::FID, "/daten/probe.csv"), kGerman);
  // 16 lines before the column titles: lines 1 to 4, six parameters, the description title
  // and its five lines.
  const char *expected[] = {
      "Datei:;/daten/probe.csv;Datum:;13.03.2023 14:05:09;Ger\xE4t:730-0815",
      "Versuchsparameter Sollwerte:;Messkammer:;27 \xB0"
      "C;Ventilblock:;100 \xB0"
      "C",
      "Versuchsparameter Istwerte:;Messkammer:;27.0 \xB0 C;Ventilblock:;100.0 \xB0 C",
      "ppm/rate Isobutan:;100;Fl\xE4"
      "che:;45000;Schwelle:;0,10;Faktor:;1,50",
      "Startzelle:4",
      "Anzahl Zellen:;3",
      "Anzahl Messreihen:;10",
      "Dosierzeit:;45 s",
      "Injektionzeit:;300 s",
      "Messzeit pro Zelle:;60 s",
      "Versuchsbeschreibung",
      "PVC, 0,5 mm",
      "Handschuh",
      "",
      "",
      "",
      "Zelle;Bruch;Bruchzeit;Chemikalie;Faktor;(ml/min);Messzeit;ppm;ppm/rate Isobutan;Fl\xE4"
      "che;"
      "Probeninfo;Datum;Zeit",
  };
  ASSERT_EQ(lines.size(), std::size(expected));
  for (int i = 0; i < lines.size(); ++i)
    EXPECT_EQ(Cp1252Encode(lines[i]), QByteArray(expected[i])) << "line " << i + 1;
  EXPECT_EQ(lines.last().count(u';') + 1, 13);
}

TEST(ResultFile, EnglishFidFpdHeader) {
  const QStringList lines =
      ResultHeaderLines(fixtures::Header(kEnglishOffset, TDeviceTyp::FIDFPD, "/data/probe.csv"), kEnglish);
  const QStringList expected = {
      "File:;/data/probe.csv;Date:;3/13/2023 14:05:09;Device:730-0815",
      "Experiment parameter Set values:;Samplechamber:;27 °C;Valves:;100 °C;Emmisionchamber:;150 °C;"
      "Transferline;200 °C;PMT Voltage;600 V",
      "Experiment parameter Current values:;Samplechamber:;27.0 ° C;Valves:;100.0 ° C;Emmisionchamber:;"
      "150.0 ° C;Transferline;--- ° C;PMT Voltage;600 V",
      "ppm/rate IsoButan:;100;Area:;45000;Limit:;0.10;Factor:;1.50",
      "ppm/rate THT:;10.5;Area:;120000;Limit:;0.5;Factor:;2.0",
      "Startcell:4",
      "Number of cells:;3",
      "Number of cycles:;10",
      "Sampletime:;45 s",
      "Injectiontime:;300 s",
      "Time per cell:;60 s",
      "Experiment description",
      "PVC, 0,5 mm",
      "Handschuh",
      "",
      "",
      "",
      "Cell;Break;Breaktime;Chemical;Factor;Gas flow (ml/min);Measuretime;ppm;ppm/rate IsoButan;Area;"
      "ppm/rate THT;Area;Sampleinfo;Date;Time",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(lines.last().count(u';') + 1, 15);
  // An FPD-only instrument has the FID layout.
  EXPECT_EQ(ResultHeaderLines(fixtures::Header(kEnglishOffset, TDeviceTyp::FPD, "x.csv"), kEnglish).size(),
            17);
}

TEST(ResultFile, MeasurementLines) {
  // Zero gas on an FID instrument in German: field 2 holds one space, decimal commas.
  EXPECT_EQ(Cp1252Encode(MeasurementLine(fixtures::ZeroGas(), TDeviceTyp::FID, kGerman)),
            QByteArray("1; ;;Aceton;1,00;200,0;00:12:30;12,346;0,075;4000;Nullgas;13.03.2023;14:05:09;1"));

  // A breakthrough of cell 2 on an FIDFPD instrument in English; ";" inside texts becomes
  // ",", an area of nine digits is more than fixed 8/0 takes.
  TMeasurementRecord r = fixtures::ZeroGas(7);
  r.runZelle = 5;
  r.Mark = QStringLiteral("*");
  r.BreakTime = QStringLiteral("01:02:03");
  r.sChemikalie = QStringLiteral("Dichlormethan; techn.");
  r.FIDSampleFactor = 2.5;
  r.Flow = 98.76;
  r.RunTime = QStringLiteral("01:02:03");
  r.FIDppm = 1234.5678;
  r.FIDMessMenge = 0.5;
  r.FIDArea = 123456789;
  r.FPDMessMenge = 0;
  r.FPDArea = 15000;
  r.SampleText = QStringLiteral("PVC;0.5 mm\r\nblue");
  const QString line = MeasurementLine(r, TDeviceTyp::FIDFPD, kEnglish);
  EXPECT_EQ(line,
            "5;*;01:02:03;Dichlormethan, techn.;2.50;98.8;01:02:03;1234.568;0.500;1.2345679E+08;0.000;15000;"
            "PVC,0.5 mm  blue;3/13/2023;14:05:09;7");
  EXPECT_EQ(line.count(u';') + 1, 16);
  // Without FPD the two FPD fields are absent.
  EXPECT_EQ(MeasurementLine(r, TDeviceTyp::FPD, kEnglish).count(u';') + 1, 14);
}

TEST(ResultFile, NumberTexts) {
  struct Case {
    double value;
    const char *text;
  } sci[] = {
      {150, " 1.50000000000000E+0002"},
      {0, " 0.00000000000000E+0000"},
      {-0.5, "-5.00000000000000E-0001"},
      {1.0 / 3, " 3.33333333333333E-0001"},
      {9.999999999999999e2, " 1.00000000000000E+0003"},  // 16 nines round up
      {-1.5e-300, "-1.50000000000000E-0300"},
      {std::numeric_limits<double>::quiet_NaN(), "                    NAN"},
  };
  for (const Case &c : sci) {
    EXPECT_EQ(Sci23(c.value), c.text);
    EXPECT_EQ(Sci23(c.value).size(), 23);
  }
  // The scientific form ignores the regional format.
  {
    LocaleGuard german(kGerman);
    EXPECT_EQ(Sci23(2.5), " 2.50000000000000E+0000");
  }

  EXPECT_EQ(IntText(-1234567), "-1234567");  // no group separators
  EXPECT_EQ(ShortDateText(fixtures::March13(), kGerman), "13.03.2023");
  EXPECT_EQ(ShortDateText(fixtures::March13(), kEnglish), "3/13/2023");
  EXPECT_EQ(LongTimeText(fixtures::March13()), "14:05:09");
  EXPECT_EQ(ElapsedText(3723.9), "01:02:03");
  EXPECT_EQ(ElapsedText(86400 + 61), "00:01:01");  // wraps like the run-time display
  EXPECT_EQ(ElapsedText(-5), "00:00:00");
}

TEST(ResultFile, FileNames) {
  struct Case {
    const char *chosen, *result;
  } cases[] = {
      {"/d/probe.txt", "/d/probe.csv"}, {"/d/probe", "/d/probe.csv"},
      {"/d/probe.csv", "/d/probe.csv"}, {"/d/test.run.txt", "/d/test.run.csv"},
      {"/d.x/probe", "/d.x/probe.csv"},  // a "." in the folder is no extension
      {"/d/probe.", "/d/probe.csv"},
      {"/d/PROBE.CSV", "/d/PROBE.CSV"}, {"/d/probe.Csv", "/d/probe.Csv"},  // the file as chosen
  };
  for (const Case &c : cases) EXPECT_EQ(ResultFileName(c.chosen), c.result) << c.chosen;
}
