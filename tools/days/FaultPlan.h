#pragma once
// The fault mix of a run of days as a schedule drawn from a seed: the same seed, length and
// kinds give the same faults at the same times. Each kind draws from a generator of its own,
// so leaving one kind out does not move the others.
#include <QString>
#include <QtGlobal>
#include <optional>
#include <set>
#include <vector>

namespace zelvo::days {

enum class FaultKind {
  Garbage,    // random bytes on port 1
  Malformed,  // a data line that is no data line
  Lost,       // a line to the program lost on the wire
  Stall,      // the instrument answers nothing for a while
  Hangup,     // a converter's adapter pulled, plugged in again `duration` later
  ClockStep,  // the wall clock set by `amount` seconds (daylight saving, time server)
  ReadOnly,   // the result folder read-only for `duration`
  DiskFull,   // the disk full for `duration`
};
inline constexpr FaultKind kAllFaultKinds[] = {FaultKind::Garbage, FaultKind::Malformed, FaultKind::Lost,
                                               FaultKind::Stall,   FaultKind::Hangup,    FaultKind::ClockStep,
                                               FaultKind::ReadOnly, FaultKind::DiskFull};

// "garbage", "malformed", "lost", "stall", "hangup", "clock", "readonly", "diskfull".
QString FaultName(FaultKind kind);
// A comma-separated list of those names, "all" or "none"; empty with a message on error.
std::optional<std::set<FaultKind>> ParseFaultList(const QString &list, QString &error);

struct Fault {
  double t = 0;  // seconds after the start
  FaultKind kind = FaultKind::Garbage;
  int port = 1;          // 1 or 2 where the fault is on one link
  double duration = 0;   // stall, hang-up until the replug, read-only, disk full
  double amount = 0;     // garbage bytes, clock step in seconds
};

// How often each kind happens per simulated day.
struct FaultRates {
  double garbage = 24, malformed = 24, lost = 24, stall = 4, hangup = 4, clockStep = 2;
  double readOnly = 1, diskFull = 1;
};

// The faults of `seconds` of test on `ports` links (1 or 2), ordered by time.
std::vector<Fault> MakeFaultPlan(quint64 seed, double seconds, int ports, const std::set<FaultKind> &kinds,
                                 const FaultRates &rates = {});

}  // namespace zelvo::days
