#pragma once
// What a run of days is judged by: the evaluations the program made, the result file it
// wrote and the instrument's truth, compared without any widget or port.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace zelvo::days {

// One evaluated injection as the program reports it.
struct Evaluation {
  int run = 1;       // run starts counted from 1
  int port = 1;      // detector: 1 FID, 2 FPD
  int cell = 1;      // 1..3
  double tRun = 0;   // seconds after the run start at which the sample was taken
  QString line;      // the result file's measurement line for it, without line end
};

// The truth: a cell's first crossing of the program's limit in a run.
struct CellCrossing {
  int run = 1;
  int port = 1;
  int cell = 1;
  double tRun = 0;
};

struct CheckResult {
  qint64 evaluations = 0;
  qint64 resultLines = 0;  // lines of the file that are some evaluation's line
  qint64 lost = 0;         // evaluations whose line is not in the file
  qint64 duplicated = 0;   // lines in the file more often than evaluations made them
  qint64 outOfOrder = 0;   // evaluation lines that stand before one of an earlier evaluation
  qint64 breakthroughs = 0;           // cells (run, detector, cell) with a "*" line
  qint64 breakthroughMismatches = 0;  // cells whose first "*" line is not the first evaluation
                                      // at or after the truth's crossing (or that have one and
                                      // not the other)
  QString resultSha256;               // of the file's bytes; empty when there is no file
  QStringList mismatchDetails;        // one line per mismatch, for the reader of the run
};

// Whether a measurement line marks a breakthrough: its second ";" field is "*".
bool IsBreakthroughLine(const QString &line);

// `resultFile`: the file's bytes (Windows-1252, CR LF); `haveFile` false when none was written.
CheckResult Check(const std::vector<Evaluation> &evaluations, const QByteArray &resultFile, bool haveFile,
                  const std::vector<CellCrossing> &crossings);

}  // namespace zelvo::days
