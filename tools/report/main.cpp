// zelvo730-report: the permeation test report of a result file.
//
//   zelvo730-report RESULTFILE [--run N] [--pdf FILE|FOLDER] [--csv FILE] [--force]
//   zelvo730-report RESULTFILE --list-runs
//
// A result file holds every run that chose it; the report covers one run, the last unless
// --run N names another (--list-runs prints them). Without options the figures are printed as
// a table. --csv writes them as CSV (UTF-8), --pdf as a PDF report in the language the result
// file was written in; "-" as FILE means standard output (for one of the two at most), a
// folder gets "<result>-run<N>.pdf" in it. An existing PDF is replaced only with --force.
// Warnings go to standard error, each once.
//
// Exit status: 0 done; 1 wrong arguments or an output that cannot be written; 2 an unknown
// option, the result file cannot be read (one line on standard error names the file and the
// line), holds no such run, or the PDF exists and --force was not given.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

#include "core/Clock.h"
#include "core/CommandLine.h"
#include "core/Errors.h"
#include "core/Language.h"
#include "core/TextFile.h"
#include "results/Report.h"
#include "ui/ReportPdf.h"

using namespace zelvo;

namespace {

constexpr int kUsageOrOutput = 1;
constexpr int kUnreadable = 2;

void Err(const QString &line) {
  const QByteArray bytes = (line + u'\n').toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

int Usage(const QString &problem) {
  if (!problem.isEmpty()) Err(QStringLiteral("zelvo730-report: ") + problem);
  Err(QStringLiteral(
      "usage: zelvo730-report RESULTFILE [--run N] [--pdf FILE|FOLDER] [--csv FILE] [--force]   (FILE \"-\": "
      "standard output)\n       zelvo730-report RESULTFILE --list-runs"));
  return kUsageOrOutput;
}

// Writes to standard output for "-", else replaces the file as a whole.
bool Put(const QString &target, const QByteArray &bytes, const QString &what) {
  if (target == u'-') {
    const size_t n = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    if (std::fflush(stdout) == 0 && n == static_cast<size_t>(bytes.size())) return true;
    Err(QStringLiteral("zelvo730-report: cannot write the %1 to standard output").arg(what));
    return false;
  }
  try {
    WriteFileAtomic(target, bytes);
    return true;
  } catch (const EFileError &e) {
    Err(QStringLiteral("zelvo730-report: cannot write the %1: %2").arg(what, e.Message()));
    return false;
  }
}

bool SameFile(const QString &a, const QString &b) {
  const QFileInfo fa(a), fb(b);
  return fa.exists() && fb.exists() && fa.canonicalFilePath() == fb.canonicalFilePath();
}

// The tool reports its own problems; Qt's remarks about the platform (no display, no runtime
// folder) are no concern of its user. Critical messages still go to standard error.
void QuietHandler(QtMsgType type, const QMessageLogContext &, const QString &message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) Err(message);
}

}  // namespace

const char *const kHelp =
    "usage: zelvo730-report RESULTFILE [--run N] [--pdf FILE|FOLDER] [--csv FILE] [--force]\n"
    "       zelvo730-report RESULTFILE --list-runs\n"
    "\n"
    "The permeation test report of one run of a result file (the last unless --run names\n"
    "another): the figures per cell as a table on standard output, or as CSV or PDF.\n"
    "\n"
    "  --run N      report run N of the file (1 for the first; --list-runs lists them)\n"
    "  --list-runs  print the runs of the file: number, start, positions, evaluations, breakthroughs\n"
    "  --csv FILE   write the figures as CSV (UTF-8)\n"
    "  --pdf FILE   write the PDF report, in the language of the result file; a FOLDER gets\n"
    "               <result>-run<N>.pdf in it\n"
    "  --force      replace an existing PDF\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "FILE \"-\" means standard output (for one of the two at most).\n"
    "Exit status: 0 done; 1 wrong arguments or an output that cannot be written; 2 an unknown\n"
    "option, the result file cannot be read, holds no such run, or the PDF exists and --force\n"
    "was not given. See zelvo730-report(1).\n";

