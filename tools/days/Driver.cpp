#include "Driver.h"

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "MemoryWire.h"
#include "Simulator.h"
#include "core/Clock.h"
#include "core/DateTime.h"
#include "link/MemoryPort.h"

namespace zelvo::days {

namespace {

double StatusMib(const char *key) {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QByteArray prefix = QByteArray(key) + ':';
  for (const QByteArray &line : f.readAll().split('\n'))
    if (line.startsWith(prefix)) return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
  return 0;
}

QString Fixed(double v, int decimals) { return QString::number(v, 'f', decimals); }

double CpuSeconds() {
  rusage u{};
  if (::getrusage(RUSAGE_SELF, &u) != 0) return 0;
  auto seconds = [](const timeval &t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(u.ru_utime) + seconds(u.ru_stime);
}

}  // namespace

double RssMib() { return StatusMib("VmRSS"); }
double PeakRssMib() { return StatusMib("VmHWM"); }

double HeldMib(const std::vector<Evaluation> &evaluations) {
  double bytes = static_cast<double>(evaluations.capacity() * sizeof(Evaluation));
  for (const Evaluation &e : evaluations) bytes += static_cast<double>(e.line.capacity()) * 2 + 32;  // text and header
  return bytes / (1024.0 * 1024.0);
}

bool RunDays(const DaysOptions &o, const sim::Scenario &scenario, ProgramUnderTest &program, DaysReport &report,
             QString &error, const std::function<void(const DayProgress &)> &progress) {
  QElapsedTimer real;
  real.start();
  const double cpuAtStart = CpuSeconds();
  report = {};
  // Without a folder of the caller's: one named after the seed and removed at the end. The
  // result file's header names the file, so the same seed in the same folder gives the same
  // bytes; a random temporary name would not.
  struct RemovedAtEnd {
    QString path;
    ~RemovedAtEnd() {
      if (!path.isEmpty()) QDir(path).removeRecursively();
    }
  } temp;
  QString folder = o.outDir;
  if (folder.isEmpty()) {
    const QString shm = QStringLiteral("/dev/shm");  // memory, where there is some: no disk waits
    const QString base = QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
    folder = QDir(base).filePath(QStringLiteral("zelvo730-days-seed%1").arg(o.seed));
    QDir(folder).removeRecursively();
    temp.path = folder;
  }
  if (!QDir().mkpath(folder)) {
    error = QStringLiteral("cannot create %1").arg(folder);
    return false;
  }

  // A fixed start, the same for every run: Saturday before the spring daylight-saving change.
  Clock::SetManual(ToDateTime(QDateTime(QDate(2026, 3, 28), QTime(0, 0))));
  TMemoryDevices::Clear();
  sim::Options so;
  so.port1 = QStringLiteral("COM1");
  if (o.fidfpd) so.port2 = QStringLiteral("COM2");
  so.seed = o.seed;
  so.paceSeconds = o.paceSeconds;
  so.ownTimer = false;
  if (!o.outDir.isEmpty()) so.truthPath = QDir(folder).filePath(QStringLiteral("truth.jsonl"));
  // Held until the end, then removed while the clock is still the manual one (its truth
  // file's last line carries the time).
  auto modelOwner = std::make_unique<sim::Simulator>(
      so, scenario, [](int, const QString &path) { return std::make_unique<sim::MemoryWire>(path); });
  sim::Simulator &model = *modelOwner;
  if (!model.Start(error)) {
    modelOwner.reset();
    Clock::SetReal();
    return false;
  }
  const int ports = o.fidfpd ? 2 : 1;
  // Lines reach the program cut anywhere, as from a pty.
  auto splitReads = [&](int port) {
    if (auto *wire = static_cast<sim::MemoryWire *>(model.Link(port)); wire && wire->Device())
      wire->Device()->SetSplitSeed(o.seed * 2 + static_cast<quint64>(port));
  };
  for (int port = 1; port <= ports; ++port) splitReads(port);

  TMemoryPort port1, port2;
  port1.SetDeviceName(QStringLiteral("COM1"));
  port2.SetDeviceName(QStringLiteral("COM2"));
  // Delivered by the loop below after every step, without the event loop.
  port1.SetPostNotifications(false);
  port2.SetPostNotifications(false);
  auto deliver = [&] {
    port1.Notify();
    port2.Notify();
  };
  ProgramSetup setup;
  setup.port1 = &port1;
  setup.port2 = o.fidfpd ? &port2 : nullptr;
  setup.folder = folder;
  setup.resultFile = QDir(folder).filePath(QStringLiteral("result.csv"));
  setup.deviceType = o.fidfpd ? QStringLiteral("FIDFPD") : QStringLiteral("FID");
  setup.secondsPerPosition = o.secondsPerPosition;
  setup.cyclesPerRun = o.cyclesPerRun;
  // A wait of the program (its start-up waits for answers) lets the simulated time pass
  // with everything due in it.
  Clock::SetManualWait([&](double seconds) {
    const double until = Clock::Steady() + seconds;
    for (;;) {
      const double next = std::min(model.NextDue(), until);
      if (next > Clock::Steady()) {
        Clock::Advance(next - Clock::Steady());
        if (Clock::Steady() < next) Clock::Advance(1e-9);
      }
      report.modelEvents += model.RunDue();
      deliver();
      QCoreApplication::sendPostedEvents();
      if (Clock::Steady() >= until) return;
    }
  });
  if (!program.Attach(setup, error)) {
    Clock::SetManualWait({});
    modelOwner.reset();
    Clock::SetReal();
    return false;
  }

  const double total = o.days * 86400.0;
  const std::vector<Fault> plan = MakeFaultPlan(o.seed, total, ports, o.faults, o.rates);
  std::multimap<double, std::function<void()>> restores;  // ends of faults with a duration
  auto apply = [&](const Fault &f) {
    ++report.faults;
    const QString port = QString::number(f.port);
    switch (f.kind) {
      case FaultKind::Garbage:
        model.StdinCommand(QStringLiteral("garbage %1").arg(static_cast<int>(f.amount)));
        break;
      case FaultKind::Malformed:
        model.StdinCommand(QStringLiteral("malformed ") + port);
        break;
      case FaultKind::Lost:
        model.StdinCommand(QStringLiteral("drop ") + port);
        break;
      case FaultKind::Stall:
        model.StdinCommand(QStringLiteral("stall %1").arg(f.duration));
        break;
      case FaultKind::Hangup:
        model.StdinCommand(QStringLiteral("hangup ") + port);
        restores.emplace(f.t + f.duration, [&model, &splitReads, port, n = f.port] {
          model.StdinCommand(QStringLiteral("replug ") + port);
          splitReads(n);
        });
        break;
      case FaultKind::ClockStep:
        Clock::ShiftWall(f.amount);
        break;
      case FaultKind::ReadOnly:
      case FaultKind::DiskFull: {
        const StorageFault s = f.kind == FaultKind::ReadOnly ? StorageFault::ReadOnly : StorageFault::DiskFull;
        program.SetStorageFault(s, true);
        restores.emplace(f.t + f.duration, [&program, s] { program.SetStorageFault(s, false); });
        break;
      }
    }
  };

  std::vector<Evaluation> evaluations;
  std::vector<CellCrossing> crossings;
  auto collect = [&] {
    for (Evaluation &e : program.TakeEvaluations()) evaluations.push_back(std::move(e));
    for (const sim::Crossing &c : model.TakeCrossings()) {
      const double limit = c.port == 1 ? setup.limitFid : setup.limitFpd;
      if (std::abs(c.limit - limit) < 1e-9) crossings.push_back({c.run, c.port, c.cell, c.tRun});
    }
  };

  const TSteadySeconds t0 = Clock::Steady();
  const double tick = program.TickSeconds();
  qint64 ticks = 0;
  size_t nextFault = 0;
  int day = 0;
  double rssAfterFirstDay = 0;
  // Every time below is an absolute steady reading, and the clock is advanced to exactly the
  // next one: differences of readings would leave it a rounding short and the loop stuck.
  const double end = t0 + total;
  for (;;) {
    if (Clock::Steady() >= end) break;
    const double nextTick = t0 + static_cast<double>(ticks) * tick;
    double next = std::min({nextTick, model.NextDue(), end});
    if (nextFault < plan.size()) next = std::min(next, t0 + plan[nextFault].t);
    if (!restores.empty()) next = std::min(next, t0 + restores.begin()->first);
    if (next > Clock::Steady()) {
      Clock::Advance(next - Clock::Steady());
      if (Clock::Steady() < next) Clock::Advance(1e-9);  // never a rounding short
    }
    const double now = Clock::Steady();
    const double at = now - t0;

    while (nextFault < plan.size() && t0 + plan[nextFault].t <= now) apply(plan[nextFault++]);
    while (!restores.empty() && t0 + restores.begin()->first <= now) {
      const auto fn = std::move(restores.begin()->second);
      restores.erase(restores.begin());
      fn();
    }
    report.modelEvents += model.RunDue();
    deliver();
    if (now >= nextTick) {
      if (!program.RunGoing()) program.StartRun();
      program.Tick();
      ++ticks;
      const ProgramFigures f = program.Figures();
      report.maxQueue = std::max(report.maxQueue, f.queue);
      report.maxPointsHeld = std::max(report.maxPointsHeld, f.pointsHeld);
      deliver();
      QCoreApplication::sendPostedEvents();  // what the program posted for itself
    }
    if (at >= (day + 1) * 86400.0) {
      ++day;
      collect();
      const double held = HeldMib(evaluations);
      const double rss = RssMib() - held;
      if (day == 1) rssAfterFirstDay = rss;
      if (progress)
        progress({day, static_cast<qint64>(evaluations.size()), model.RunStarts(), report.faults, rss, held,
                  static_cast<double>(real.nsecsElapsed()) / 1e9});
    }
  }
  // Faults still on at the end are over before the program ends: what it held is written.
  for (auto &[t, fn] : restores) fn();
  restores.clear();
  program.Finish();
  deliver();
  QCoreApplication::sendPostedEvents();
  collect();
  report.runStarts = model.RunStarts();
  // Measured before the check reads the result file: the growth of the program and the model,
  // without the record of evaluations the check needs (it grows with every evaluation).
  if (o.days > 1 && rssAfterFirstDay > 0)
    report.rssGrowthMibPerDay = (RssMib() - HeldMib(evaluations) - rssAfterFirstDay) / (o.days - 1);

  QFile result(setup.resultFile);
  const bool haveFile = result.open(QIODevice::ReadOnly);
  report.check = Check(evaluations, haveFile ? result.readAll() : QByteArray(), haveFile, crossings);
  report.maxRssMib = PeakRssMib();
  Clock::SetManualWait({});
  port1.Close();
  port2.Close();
  modelOwner.reset();
  TMemoryDevices::Clear();
  Clock::SetReal();
  report.seconds = static_cast<double>(real.nsecsElapsed()) / 1e9;
  report.cpuSeconds = CpuSeconds() - cpuAtStart;
  return true;
}

QString JsonLine(const DaysOptions &o, const DaysReport &r) {
  const CheckResult &c = r.check;
  return QStringLiteral(
             "{\"days\":%1,\"seed\":%2,\"evaluations\":%3,\"result_lines\":%4,\"lost\":%5,\"duplicated\":%6,"
             "\"out_of_order\":%7,\"breakthroughs\":%8,\"breakthrough_mismatches\":%9,\"max_queue\":%10,"
             "\"max_points_held\":%11,\"max_rss_mib\":%12,\"rss_growth_mib_per_day\":%13,\"result_sha256\":\"%14\","
             "\"seconds\":%15,\"cpu_seconds\":%16,\"run_starts\":%17,\"faults\":%18}")
      .arg(QString::number(o.days), QString::number(o.seed), QString::number(c.evaluations),
           QString::number(c.resultLines), QString::number(c.lost), QString::number(c.duplicated),
           QString::number(c.outOfOrder), QString::number(c.breakthroughs),
           QString::number(c.breakthroughMismatches))
      .arg(QString::number(r.maxQueue), QString::number(r.maxPointsHeld), Fixed(r.maxRssMib, 1),
           Fixed(r.rssGrowthMibPerDay, 2), c.resultSha256, Fixed(r.seconds, 2), Fixed(r.cpuSeconds, 2),
           QString::number(r.runStarts))
      .arg(r.faults);
}

}  // namespace zelvo::days
