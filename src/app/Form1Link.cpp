// The main window's side of the instrument link: ports, line reception, queues, the
// request/reply wait and the service console.
#include <errno.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/Cp1252.h"
#include "core/Language.h"
#include "link/ComPort.h"
#include "ui/Dialogs.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using zelvo::Clock;
using zelvo::Dialogs;

namespace {

// A port error, shown with the port's name as the title in a box beside the window: most
// come from the tick, which a box waiting for the operator would stop.
void ShowPortError(TForm1 *form, const TComPort *port, const QString &text) {
  Dialogs::Notice(form, port ? port->DeviceName() : QCoreApplication::applicationName(), text);
}

// The time of day immediately followed by the line. The log file is the one DiagLog was
// given (the start-up sets it beside the settings file; by default the executable's folder).
void Log(const TForm1 &form, const QString &line) { form.DiagLog.Send(zelvo::TimeText(Clock::Now()) + line); }

// Everything the port holds goes through the line cutter. A few rounds at most per event,
// so a flooded port cannot starve the tick; what is left wakes the next event.
void ReceiveLines(TForm1 &form, TComPort *port, zelvo::TLineReceiver &lines) {
  for (int round = 0; round < 8 && port->Active() && port->InputCount() > 0; ++round) {
    const auto result = lines.Feed(port->ReadAvailable());
    for (const QString &notice : result.Dropped) {
      qWarning("%s: %s", qPrintable(port->DeviceName()), qPrintable(notice));
      if (form.DebugLevel > 0) Log(form, notice);
    }
  }
}

}  // namespace

void TForm1::CreateLinkObjects() {
  const auto create = [this](const char *name, void (TForm1::*handler)()) {
    auto *port = new TComPort(this);
    port->setObjectName(QString::fromLatin1(name));
    port->OnRxChar = [this, handler] { (this->*handler)(); };
    port->OnError = [this, port](const EComError &e) { PortError(port, e); };
    return port;
  };
  if (!ComPort1) ComPort1 = create("ComPort1", &TForm1::ComPort1RxChar);
  if (!ComPort2) ComPort2 = create("ComPort2", &TForm1::ComPort2RxChar);
}

bool TForm1::OpenPort(TComPort *port) {
  if (!port) return false;
  const QString name = port->DeviceName();
  if (!TComPort::PortExists(name)) {
    // Texts 27 and 28 are German whatever the language.
    Dialogs::Error(this, name, zelvo::GetLangString(zelvo::kGermanOffset, zelvo::kTextPortMissing));
    return false;
  }
  try {
    ConfigurePort(port);
    port->Open();
  } catch (const EComError &e) {
    // The reason goes on a line of its own: "in use", or which group the user must join.
    Dialogs::Error(this, QStringLiteral("Fehler"),
                   zelvo::GetLangString(zelvo::kGermanOffset, zelvo::kTextPortNotOpened) + name +
                       QLatin1Char('\n') + e.Message());
    RequestTerminate();
  }
  if (port->Active()) {
    PortReconnect[port == ComPort2 ? 1 : 0].Done();
    ClosedPortReported.remove(port);
    WriteFailureReported.remove(port);
    // A partial line from an earlier connection must not prefix the first new one.
    if (port == ComPort1) LineBuffer1.Clear();
    if (port == ComPort2) LineBuffer2.Clear();
  }
  return port->Active();
}

void TForm1::ConfigurePort(TComPort *port) {
  port->SetBaudRate(br115200);
  port->SetDataBits(db8);
  port->SetStopBits(sb2);
  port->SetParity(paNone);
  port->SetFlowControl({dcDisable, rcDisable});
  TTimeouts timeouts;
  timeouts.ReadConstant = 100;    // ms
  timeouts.ReadMultiplier = 100;  // ms per requested byte
  port->SetTimeouts(timeouts);
}

