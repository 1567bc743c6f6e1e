#include "Simulator.h"

#include <QFile>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "core/Clock.h"
#include "core/Cp1252.h"
#include "link/Protocol.h"

namespace zelvo::sim {

using proto::Cmd;
using proto::DataMarker;
using proto::Reply;

namespace {

constexpr qint64 kMaxBatch = 20000;  // data lines per pacing tick at most

QString Num(double v, int decimals) { return QString::number(v, 'f', decimals); }

bool IsConverterCommand(Cmd c) {
  return c == Cmd::SN || c == Cmd::ConverterStatus || c == Cmd::StreamPrepareB || c == Cmd::StreamPrepareW ||
         c == Cmd::StreamOn || c == Cmd::StreamOff;
}

// Lowest open selector valve of bank 1 (bits 0..5, active-low): the gas position 1..6.
int OpenSelector(int valveByte) {
  for (int bit = 0; bit < 6; ++bit)
    if (!(valveByte & (1 << bit))) return bit + 1;
  return 0;
}

enum FaultKind { kGarbage, kMalformed, kDrop };

// Breaches of the program's order of stream commands, as counted in the truth file.
enum ProtocolFaultKind { kStreamUnprepared, kStreamLoopOn };
const char *const kProtocolFaultNames[] = {"stream_unprepared", "stream_loop_on"};

}  // namespace

Simulator::Simulator(Options options, Scenario scenario, WireFactory makeWire, QObject *parent)
    : QObject(parent),
      opt_(std::move(options)),
      sc_(scenario),
      rng_(opt_.seed),
      makeWire_(std::move(makeWire)),
      start_(Clock::Steady()) {
  paceInterval_ = opt_.paceSeconds > 0 ? opt_.paceSeconds
                                       : std::clamp(static_cast<int>(1000 / opt_.rate), 5, 100) / 1000.0;
  if (opt_.ownTimer) {
    wake_ = new QTimer(this);
    wake_->setSingleShot(true);
    wake_->setTimerType(Qt::PreciseTimer);
    connect(wake_, &QTimer::timeout, this, [this] { RunDue(); });
    events_.changed = [this] { Rearm(); };
  }
}

double Simulator::Now() const { return Clock::Steady() - start_; }

void Simulator::Rearm() {
  const double due = events_.NextDue();
  if (due == EventQueue::kNone) {
    wake_->stop();
    return;
  }
  const double ms = std::ceil((due - Clock::Steady()) * 1000.0);
  wake_->start(static_cast<int>(std::clamp(ms, 0.0, 2e9)));
}

void Simulator::StopTimer(EventQueue::Id &id) {
  events_.Cancel(id);
  id = 0;
}

void Simulator::StartPace(Converter &c) {
  events_.Cancel(c.pace);
  c.pace = events_.At(Clock::Steady() + paceInterval_, [this, &c] {
    c.pace = 0;
    EmitDue(c);
    if (c.streaming) StartPace(c);
  });
}

Wire *Simulator::Link(int number) {
  Converter *c = ByNumber(number);
  return c ? c->port.get() : nullptr;
}

Simulator::~Simulator() {
  if (log_) std::fclose(log_);
  if (truth_) {
    // The totals, also when they are 0, so a reader can tell a clean run from a missing count.
    QStringList totals;
    for (size_t k = 0; k < protocolFaults_.size(); ++k)
      totals
          << QStringLiteral("\"%1\":%2").arg(QLatin1String(kProtocolFaultNames[k])).arg(protocolFaults_[k]);
    Truth(QStringLiteral("{\"t\":%1,\"faults\":{%2}}").arg(Num(Now(), 3), totals.join(u',')));
    std::fclose(truth_);
  }
}

bool Simulator::Start(QString &error) {
  if (!opt_.logPath.isEmpty() && !(log_ = std::fopen(QFile::encodeName(opt_.logPath).constData(), "w"))) {
    error = QStringLiteral("cannot write the log %1").arg(opt_.logPath);
    return false;
  }
  if (!opt_.truthPath.isEmpty() &&
      !(truth_ = std::fopen(QFile::encodeName(opt_.truthPath).constData(), "w"))) {
    error = QStringLiteral("cannot write the truth file %1").arg(opt_.truthPath);
    return false;
  }
  chamber_.on = valveBlock_.on = sc_.heating_on;
  convCount_ = opt_.port2.isEmpty() ? 1 : 2;
  for (int i = 0; i < convCount_; ++i) {
    Converter &c = conv_[i];
    c.number = i + 1;
    c.det = i == 0 ? &sc_.fid : &sc_.fpd;
    c.shape = std::make_unique<PeakShape>(c.det->apex, c.det->sigma, c.det->tail);
    c.id = i == 0 ? opt_.id1 : opt_.id2;
    c.port = makeWire_(c.number, i == 0 ? opt_.port1 : opt_.port2);
    c.port->onLine = [this, &c](const QByteArray &line) { OnLine(c, line); };
    c.port->onNotice = [this, &c](const QString &text) { Log(c.number, "ev", text); };
    if (!c.port->Open(error)) return false;
    Log(c.number, "ev",
        QStringLiteral("start link=%1 device=%2").arg(c.port->LinkPath(), c.port->DeviceName()));
  }
  if (opt_.rate > kWireLinesPerSecond)
    Log(1, "ev",
        QStringLiteral("flood rate=%1 lines/s per converter, above the wire limit of %2 lines/s")
            .arg(opt_.rate)
            .arg(kWireLinesPerSecond));
  ScheduleFault(kGarbage);
  ScheduleFault(kMalformed);
  ScheduleFault(kDrop);
  return true;
}

// ---------------------------------------------------------------------------------------
// Log and truth

void Simulator::Log(int port, const char *kind, const QString &text) {
  if (!log_) return;
  const QByteArray line = Num(Now(), 3).toLatin1() + ' ' + QByteArray::number(port) + ' ' + kind + ' ' +
                          Cp1252Encode(text) + '\n';
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), log_);
  std::fflush(log_);
}

