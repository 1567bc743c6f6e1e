// The zelvo730-report program as a user runs it.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "ReportFixtures.h"
#include "results/Report.h"

using namespace zelvo;

namespace {

struct TRun {
  int Exit = -1;
  QByteArray Out, Err;
};

TRun RunReport(const QStringList &args) {
  QProcess p;
  p.start(QStringLiteral(ZELVO_REPORT_PATH), args);
  EXPECT_TRUE(p.waitForFinished(60000)) << "the report program did not end";
  TRun r;
  r.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.Out = p.readAllStandardOutput();
  r.Err = p.readAllStandardError();
  return r;
}

QByteArray ExpectedCsv() {
  QByteArray csv = QByteArray(kReportCsvHeader) + '\n';
  for (const char *line : report_fixtures::kFidFpdCsv) csv += QByteArray(line) + '\n';
  return csv;
}

}  // namespace

TEST(ReportCli, WritesCsvTableAndPdf) {
  QTemporaryDir dir;
  const QString file = report_fixtures::WriteResultFile(
      dir.filePath(QStringLiteral("probe.csv")), kEnglishOffset, TDeviceTyp::FIDFPD,
      QLocale(QLocale::English), report_fixtures::kFidFpdRows);
  // CSV on standard output, in UTF-8 (the level's "≥").
  const TRun csv = RunReport({file, QStringLiteral("--csv"), QStringLiteral("-")});
  EXPECT_EQ(csv.Exit, 0);
  EXPECT_EQ(csv.Out, ExpectedCsv());
  EXPECT_EQ(csv.Err, QByteArray());

  // Without options: the table under readable column titles.
  const TRun table = RunReport({file});
  EXPECT_EQ(table.Exit, 0);
  EXPECT_TRUE(table.Out.contains("Cell  Detector  >0.1 first")) << table.Out.toStdString();
  EXPECT_TRUE(
      table.Out.contains("Cell 1: Handschuh 1, Aceton; closed at its breakthrough, run time 00:30:00"));

  // Both into files; nothing on standard output.
  const QString pdf = dir.filePath(QStringLiteral("probe.pdf")),
                out = dir.filePath(QStringLiteral("out.csv"));
  const TRun files = RunReport({file, QStringLiteral("--pdf"), pdf, QStringLiteral("--csv=") + out});
  EXPECT_EQ(files.Exit, 0) << files.Err.toStdString();
  EXPECT_EQ(files.Out, QByteArray());
  QFile csvFile(out), pdfFile(pdf);
  ASSERT_TRUE(csvFile.open(QIODevice::ReadOnly));
  EXPECT_EQ(csvFile.readAll(), ExpectedCsv());
  ASSERT_TRUE(pdfFile.open(QIODevice::ReadOnly));
  const QByteArray bytes = pdfFile.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF-"));
  EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
}

// A file it cannot read: one line on standard error naming the file and the line, status 2.
// Wrong arguments, or an output that would replace the result file: status 1.
TEST(ReportCli, RefusesWhatItCannotRead) {
  QTemporaryDir dir;
  const QString file = report_fixtures::WriteResultFile(
      dir.filePath(QStringLiteral("bad.csv")), kGermanOffset, TDeviceTyp::FID, QLocale(QLocale::German),
      {{4, 10, 0.05}, {4, 20, 0.5}});
  QStringList lines = ReadTextLines(file);
  lines[18].replace(QStringLiteral("0,500"), QStringLiteral("0,5x"));  // line 19: the second measurement
  WriteTextLines(file, lines);

  const TRun bad = RunReport({file, QStringLiteral("--csv"), QStringLiteral("-")});
  EXPECT_EQ(bad.Exit, 2);
  EXPECT_EQ(bad.Out, QByteArray());
  EXPECT_EQ(
      QString::fromUtf8(bad.Err).toStdString(),
      (file + QStringLiteral(":19: Measurement line: field 9 (\"0,5x\") cannot be read\n")).toStdString());

  const QString missing = dir.filePath(QStringLiteral("none.csv"));
  const TRun gone = RunReport({missing});
  EXPECT_EQ(gone.Exit, 2);
  EXPECT_TRUE(gone.Err.startsWith((missing + QStringLiteral(": The file cannot be read: ")).toUtf8()));
  EXPECT_EQ(gone.Err.count('\n'), 1);

  EXPECT_EQ(RunReport({}).Exit, 1);
  EXPECT_EQ(RunReport({file, QStringLiteral("--pdf")}).Exit, 1);
  EXPECT_EQ(RunReport({file, QStringLiteral("--xml"), QStringLiteral("x")}).Exit, 2);  // unknown option
  const QByteArray before = ReadFileBytes(file);
  EXPECT_EQ(RunReport({file, QStringLiteral("--pdf"), file}).Exit, 1);
  EXPECT_EQ(ReadFileBytes(file), before);
}

