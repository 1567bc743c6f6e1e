#include "WholeBench.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "core/IniFile.h"
#include "core/Settings.h"
#include "link/PtyPair.h"

using namespace zelvo;

namespace whole {

namespace {

QByteArray ReadAll(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

double RunSeconds(const QString &text) {
  const QStringList p = text.split(u':');
  if (p.size() != 3) return -1;
  return p[0].toInt() * 3600 + p[1].toInt() * 60 + p[2].toInt();
}

Bench::Bench(const BenchSetup &s) : setup_(s) {
  if (!dir_.isValid() || !QDir().mkpath(DataDir())) return;
  // For a look at a run afterwards: the folder stays when ZELVO_KEEP_WHOLE_RUNS is set.
  if (qEnvironmentVariableIsSet("ZELVO_KEEP_WHOLE_RUNS")) {
    dir_.setAutoRemove(false);
    std::fprintf(stderr, "whole run folder: %s\n", qPrintable(dir_.path()));
  }
  const QString ini = Path(QStringLiteral("Zelvo730.ini"));
  CreateSettingsFileIfMissing(ini, dir_.path());
  TIniFile f(ini);
  f.WriteString("Language", "Code", "US");
  f.WriteString("DeviceTyp", "Typ", s.Typ);
  f.WriteString("Communication", "ComPortA", Link(s.Swapped ? 2 : 1));
  f.WriteString("Communication", "ComPortB", Link(s.Swapped ? 1 : 2));
  f.WriteString("Debug", "SetDebug", "0");
  f.WriteString("Preferences", "Standard", "ASTM");
  f.WriteInteger("Calibration", "FIDCalArea", s.FidCalArea);
  f.WriteInteger("Calibration", "FPDCalArea", s.FpdCalArea);
  f.WriteFloat("Calibration", "FID/ppm", 100);  // the simulator's reference gases
  f.WriteFloat("Calibration", "FPD/ppm", 10);
  f.WriteFloat("Calibration", "CalFlow", 100);
  f.WriteInteger("Measurement", "MeasurementSampleTime/s", 0);
  f.WriteInteger("Measurement", "MeasurementInjectionTime/s", 1);
  f.WriteInteger("Measurement", "MeasurementTimePerCell/s", s.Messzeit);
  f.WriteInteger("Measurement", "StartingCell", s.First);
  f.WriteInteger("Measurement", "NumberOfCells", s.Count);
  f.WriteInteger("Measurement", "NumberOfCycles", s.Cycles);
  f.WriteFloat("Measurement", "LimitFID", s.LimitFid);
  f.WriteFloat("Measurement", "LimitFPD", s.LimitFpd);
  f.WriteFloat("Measurement", QStringLiteral("SampleArea(cm\u00B2)"), 19.6);
  for (int cell = 1; cell <= 3; ++cell) {
    const QString n = QString::number(cell);
    f.WriteFloat("Measurement", "SampleFlow" + n, 100);
    f.WriteFloat("Measurement", "FIDSampleFactor" + n, 1);
    f.WriteString("Measurement", "FIDSampleFactorName" + n, "Aceton");
    f.WriteFloat("Measurement", "FPDSampleFactor" + n, 1);
    f.WriteString("Measurement", "FPDSampleFactorName" + n, "THT");
    f.WriteString("Info", "Sampleinfo" + n, "Glove " + n);
  }
  f.WriteFloat("Measurement", "FIDCalFactor", 1);
  f.WriteFloat("Measurement", "FPDCalFactor", 1);
  f.WriteString("Measurement", "DataDir", DataDir());
  f.WriteInteger("Measurement", "RawDataSave", 1);
  for (const char *list : {"CH-Substanzen.txt", "S-Substanzen.txt"}) {
    QFile l(Path(QString::fromLatin1(list)));
    if (!l.open(QIODevice::WriteOnly)) return;
    l.write("Aceton=1,00\r\nTHT=1,00\r\n");
  }

  QStringList args{"--port1", Link(1), "--log", Path("sim.log"), "--truth", Path("truth.jsonl"), "--seed", "11"};
  if (s.Typ == "FIDFPD") args << "--port2" << Link(2);
  if (!s.Scenario.isEmpty()) {
    QFile sc(Path("scenario.ini"));
    if (!sc.open(QIODevice::WriteOnly)) return;
    sc.write(s.Scenario);
    args << "--scenario" << sc.fileName();
  }
  sim_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  sim_.start(QStringLiteral(ZELVO_SIM_PATH), args);
  ok_ = sim_.waitForStarted(10000) &&
        PumpUntil([&] { return QFileInfo::exists(Link(1)) && (s.Typ != "FIDFPD" || QFileInfo::exists(Link(2))); },
                  10000);
}

Bench::~Bench() {
  form_.reset();  // closes the ports before their links go
  StopSimulator();
}

TForm1 *Bench::StartProgram() {
  form_ = std::make_unique<TForm1>();
  TForm1 &f = *form_;
  f.ProgramDirOverride = dir_.path();
  f.DiagLog.SetEchoToStderr(false);
  f.FormCreate();
  if (!f.Timer1->isActive()) return nullptr;
  f.FileDialogHook = [this](const TForm1::TFileDialogRequest &) { return ResultFile(); };
  f.btnSpeichern->click();
  return f.sDateiname == ResultFile() ? &f : nullptr;
}

bool Bench::WaitForRunEnd(double seconds) {
  return PumpUntil([&] { return !form_->Sequencer.RunGoing() && !form_->Sequencer.DelayArmed(); },
                   static_cast<int>(seconds * 1000));
}

void Bench::SimCommand(const QByteArray &command) {
  sim_.write(command + '\n');
  sim_.waitForBytesWritten(2000);
}

void Bench::StopSimulator() {
  if (sim_.state() == QProcess::NotRunning) return;
  sim_.terminate();
  if (!sim_.waitForFinished(10000)) {
    sim_.kill();
    sim_.waitForFinished(5000);
  }
}

std::vector<Bench::Received> Bench::Lines(int port) const {
  std::vector<Received> out;
  const QString tag = QStringLiteral(" %1 rx ").arg(port);
  for (const QByteArray &raw : ReadAll(Path("sim.log")).split('\n')) {
    const QString line = QString::fromLatin1(raw);
    const qsizetype at = line.indexOf(tag);
    if (at > 0) out.push_back({line.left(at).toDouble(), line.mid(at + tag.size())});
  }
  return out;
}

std::optional<double> Bench::EventTime(const QString &text) const {
  for (const QByteArray &raw : ReadAll(Path("sim.log")).split('\n')) {
    const QString line = QString::fromLatin1(raw);
    if (line.contains(QStringLiteral(" ev ")) && line.contains(text)) return line.section(u' ', 0, 0).toDouble();
  }
  return std::nullopt;
}

std::vector<QJsonObject> Bench::Truth() const {
  std::vector<QJsonObject> out;
  for (const QByteArray &line : ReadAll(Path("truth.jsonl")).split('\n'))
    if (!line.trimmed().isEmpty()) out.push_back(QJsonDocument::fromJson(line).object());
  return out;
}

std::vector<Injection> Bench::Injections(int port) const {
  std::vector<Injection> out;
  for (const QJsonObject &o : Truth())
    if (o.contains("position") && o["port"].toInt() == port)
      out.push_back({o["t"].toDouble(), port, o["position"].toInt(), o["ppm"].toDouble(), o["rate"].toDouble(),
                     o["area"].toDouble()});
  return out;
}

std::optional<double> Bench::TruthCrossing(int cell, double limit, int port) const {
  for (const QJsonObject &o : Truth())
    if (o.contains("limit") && o["cell"].toInt() == cell && o["port"].toInt() == port &&
        std::abs(o["limit"].toDouble() - limit) < 1e-9)
      return o["t_run"].toDouble();
  return std::nullopt;
}

std::vector<ResultLine> Bench::ResultLines() const {
  // The fields as the program writes them: its numbers in the regional format of the system.
  const QLocale locale;
  const bool two = setup_.Typ == "FIDFPD";
  std::vector<ResultLine> out;
  const QList<QByteArray> lines = ReadAll(ResultFile()).split('\n');
  bool titles = false;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString text = QString::fromLatin1(lines[i]).remove(u'\r');
    if (!titles) {
      titles = text.startsWith(QStringLiteral("Cell;"));
      continue;
    }
    if (text.isEmpty()) continue;
    const QStringList f = text.split(u';');
    ResultLine r;
    r.Line = static_cast<int>(i) + 1;
    r.Position = f.value(0).toInt();
    r.Mark = f.value(1);
    r.BreakTime = f.value(2);
    r.Flow = locale.toDouble(f.value(5).trimmed());
    r.RunTime = f.value(6);
    r.RunSeconds = RunSeconds(r.RunTime);
    r.FidPpm = locale.toDouble(f.value(7).trimmed());
    r.FidRate = locale.toDouble(f.value(8).trimmed());
    r.FidArea = locale.toDouble(f.value(9).trimmed());
    if (two) {
      r.FpdRate = locale.toDouble(f.value(10).trimmed());
      r.FpdArea = locale.toDouble(f.value(11).trimmed());
    }
    r.Aktiv = f.last().toInt();
    out.push_back(r);
  }
  return out;
}

QStringList Bench::DiagLog() const {
  return QString::fromUtf8(ReadAll(Path("Zelvo730.log"))).split(u'\n', Qt::SkipEmptyParts);
}

std::optional<double> EvalFidArea(const QString &rawFile) {
  QProcess p;
  p.start(QStringLiteral(ZELVO_EVAL_PATH), {rawFile});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return std::nullopt;
  const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput().trimmed()).object();
  const QJsonObject fid = o["fid"].toObject();
  if (fid.isEmpty()) return std::nullopt;
  return fid["noPeak"].toBool() ? 0.0 : fid["area"].toDouble();
}

}  // namespace whole
