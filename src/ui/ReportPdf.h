#pragma once
// The permeation test report as a PDF: A4 portrait, the test conditions from the result
// file's header, a chart of rate against run time for every cell and detector with the 0.1 and
// 1.0 µg/cm²/min limits as dotted lines, one table of figures per cell, and the notes.
//
// The language is the caller's: the window passes its own (the settings' language), the
// command-line tool the language the result file was written in. Numbers follow that
// language's regional format. The chart is drawn by QCustomPlot straight into the PDF, so it
// stays vector graphics; this needs a QApplication.
#include <QByteArray>
#include <QColor>
#include <QString>

#include "core/DateTime.h"
#include "results/Report.h"

namespace zelvo {

// The colour of sample cell 1..3 in the report's chart and tables.
QColor ReportCellColor(int cell);

// The PDF document of a report; `created` is the date and time printed as the report's own.
QByteArray ReportPdf(const TReport &report, int offset, TDateTime created);

// The report's file for run `run` of a result file: the same path with "-run<N>.pdf" for the
// extension (probe.csv, run 2 -> probe-run2.pdf), so that no run's report replaces
// another's; run 0 gives just ".pdf" (probe.csv -> probe.pdf).
QString ReportPdfName(const QString &resultFile, int run = 0);
// The number of the last run of a result file; 0 when it holds none or cannot be read.
int LastRunOf(const QString &resultFile);

struct TReportPdfResult {
  bool Ok = false;
  QString Error;  // one line in the language `offset`, naming the file (and line) at fault
  std::vector<TReportWarning> Warnings;
};

// Reads the result file, and writes the report of its run `run` (0: the last) to `pdfFile` as
// a whole or not at all (an existing file is replaced only by a complete report). The date
// printed is Clock::Now(). This is what the window's report button calls:
//   WriteReportPdf(sDateiname, ReportPdfName(sDateiname, run), ID, run)
TReportPdfResult WriteReportPdf(const QString &resultFile, const QString &pdfFile, int offset, int run = 0);

}  // namespace zelvo
