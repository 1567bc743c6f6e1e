#pragma once
// A whole run of the program against the instrument simulator, in real time: the simulator
// bench (support/SimBench.h: the folder, the settings file, the substance lists, the
// scenario, the simulator on its links) with the settings of a measured run, and the
// program in this process reading its settings from there: the session alone, ticked by a
// timer as the window ticks it, or the window with its session. What the tests compare afterwards: the result file's measurement lines, the
// simulator's truth (one JSON object per injection and per crossing of a limit), the lines
// the simulator received, and the raw data files.
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

#include "app/Zelvo730_Main.h"
#include "support/SimBench.h"

namespace whole {

struct BenchSetup {
  QString Typ = QStringLiteral("FID");
  bool Swapped = false;  // the settings name the converters' ports the wrong way round
  int First = 1, Count = 6, Cycles = 1;
  int Messzeit = 10;  // seconds per position
  double LimitFid = 0.1, LimitFpd = 1;
  int FidCalArea = 0, FpdCalArea = 0;  // 0: not calibrated
  QByteArray Scenario;                 // the simulator's scenario file
};

// One measurement line of the result file, its fields read back.
struct ResultLine {
  int Line = 0;  // line number in the file, 1 for the first
  int Position = 0;
  QString Mark, BreakTime, RunTime;
  double RunSeconds = 0;
  double Flow = 0, FidPpm = 0, FidRate = 0, FidArea = 0;
  double FpdRate = 0, FpdArea = 0;  // FIDFPD only
  int Aktiv = 0;                    // number of the measurement in the run
};

// One injection as the simulator saw it: real time (simulator clock), converter port, gas
// position, the concentration and rate of the sample drawn, and the peak area it made.
struct Injection {
  double T = 0;
  int Port = 1, Position = 0;
  double Ppm = 0, Rate = 0, Area = 0;
};

class Bench {
 public:
  explicit Bench(const BenchSetup &setup);
  ~Bench();
  bool ok() const { return ok_; }

  QString Path(const QString &name) const { return sim_.Path(name); }
  QString Link(int port) const { return sim_.Link(port); }
  QString ResultFile() const { return Path(QStringLiteral("data/probe.csv")); }
  QString DataDir() const { return Path(QStringLiteral("data")); }

  // The program without its window, started up against the simulator with a result file
  // chosen and its tick running. Null when the start-up failed.
  zelvo::TSession *StartSession();
  // The window, started up the same way; the result file chosen with the Save button.
  TForm1 *StartProgram();
  zelvo::TSession &Session() { return form_ ? form_->Session : *session_; }
  // Waits until the run has ended by itself (no run and no armed delay); false at the time-out.
  bool WaitForRunEnd(double seconds);

  void SimCommand(const QByteArray &command) { sim_.SimCommand(command); }
  // Stops the simulator, so that its truth file is complete.
  void StopSimulator() { sim_.StopSimulator(); }

  // What the simulator received on a port, with the seconds of its clock.
  using Received = testsupport::SimBench::Received;
  std::vector<Received> Lines(int port) const { return sim_.Lines(port); }
  // Simulator time of the first log event containing `text`; nothing when there is none.
  std::optional<double> EventTime(const QString &text) const { return sim_.EventTime(text); }
  std::vector<QJsonObject> Truth() const { return sim_.Truth(); }
  std::vector<Injection> Injections(int port) const;
  // Run time (seconds since the simulator's run start) at which `cell` first exceeded
  // `limit` on a converter, from the truth file.
  std::optional<double> TruthCrossing(int cell, double limit, int port = 1) const;

  // The measurement lines of the result file (everything after the column titles).
  std::vector<ResultLine> ResultLines() const;
  QStringList DiagLog() const;

 private:
  BenchSetup setup_;
  testsupport::SimBench sim_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<zelvo::TSession> session_;
  std::unique_ptr<QTimer> tick_;
  bool ok_ = false;
};

// Seconds of a run time "hh:nn:ss".
double RunSeconds(const QString &text);

// The raw data file evaluated again by zelvo730-eval: the FID area (0 without a peak), or
// nothing when the tool failed.
std::optional<double> EvalFidArea(const QString &rawFile);

}  // namespace whole
