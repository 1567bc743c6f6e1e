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

  // Without options: the table under the CSV's column names.
  const TRun table = RunReport({file});
  EXPECT_EQ(table.Exit, 0);
  EXPECT_TRUE(table.Out.contains("cell  detector  bt01_first_min")) << table.Out.toStdString();
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