void Simulator::Truth(const QString &json) {
  if (!truth_) return;
  const QByteArray line = json.toLatin1() + '\n';
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), truth_);
  std::fflush(truth_);
}

// ---------------------------------------------------------------------------------------
// Commands

void Simulator::OnLine(Converter &c, const QByteArray &bytes) {
  const QString line = Cp1252Decode(bytes);
  Log(c.number, "rx", line);
  c.commanded = true;
  const auto pc = proto::ParseCommand(line);
  if (!pc || (c.number == 2 && !IsConverterCommand(pc->cmd))) {
    Log(c.number, "ev", QStringLiteral("unknown ") + line);
    return;
  }
  Apply(c, static_cast<int>(pc->cmd), pc->value, pc->text);
  Answer(c, static_cast<int>(pc->cmd));
}

void Simulator::Apply(Converter &c, int cmdIndex, int value, const QString &text) {
  Q_UNUSED(text);
  switch (static_cast<Cmd>(cmdIndex)) {
    case Cmd::R1:
      runStarted_ = true;
      runStart_ = Now();
      Log(1, "ev", QStringLiteral("run start"));
      ScheduleCrossings();
      break;
    case Cmd::R0:
      if (runStarted_) Log(1, "ev", QStringLiteral("run end"));
      break;
    case Cmd::BS:
      airSet_ = value;
      break;
    case Cmd::WS:
      h2Set_ = value;
      break;
    case Cmd::CS:
      carrierSet_ = value;
      break;
    case Cmd::VS:
      SetZone(valveBlock_, value / 10.0);
      break;
    case Cmd::SS:
      SetZone(chamber_, value / 10.0);
      break;
    case Cmd::ES:
      SetZone(emission_, value / 100.0);
      break;
    case Cmd::TS:
      SetZone(transfer_, value / 100.0);
      break;
    case Cmd::VO1:
      SwitchZone(valveBlock_, true);
      break;
    case Cmd::VO0:
      SwitchZone(valveBlock_, false);
      break;
    case Cmd::SO1:
      SwitchZone(chamber_, true);
      break;
    case Cmd::SO0:
      SwitchZone(chamber_, false);
      break;
    case Cmd::EO1:
      SwitchZone(emission_, true);
      break;
    case Cmd::EO0:
      SwitchZone(emission_, false);
      break;
    case Cmd::TO1:
      SwitchZone(transfer_, true);
      break;
    case Cmd::TO0:
      SwitchZone(transfer_, false);
      break;
    case Cmd::HS:
      hvSet_ = value;
      break;
    case Cmd::HO1:
      hvOn_ = true;
      break;
    case Cmd::HO0:
      hvOn_ = false;
      break;
    case Cmd::XS:
      fpdAirSet_ = value;
      break;
    case Cmd::XO1:
      fpdAirOn_ = true;
      break;
    case Cmd::XO0:
      fpdAirOn_ = false;
      break;
    case Cmd::YS:
      fpdH2Set_ = value;
      break;
    case Cmd::YO1:
      fpdH2On_ = true;
      break;
    case Cmd::YO0:
      fpdH2On_ = false;
      break;
    case Cmd::ZZ:
      Log(1, "ev", QStringLiteral("ignition"));
      break;
    case Cmd::V1S:
      TrackLoop();  // the gas that flowed until now stays in the loop
      valve1_ = value;
      TrackLoop();
      break;
    case Cmd::V2S:
      valve2_ = value;
      break;
    case Cmd::LS:
      lamp_ = value;
      break;
    case Cmd::PS:
      heatOut_ = value;
      break;
    case Cmd::D1:
      loopOn_ = true;
      loopPosition_ = 0;  // filling starts afresh
      TrackLoop();
      break;
    case Cmd::D0:
      Inject();
      break;
    case Cmd::StreamPrepareB:
      c.prepared = 1;
      break;
    case Cmd::StreamPrepareW:
      if (c.prepared == 1) c.prepared = 2;
      break;
    case Cmd::StreamOn:
      StartStream(c);
      break;
    case Cmd::StreamOff:
      c.prepared = 0;  // the next stream needs its own preparation
      StopCommand(c);
      break;
    default:
      break;
  }
}

