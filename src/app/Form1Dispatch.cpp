// The tick's instrument traffic: one queued command out, one poll examined, one reply
// applied to the status display, the run time sent to the instrument display.
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "link/ComPort.h"
#include "link/Protocol.h"
#include "link/StatusReplies.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using namespace zelvo;

void TForm1::SendStep() {
  if (CommandQueue.empty()) return;
  MaxCmdStack = std::max(MaxCmdStack, static_cast<int>(CommandQueue.size()));
  // A command leaves the queue only once it is written: one that failed (for example the
  // closing of a valve bank at the end of a run, with the adapter pulled) waits at the head
  // and goes out when the port is open again. A closed port that was reported is not tried.
  if (ComPort1 && !ComPort1->Active() && ClosedPortReported.contains(ComPort1)) return;
  if (SendLine(ComPort1, CommandQueue.front())) CommandQueue.pop_front();
}

void TForm1::PollListStep() {
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

void TForm1::RunTimeStep() {
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

void TForm1::ReplyStep() {
  const QString s = TakeReply(true);
  if (Heating.Answer(s)) return;  // the answer to a heating set point
  const proto::ParsedReply reply = proto::ParseReply(s);
  if (reply.kind == proto::Reply::Unrecognised) return;
  // Data characters missing or not digits: nothing changes.
  if (reply.malformed) {
    if (DebugLevel > 0)
      DiagLog.Send(TimeText(Clock::Now()) + QStringLiteral(" malformed reply ignored: ") + s);
    return;
  }
  if (LinkState.ReplyArrived())
    ShowLinkBack();
  else if (LinkState.ShownLost())
    return;  // taken from the port before it was lost: not shown as live
  ApplyReply(reply);
}

// The labels that show a reported value, each with its reply form.
std::vector<std::pair<proto::Reply, TLabel *>> TForm1::StatusLabels() const {
  using proto::Reply;
  return {{Reply::ChamberTemperature, lblMesskammer}, {Reply::ValveBlockTemperature, lblVentilblock},
          {Reply::EmissionTemperature, lblEmmision},  {Reply::TransferTemperature, lblTransfer},
          {Reply::HighVoltage, lblHVoltage},          {Reply::FpdAir, lblFPDAir},
          {Reply::FpdH2, lblFPDH2}};
}

// Every status label from the held values (placeholders until the first report).
void TForm1::ShowStatusLabels() {
  for (const auto &[kind, label] : StatusLabels()) label->setText(Status.Text(kind, ID));
}

// Acts on one recognised status reply with valid data.
void TForm1::ApplyReply(const proto::ParsedReply &reply) {
  using proto::Reply;
  Status.Take(reply);
  const QString text = Status.Text(reply.kind, ID);
  for (const auto &[kind, label] : StatusLabels())
    if (kind == reply.kind) label->setText(text);
  // A pressure field the operator is editing keeps the operator's text.
  auto showPressure = [&](QLineEdit *edit) {
    if (!edit->hasFocus()) edit->setText(text);
  };
  // clang-format off
  switch (reply.kind) {
    case Reply::ConverterStatus: intAD1Status = *reply.value; break;
    case Reply::AirPressure: showPressure(edAir); break;
    case Reply::CarrierPressure: showPressure(edCarrier); break;
    case Reply::H2Pressure: showPressure(edH2); break;
    case Reply::InstrumentState: FollowLoopState(static_cast<std::uint8_t>(*reply.value)); break;
    case Reply::Flow:
      sFlowVal = text;
      lblFlowVal->setText(sFlowVal);
      lblFlowValTab1->setText(sFlowVal);
      break;
    case Reply::FlowRefresh: lblFlowValTab1->setText(sFlowVal); break;
    case Reply::LampByte: LampByte = static_cast<std::uint8_t>(*reply.value); break;  // nothing is sent
    case Reply::HeatingPort: HeatingReport(static_cast<std::uint8_t>(*reply.value)); break;
    case Reply::StartRequest: InstrumentStartRequest(); break;  // ignored during a run
    case Reply::ValveBank1: DispV1State(); break;  // the held byte is drawn, not the reply's
    case Reply::ValveBank2: DispV2State(); break;
    default: break;
  }
  // clang-format on
}

// The loop lamp and its lamp bit follow the loop state the instrument reports.
void TForm1::FollowLoopState(std::uint8_t b) {
  const auto update = FollowInstrumentState(InstrumentStateByte, b, LampByte);
  if (!update) return;
  InstrumentStateByte = b;
  LampByte = update->lampByte;
  ledLoop->SetLedOn(update->loopOn);
  FifoPutString(update->command);
}

// The instrument reported a new heating port byte: both heatings follow it (each one's set
// point first, then its switch), then the port is written back. The steps run from the tick
// without waiting for the instrument; a report that arrives while they are under way is
// taken at the next poll, since the held byte still differs then.
void TForm1::HeatingReport(std::uint8_t b) {
  if (Heating.Busy()) return;
  const auto update = FollowHeatingPort(HeatingStateByte, b);
  if (!update) return;
  HeatingStateByte = b;
  Heating.Begin(*update);
  HeatingStep();
}

void TForm1::HeatingStep() {
  using Step = zelvo::HeatingSequence::Step;
  const double now = Clock::Steady();
  while (const auto step = Heating.Due(now)) {
    if (Heating.TimedOut() && DebugLevel > 0)
      DiagLog.Send(TimeText(Clock::Now()) + QStringLiteral(" heating set point not answered"));
    QPushButton *toggle = step->setpoint == SetpointId::Messkammer ? btnMesskammerAn : btnVentilblockAn;
    switch (step->kind) {
      case Step::SendSetpoint:
        toggle->setChecked(step->on);
        if (HeatingSetpointSend(step->setpoint)) Heating.Sent(now);
        break;
      case Step::QueueSwitch:
        SetToggle(toggle, step->on, false);
        FifoPutString(step->command);
        break;
      case Step::QueuePort: FifoPutString(step->command); break;
    }
  }
}
