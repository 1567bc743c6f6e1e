#pragma once
// Days of a test in one process on the manual clock: the simulated instrument's model on
// in-memory links, the program under test ticking, and the fault plan, stepping the clock
// from one thing to do to the next (the model's next event, the program's next tick, the
// next fault), so a day costs no real waiting.
#include <QString>
#include <functional>
#include <set>

#include "Checker.h"
#include "FaultPlan.h"
#include "ProgramUnderTest.h"
#include "Scenario.h"

namespace zelvo::days {

struct DaysOptions {
  double days = 1;
  quint64 seed = 1;
  std::set<FaultKind> faults{std::begin(kAllFaultKinds), std::end(kAllFaultKinds)};
  FaultRates rates;
  QString outDir;  // empty: a temporary folder, removed at the end
  bool fidfpd = true;
  int secondsPerPosition = 20;
  int cyclesPerRun = 8;  // a run of the six positions this often, then the next run
  // Seconds between the model's batches of data lines (a batch holds rate x pace lines).
  double paceSeconds = 0.5;
};

struct DayProgress {
  int day = 0;
  qint64 evaluations = 0;
  qint64 runStarts = 0;
  qint64 faults = 0;
  double rssMib = 0;   // resident memory without the evaluations kept for the check
  double heldMib = 0;  // those evaluations (every line, to compare with the file at the end)
  double seconds = 0;  // real seconds so far
};

struct DaysReport {
  CheckResult check;
  qint64 maxQueue = 0;
  qint64 maxPointsHeld = 0;
  double maxRssMib = 0;
  // From the end of the first day to the end, without the evaluations kept for the check.
  double rssGrowthMibPerDay = 0;
  double seconds = 0;             // real seconds of the whole run
  double cpuSeconds = 0;          // processor seconds of this process (user and system)
  qint64 runStarts = 0;
  qint64 faults = 0;
  qint64 modelEvents = 0;
};

// Resident memory of this process now and at its peak, MiB (0 when /proc cannot tell).
double RssMib();
double PeakRssMib();
// What a record of evaluations holds in memory, MiB (an estimate from its sizes).
double HeldMib(const std::vector<Evaluation> &evaluations);

// Runs the days. False with a message when the model or the program cannot start.
bool RunDays(const DaysOptions &options, const sim::Scenario &scenario, ProgramUnderTest &program,
             DaysReport &report, QString &error, const std::function<void(const DayProgress &)> &progress = {});

// The one JSON line of a run (keys in a fixed order).
QString JsonLine(const DaysOptions &options, const DaysReport &report);

}  // namespace zelvo::days