// A file appended by a second run: the report covers one run (the last by default), the runs
// can be listed, and a PDF of a run is replaced only with --force.
TEST(ReportCli, ReportsOneRunOfAFileWithTwo) {
  QTemporaryDir dir;
  const QString file = report_fixtures::WriteResultFile(
      dir.filePath(QStringLiteral("probe.csv")), kEnglishOffset, TDeviceTyp::FID, QLocale(QLocale::English),
      {{4, 3, 0.05}, {4, 8, 1.5, 0, true}});
  // Run 2: cell 2 measured for 6 minutes only.
  WriteTextLines(file, ReadTextLines(file) + report_fixtures::MeasurementLines({{5, 2, 0.01}, {5, 6, 0.02}},
                                                                               kEnglishOffset, TDeviceTyp::FID,
                                                                               QLocale(QLocale::English)));
  const TRun list = RunReport({file, QStringLiteral("--list-runs")});
  EXPECT_EQ(list.Exit, 0);
  const QStringList lines = QString::fromUtf8(list.Out).split(u'\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2) << list.Out.toStdString();
  EXPECT_TRUE(lines[0].startsWith("run 1: started ") && lines[0].contains("positions 4; 2 evaluations; breakthrough: cell 1"))
      << lines[0].toStdString();
  EXPECT_TRUE(lines[1].contains("positions 5; 2 evaluations; breakthrough: none")) << lines[1].toStdString();

  const TRun last = RunReport({file});
  EXPECT_EQ(last.Exit, 0);
  EXPECT_TRUE(last.Out.contains("not classified: measured 6 min")) << last.Out.toStdString();
  EXPECT_EQ(last.Err.count("warning:"), 1) << last.Err.toStdString();  // earlier runs, told once
  const TRun first = RunReport({file, QStringLiteral("--run"), QStringLiteral("1")});
  EXPECT_EQ(first.Exit, 0);
  EXPECT_TRUE(first.Out.contains("Run: 1 of 2")) << first.Out.toStdString();
  EXPECT_TRUE(first.Out.contains("< 1")) << first.Out.toStdString();  // broke through before 10 min
  EXPECT_EQ(first.Err, QByteArray());
  EXPECT_EQ(RunReport({file, QStringLiteral("--run=3")}).Exit, 2);

  // A folder as the PDF's place: the name carries the run; an existing one needs --force.
  const TRun pdf1 = RunReport({file, QStringLiteral("--run=1"), QStringLiteral("--pdf"), dir.path()});
  EXPECT_EQ(pdf1.Exit, 0) << pdf1.Err.toStdString();
  const QString run1 = dir.filePath(QStringLiteral("probe-run1.pdf"));
  const QByteArray before = ReadFileBytes(run1);
  EXPECT_TRUE(before.startsWith("%PDF"));
  const TRun again = RunReport({file, QStringLiteral("--run=1"), QStringLiteral("--pdf"), run1});
  EXPECT_EQ(again.Exit, 2);
  EXPECT_EQ(again.Err.count('\n'), 1);
  EXPECT_EQ(ReadFileBytes(run1), before);
  EXPECT_EQ(RunReport({file, QStringLiteral("--run=1"), QStringLiteral("--pdf"), run1, QStringLiteral("--force")}).Exit, 0);
  EXPECT_EQ(RunReport({file, QStringLiteral("--pdf"), dir.path()}).Exit, 0);
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("probe-run2.pdf"))));
}