void Simulator::Answer(Converter &c, int cmdIndex) {
  const Cmd cmd = static_cast<Cmd>(cmdIndex);
  const proto::CommandInfo &info = proto::Info(cmd);
  auto noisyPressure = [this](int set, bool on = true) { return on ? std::max(0, Noisy(set, 1.0)) : 0; };
  switch (info.reply) {
    case Reply::AirSetPoint:
      return SendReply(c, proto::FormReply(info.reply, airSet_));
    case Reply::H2SetPoint:
      return SendReply(c, proto::FormReply(info.reply, h2Set_));
    case Reply::CarrierSetPoint:
      return SendReply(c, proto::FormReply(info.reply, carrierSet_));
    case Reply::AirPressure:
      return SendReply(c, proto::FormReply(info.reply, noisyPressure(airSet_)));
    case Reply::H2Pressure:
      return SendReply(c, proto::FormReply(info.reply, noisyPressure(h2Set_)));
    case Reply::CarrierPressure:
      return SendReply(c, proto::FormReply(info.reply, noisyPressure(carrierSet_)));
    case Reply::FpdAir:
      return SendReply(c, proto::FormReply(info.reply, noisyPressure(fpdAirSet_, fpdAirOn_)));
    case Reply::FpdH2:
      return SendReply(c, proto::FormReply(info.reply, noisyPressure(fpdH2Set_, fpdH2On_)));
    case Reply::ChamberTemperature:
      return SendReply(c,
                       proto::FormReply(info.reply, static_cast<int>(std::lround(ZoneValue(chamber_) * 10))));
    case Reply::ValveBlockTemperature:
      return SendReply(
          c, proto::FormReply(info.reply, static_cast<int>(std::lround(ZoneValue(valveBlock_) * 10))));
    case Reply::EmissionTemperature:
      return SendReply(
          c, proto::FormReply(info.reply, static_cast<int>(std::lround(ZoneValue(emission_) * 100))));
    case Reply::TransferTemperature:
      return SendReply(
          c, proto::FormReply(info.reply, static_cast<int>(std::lround(ZoneValue(transfer_) * 100))));
    case Reply::HighVoltage:
      return SendReply(c, proto::FormReply(info.reply, hvOn_ ? hvSet_ : 0));
    case Reply::Flow: {
      if (!opt_.flowSensor) return;
      const int cell = OpenSelector(valve1_) - 4;
      const double flow = cell >= 0 ? sc_.flow[static_cast<size_t>(cell)] : sc_.default_flow;
      return SendReply(c, proto::FormReply(info.reply, static_cast<int>(std::lround(flow))));
    }
    case Reply::ValveBank1:
      return SendReply(c, proto::FormReply(info.reply, valve1_));
    case Reply::ValveBank2:
      return SendReply(c, proto::FormReply(info.reply, valve2_));
    case Reply::InstrumentState:
      return SendReply(c, proto::FormReply(info.reply, loopOn_ ? 1 : 0));
    case Reply::HeatingPort: {
      // Bits 0 and 1 report the chamber and valve-block heating (0 = on); bits 6 and 7
      // read back what the program last wrote; the others read 1.
      const int b = (chamber_.on ? 0 : 1) | (valveBlock_.on ? 0 : 2) | 0x3C | (heatOut_ & 0xC0);
      return SendReply(c, proto::FormReply(info.reply, b));
    }
    case Reply::ConverterStatus:
      return SendReply(c, proto::FormReply(info.reply, c.streaming ? 118 : 100));
    default:
      break;
  }
  if (info.path != proto::Path::Wait) return;  // queued commands get no answer
  if (cmd == Cmd::SN) return SendReply(c, c.id);
  if (cmd == Cmd::FA) return SendReply(c, proto::FormReply(Reply::FlowRefresh, opt_.flowSensor ? 1 : 0));
  SendReply(c, proto::FormAcknowledge(cmd));
}

