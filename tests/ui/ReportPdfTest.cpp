// The report button's entry point: the PDF beside the result file.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "results/ReportFixtures.h"
#include "support/Files.h"
#include "ui/ReportPdf.h"

using namespace zelvo;

TEST(ReportPdf, NameBesideTheResultFile) {
  const struct {
    const char *result, *pdf;
  } cases[] = {
      {"/daten/probe.csv", "/daten/probe.pdf"},
      {"/daten/probe", "/daten/probe.pdf"},
      {"/daten.2023/probe", "/daten.2023/probe.pdf"},  // a dot in a folder name is no extension
      {"C:\\Daten\\probe.v2.csv", "C:\\Daten\\probe.v2.pdf"},
  };
  for (const auto &c : cases) EXPECT_EQ(ReportPdfName(c.result), c.pdf) << c.result;
}

TEST(ReportPdf, WritesTheReportOrSaysWhyNot) {
  QTemporaryDir dir;
  const QString file = report_fixtures::WriteResultFile(
      dir.filePath(QStringLiteral("probe.csv")), kGermanOffset, TDeviceTyp::FIDFPD, QLocale(QLocale::German),
      report_fixtures::kFidFpdRows);
  const QString pdf = ReportPdfName(file);
  const TReportPdfResult done = WriteReportPdf(file, pdf, kGermanOffset);
  EXPECT_TRUE(done.Ok) << done.Error.toStdString();
  EXPECT_TRUE(Bytes(pdf).startsWith("%PDF-"));
  // The page holds the title and every figure of the cells' table (the report's CSV of the
  // same file), in German numbers.
  const QString text = PdfText(pdf);
  ASSERT_FALSE(text.isEmpty()) << "pdftotext (poppler-utils) cannot read " << pdf.toStdString();
  EXPECT_TRUE(text.contains(GetLangString(kGermanOffset, report_text::kTitle)));
  int figures = 0;
  for (const char *row : report_fixtures::kFidFpdCsv)
    for (const QString &field : QString::fromUtf8(row).split(u';').mid(2)) {
      if (!field.contains(u'.')) continue;
      const QString german = QString(field).replace(u'.', u',');
      EXPECT_TRUE(text.contains(german)) << german.toStdString() << " in\n" << text.toStdString();
      ++figures;
    }
  EXPECT_GE(figures, 10);

  // An unreadable file: the error in the window's language, and the old report stays.
  QFile::resize(file, 300);  // cuts the header short
  const QByteArray before = ReadFileBytes(pdf);
  const TReportPdfResult failed = WriteReportPdf(file, pdf, kGermanOffset);
  EXPECT_FALSE(failed.Ok);
  EXPECT_TRUE(failed.Error.startsWith(file + QStringLiteral(":"))) << failed.Error.toStdString();
  EXPECT_TRUE(failed.Error.contains(QStringLiteral("Unerwartete Kopfzeile"))) << failed.Error.toStdString();
  EXPECT_EQ(ReadFileBytes(pdf), before);

  // A folder it cannot write to.
  report_fixtures::WriteResultFile(file, kGermanOffset, TDeviceTyp::FID, QLocale(QLocale::German),
                                   {{4, 10, 0.5}});
  const TReportPdfResult nowhere =
      WriteReportPdf(file, dir.filePath(QStringLiteral("none/probe.pdf")), kEnglishOffset);
  EXPECT_FALSE(nowhere.Ok);
  EXPECT_TRUE(nowhere.Error.startsWith(QStringLiteral("The report cannot be written: ")))
      << nowhere.Error.toStdString();
}