int main(int argc, char **argv) {
  qInstallMessageHandler(QuietHandler);
  if (const auto exit =
          AnswerHelpOrVersion(argc, argv, QStringLiteral("zelvo730-report"), QString::fromLatin1(kHelp)))
    return *exit;
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);

  QString resultFile, pdf, csv;
  int run = 0;  // 0: the last
  bool listRuns = false, force = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString &a = args[i];
    if (a == QStringLiteral("--list-runs")) {
      listRuns = true;
      continue;
    }
    if (a == QStringLiteral("--force")) {
      force = true;
      continue;
    }
    if (a == QStringLiteral("--run") || a.startsWith(QStringLiteral("--run="))) {
      const QString value = a.size() > 5 ? a.mid(6) : (i + 1 < args.size() ? args[++i] : QString());
      bool ok = false;
      run = value.toInt(&ok);
      if (!ok || run < 1) return Usage(QStringLiteral("--run needs a run number (1 for the first run)"));
      continue;
    }
    QString *option = a.startsWith(QStringLiteral("--pdf"))   ? &pdf
                      : a.startsWith(QStringLiteral("--csv")) ? &csv
                                                              : nullptr;
    const QString name = a.left(5);
    if (option && (a.size() == 5 || a[5] == u'=')) {
      QString value;
      if (a.size() > 5) {
        value = a.mid(6);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      }
      if (value.isEmpty()) return Usage(name + QStringLiteral(" needs a file name"));
      if (!option->isEmpty()) return Usage(name + QStringLiteral(" given twice"));
      *option = value;
    } else if (a.startsWith(u'-') && a != u'-') {
      return UnknownOption(QStringLiteral("zelvo730-report"), a);
    } else if (resultFile.isEmpty()) {
      resultFile = a;
    } else {
      return Usage(QStringLiteral("one result file only"));
    }
  }
  if (resultFile.isEmpty()) return Usage(QStringLiteral("no result file given"));
  if (pdf == u'-' && csv == u'-')
    return Usage(QStringLiteral("only one of --pdf and --csv can go to standard output"));
  for (const QString &out : {pdf, csv})
    if (!out.isEmpty() && SameFile(out, resultFile))
      return Usage(QStringLiteral("the report would replace the result file ") + resultFile);

  const TReportRead read = ReadReport(resultFile, run);
  if (!read.Ok()) {
    Err(ReportErrorText(*read.Error, kEnglishOffset));
    return kUnreadable;
  }
  const TReport &report = read.Report;
  if (listRuns) return Put(QStringLiteral("-"), ReportRunList(report).toUtf8(), QStringLiteral("runs")) ? 0 : kUsageOrOutput;
  if (!pdf.isEmpty() && pdf != u'-' && QFileInfo(pdf).isDir())
    pdf = QDir(pdf).filePath(QFileInfo(ReportPdfName(resultFile, report.Run)).fileName());
  if (!pdf.isEmpty() && pdf != u'-' && QFileInfo::exists(pdf) && !force) {
    Err(QStringLiteral("zelvo730-report: %1 exists; --force replaces it").arg(pdf));
    return kUnreadable;
  }
  for (const TReportWarning &w : report.Warnings)
    Err(QStringLiteral("zelvo730-report: warning: ") + ReportWarningText(w, kEnglishOffset));

  bool ok = true;
  if (pdf.isEmpty() && csv.isEmpty())
    ok = Put(QStringLiteral("-"), ReportTable(report).toUtf8(), QStringLiteral("table"));
  if (!csv.isEmpty()) ok = Put(csv, ReportCsv(report).toUtf8(), QStringLiteral("CSV")) && ok;
  if (!pdf.isEmpty()) {
    // The chart is a widget drawn into the PDF: it needs the application object, though never
    // a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ok = Put(pdf, ReportPdf(report, report.Header.ID, Clock::Now()), QStringLiteral("PDF")) && ok;
  }
  return ok ? 0 : kUsageOrOutput;
}