void Simulator::SendReply(Converter &c, const QString &line) {
  if (Now() < stallUntil_) {
    Log(c.number, "ev", QStringLiteral("stalled, not sent: ") + line);
    return;
  }
  if (c.dropNext) {
    c.dropNext = false;
    Log(c.number, "ev", QStringLiteral("drop ") + line);
    return;
  }
  c.port->Send(Cp1252Encode(line) + '\r', false);
}

bool Simulator::SendUnsolicited(Converter &c, const QByteArray &bytes, const QString &what) {
  if (!c.port->IsOpen()) {
    Log(c.number, "ev", QStringLiteral("not sent (port hung up): ") + what);
    return false;
  }
  if (!c.commanded) {
    // The program's side may still be in the default line discipline, which would echo.
    Log(c.number, "ev", QStringLiteral("not sent (no command has arrived yet): ") + what);
    return false;
  }
  c.port->Send(bytes, false);
  return true;
}

// ---------------------------------------------------------------------------------------
// Heated zones and pressures

double Simulator::ZoneValue(Zone &z) {
  const double now = Now();
  z.value = FirstOrderLag(z.value, z.on ? z.set : kAmbient, now - z.at, kZoneTau);
  z.at = now;
  return z.value;
}

void Simulator::SetZone(Zone &z, double set) {
  ZoneValue(z);
  z.set = set;
}

void Simulator::SwitchZone(Zone &z, bool on) {
  ZoneValue(z);
  z.on = on;
}

int Simulator::Noisy(double value, double sd) {
  std::normal_distribution<double> n(0.0, sd);
  return static_cast<int>(std::lround(value + n(rng_)));
}

// ---------------------------------------------------------------------------------------
// Sample loop and injections

void Simulator::TrackLoop() {
  if (!loopOn_) return;
  const int p = OpenSelector(valve1_);
  if (p == 0) return;
  loopPosition_ = p;
  loopFill_ = Now();
}