bool TForm1::SendLine(TComPort *port, const QString &text) {
  if (DebugLevel > 0) Log(*this, text);
  try {
    if (!port) throw EComError(QStringLiteral("Can't perform this operation on a closed port"));
    port->WriteAnsiString(zelvo::Cp1252Encode(text));
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
    QSet<const TComPort *> &reported = (!port || !port->Active()) ? ClosedPortReported : WriteFailureReported;
    if (reported.contains(port)) {
      if (DebugLevel > 0) Log(*this, QStringLiteral(" not sent: ") + e.Message());
      return false;
    }
    reported.insert(port);
    const QString name = port ? port->DeviceName() : QStringLiteral("-");
    statusbarRun->SetText(name + QStringLiteral(": ") + e.Message());
    Log(*this, QStringLiteral(" ") + name + QStringLiteral(": not sent: ") + e.Message());
    ShowPortError(this, port, e.Message());
    return false;
  }
}

bool TForm1::PortLost(const TComPort *port) const {
  if (!port) return false;
  return PortReconnect[port == ComPort2 ? 1 : 0].Pending() && !port->Active();
}

void TForm1::PortError(TComPort *port, const EComError &error) {
  const QString name = port->DeviceName();
  if (port->Active()) {  // a receive handler failed; the port goes on
    Log(*this, QStringLiteral(" ") + name + QStringLiteral(": ") + error.Message());
    ShowPortError(this, port, error.Message());
    return;
  }
  // The device hung up and the port is closed: nothing is read or written on it until it
  // is opened again, so nothing can report again meanwhile.
  ClosedPortReported.insert(port);
  // Both converters gone at once (the instrument switched off) is one loss for the operator.
  const bool otherLost = PortLost(port == ComPort1 ? ComPort2 : ComPort1);
  PortReconnect[port == ComPort2 ? 1 : 0].Lost(Clock::Steady());
  const QString lostText = zelvo::GetLangString(ID, zelvo::kTextLinkLost);
  QString text = error.Message() + QLatin1Char('\n') + lostText;
  if (Sequencer.RunGoing() || Sequencer.DelayArmed()) {
    // The signal of the position in progress is cut short: it is not evaluated; every line
    // evaluated so far is in the result file (or held until it can be written).
    Sequencer.Abort(RunInputs(), zelvo::GetLangString(ID, zelvo::kTextRunEndsLinkLost).arg(name));
    ShowRunButtons();
    text += QLatin1Char('\n') + zelvo::GetLangString(ID, zelvo::kTextRunEndedKept);
  }
  const QString lost = QStringLiteral("%1: %2. ").arg(name, error.Message()) + lostText;
  statusbarRun->SetText(lost);
  statusbarRun->setToolTip(lost);
  ShowLinkLost();
  Log(*this, QStringLiteral(" ") + lost);
  if (!otherLost) ShowPortError(this, port, text);
}

// An attempt to open a lost port when one is due: quietly (the loss was told), with waits
// of 1, 2, 4 ... up to 30 s between attempts.
void TForm1::ReconnectStep() {
  const double now = Clock::Steady();
  for (int i = 0; i < 2; ++i) {
    TComPort *port = i == 0 ? ComPort1 : ComPort2;
    zelvo::TReconnect &r = PortReconnect[static_cast<std::size_t>(i)];
    if (!port || !r.Due(now)) continue;
    if (port->Active()) {
      r.Done();
      continue;
    }
    QString why = QStringLiteral("no device");
    if (TComPort::PortExists(port->DeviceName())) {
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
        Log(*this, QStringLiteral(" %1: not opened (%2); next attempt in %3 s")
                       .arg(port->DeviceName(), why)
                       .arg(r.Delay()));
      continue;
    }
    r.Done();
    ++ReconnectCount;
    ClosedPortReported.remove(port);
    WriteFailureReported.remove(port);
    // A partial line from before the loss must not prefix the first new one.
    (port == ComPort1 ? LineBuffer1 : LineBuffer2).Clear();
    const QString back = zelvo::GetLangString(ID, zelvo::kTextLinkBack).arg(port->DeviceName());
    statusbarRun->SetText(back);
    statusbarRun->setToolTip(back);
    if (!PortLost(ComPort1) && !PortLost(ComPort2)) LinkState.PortsBack();
    Log(*this, QStringLiteral(" ") + back);
  }
}

