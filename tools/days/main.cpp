// zelvo730-days: days of a test in one process on the manual clock, reproducible from a seed.
// See the README's "A week in minutes" and tools/simulate-days.sh.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "Driver.h"
#include "ScriptedProgram.h"
#include "SessionProgram.h"
#include "core/CommandLine.h"

namespace {

int Fail(const QString &message, int code) {
  std::fprintf(stderr, "zelvo730-days: %s\n", message.toLocal8Bit().constData());
  return code;
}

}  // namespace

int main(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("zelvo730-days"));
  const QString name = QStringLiteral("zelvo730-days");

  QCommandLineParser p;
  p.setApplicationDescription(QStringLiteral("Days of a test on the manual clock, reproducible from a seed."));
  p.addHelpOption();
  const QCommandLineOption days(QStringLiteral("days"), "Simulated days.", "D", "1");
  const QCommandLineOption seed(QStringLiteral("seed"), "Seed of the noise and the fault plan.", "N", "1");
  const QCommandLineOption scenario(QStringLiteral("scenario"), "Physics of the test (INI file).", "FILE");
  const QCommandLineOption faults(QStringLiteral("faults"),
                                  "Faults: all, none, or a list of garbage, malformed, lost, stall, hangup, "
                                  "clock, readonly, diskfull.",
                                  "LIST", "all");
  const QCommandLineOption out(QStringLiteral("out"), "Folder for the result file and the truth.", "DIR");
  const QCommandLineOption fid(QStringLiteral("fid"), "One converter (FID) instead of FIDFPD.");
  const QCommandLineOption faultRate(QStringLiteral("fault-rate"),
                                     "Factor on the default rate of every fault kind.", "F", "1");
  const QCommandLineOption standIn(QStringLiteral("stand-in"),
                                   "Drive the protocol with a scripted stand-in instead of the program (measures "
                                   "the model, the links and the driver alone).");
  const QCommandLineOption cycles(QStringLiteral("cycles"),
                                  "Cycles of the six positions per run (a run of 3000 cycles lasts 100 h at "
                                  "20 s per position).",
                                  "N", "8");
  p.addOptions({days, seed, scenario, faults, out, fid, faultRate, standIn, cycles});
  p.addVersionOption();
  if (const auto exit = zelvo::AnswerHelpOrVersion(argc, argv, name, p.helpText())) return *exit;
  if (!p.parse(QCoreApplication::arguments())) {
    const QStringList unknown = p.unknownOptionNames();
    if (!unknown.isEmpty())
      return zelvo::UnknownOption(
          name, (unknown.first().size() > 1 ? QStringLiteral("--") : QStringLiteral("-")) + unknown.first());
    return zelvo::UsageError(name, p.errorText());
  }
  if (p.isSet(QStringLiteral("version"))) {
    std::printf("%s\n", zelvo::VersionLine(name).toLocal8Bit().constData());
    return 0;
  }
  if (p.isSet(QStringLiteral("help-all"))) {
    std::printf("%s", p.helpText().toLocal8Bit().constData());
    return 0;
  }

  zelvo::days::DaysOptions o;
  bool ok = false;
  o.days = p.value(days).toDouble(&ok);
  if (!ok || o.days <= 0 || o.days > 3650) return Fail(QStringLiteral("--days must be a number above 0"), 2);
  o.seed = p.value(seed).toULongLong(&ok);
  if (!ok) return Fail(QStringLiteral("--seed must be a whole number"), 2);
  QString error;
  const auto kinds = zelvo::days::ParseFaultList(p.value(faults), error);
  if (!kinds) return Fail(error, 2);
  o.faults = *kinds;
  const double scale = p.value(faultRate).toDouble(&ok);
  if (!ok || scale < 0 || scale > 1e4) return Fail(QStringLiteral("--fault-rate must be a number from 0"), 2);
  for (double *r : {&o.rates.garbage, &o.rates.malformed, &o.rates.lost, &o.rates.stall, &o.rates.hangup,
                    &o.rates.clockStep, &o.rates.readOnly, &o.rates.diskFull})
    *r *= scale;
  o.cyclesPerRun = p.value(cycles).toInt(&ok);
  if (!ok || o.cyclesPerRun < 1 || o.cyclesPerRun > 1000000) return Fail(QStringLiteral("--cycles must be a whole number above 0"), 2);
  o.outDir = p.value(out);
  o.fidfpd = !p.isSet(fid);
  zelvo::sim::Scenario sc;
  if (p.isSet(scenario) && !zelvo::sim::LoadScenario(p.value(scenario), sc, error)) return Fail(error, 2);

  // The program's session, or the stand-in that only works the protocol.
  zelvo::days::SessionProgram session;
  zelvo::days::ScriptedProgram scripted;
  const bool useStandIn = p.isSet(standIn);
  zelvo::days::ProgramUnderTest &program = useStandIn ? static_cast<zelvo::days::ProgramUnderTest &>(scripted)
                                                      : static_cast<zelvo::days::ProgramUnderTest &>(session);
  zelvo::days::DaysReport report;
  const bool done = zelvo::days::RunDays(o, sc, program, report, error, [](const zelvo::days::DayProgress &d) {
    std::printf("day %d: %lld run starts, %lld evaluations, %lld faults, rss %.1f MiB (+ %.1f MiB of evaluations "
                "kept for the check), %.2f s\n",
                d.day, static_cast<long long>(d.runStarts), static_cast<long long>(d.evaluations),
                static_cast<long long>(d.faults), d.rssMib, d.heldMib, d.seconds);
    std::fflush(stdout);
  });
  if (!done) return Fail(error, 1);
  if (useStandIn)
    std::printf("stand-in program: %lld data lines, %lld replies, %lld positions, %lld reconnections\n",
                static_cast<long long>(scripted.DataLines()), static_cast<long long>(scripted.Replies()),
                static_cast<long long>(scripted.Positions()), static_cast<long long>(scripted.Reconnects()));
  std::printf("%s\n", zelvo::days::JsonLine(o, report).toUtf8().constData());
  const auto &c = report.check;
  return c.lost == 0 && c.duplicated == 0 && c.outOfOrder == 0 && c.breakthroughMismatches == 0 ? 0 : 1;
}