double Simulator::PpmAt(int converter, int position, double tFill, double *rate) const {
  const bool fid = converter == 1;
  const DetectorParams &det = fid ? sc_.fid : sc_.fpd;
  *rate = 0;
  switch (position) {
    case 1:
      return 0;
    case 2:
      return det.cal_ppm;
    case 3:
      return fid ? sc_.refcell_ppm : sc_.fpd_refcell_ppm;
    default:
      break;
  }
  const auto cell = static_cast<size_t>(position - 4);
  const CurveParams &curve = fid ? sc_.cells[cell] : sc_.fpd_cells[cell];
  *rate = runStarted_ ? PermeationRate(curve, tFill - runStart_) : 0.0;
  return PpmForRate(*rate, sc_.area_cm2, sc_.flow[cell], fid ? kFidRateFactor : kFpdRateFactor);
}

void Simulator::Inject() {
  if (!loopOn_) {
    Log(1, "ev", QStringLiteral("injection none (the loop was not on)"));
    return;
  }
  TrackLoop();
  loopOn_ = false;
  const int position = loopPosition_;
  loopPosition_ = 0;
  if (position == 0) {
    Log(1, "ev", QStringLiteral("injection none (empty loop)"));
    return;
  }
  const double now = Now();
  for (int i = 0; i < convCount_; ++i) {
    Converter &c = conv_[i];
    double rate = 0;
    const double ppm = PpmAt(c.number, position, loopFill_, &rate);
    const double area = c.det->cal_area * ppm / c.det->cal_ppm;
    c.peaks.push_back({SignalTime(c), area});
    Log(c.number, "ev",
        QStringLiteral("injection position=%1 ppm=%2 area=%3").arg(position).arg(Num(ppm, 3), Num(area, 1)));
    Truth(QStringLiteral("{\"t\":%1,\"port\":%2,\"position\":%3,\"ppm\":%4,\"rate\":%5,\"area\":%6}")
              .arg(Num(now, 3))
              .arg(c.number)
              .arg(position)
              .arg(Num(ppm, 4), Num(rate, 6), Num(area, 1)));
  }
}

void Simulator::ScheduleCrossings() {
  const int generation = ++runGeneration_;
  for (int conv = 1; conv <= convCount_; ++conv) {
    for (int cell = 0; cell < 3; ++cell) {
      const CurveParams &curve =
          conv == 1 ? sc_.cells[static_cast<size_t>(cell)] : sc_.fpd_cells[static_cast<size_t>(cell)];
      for (double limit : {0.1, 1.0}) {
        const auto t = CrossingTime(curve, limit);
        if (!t) continue;
        events_.At(Clock::Steady() + std::clamp(*t, 0.0, 2e6), [this, generation, conv, cell, limit, tRun = *t] {
          if (generation != runGeneration_) return;  // a newer run start replaced this one
          crossings_.push_back({conv, cell + 1, limit, tRun, generation});
          Log(conv, "ev",
              QStringLiteral("breakthrough cell=%1 limit=%2 t_run=%3")
                  .arg(cell + 1)
                  .arg(limit)
                  .arg(Num(tRun, 3)));
          Truth(QStringLiteral("{\"cell\":%1,\"limit\":%2,\"t_run\":%3,\"port\":%4}")
                    .arg(cell + 1)
                    .arg(Num(limit, 1), Num(tRun, 3))
                    .arg(conv));
        });
      }
    }
  }
}

// ---------------------------------------------------------------------------------------
// Data streams

double Simulator::SignalTime(const Converter &c) const {
  if (c.streaming) return c.tau0 + 0.1 * (Now() - c.streamStart) * opt_.rate;
  return c.tauBase + (Now() - c.realBase);
}

