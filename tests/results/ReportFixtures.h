#pragma once
// Result files with known rate curves, written by the program's own header and measurement
// line code, for the report tests.
#include <QDir>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <vector>

#include "RecordFixtures.h"
#include "core/Language.h"
#include "core/TextFile.h"
#include "results/RecordText.h"
#include "results/ResultFile.h"

namespace report_fixtures {

// One measurement line: position, run time since the run started (minutes), the FID and FPD
// rates (µg/cm²/min). `Star` marks a breakthrough: with a rate it is the breakthrough
// measurement, with none an off line of a closed cell.
struct Row {
  int Position = 4;
  double Minutes = 0;
  double Fid = 0;
  double Fpd = 0;
  bool Star = false;
};

inline zelvo::TMeasurementRecord Record(const Row &r, int id, int runAktiv) {
  zelvo::TMeasurementRecord m;
  const bool cell = r.Position >= 4;
  const bool measured = r.Fid != 0 || r.Fpd != 0;
  m.runZelle = r.Position;
  m.Mark = r.Star ? QStringLiteral("*") : QStringLiteral(" ");
  if (cell) m.BreakTime = r.Star && measured ? zelvo::ElapsedText(r.Minutes * 60) : QStringLiteral("--:--");
  m.sChemikalie = cell ? QStringLiteral("Aceton") : QString();
  m.FIDSampleFactor = 1;
  m.Flow = cell ? 100 : 200;
  m.RunTime = zelvo::ElapsedText(r.Minutes * 60);  // wraps after 24 h like the run clock
  m.FIDppm = r.Fid * 40;
  m.FIDMessMenge = r.Fid;
  m.FIDArea = r.Fid * 20000;
  m.FPDMessMenge = r.Fpd;
  m.FPDArea = r.Fpd * 30000;
  m.SampleText =
      cell ? QStringLiteral("Handschuh %1").arg(r.Position - 3) : zelvo::GetLangString(id, 30 + r.Position);
  m.Now = fixtures::March13() + r.Minutes / 1440;
  m.runAktiv = runAktiv;
  return m;
}

inline QStringList MeasurementLines(const std::vector<Row> &rows, int id, zelvo::TDeviceTyp typ,
                                    const QLocale &locale, int firstAktiv = 1) {
  QStringList lines;
  int aktiv = firstAktiv;
  for (const Row &r : rows) lines << zelvo::MeasurementLine(Record(r, id, aktiv++), typ, locale);
  return lines;
}

// Writes the result file of one run and returns its path.
inline QString WriteResultFile(const QString &path, int id, zelvo::TDeviceTyp typ, const QLocale &locale,
                               const std::vector<Row> &rows, double limitFid = 0.1) {
  zelvo::TResultHeader h = fixtures::Header(id, typ, QDir::toNativeSeparators(path));
  h.LimitFID = limitFid;
  zelvo::WriteTextLines(path, zelvo::ResultHeaderLines(h, locale) + MeasurementLines(rows, id, typ, locale));
  return path;
}

// Cells 1 and 3 on an FIDFPD instrument: cell 1 breaks through on its FPD at 30 minutes and is
// closed; cell 3 stays flat. Its CSV is kFidFpdCsv.
inline const std::vector<Row> kFidFpdRows = {
    {1, 2, 0.01, 0},  {4, 10, 0.05, 0.2},       {6, 12, 0.01, 0}, {4, 20, 0.08, 0.4},
    {6, 24, 0.01, 0}, {4, 30, 0.12, 0.9, true}, {6, 36, 0.01, 0}, {4, 40, 0, 0, true},
    {6, 48, 0.01, 0}, {4, 50, 0, 0, true},
};
inline const char *const kFidFpdCsv[] = {
    "1;FID;30.00;25.00;;;≥1;;1.9000;1.9000;;;;;30.00",
    "1;FPD;10.00;10.00;;;≥1;;10.5000;10.5000;;;;;30.00",
    "3;FID;;;;;≥2;0.0100;0.4200;0.2400;;;;;48.00",
    "3;FPD;;;;;≥2;;0.0000;0.0000;;;;;48.00",
};

}  // namespace report_fixtures
