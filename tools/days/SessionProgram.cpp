#include "SessionProgram.h"

#include <QDir>
#include <cerrno>
#include <utility>

#include "core/Clock.h"
#include "core/IniFile.h"
#include "core/NumberText.h"
#include "link/SerialPort.h"
#include "session/Session.h"

namespace zelvo::days {

namespace {

double RunSeconds(const QString &text) {
  const QStringList p = text.split(u':');
  if (p.size() != 3) return 0;
  return p[0].toDouble() * 3600 + p[1].toDouble() * 60 + p[2].toDouble();
}

}  // namespace

SessionProgram::SessionProgram() = default;
SessionProgram::~SessionProgram() = default;

bool SessionProgram::Attach(const ProgramSetup &setup, QString &error) {
  setup_ = setup;
  // The run's settings, written before the program reads them; every other key takes its
  // default. The simulated instrument's reference gases are 100 ppm (FID) and 10 ppm (FPD);
  // the first run captures both calibrations at the reference gas.
  {
    TIniFile ini(QDir(setup.folder).filePath(QStringLiteral("Zelvo730.ini")));
    const auto put = [&ini](const char *section, const QString &key, const QString &value) {
      ini.WriteString(QString::fromLatin1(section), key, value);
    };
    put("DeviceTyp", QStringLiteral("Typ"), setup.deviceType);
    put("Communication", QStringLiteral("ComPortA"), setup.port1->DeviceName());
    put("Communication", QStringLiteral("ComPortB"), setup.port2 ? setup.port2->DeviceName() : QStringLiteral("COM2"));
    put("Preferences", QStringLiteral("Standard"), QStringLiteral("ASTM"));
    put("Calibration", QStringLiteral("FID/ppm"), QStringLiteral("100"));
    put("Calibration", QStringLiteral("FPD/ppm"), QStringLiteral("10"));
    put("Calibration", QStringLiteral("CalFlow"), QStringLiteral("100"));
    put("Measurement", QStringLiteral("MeasurementSampleTime/s"), QStringLiteral("0"));
    put("Measurement", QStringLiteral("MeasurementInjectionTime/s"), QStringLiteral("1"));
    put("Measurement", QStringLiteral("MeasurementTimePerCell/s"), QString::number(setup.secondsPerPosition));
    put("Measurement", QStringLiteral("StartingCell"), QStringLiteral("1"));
    put("Measurement", QStringLiteral("NumberOfCells"), QStringLiteral("6"));
    put("Measurement", QStringLiteral("NumberOfCycles"), QString::number(setup.cyclesPerRun));
    put("Measurement", QStringLiteral("LimitFID"), FloatToStr(setup.limitFid));
    put("Measurement", QStringLiteral("LimitFPD"), FloatToStr(setup.limitFpd));
    put("Measurement", QStringLiteral("DataDir"), setup.folder);
    put("Measurement", QStringLiteral("RawDataSave"), setup.rawData ? QStringLiteral("1") : QStringLiteral("0"));
    for (int cell = 1; cell <= 3; ++cell) {
      const QString n = QString::number(cell);
      put("Measurement", "SampleFlow" + n, QStringLiteral("100"));
      put("Info", "Sampleinfo" + n, "Cell " + n);
    }
  }
  session_ = std::make_unique<TSession>();
  TSession &s = *session_;
  s.UsePorts(setup.port1, setup.port2);
  s.ProgramDirOverride = setup.folder;
  s.DiagLog.SetEchoToStderr(false);
  s.ReadSettings();
  s.LoadFactorsAndFlows();
  // What the start-up tells when it ends the program; the connection ends with the start-up
  // (it refers to a local).
  QString told;
  const QMetaObject::Connection telling =
      QObject::connect(&s, &TSession::ProgramEnds, [&told](const QString &message) { told = message; });
  const bool started = s.StartUp();
  QObject::disconnect(telling);
  if (!started) {
    error = told.isEmpty() ? QStringLiteral("the program's start-up failed") : told;
    return false;
  }
  s.ChooseResultFile(setup.resultFile);
  s.Fields.IsobutanCalib = true;
  s.Fields.SulfurCalib = setup.deviceType == QLatin1String("FIDFPD");
  QObject::connect(&s, &TSession::PositionRecorded, [this](const TMeasurementRecord &r, const QString &line, bool off) {
    if (off) return;  // a closed cell: no injection
    const TSession &session = *session_;
    Evaluation e;
    e.run = runs_;
    e.cell = r.runZelle >= 4 ? r.runZelle - 3 : 0;
    // The sample was drawn at the injection, the position's measuring time before its
    // evaluation.
    e.tRun = RunSeconds(r.RunTime) - session.Run.Messzeit;
    // A breakthrough line belongs to the detector that decided it.
    e.port = r.Mark == QLatin1String("*") && !(r.FIDMessMenge >= session.Run.LimitFID) ? 2 : 1;
    e.line = line;
    evaluations_.push_back(std::move(e));
  });
  return true;
}

void SessionProgram::Tick() { session_->Tick(); }

double SessionProgram::TickSeconds() const { return 0.095; }

bool SessionProgram::RunGoing() const {
  return session_->Sequencer.RunGoing() || session_->Sequencer.DelayArmed();
}

void SessionProgram::StartRun() {
  // No run can start while a port waits for its device: an operator would wait too, rather
  // than press Start every tenth of a second.
  TSession &s = *session_;
  if (s.PortLost(s.ComPort1) || (setup_.port2 && s.PortLost(s.ComPort2))) return;
  session_->Start();
  if (session_->Sequencer.RunGoing()) ++runs_;  // refused while a port is lost: asked again later
}

std::vector<Evaluation> SessionProgram::TakeEvaluations() { return std::exchange(evaluations_, {}); }

void SessionProgram::SetStorageFault(StorageFault fault, bool on) {
  const unsigned bit = 1u << static_cast<int>(fault);
  faults_ = on ? faults_ | bit : faults_ & ~bit;
  const int err = faults_ & (1u << static_cast<int>(StorageFault::DiskFull))   ? ENOSPC
                  : faults_ & (1u << static_cast<int>(StorageFault::ReadOnly)) ? EACCES
                                                                                : 0;
  session_->Records.SetStorageFault(err);
}

ProgramFigures SessionProgram::Figures() const {
  const TSession &s = *session_;
  ProgramFigures f;
  f.queue = static_cast<qint64>(s.CommandQueue.size() + s.ReplyQueue.size() + s.DataQueue1.size() +
                                s.DataQueue2.size());
  f.pointsHeld = static_cast<qint64>(s.Signal1.Size() + s.Signal2.Size() + s.Slopes.size());
  return f;
}

void SessionProgram::Finish() {
  TSession &s = *session_;
  s.EndRunForExit(QStringLiteral("the end of the simulated days"));
  // Held lines are written again at the writer's own pace: a little simulated time for it.
  for (int i = 0; i < 10 && s.Records.HasPending(); ++i) {
    Clock::WaitProcessingEvents(static_cast<int>(TRecordWriter::kRetrySeconds * 1000) + 100);
    s.RecordsRetryStep();
  }
}

}  // namespace zelvo::days