void Simulator::ProtocolFault(Converter &c, int kind, const QString &text) {
  const int n = ++protocolFaults_[static_cast<size_t>(kind)];
  Log(c.number, "ev", text);
  Truth(QStringLiteral("{\"t\":%1,\"port\":%2,\"fault\":\"%3\",\"count\":%4}")
            .arg(Num(Now(), 3))
            .arg(c.number)
            .arg(QLatin1String(kProtocolFaultNames[kind]))
            .arg(n));
}

void Simulator::StartStream(Converter &c) {
  if (c.prepared == 0)
    ProtocolFault(c, kStreamUnprepared,
                  QStringLiteral("stream start unprepared: no <12B1100 then <12W1100 since the last stop"));
  else if (c.prepared == 1)
    ProtocolFault(c, kStreamUnprepared,
                  QStringLiteral("stream start unprepared: no <12W1100 after the <12B1100"));
  if (c.number == 1 && loopOn_)
    ProtocolFault(c, kStreamLoopOn, QStringLiteral("stream start while the loop is on (no <D0 before it)"));
  c.stopsIgnored = 0;
  if (c.ending) {
    c.ending = false;
    StopTimer(c.endTimer);
    Log(c.number, "ev", QStringLiteral("pending stream end cancelled"));
  }
  Log(c.number, "ev", c.streaming ? QStringLiteral("stream restart") : QStringLiteral("stream start"));
  c.tau0 = SignalTime(c);
  c.streaming = true;
  c.streamStart = Now();
  c.emitted = 0;
  StartPace(c);
  EmitDue(c);  // the "[" line at once
}

void Simulator::StopCommand(Converter &c) {
  if (!c.streaming) return;
  const DetectorParams &d = *c.det;
  if (c.ending) {
    Log(c.number, "ev", QStringLiteral("stop while the stream is ending"));
    return;
  }
  if (c.stopsIgnored < d.ignore_stops) {
    ++c.stopsIgnored;
    Log(c.number, "ev",
        QStringLiteral("stop ignored (%1 of ignore_stops=%2)").arg(c.stopsIgnored).arg(d.ignore_stops));
    return;
  }
  if (d.stop_delay == kNever) {
    Log(c.number, "ev", QStringLiteral("stop ignored (stop_delay=never)"));
    return;
  }
  if (d.stop_delay > 0) {
    c.ending = true;
    StopTimer(c.endTimer);
    c.endTimer = events_.At(Clock::Steady() + std::min(d.stop_delay, 2e6), [this, &c] {
      c.endTimer = 0;
      EndStream(c);
    });
    Log(c.number, "ev", QStringLiteral("stream ends in %1 s (stop_delay)").arg(d.stop_delay));
    return;
  }
  EndStream(c);
}

void Simulator::EndStream(Converter &c) {
  c.ending = false;
  StopTimer(c.endTimer);
  if (!c.streaming) return;
  EmitDue(c);
  QByteArray batch;
  AppendLine(c, batch, static_cast<int>(DataMarker::Close));
  if (!batch.isEmpty() && c.port->IsOpen()) c.port->Send(batch, true);
  c.streaming = false;
  StopTimer(c.pace);
  c.tauBase = c.tau0 + 0.1 * static_cast<double>(c.emitted);
  c.realBase = Now();
  Log(c.number, "ev", QStringLiteral("stream end lines=%1").arg(c.emitted));
}

void Simulator::EmitDue(Converter &c) {
  if (!c.streaming) return;
  // A line due at exactly this moment counts as due whatever the rounding of the clock's
  // reading, so the same run gives the same batches.
  const auto due = static_cast<qint64>((Now() - c.streamStart) * opt_.rate + 1e-6) + 1;
  const qint64 n = std::min(due - c.emitted, kMaxBatch);
  if (n <= 0) return;
  if (c.port->Backlog() > Wire::kOutputCap) {
    // The program is not taking what it gets: these samples are lost on the wire.
    c.port->CountDropped(n * 9);
    c.emitted += n;
    return;
  }
  QByteArray batch;
  batch.reserve(static_cast<qsizetype>(n * 9 + 16));
  for (qint64 i = 0; i < n; ++i)
    AppendLine(c, batch, static_cast<int>(c.emitted == 0 ? DataMarker::Open : DataMarker::Reading));
  if (!batch.isEmpty() && c.port->IsOpen()) c.port->Send(batch, true);
}