QString TForm1::TakeReply(bool echo) {
  if (ReplyQueue.empty()) return {};
  QString line = std::move(ReplyQueue.front());
  ReplyQueue.pop_front();
  if (DebugLevel > 0) Log(*this, line);
  if (echo) EchoReply(line);
  return line;
}

void TForm1::EchoReply(const QString &text) { LMDMemo1->appendPlainText(text); }

QString TForm1::SendAndWait(TComPort *Sender, const QString &SendMsg) {
  if (!SendLine(Sender, SendMsg)) return {};  // nothing went out: no reply to wait for
  // Steady time: a wall clock set back or forward meanwhile changes nothing.
  const zelvo::TSteadySeconds start = Clock::Steady();
  for (;;) {
    QString reply = TakeReply(true);
    if (!reply.isEmpty()) return reply;
    // Blocks in the event loop (receive events fill ReplyQueue) instead of spinning.
    Clock::WaitProcessingEvents(20);
    if (Clock::Steady() - start > kReplyWaitSeconds) return {};
  }
}

void TForm1::FifoPutString(const QString &S) { CommandQueue.push_back(S); }

void TForm1::ComPort1RxChar() { ReceiveLines(*this, ComPort1, LineBuffer1); }

void TForm1::ComPort2RxChar() { ReceiveLines(*this, ComPort2, LineBuffer2); }

void TForm1::ServiceButtonClick() {
  QString command = LMDEdit1->text();
  if (command.isEmpty()) command = QStringLiteral("<12AS100");
  FifoPutString(command + QLatin1Char('\r'));
  TakeReply(true);
}

void TForm1::LMDMemo1Change() {
  QTextDocument *doc = LMDMemo1->document();
  while (doc->blockCount() > kServiceMemoLines) {
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();  // the first line with its line end
  }
}

// ---------------------------------------------------------------------------------------
// The lost link on the window

// The reported values are forgotten: the displays (and a result file's header written
// meanwhile) show the placeholders until the instrument reports again.
void TForm1::ShowStatusPlaceholders() {
  Status.Clear();
  ShowStatusLabels();
}

void TForm1::ShowLinkLost() {
  if (!LinkState.Lost(Clock::Now())) return;
  ShowStatusPlaceholders();
  sFlowVal = QStringLiteral("---");
  lblFlowVal->setText(sFlowVal);
  lblFlowValTab1->setText(sFlowVal);
  // The lamps that show the instrument's state go dark; the held bytes stay as they are.
  LoopLampAtLoss = ledLoop->LedOn();
  for (int bank : {1, 2})
    for (zelvo::TZLed *led : ValveLamps(bank)) led->SetLedOn(false);
  for (zelvo::TZLed *led : {ledLoop, LedLoopTab1, ledPower}) led->SetLedOn(false);
  lblLinkLost->setText(zelvo::GetLangString(ID, zelvo::kTextLinkLostSince).arg(LinkState.SinceText()));
  lblLinkLost->setToolTip(lblLinkLost->text());
  lblLinkLost->show();
  lblLinkLost->raise();
}

// The first reply after every lost port is open again: the lamps show the held state once
// more; the displays fill with the replies that follow.
void TForm1::ShowLinkBack() {
  DispV1State();
  DispV2State();
  ledLoop->SetLedOn(LoopLampAtLoss);
  LedLoopTab1->SetLedOn(LoopLampAtLoss);
  ledPower->SetLedOn(true);
  lblLinkLost->hide();
}
