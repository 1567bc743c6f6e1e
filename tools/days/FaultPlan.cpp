#include "FaultPlan.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <random>

namespace zelvo::days {

namespace {

// Uniform in [0, 1) from the engine's raw output: the engine's sequence is fixed by the
// standard, the library's distributions are not.
double Uniform(std::mt19937_64 &rng) { return static_cast<double>(rng() >> 11) * 0x1.0p-53; }
double Between(std::mt19937_64 &rng, double lo, double hi) { return lo + (hi - lo) * Uniform(rng); }

double RateOf(FaultKind kind, const FaultRates &r) {
  switch (kind) {
    case FaultKind::Garbage:
      return r.garbage;
    case FaultKind::Malformed:
      return r.malformed;
    case FaultKind::Lost:
      return r.lost;
    case FaultKind::Stall:
      return r.stall;
    case FaultKind::Hangup:
      return r.hangup;
    case FaultKind::ClockStep:
      return r.clockStep;
    case FaultKind::ReadOnly:
      return r.readOnly;
    case FaultKind::DiskFull:
      return r.diskFull;
  }
  return 0;
}

}  // namespace

QString FaultName(FaultKind kind) {
  switch (kind) {
    case FaultKind::Garbage:
      return QStringLiteral("garbage");
    case FaultKind::Malformed:
      return QStringLiteral("malformed");
    case FaultKind::Lost:
      return QStringLiteral("lost");
    case FaultKind::Stall:
      return QStringLiteral("stall");
    case FaultKind::Hangup:
      return QStringLiteral("hangup");
    case FaultKind::ClockStep:
      return QStringLiteral("clock");
    case FaultKind::ReadOnly:
      return QStringLiteral("readonly");
    case FaultKind::DiskFull:
      return QStringLiteral("diskfull");
  }
  return {};
}

std::optional<std::set<FaultKind>> ParseFaultList(const QString &list, QString &error) {
  std::set<FaultKind> kinds;
  const QString all = list.trimmed().toLower();
  if (all == u"none") return kinds;
  if (all == u"all") return std::set<FaultKind>(std::begin(kAllFaultKinds), std::end(kAllFaultKinds));
  for (const QString &part : all.split(u',', Qt::SkipEmptyParts)) {
    const QString name = part.trimmed();
    const auto found = std::find_if(std::begin(kAllFaultKinds), std::end(kAllFaultKinds),
                                     [&](FaultKind k) { return FaultName(k) == name; });
    if (found == std::end(kAllFaultKinds)) {
      QStringList names;
      for (FaultKind k : kAllFaultKinds) names << FaultName(k);
      error = QStringLiteral("unknown fault \"%1\" (known: %2, all, none)").arg(name, names.join(u", "));
      return std::nullopt;
    }
    kinds.insert(*found);
  }
  if (kinds.empty()) {
    error = QStringLiteral("empty fault list (use none for no faults)");
    return std::nullopt;
  }
  return kinds;
}

std::vector<Fault> MakeFaultPlan(quint64 seed, double seconds, int ports, const std::set<FaultKind> &kinds,
                                 const FaultRates &rates) {
  std::vector<Fault> plan;
  for (FaultKind kind : kinds) {
    const double perSecond = RateOf(kind, rates) / 86400.0;
    if (perSecond <= 0) continue;
    std::seed_seq seq{static_cast<quint32>(seed), static_cast<quint32>(seed >> 32), static_cast<quint32>(kind) + 1u};
    std::mt19937_64 rng(seq);
    double t = 0;
    for (;;) {
      t += -std::log(1.0 - Uniform(rng)) / perSecond;  // exponential gaps: a Poisson process
      if (t >= seconds) break;
      Fault f;
      f.t = t;
      f.kind = kind;
      f.port = ports > 1 && Uniform(rng) < 0.5 ? 2 : 1;
      switch (kind) {
        case FaultKind::Garbage:
          f.port = 1;
          f.amount = std::floor(Between(rng, 1, 33));
          break;
        case FaultKind::Stall:
          f.duration = Between(rng, 5, 120);
          break;
        case FaultKind::Hangup:
          f.duration = Between(rng, 2, 90);
          break;
        case FaultKind::ClockStep:
          // Half of them a daylight-saving hour either way, the others a time server's step.
          f.amount = Uniform(rng) < 0.5 ? (Uniform(rng) < 0.5 ? -3600 : 3600) : Between(rng, -120, 120);
          break;
        case FaultKind::ReadOnly:
          f.duration = 3600;
          break;
        case FaultKind::DiskFull:
          f.duration = 600;
          break;
        case FaultKind::Malformed:
        case FaultKind::Lost:
          break;
      }
      plan.push_back(f);
    }
  }
  std::stable_sort(plan.begin(), plan.end(), [](const Fault &a, const Fault &b) { return a.t < b.t; });
  return plan;
}

}  // namespace zelvo::days
