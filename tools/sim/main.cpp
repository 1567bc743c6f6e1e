// zelvo730-sim: the instrument and its converters on pseudo-terminals, for demos, training
// and end-to-end tests. See the README's "Simulator" section.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <chrono>
#include <cstdio>
#include <memory>

#include "PtyPort.h"
#include "Scenario.h"
#include "Simulator.h"
#include "core/CommandLine.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int sig) {
  const char c = static_cast<char>(sig);
  [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &c, 1);
}

int Fail(const QString &message, int code) {
  std::fprintf(stderr, "zelvo730-sim: %s\n", message.toLocal8Bit().constData());
  return code;
}

}  // namespace

int main(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("zelvo730-sim"));

  QCommandLineParser p;
  p.setApplicationDescription(QStringLiteral("Simulated instrument on pseudo-terminals."));
  p.addHelpOption();
  const QCommandLineOption port1(QStringLiteral("port1"),
                                 "Link for the first converter (carries every instrument command).", "PATH");
  const QCommandLineOption port2(QStringLiteral("port2"), "Link for the second (FPD) converter.", "PATH");
  const QCommandLineOption id1(QStringLiteral("id1"), "Identification reply of converter 1.", "TEXT",
                               ":SN4-0001");
  const QCommandLineOption id2(QStringLiteral("id2"), "Identification reply of converter 2.", "TEXT",
                               ":SN2-0002");
  const QCommandLineOption flow(QStringLiteral("flow-sensor"), "The instrument has a flow sensor.");
  const QCommandLineOption scenario(QStringLiteral("scenario"), "Physics of the test (INI file).", "FILE");
  const QCommandLineOption log(QStringLiteral("log"), "Log of received lines and events.", "FILE");
  const QCommandLineOption truth(QStringLiteral("truth"),
                                 "True values of every injection, one JSON object per line.", "FILE");
  const QCommandLineOption rate(QStringLiteral("rate"), "Data lines per second per converter.", "N", "10");
  const QCommandLineOption seed(QStringLiteral("seed"), "Seed of the noise and fault generator.", "N");
  p.addOptions({port1, port2, id1, id2, flow, scenario, log, truth, rate, seed});
  p.addVersionOption();
  if (const auto exit = zelvo::AnswerHelpOrVersion(argc, argv, QStringLiteral("zelvo730-sim"), p.helpText()))
    return *exit;
  if (!p.parse(QCoreApplication::arguments())) {
    const QStringList unknown = p.unknownOptionNames();
    if (!unknown.isEmpty())
      return zelvo::UnknownOption(
          QStringLiteral("zelvo730-sim"),
          (unknown.first().size() > 1 ? QStringLiteral("--") : QStringLiteral("-")) + unknown.first());
    return zelvo::UsageError(QStringLiteral("zelvo730-sim"), p.errorText());
  }
  if (p.isSet(QStringLiteral("version"))) {
    std::printf("%s\n", zelvo::VersionLine(QStringLiteral("zelvo730-sim")).toLocal8Bit().constData());
    return 0;
  }
  if (p.isSet(QStringLiteral("help-all"))) {
    std::printf("%s", p.helpText().toLocal8Bit().constData());
    return 0;
  }

  if (!p.isSet(port1)) return Fail(QStringLiteral("--port1 PATH is required (see --help)"), 2);
  zelvo::sim::Options o;
  o.port1 = p.value(port1);
  o.port2 = p.value(port2);
  o.id1 = p.value(id1);
  o.id2 = p.value(id2);
  o.flowSensor = p.isSet(flow);
  o.logPath = p.value(log);
  o.truthPath = p.value(truth);
  bool ok = false;
  o.rate = p.value(rate).toDouble(&ok);
  if (!ok || o.rate <= 0 || o.rate > 1e7) return Fail(QStringLiteral("--rate must be a number above 0"), 2);
  if (p.isSet(seed)) {
    o.seed = p.value(seed).toULongLong(&ok);
    if (!ok) return Fail(QStringLiteral("--seed must be a whole number"), 2);
  } else {
    o.seed = static_cast<quint64>(std::chrono::steady_clock::now().time_since_epoch().count());
  }

  zelvo::sim::Scenario sc;
  if (p.isSet(scenario)) {
    QString error;
    if (!zelvo::sim::LoadScenario(p.value(scenario), sc, error)) return Fail(error, 2);
  }

  // Signals end the event loop through a pipe, so the links are removed on the way out.
  if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return Fail(QStringLiteral("pipe failed"), 1);
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &sa, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  zelvo::sim::Simulator sim(o, sc, [](int number, const QString &path) {
    return std::make_unique<zelvo::sim::PtyPort>(number, path);
  });
  QString error;
  if (!sim.Start(error)) return Fail(error, 1);

  QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
    char c = 0;
    while (::read(signalPipe[0], &c, 1) == 1) sim.Log(1, "ev", QStringLiteral("signal %1").arg(int(c)));
    app.quit();
  });
  QObject::connect(&sim, &zelvo::sim::Simulator::quitRequested, &app, &QCoreApplication::quit);

  // Standard input: one command per line. At end of file (for example </dev/null) the
  // notifier is switched off; the simulator keeps running until a signal or "quit".
  QByteArray pending;
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  if (::fcntl(STDIN_FILENO, F_GETFD) < 0) input.setEnabled(false);
  QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
    char buf[4096];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) {
      input.setEnabled(false);
      return;
    }
    pending.append(buf, n);
    qsizetype nl;
    while ((nl = pending.indexOf('\n')) >= 0) {
      const QString line = QString::fromLocal8Bit(pending.left(nl));
      pending.remove(0, nl + 1);
      sim.StdinCommand(line);
    }
  });

  return app.exec();
}
