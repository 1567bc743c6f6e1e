// The session's settings, set points and link: ports, line reception, queues, the status
// polls and the replies, the heating report, reconnection.
#include "session/Session.h"

#include <errno.h>

#include <QCoreApplication>
#include <algorithm>

#include "core/Clock.h"
#include "core/Cp1252.h"
#include "core/Errors.h"
#include "core/NumberText.h"
#include <stdexcept>
#include "core/Language.h"
#include "core/Settings.h"
#include "link/ComPort.h"

namespace zelvo {

int &TSetpointValues::Of(SetpointId id) {
  // clang-format off
  switch (id) {
    case SetpointId::Ventilblock: return TempVentilblock;
    case SetpointId::Messkammer: return TempMesskammer;
    case SetpointId::Emmision: return TempEmissionskammer;
    case SetpointId::Transfer: return TempTransferline;
    case SetpointId::HVoltage: return Hochspannung;
    case SetpointId::FPDAir: return AirFPD;
    case SetpointId::FPDH2: return H2FPD;
    case SetpointId::H2: return iH2Set;
    case SetpointId::Air: return iAirSet;
    case SetpointId::Carrier: return iCarrierSet;
  }
  // clang-format on
  return iCarrierSet;
}

TSession::TSession(QObject *parent) : QObject(parent) { CreatePorts(); }

TSession::~TSession() = default;

void TSession::CreatePorts() {
  const auto create = [this](const char *name) {
    auto *port = new TComPort(this);
    port->setObjectName(QString::fromLatin1(name));
    return port;
  };
  UsePorts(create("ComPort1"), create("ComPort2"));
}

void TSession::UsePorts(TSerialPort *port1, TSerialPort *port2) {
  const auto wire = [this](TSerialPort *port, TLineReceiver &lines) {
    port->OnRxChar = [this, port, &lines] { ReceiveLines(port, lines); };
    port->OnError = [this, port](const EComError &e) { PortError(port, e); };
  };
  if (port1) wire(ComPort1 = port1, LineBuffer1);
  if (port2) wire(ComPort2 = port2, LineBuffer2);
}

// ---------------------------------------------------------------------------------------
// Settings

QString TSession::ProgramDir() const {
  return ProgramDirOverride.isEmpty() ? QCoreApplication::applicationDirPath() : ProgramDirOverride;
}

QString TSession::SettingsFile() const { return ProgramDir() + QStringLiteral("/Zelvo730.ini"); }

TIniFile TSession::Settings() const {
  TIniFile ini(SettingsFile());
  ini.SetWriteReport([this](const QString &error) { SettingsWriteReport(error); });
  return ini;
}

void TSession::SettingsWriteReport(const QString &error) const {
  auto *self = const_cast<TSession *>(this);
  if (error.isEmpty()) {
    if (SettingsWriteFailureShown) {
      SettingsWriteFailureShown = false;
      Log(QStringLiteral("The settings file is written again."));
    }
    return;
  }
  const QString text = GetLangString(ID, kTextSettingsNotSaved).arg(error);
  emit self->StatusBarText(text);
  Log(text);
  if (SettingsWriteFailureShown) return;
  SettingsWriteFailureShown = true;
  emit self->Notice(QString(), text);
}

void TSession::Log(const QString &text) const { DiagLog.Send(TimeText(Clock::Now()) + QLatin1Char(' ') + text); }

void TSession::LogLine(const QString &line) const { DiagLog.Send(TimeText(Clock::Now()) + line); }

// A float that does not convert takes its default; the problem is reported once the
// start-up is through, instead of leaving a window that looks alive and does nothing.
double TSession::ReadSettingFloat(const QString &section, const QString &key, double def) {
  try {
    return Settings().ReadFloat(section, key, def);
  } catch (const EConvertError &e) {
    SettingsProblems << e.Message() + QStringLiteral(" (") + FloatToStr(def) + QStringLiteral(" used)");
    return def;
  }
}

double TSession::ReadSettingFloat(const QString &section, const QString &key) {
  const TSettingKey *k = FindSettingKey(section, key);
  if (!k || k->Type != TSettingType::Float)
    throw std::invalid_argument(("no float settings key [" + section + "] " + key).toStdString());
  return ReadSettingFloat(section, key, k->DefaultFloat());
}

// ---------------------------------------------------------------------------------------
// Set points

void TSession::SetpointApply(SetpointId id, int value) {
  const ClampResult r = ClampSetpoint(id, value);
  if (r.outOfRange) emit InformationBox(SetpointRangeMessage(id, ID));
  emit SetpointShown(id, r.value);
  SetpointKeep(id, r.value);
  const QString cmd = SetpointCommand(id, r.value);
  if (SetpointOf(id).queued)
    FifoPutString(cmd);
  else
    SendAndWait(ComPort1, cmd);
}

bool TSession::HeatingSetpointSend(SetpointId id) {
  const ClampResult r = ClampSetpoint(id, Setpoints.Of(id));
  const unsigned bit = 1u << static_cast<int>(id);
  if (r.outOfRange) {
    const QString text = SetpointRangeMessage(id, ID);
    emit StatusBarText(text);
    Log(text);
    if (!(HeatingRangeShown & bit)) emit Notice(QString(), text);
    HeatingRangeShown |= bit;
  } else {
    HeatingRangeShown &= ~bit;  // the episode is over once the value is in range
  }
  emit SetpointShown(id, r.value);
  SetpointKeep(id, r.value);
  return SendLine(ComPort1, SetpointCommand(id, r.value));
}

void TSession::SetpointKeep(SetpointId id, int value) {
  Setpoints.Of(id) = value;
  TIniFile ini = Settings();
  WriteSettingInteger(ini, QStringLiteral("Preferences"), QString::fromLatin1(SetpointOf(id).key), value);
}

// ---------------------------------------------------------------------------------------
// Ports

// Everything the port holds goes through the line cutter. A few rounds at most per event,
// so a flooded port cannot starve the tick; what is left wakes the next event.
void TSession::ReceiveLines(TSerialPort *port, TLineReceiver &lines) {
  for (int round = 0; round < 8 && port->Active() && port->InputCount() > 0; ++round) {
    const auto result = lines.Feed(port->ReadAvailable());
    for (const QString &notice : result.Dropped) {
      qWarning("%s: %s", qPrintable(port->DeviceName()), qPrintable(notice));
      if (DebugLevel > 0) LogLine(notice);
    }
  }
}

bool TSession::OpenPort(TSerialPort *port) {
  if (!port) return false;
  const QString name = port->DeviceName();
  if (!port->DeviceExists()) {
    // Texts 27 and 28 are German whatever the language.
    emit ErrorBox(name, GetLangString(kGermanOffset, kTextPortMissing));
    return false;
  }
  try {
    ConfigurePort(port);
    port->Open();
  } catch (const EComError &e) {
    // The reason goes on a line of its own: "in use", or which group the user must join.
    emit ErrorBox(QStringLiteral("Fehler"),
                  GetLangString(kGermanOffset, kTextPortNotOpened) + name + QLatin1Char('\n') + e.Message());
    emit ProgramEndRequested();
  }
  if (port->Active()) {
    PortReconnect[port == ComPort2 ? 1 : 0].Done();
    ClosedPortReported.remove(port);
    WriteFailureReported.remove(port);
    // A partial line from an earlier connection must not prefix the first new one.
    (port == ComPort1 ? LineBuffer1 : LineBuffer2).Clear();
  }
  return port->Active();
}

void TSession::ConfigurePort(TSerialPort *port) {
  TLineSettings line;
  line.BaudRate = br115200;
  line.DataBits = db8;
  line.StopBits = sb2;
  line.Parity = paNone;
  line.FlowControl = {dcDisable, rcDisable};
  line.Timeouts.ReadConstant = 100;    // ms
  line.Timeouts.ReadMultiplier = 100;  // ms per requested byte
  port->Configure(line);
}

bool TSession::SendLine(TSerialPort *port, const QString &text) {
  if (DebugLevel > 0) LogLine(text);
  try {
    if (!port) throw EComError(QStringLiteral("Can't perform this operation on a closed port"));
    port->WriteAnsiString(Cp1252Encode(text));
    port->WaitForWriteCompletion();
    WriteFailureReported.remove(port);
    return true;
  } catch (const EComError &e) {
    const int code = e.ErrorCode();
    if (port && port->Active() && (code == EIO || code == ENXIO || code == ENODEV || code == EPIPE)) {
      // The device is gone (the write noticed it before the receive event did): the same
      // as a hang-up, told once, and the port waits for the device to come back.
      port->Close();
      PortError(port, e);
      return false;
    }
    // Told once until the port is open again (closed) or writes again (open): the tick
    // writes ten times a second, and a box for every line would bury the window.
    QSet<const TSerialPort *> &reported = (!port || !port->Active()) ? ClosedPortReported : WriteFailureReported;
    if (reported.contains(port)) {
      if (DebugLevel > 0) Log(QStringLiteral("not sent: ") + e.Message());
      return false;
    }
    reported.insert(port);
    const QString name = port ? port->DeviceName() : QStringLiteral("-");
    emit StatusBarText(name + QStringLiteral(": ") + e.Message());
    Log(name + QStringLiteral(": not sent: ") + e.Message());
    emit Notice(port ? port->DeviceName() : QCoreApplication::applicationName(), e.Message());
    return false;
  }
}

bool TSession::PortLost(const TSerialPort *port) const {
  if (!port) return false;
  return PortReconnect[port == ComPort2 ? 1 : 0].Pending() && !port->Active();
}

void TSession::PortError(TSerialPort *port, const EComError &error) {
  const QString name = port->DeviceName();
  if (port->Active()) {  // a receive handler failed; the port goes on
    Log(name + QStringLiteral(": ") + error.Message());
    emit Notice(name, error.Message());
    return;
  }
  // The device hung up and the port is closed: nothing is read or written on it until it
  // is opened again, so nothing can report again meanwhile.
  ClosedPortReported.insert(port);
  // Both converters gone at once (the instrument switched off) is one loss for the operator.
  const bool otherLost = PortLost(port == ComPort1 ? ComPort2 : ComPort1);
  PortReconnect[port == ComPort2 ? 1 : 0].Lost(Clock::Steady());
  const QString lostText = GetLangString(ID, kTextLinkLost);
  QString text = error.Message() + QLatin1Char('\n') + lostText;
  // The signal of the position in progress is cut short: it is not evaluated; every line
  // evaluated so far is in the result file (or held until it can be written).
  if (EndRun(GetLangString(ID, kTextRunEndsLinkLost).arg(name))) text += QLatin1Char('\n') + GetLangString(ID, kTextRunEndedKept);
  const QString lost = QStringLiteral("%1: %2. ").arg(name, error.Message()) + lostText;
  emit StatusBarText(lost);
  emit StatusBarTip(lost);
  LinkLostShown();
  Log(lost);
  if (!otherLost) emit Notice(name, text);
}

// An attempt to open a lost port when one is due: quietly (the loss was told), with waits
// of 1, 2, 4 ... up to 30 s between attempts.
void TSession::ReconnectStep() {
  const double now = Clock::Steady();
  for (int i = 0; i < 2; ++i) {
    TSerialPort *port = i == 0 ? ComPort1 : ComPort2;
    TReconnect &r = PortReconnect[static_cast<std::size_t>(i)];
    if (!port || !r.Due(now)) continue;
    if (port->Active()) {
      r.Done();
      continue;
    }
    QString why = QStringLiteral("no device");
    if (port->DeviceExists()) {
      try {
        ConfigurePort(port);
        port->Open();
      } catch (const EComError &e) {
        why = e.Message();
      }
    }
    if (!port->Active()) {
      r.Failed(now);
      if (DebugLevel > 0)
        Log(QStringLiteral("%1: not opened (%2); next attempt in %3 s").arg(port->DeviceName(), why).arg(r.Delay()));
      continue;
    }
    r.Done();
    ++ReconnectCount;
    ClosedPortReported.remove(port);
    WriteFailureReported.remove(port);
    // A partial line from before the loss must not prefix the first new one.
    (port == ComPort1 ? LineBuffer1 : LineBuffer2).Clear();
    const QString back = GetLangString(ID, kTextLinkBack).arg(port->DeviceName());
    emit StatusBarText(back);
    emit StatusBarTip(back);
    if (!PortLost(ComPort1) && !PortLost(ComPort2)) LinkState.PortsBack();
    Log(back);
  }
}

// The reported values are forgotten: the displays (and a result file's header written
// meanwhile) show the placeholders until the instrument reports again.
void TSession::LinkLostShown() {
  if (!LinkState.Lost(Clock::Now())) return;
  Status.Clear();
  emit StatusCleared();
  sFlowVal = QStringLiteral("---");
  emit FlowShown(sFlowVal, true);
  emit LinkLost(LinkState.SinceText());
}

QString TSession::TakeReply(bool echo) {
  if (ReplyQueue.empty()) return {};
  QString line = std::move(ReplyQueue.front());
  ReplyQueue.pop_front();
  if (DebugLevel > 0) LogLine(line);
  if (echo) emit ReplyEchoed(line);
  return line;
}

QString TSession::SendAndWait(TSerialPort *port, const QString &command) {
  if (!SendLine(port, command)) return {};  // nothing went out: no reply to wait for
  // Steady time: a wall clock set back or forward meanwhile changes nothing.
  const TSteadySeconds start = Clock::Steady();
  for (;;) {
    QString reply = TakeReply(true);
    if (!reply.isEmpty()) return reply;
    // Blocks in the event loop (receive events fill ReplyQueue) instead of spinning.
    Clock::WaitProcessingEvents(20);
    if (Clock::Steady() - start > kReplyWaitSeconds) return {};
  }
}

void TSession::FifoPutString(const QString &S) { CommandQueue.push_back(S); }

void TSession::ServiceCommand(const QString &command) {
  FifoPutString((command.isEmpty() ? QStringLiteral("<12AS100") : command) + QLatin1Char('\r'));
  TakeReply(true);
}

// ---------------------------------------------------------------------------------------
// The tick's traffic

void TSession::SendStep() {
  if (CommandQueue.empty()) return;
  MaxCmdStack = std::max(MaxCmdStack, static_cast<int>(CommandQueue.size()));
  // A command leaves the queue only once it is written: one that failed (for example the
  // closing of a valve bank at the end of a run, with the adapter pulled) waits at the head
  // and goes out when the port is open again. A closed port that was reported is not tried.
  if (ComPort1 && !ComPort1->Active() && ClosedPortReported.contains(ComPort1)) return;
  if (SendLine(ComPort1, CommandQueue.front())) CommandQueue.pop_front();
}

void TSession::PollListStep() {
  // Polls of a closed port would only pile up in the queue and flood the instrument once the
  // port is back; the status display catches up with the next polls then.
  if (PortLost(ComPort1)) return;
  const QString cmd = PollStep(PollList, PollCursor, Clock::Steady());
  // A poll still waiting in the queue is not queued again. With two converters the polls
  // alone come close to the one command a tick can send; copies of unsent polls would make
  // the queue grow for as long as the program runs, and every valve command wait longer.
  if (!cmd.isEmpty() && std::find(CommandQueue.begin(), CommandQueue.end(), cmd) == CommandQueue.end())
    FifoPutString(cmd);
}

void TSession::RunTimeStep() {
  if (!UpdateTime) return;
  const QString cmd = proto::Form(proto::Cmd::X0, sRunTime);
  // The display shows the latest run time: one still waiting is brought up to date instead.
  const QString prefix = proto::Form(proto::Cmd::X0, QString()).chopped(1);
  const auto waiting = std::find_if(CommandQueue.begin(), CommandQueue.end(),
                                    [&](const QString &c) { return c.startsWith(prefix); });
  if (waiting != CommandQueue.end())
    *waiting = cmd;
  else
    FifoPutString(cmd);
  UpdateTime = false;
}

void TSession::ReplyStep() {
  const QString s = TakeReply(true);
  if (Heating.Answer(s)) return;  // the answer to a heating set point
  const proto::ParsedReply reply = proto::ParseReply(s);
  if (reply.kind == proto::Reply::Unrecognised) return;
  // Data characters missing or not digits: nothing changes.
  if (reply.malformed) {
    if (DebugLevel > 0) Log(QStringLiteral("malformed reply ignored: ") + s);
    return;
  }
  if (LinkState.ReplyArrived())
    emit LinkBack();
  else if (LinkState.ShownLost())
    return;  // taken from the port before it was lost: not shown as live
  ApplyReply(reply);
}

// Acts on one recognised status reply with valid data.
void TSession::ApplyReply(const proto::ParsedReply &reply) {
  using proto::Reply;
  Status.Take(reply);
  const QString text = Status.Text(reply.kind, ID);
  // clang-format off
  switch (reply.kind) {
    case Reply::ConverterStatus: intAD1Status = *reply.value; break;
    case Reply::InstrumentState: FollowLoopState(static_cast<std::uint8_t>(*reply.value)); break;
    case Reply::Flow:
      sFlowVal = text;
      emit FlowShown(sFlowVal, true);
      break;
    case Reply::FlowRefresh: emit FlowShown(sFlowVal, false); break;
    case Reply::LampByte: Valves.LampByte = static_cast<std::uint8_t>(*reply.value); break;  // nothing is sent
    case Reply::HeatingPort: HeatingReport(static_cast<std::uint8_t>(*reply.value)); break;
    case Reply::StartRequest: InstrumentStartRequest(); break;  // ignored during a run
    case Reply::ValveBank1: emit ValveBankReported(1); break;  // the held byte is drawn, not the reply's
    case Reply::ValveBank2: emit ValveBankReported(2); break;
    default: emit StatusValue(reply.kind, text); break;
  }
  // clang-format on
}

// The loop lamp and its lamp bit follow the loop state the instrument reports.
void TSession::FollowLoopState(std::uint8_t b) {
  const auto update = FollowInstrumentState(InstrumentStateByte, b, Valves.LampByte);
  if (!update) return;
  InstrumentStateByte = b;
  Valves.LampByte = update->lampByte;
  LoopLampOn = update->loopOn;
  emit LoopLamp(update->loopOn);
  FifoPutString(update->command);
}

// The instrument reported a new heating port byte: both heatings follow it (each one's set
// point first, then its switch), then the port is written back. The steps run from the tick
// without waiting for the instrument; a report that arrives while they are under way is
// taken at the next poll, since the held byte still differs then.
void TSession::HeatingReport(std::uint8_t b) {
  if (Heating.Busy()) return;
  const auto update = FollowHeatingPort(HeatingStateByte, b);
  if (!update) return;
  HeatingStateByte = b;
  Heating.Begin(*update);
  HeatingStep();
}

void TSession::HeatingStep() {
  using Step = HeatingSequence::Step;
  const double now = Clock::Steady();
  while (const auto step = Heating.Due(now)) {
    if (Heating.TimedOut() && DebugLevel > 0) Log(QStringLiteral("heating set point not answered"));
    switch (step->kind) {
      case Step::SendSetpoint:
        emit HeatingSwitchShown(step->setpoint, step->on, false);
        if (HeatingSetpointSend(step->setpoint)) Heating.Sent(now);
        break;
      case Step::QueueSwitch:
        emit HeatingSwitchShown(step->setpoint, step->on, true);
        FifoPutString(step->command);
        break;
      case Step::QueuePort: FifoPutString(step->command); break;
    }
  }
}

}  // namespace zelvo
