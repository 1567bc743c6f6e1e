// The main window's side of the instrument link: ports, line reception, queues, the
// request/reply wait and the service console.
#include <QCoreApplication>
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

using zelvo::Clock;
using zelvo::Dialogs;

namespace {

// A port error no caller could catch (the other side hung up, a receive handler failed):
// shown with the port's name as the title.
void ShowPortError(TForm1 *form, const TComPort *port, const EComError &error) {
  Dialogs::Error(form, port ? port->DeviceName() : QCoreApplication::applicationName(), error.Message());
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
    port->OnError = [this, port](const EComError &e) { ShowPortError(this, port, e); };
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
    port->SetBaudRate(br115200);
    port->SetDataBits(db8);
    port->SetStopBits(sb2);
    port->SetParity(paNone);
    port->SetFlowControl({dcDisable, rcDisable});
    TTimeouts timeouts;
    timeouts.ReadConstant = 100;    // ms
    timeouts.ReadMultiplier = 100;  // ms per requested byte
    port->SetTimeouts(timeouts);
    port->Open();
  } catch (const EComError &e) {
    // The reason goes on a line of its own: "in use", or which group the user must join.
    Dialogs::Error(this, QStringLiteral("Fehler"),
                   zelvo::GetLangString(zelvo::kGermanOffset, zelvo::kTextPortNotOpened) + name +
                       QLatin1Char('\n') + e.Message());
    RequestTerminate();
  }
  if (port->Active()) {
    ClosedPortReported.remove(port);
    // A partial line from an earlier connection must not prefix the first new one.
    if (port == ComPort1) LineBuffer1.Clear();
    if (port == ComPort2) LineBuffer2.Clear();
  }
  return port->Active();
}

void TForm1::SendLine(TComPort *port, const QString &text) {
  if (DebugLevel > 0) Log(*this, text);
  try {
    if (!port) throw EComError(QStringLiteral("Can't perform this operation on a closed port"));
    port->WriteAnsiString(zelvo::Cp1252Encode(text));
    port->WaitForWriteCompletion();
  } catch (const EComError &e) {
    // A closed port is reported once until it is open again: the tick writes ten times a
    // second, and a message box for every line would bury the window.
    if (!port || !port->Active()) {
      if (ClosedPortReported.contains(port)) {
        if (DebugLevel > 0) Log(*this, QStringLiteral(" not sent: ") + e.Message());
        return;
      }
      ClosedPortReported.insert(port);
    }
    ShowPortError(this, port, e);
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
  SendLine(Sender, SendMsg);
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
