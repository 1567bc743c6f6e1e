#include "WholeBench.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <cmath>
#include <cstdio>

#include "core/NumberText.h"
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

Bench::Bench(const BenchSetup &s)
    : setup_(s), sim_(testsupport::SimSetup{s.Typ, s.Swapped, s.Scenario, {}, 11}) {
  if (!sim_.ok() || !QDir().mkpath(DataDir())) return;
  const QString area = QStringLiteral("SampleArea(cm\u00B2)");
  std::vector<testsupport::SettingsKey> keys = {
      {"Preferences", "Standard", "ASTM"},
      {"Calibration", "FIDCalArea", QString::number(s.FidCalArea)},
      {"Calibration", "FPDCalArea", QString::number(s.FpdCalArea)},
      {"Calibration", "FID/ppm", "100"},  // the simulator's reference gases
      {"Calibration", "FPD/ppm", "10"},
      {"Calibration", "CalFlow", "100"},
      {"Measurement", "MeasurementSampleTime/s", "0"},
      {"Measurement", "MeasurementInjectionTime/s", "1"},
      {"Measurement", "MeasurementTimePerCell/s", QString::number(s.Messzeit)},
      {"Measurement", "StartingCell", QString::number(s.First)},
      {"Measurement", "NumberOfCells", QString::number(s.Count)},
      {"Measurement", "NumberOfCycles", QString::number(s.Cycles)},
      {"Measurement", "LimitFID", FloatToStr(s.LimitFid)},
      {"Measurement", "LimitFPD", FloatToStr(s.LimitFpd)},
      {"Measurement", area, FloatToStr(19.6)},
      {"Measurement", "FIDCalFactor", "1"},
      {"Measurement", "FPDCalFactor", "1"},
      {"Measurement", "DataDir", DataDir()},
      {"Measurement", "RawDataSave", "1"},
  };
  for (int cell = 1; cell <= 3; ++cell) {
    const QString n = QString::number(cell);
    keys.push_back({"Measurement", "SampleFlow" + n, "100"});
    keys.push_back({"Measurement", "FIDSampleFactor" + n, "1"});
    keys.push_back({"Measurement", "FIDSampleFactorName" + n, "Aceton"});
    keys.push_back({"Measurement", "FPDSampleFactor" + n, "1"});
    keys.push_back({"Measurement", "FPDSampleFactorName" + n, "THT"});
    keys.push_back({"Info", "Sampleinfo" + n, "Glove " + n});
  }
  sim_.WriteSettings(keys);
  ok_ = true;
}

Bench::~Bench() {
  tick_.reset();
  form_.reset();  // closes the ports before their links go
  session_.reset();
  sim_.StopSimulator();
}

TSession *Bench::StartSession() {
  session_ = std::make_unique<TSession>();
  TSession &s = *session_;
  s.ProgramDirOverride = sim_.Dir();
  s.DiagLog.SetEchoToStderr(false);
  s.ReadSettings();
  s.LoadFactorsAndFlows();
  if (!s.StartUp()) return nullptr;
  s.ChooseResultFile(ResultFile());
  if (s.Measurement.sDateiname != ResultFile()) return nullptr;
  tick_ = std::make_unique<QTimer>();
  tick_->setInterval(TForm1::kTickIntervalMs);
  QObject::connect(tick_.get(), &QTimer::timeout, &s, [this] {
    if (!session_->Tick()) tick_->stop();
  });
  tick_->start();
  return &s;
}

TForm1 *Bench::StartProgram() {
  form_ = std::make_unique<TForm1>();
  TForm1 &f = *form_;
  f.Session.ProgramDirOverride = sim_.Dir();
  f.Session.DiagLog.SetEchoToStderr(false);
  f.FormCreate();
  if (f.ExitCode != 0 || f.TerminateRequested) return nullptr;
  f.FileDialogHook = [this](const TForm1::TFileDialogRequest &) { return ResultFile(); };
  QTest::mouseClick(f.findChild<QPushButton *>(QStringLiteral("btnSpeichern")), Qt::LeftButton);
  return f.Session.Measurement.sDateiname == ResultFile() ? &f : nullptr;
}

bool Bench::WaitForRunEnd(double seconds) {
  return PumpUntil([&] { return !Session().Sequencer.RunGoing() && !Session().Sequencer.DelayArmed(); },
                   static_cast<int>(seconds * 1000));
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
