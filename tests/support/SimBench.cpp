#include "support/SimBench.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QThread>
#include <cstdio>

#include "core/IniFile.h"
#include "core/Settings.h"

namespace testsupport {

namespace {

QByteArray ReadAll(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}  // namespace

SimBench::SimBench(const SimSetup &setup) : setup_(setup) {
  if (!dir_.isValid()) return;
  if (qEnvironmentVariableIsSet("ZELVO_KEEP_WHOLE_RUNS")) {
    dir_.setAutoRemove(false);
    std::fprintf(stderr, "simulator bench folder: %s\n", qPrintable(dir_.path()));
  }
  const bool two = setup.Typ == QLatin1String("FIDFPD");
  zelvo::CreateSettingsFileIfMissing(SettingsFile(), dir_.path());
  WriteSettings({
      {"Language", "Code", "US"},
      {"DeviceTyp", "Typ", setup.Typ},
      {"Communication", "ComPortA", Link(setup.Swapped ? 2 : 1)},
      {"Communication", "ComPortB", Link(setup.Swapped ? 1 : 2)},
      {"Debug", "SetDebug", "0"},
  });
  WriteSubstanceLists("Aceton=1,00\r\nTHT=1,00\r\n");

  QStringList args{"--port1", Link(1), "--log", LogFile(), "--truth", TruthFile(), "--seed",
                   QString::number(setup.Seed)};
  if (two) args << "--port2" << Link(2);
  if (!setup.Scenario.isEmpty()) {
    const QString scenario = Path(QStringLiteral("scenario.ini"));
    if (!WriteAll(scenario, setup.Scenario)) return;
    args << "--scenario" << scenario;
  }
  args << setup.SimArgs;
  sim_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  sim_.start(QStringLiteral(ZELVO_SIM_PATH), args);
  if (!sim_.waitForStarted(10000)) return;
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 10000 && sim_.state() == QProcess::Running) {
    if (QFileInfo::exists(Link(1)) && (!two || QFileInfo::exists(Link(2)))) {
      ok_ = true;
      return;
    }
    QThread::msleep(10);
  }
}

SimBench::~SimBench() { StopSimulator(); }

void SimBench::WriteSettings(const std::vector<SettingsKey> &keys) const {
  zelvo::TIniFile ini(SettingsFile());
  for (const SettingsKey &k : keys) ini.WriteString(k.Section, k.Key, k.Value);
}

void SimBench::WriteSubstanceLists(const QByteArray &lines) const {
  for (const char *list : {"CH-Substanzen.txt", "S-Substanzen.txt"}) WriteAll(Path(QString::fromLatin1(list)), lines);
}

void SimBench::SimCommand(const QByteArray &command) {
  sim_.write(command + '\n');
  sim_.waitForBytesWritten(2000);
}

int SimBench::StopSimulator() {
  if (exitCode_) return *exitCode_;
  if (sim_.state() == QProcess::NotRunning) {
    exitCode_ = sim_.exitStatus() == QProcess::NormalExit ? sim_.exitCode() : -1;
    return *exitCode_;
  }
  sim_.terminate();
  if (!sim_.waitForFinished(10000)) {
    sim_.kill();
    sim_.waitForFinished(5000);
    exitCode_ = -1;
  } else {
    exitCode_ = sim_.exitStatus() == QProcess::NormalExit ? sim_.exitCode() : -1;
  }
  return *exitCode_;
}

void SimBench::KillSimulator() {
  if (sim_.state() == QProcess::NotRunning) return;
  sim_.kill();
  sim_.waitForFinished(5000);
  exitCode_ = -1;
}

QStringList SimBench::LogLines() const {
  return QString::fromLatin1(ReadAll(LogFile())).split(u'\n', Qt::SkipEmptyParts);
}

bool SimBench::WaitForLog(const QString &text, double seconds) const {
  QElapsedTimer t;
  t.start();
  do {
    for (const QString &l : LogLines())
      if (l.contains(text)) return true;
    QThread::msleep(10);
  } while (t.elapsed() < seconds * 1000);
  return false;
}

std::vector<SimBench::Received> SimBench::Lines(int port) const {
  std::vector<Received> out;
  const QString tag = QStringLiteral(" %1 rx ").arg(port);
  for (const QString &line : LogLines()) {
    const qsizetype at = line.indexOf(tag);
    if (at > 0) out.push_back({line.left(at).toDouble(), line.mid(at + tag.size())});
  }
  return out;
}

QStringList SimBench::Commands(int port) const {
  QStringList out;
  for (const Received &r : Lines(port)) out << r.Line;
  return out;
}

std::optional<double> SimBench::EventTime(const QString &text) const {
  for (const QString &line : LogLines())
    if (line.contains(QStringLiteral(" ev ")) && line.contains(text)) return line.section(u' ', 0, 0).toDouble();
  return std::nullopt;
}

QStringList SimBench::TruthLines() const {
  return QString::fromLatin1(ReadAll(TruthFile())).split(u'\n', Qt::SkipEmptyParts);
}

std::vector<QJsonObject> SimBench::Truth() const {
  std::vector<QJsonObject> out;
  for (const QString &line : TruthLines())
    if (!line.trimmed().isEmpty()) out.push_back(QJsonDocument::fromJson(line.toLatin1()).object());
  return out;
}

}  // namespace testsupport