void Simulator::AppendLine(Converter &c, QByteArray &batch, int marker) {
  const auto m = static_cast<DataMarker>(marker);
  if (c.malformedPending && m == DataMarker::Reading) {
    c.malformedPending = false;
    // An extra line on the wire: a reading whose first digit is not hexadecimal. It takes no
    // sample number, so a reader that skips it keeps the true sample count.
    const QByteArray bad =
        "/X1G" +
        QByteArray::number(std::abs(Reading(c, c.tau0)) % 0x10000, 16).toUpper().rightJustified(4, '0');
    batch += bad + '\r';
    Log(c.number, "ev", QStringLiteral("malformed ") + QString::fromLatin1(bad));
  }
  const double tau = c.tau0 + 0.1 * static_cast<double>(c.emitted);
  ++c.emitted;
  const QByteArray line = proto::FormDataLine(m, Reading(c, tau)).toLatin1();
  if (c.dropNext) {
    c.dropNext = false;
    Log(c.number, "ev", QStringLiteral("drop ") + QString::fromLatin1(line));
    return;
  }
  batch += line;
  batch += '\r';
}

int Simulator::Reading(Converter &c, double tau) {
  const DetectorParams &d = *c.det;
  double v = d.baseline + Wander(d.wander, d.wander_period, tau);
  if (d.noise > 0) {
    std::normal_distribution<double> n(0.0, d.noise);
    v += n(rng_);
  }
  // Peaks long past are dropped; the horizon covers the tail to well below 1 uV.
  const double horizon = d.apex + 12 * d.sigma + 40 * d.tail + 5;
  std::erase_if(c.peaks, [&](const Injection &p) { return tau - p.tau > horizon; });
  for (const Injection &p : c.peaks) v += p.area * 0.1 * c.shape->Density(tau - p.tau);
  return static_cast<int>(std::lround(v));
}

// ---------------------------------------------------------------------------------------
// Faults and standard input

void Simulator::ScheduleFault(int kind) {
  const double perMin = kind == kGarbage     ? sc_.garbage_per_min
                        : kind == kMalformed ? sc_.malformed_per_min
                                             : sc_.drop_per_min;
  if (perMin <= 0) return;
  std::exponential_distribution<double> wait(perMin / 60.0);
  events_.At(Clock::Steady() + std::min(wait(rng_), 2e6), [this, kind] {
    Converter &c = conv_[0];
    if (kind == kGarbage) {
      StdinCommand(QStringLiteral("garbage %1").arg(std::uniform_int_distribution<int>(1, 32)(rng_)));
    } else if (kind == kMalformed) {
      if (c.streaming) c.malformedPending = true;
    } else {
      c.dropNext = true;
    }
    ScheduleFault(kind);
  });
}

Simulator::Converter *Simulator::ByNumber(int n) {
  return n >= 1 && n <= convCount_ ? &conv_[static_cast<size_t>(n - 1)] : nullptr;
}

std::vector<Simulator::Converter *> Simulator::Selected(const QString &arg) {
  std::vector<Converter *> out;
  if (arg.isEmpty()) {
    for (int i = 0; i < convCount_; ++i) out.push_back(&conv_[static_cast<size_t>(i)]);
  } else if (Converter *c = ByNumber(arg.toInt())) {
    out.push_back(c);
  }
  return out;
}

void Simulator::StdinCommand(const QString &input) {
  const QStringList w = input.simplified().split(u' ', Qt::SkipEmptyParts);
  if (w.isEmpty()) return;
  const QString cmd = w[0].toLower();
  const QString arg = w.size() > 1 ? w[1] : QString();
  Converter &c1 = conv_[0];
  bool ok = true;
  if (cmd == u"qs") {
    const QString line = proto::FormReply(Reply::StartRequest);
    if (SendUnsolicited(c1, Cp1252Encode(line) + '\r', line)) Log(1, "ev", QStringLiteral("qs ") + line);
  } else if (cmd == u"lamp") {
    const int v = arg.size() == 2 ? arg.toInt(&ok, 16) : -1;
    if (!ok || v < 0) {
      Log(1, "ev", QStringLiteral("stdin: lamp needs two hexadecimal digits"));
      return;
    }
    lamp_ = v;
    const QString line = proto::FormReply(Reply::LampByte, v);
    if (SendUnsolicited(c1, Cp1252Encode(line) + '\r', line)) Log(1, "ev", QStringLiteral("lamp ") + line);
  } else if (cmd == u"garbage") {
    const int n = std::clamp(arg.toInt(&ok), 0, 1 << 20);
    QByteArray bytes(n, '\0');
    std::uniform_int_distribution<int> byte(0, 255);
    for (char &b : bytes) b = static_cast<char>(byte(rng_));
    if (SendUnsolicited(c1, bytes, QStringLiteral("garbage")))
      Log(1, "ev", QStringLiteral("garbage %1 bytes").arg(n));
  } else if (cmd == u"send") {
    // A line of the operator's choice on port 1, for replies the instrument should not give.
    const QString line = input.trimmed().mid(4).trimmed();
    if (SendUnsolicited(c1, Cp1252Encode(line) + '\r', line)) Log(1, "ev", QStringLiteral("send ") + line);
  } else if (cmd == u"flood") {
    // N digits without a line end: an overlong line that the next CR ends.
    const int n = std::clamp(arg.toInt(&ok), 0, 1 << 20);
    if (SendUnsolicited(c1, QByteArray(n, '5'), QStringLiteral("flood")))
      Log(1, "ev", QStringLiteral("flood %1 bytes").arg(n));
  } else if (cmd == u"stall") {
    const double s = arg.toDouble(&ok);
    stallUntil_ = Now() + (ok ? s : 0.0);
    Log(1, "ev", QStringLiteral("stall %1 s").arg(ok ? s : 0.0));
  } else if (cmd == u"malformed") {
    for (Converter *c : Selected(arg.isEmpty() ? QStringLiteral("1") : arg)) c->malformedPending = true;
    Log(1, "ev", QStringLiteral("malformed pending"));
  } else if (cmd == u"hangup") {
    for (Converter *c : Selected(arg)) {
      if (!c->port->IsOpen()) continue;
      if (c->streaming) {
        c->tauBase = SignalTime(*c);
        c->realBase = Now();
        c->streaming = false;
        StopTimer(c->pace);
      }
      c->ending = false;
      StopTimer(c->endTimer);
      c->port->Hangup();
      c->commanded = false;
      Log(c->number, "ev", QStringLiteral("hangup"));
    }
  } else if (cmd == u"replug") {
    for (Converter *c : Selected(arg)) {
      if (c->port->IsOpen()) continue;
      QString error;
      if (c->port->Open(error))
        Log(c->number, "ev", QStringLiteral("replug device=%1").arg(c->port->DeviceName()));
      else
        Log(c->number, "ev", QStringLiteral("replug failed: ") + error);
    }
  } else if (cmd == u"drop") {
    // The next line to the program on that port (default 1) is lost on the wire.
    for (Converter *c : Selected(arg.isEmpty() ? QStringLiteral("1") : arg)) c->dropNext = true;
    Log(1, "ev", QStringLiteral("drop pending"));
  } else if (cmd == u"endstream") {
    // Ends a stream now, whatever stop_delay or ignore_stops say.
    for (Converter *c : Selected(arg))
      if (c->streaming) {
        Log(c->number, "ev", QStringLiteral("endstream"));
        EndStream(*c);
      }
  } else if (cmd == u"quit") {
    Log(1, "ev", QStringLiteral("quit"));
    emit quitRequested();
  } else {
    Log(1, "ev", QStringLiteral("stdin: unknown command ") + input.trimmed());
  }
}

}  // namespace zelvo::sim
