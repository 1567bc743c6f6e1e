// The window's side of the instrument link on pseudo-terminal pairs: opening ports, replies
// reaching the queues, the request/reply wait, port errors, the service console, the log.
#include <gtest/gtest.h>
#include <string.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <vector>

#include "WindowTestSupport.h"
#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/Language.h"
#include "link/ComPort.h"
#include "link/Dispatch.h"
#include "link/PtyPair.h"
#include "ui/Dialogs.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using zelvo::Clock;
using zelvo::DialogMessage;

namespace {

class LinkWindow : public WithRecordedMessages {
 protected:
  void SetUp() override {
    WithRecordedMessages::SetUp();
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(pty.Ok());
    form.Session.ProgramDirOverride = dir.path();
    form.Session.DiagLog.SetEchoToStderr(false);
    form.Session.DiagLog.SetFile(zelvo::TDiagLog::FileBeside(QDir(dir.path()).filePath("Zelvo730.ini")));
    ASSERT_NE(form.Session.ComPort1, nullptr);
    ASSERT_NE(form.Session.ComPort2, nullptr);
    form.Session.ComPort1->SetDeviceName(pty.slavePath);
  }
  QStringList Replies() const { return QStringList(form.Session.ReplyQueue.begin(), form.Session.ReplyQueue.end()); }

  QTemporaryDir dir;
  PtyPair pty;
  TForm1 form;
};

TEST_F(LinkWindow, OpenedPortQueuesRepliesAndDataLinesOfEachReceiveEvent) {
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  EXPECT_TRUE(messages.empty());
  ASSERT_TRUE(pty.Write(":SG0113\r\n/A+0001F\r:FA"));
  ASSERT_TRUE(PumpUntil([&] { return form.Session.DataQueue1.size() == 1; }));
  EXPECT_EQ(Replies(), QStringList({":SG0113"}));
  EXPECT_EQ(form.Session.LineBuffer1.Pending(), ":FA");
  ASSERT_TRUE(pty.Write("01\r"));  // the rest of the line in a second receive event
  ASSERT_TRUE(PumpUntil([&] { return form.Session.ReplyQueue.size() == 2; }));
  EXPECT_EQ(Replies(), QStringList({":SG0113", ":FA01"}));
  EXPECT_EQ(form.Session.DataQueue1.front(), "/A+0001F");
  EXPECT_TRUE(form.Session.DataQueue2.empty());
}

TEST_F(LinkWindow, SendAndWaitReturnsTheInstrumentsReply) {
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  // The instrument answers "<FA" with ":FA01".
  QByteArray received;
  QSocketNotifier instrument(pty.master, QSocketNotifier::Read);
  QObject::connect(&instrument, &QSocketNotifier::activated, [&] {
    received += pty.Read(0);
    if (received.endsWith('\r')) pty.Write(":FA01\r\n");
  });
  EXPECT_EQ(form.Session.SendAndWait(form.Session.ComPort1, "<FA\r"), ":FA01");
  EXPECT_EQ(received, "<FA\r");
  EXPECT_TRUE(form.Session.ReplyQueue.empty());
  ASSERT_NE(Child<QPlainTextEdit>(form, "LMDMemo1"), nullptr);
  EXPECT_EQ(Child<QPlainTextEdit>(form, "LMDMemo1")->toPlainText(), ":FA01");
}

TEST_F(LinkWindow, SendAndWaitGivesUpAfterFiveSecondsOfTheClock) {
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  const zelvo::TDateTime start = zelvo::ToDateTime(QDateTime(QDate(2026, 3, 2), QTime(10, 0)));
  Clock::SetManual(start);
  EXPECT_EQ(form.Session.SendAndWait(form.Session.ComPort1, "<SN\r"), "");
  const double waited = zelvo::DaysToSeconds(Clock::Now() - start);
  EXPECT_GT(waited, 5.0);  // not earlier than 5 s
  EXPECT_LT(waited, 5.1);  // and not much later
  EXPECT_EQ(pty.Read(), "<SN\r");
}

TEST_F(LinkWindow, SendAndWaitCountsSteadyTimeWhenTheWallClockJumps) {
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  for (double shift : {-3600.0, 3600.0}) {
    Clock::SetManual(zelvo::ToDateTime(QDateTime(QDate(2026, 10, 25), QTime(2, 30))));
    const zelvo::TSteadySeconds start = Clock::Steady();
    // The wall clock jumps while the request waits (daylight-saving change, time server).
    QTimer::singleShot(0, [shift] { Clock::ShiftWall(shift); });
    EXPECT_EQ(form.Session.SendAndWait(form.Session.ComPort1, "<SN\r"), "");
    const double waited = Clock::Steady() - start;
    EXPECT_GT(waited, 5.0) << shift;
    EXPECT_LT(waited, 5.1) << shift;
    EXPECT_EQ(pty.Read(), "<SN\r");
  }
}

TEST_F(LinkWindow, WriteOnAClosedPortShowsTheComponentsMessage) {
  Clock::SetManual(zelvo::ToDateTime(QDateTime(QDate(2026, 3, 2), QTime(10, 0))));
  ASSERT_FALSE(form.Session.ComPort2->Active());
  form.Session.SendLine(form.Session.ComPort2, "<12Z0100\r");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "Can't perform this operation on a closed port");
  // The request gives the empty text at once (nothing went out to be answered). The message
  // is not repeated: the tick writes on a closed port ten times a second, and a box each
  // time would leave the operator nothing but boxes to click.
  EXPECT_EQ(form.Session.SendAndWait(form.Session.ComPort2, "<SN\r"), "");
  for (int i = 0; i < 20; ++i) form.Session.SendLine(form.Session.ComPort2, "<SG\r");
  EXPECT_EQ(messages.size(), 1u);
  // Once the port has been open again, its next failure is shown again.
  form.Session.ComPort2->SetDeviceName(pty.slavePath);
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort2));
  form.Session.ComPort2->Close();
  form.Session.SendLine(form.Session.ComPort2, "<SG\r");
  EXPECT_EQ(messages.size(), 2u);
}

TEST_F(LinkWindow, MissingPortIsReportedInGermanAndStaysClosed) {
  form.Session.ComPort2->SetDeviceName(dir.filePath("ttyNone"));
  EXPECT_FALSE(form.Session.OpenPort(form.Session.ComPort2));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, dir.filePath("ttyNone"));
  EXPECT_EQ(messages[0].text, zelvo::GetLangString(0, 27));
  EXPECT_EQ(messages[0].text, QString::fromUtf8("Fehler: Schnittstelle nicht verf\u00fcgbar"));
  EXPECT_FALSE(form.TerminateRequested);
}

TEST_F(LinkWindow, PortInUseIsReportedInGermanWithTheReasonAndEndsTheProgram) {
  form.Session.ID = 1000;  // English selected: the message stays German
  TComPort otherProgram;
  otherProgram.SetDeviceName(pty.slavePath);
  otherProgram.Open();
  EXPECT_FALSE(form.Session.OpenPort(form.Session.ComPort1));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "Fehler");
  EXPECT_TRUE(messages[0].text.startsWith(
      QString::fromUtf8("Fehler: Beim \u00f6ffnen dsr seriellen Anschlusses") + pty.slavePath + "\n"))
      << messages[0].text.toStdString();
  EXPECT_TRUE(messages[0].text.contains("in use")) << messages[0].text.toStdString();
  EXPECT_TRUE(form.TerminateRequested);
}

TEST_F(LinkWindow, OtherSideHangingUpMidLineShowsOneErrorAndClosesThePort) {
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  ASSERT_TRUE(pty.Write(":SG01"));
  ASSERT_TRUE(PumpUntil([&] { return form.Session.LineBuffer1.Pending() == ":SG01"; }));
  pty.CloseMaster();
  ASSERT_TRUE(PumpUntil([&] { return !messages.empty(); }));
  // The port was closed before the hang-up was reported, so nothing can report again; what
  // is already queued is delivered here.
  EXPECT_FALSE(form.Session.ComPort1->Active());
  QCoreApplication::processEvents();
  ASSERT_EQ(messages.size(), 1u);
  // Beside the window, not waiting for the operator: a waiting box would stop the tick.
  EXPECT_EQ(messages[0].kind, DialogMessage::Notice);
  EXPECT_TRUE(messages[0].text.startsWith(QString::fromLocal8Bit(strerror(EIO)) + "\n"))
      << messages[0].text.toStdString();
  EXPECT_EQ(messages[0].title, pty.slavePath);
  EXPECT_FALSE(form.Session.ComPort1->Active());
  EXPECT_TRUE(form.Session.ReplyQueue.empty());
  EXPECT_TRUE(form.Session.PortLost(form.Session.ComPort1));
}

// With the adapter pulled, a queued command is not lost: it waits at the head of the queue
// (the operator told once, no polls piling up behind it) and leaves first when the port is
// open again.
TEST_F(LinkWindow, CommandWhoseWriteFailsWaitsAtTheHeadUntilThePortIsBack) {
  form.Session.BuildStatusPolling();
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  pty.CloseMaster();
  ASSERT_TRUE(PumpUntil([&] { return !form.Session.ComPort1->Active(); }));
  QCoreApplication::processEvents();
  ASSERT_EQ(messages.size(), 1u);
  form.Session.FifoPutString("<V1SFF\r");
  form.Session.FifoPutString("<V2SFF\r");
  for (int i = 0; i < 50; ++i) {
    form.Session.SendStep();
    form.Session.PollListStep();
  }
  EXPECT_EQ(QStringList(form.Session.CommandQueue.begin(), form.Session.CommandQueue.end()),
            QStringList({"<V1SFF\r", "<V2SFF\r"}));
  EXPECT_EQ(messages.size(), 1u);

  PtyPair replugged;  // the device back (here under another name)
  ASSERT_TRUE(replugged.Ok());
  form.Session.ComPort1->SetDeviceName(replugged.slavePath);
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  form.Session.SendStep();
  EXPECT_EQ(replugged.Read(), QByteArray("<V1SFF\r"));
  form.Session.SendStep();
  EXPECT_EQ(replugged.Read(), QByteArray("<V2SFF\r"));
  EXPECT_TRUE(form.Session.CommandQueue.empty());
  EXPECT_EQ(messages.size(), 1u);
}

// A pulled adapter: no display looks live (placeholders, the instrument's lamps dark, the
// lost link above the pages with its time) until the port is back and has answered.
TEST_F(LinkWindow, LostLinkIsShownUntilThePortIsBackAndHasAnswered) {
  form.Session.ID = 1000;
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  Child<zelvo::TLabel>(form, "lblMesskammer")->setText("80.0 °C");
  Child<zelvo::TLabel>(form, "lblFlowVal")->setText("100");
  Child<zelvo::TZLed>(form, "ledPower")->SetLedOn(true);
  Child<zelvo::TZLed>(form, "ledLoop")->SetLedOn(true);
  form.Session.ValveSet(11);  // valve 1 of bank 1 open: its byte 0xFE held and drawn
  ASSERT_EQ(form.Session.Valves.ValveByte1, 0xFE);
  ASSERT_TRUE(Child<zelvo::TZLed>(form, "ledV1_0")->LedOn());
  pty.CloseMaster();
  ASSERT_TRUE(PumpUntil([&] { return !form.Session.ComPort1->Active(); }));
  QCoreApplication::processEvents();

  EXPECT_FALSE(Child<QLabel>(form, "lblLinkLost")->isHidden());
  EXPECT_TRUE(
      Child<QLabel>(form, "lblLinkLost")
          ->text()
          .startsWith("Connection to the instrument lost since " + form.Session.LinkState.SinceText()))
      << Child<QLabel>(form, "lblLinkLost")->text().toStdString();
  EXPECT_TRUE(Child<zelvo::TLabel>(form, "lblMesskammer")->text().startsWith("---"));
  EXPECT_EQ(Child<zelvo::TLabel>(form, "lblFlowVal")->text(), "---");
  for (const char *lamp : {"ledPower", "ledLoop", "ledV1_0"})
    EXPECT_FALSE(Child<zelvo::TZLed>(form, lamp)->LedOn()) << lamp;

  // A reply still queued from before the loss changes nothing.
  form.Session.ReplyQueue.push_back(":SG0113");
  form.Session.ReplyStep();
  EXPECT_FALSE(Child<QLabel>(form, "lblLinkLost")->isHidden());
  EXPECT_TRUE(Child<zelvo::TLabel>(form, "lblMesskammer")->text().startsWith("---"));

  PtyPair replugged;
  ASSERT_TRUE(replugged.Ok());
  form.Session.ComPort1->SetDeviceName(replugged.slavePath);
  ASSERT_TRUE(PumpUntil([&] {
    form.Session.ReconnectStep();
    return form.Session.ComPort1->Active();
  }, 5000));
  EXPECT_FALSE(
      Child<QLabel>(form, "lblLinkLost")->isHidden());  // open, but the instrument has said nothing yet
  ASSERT_TRUE(replugged.Write(":SG0113\r\n"));
  ASSERT_TRUE(PumpUntil([&] { return !form.Session.ReplyQueue.empty(); }));
  form.Session.ReplyStep();
  EXPECT_TRUE(Child<QLabel>(form, "lblLinkLost")->isHidden());
  EXPECT_TRUE(Child<zelvo::TZLed>(form, "ledPower")->LedOn());
  EXPECT_TRUE(Child<zelvo::TZLed>(form, "ledLoop")->LedOn());
  EXPECT_TRUE(Child<zelvo::TZLed>(form, "ledV1_0")->LedOn());  // the held valve byte drawn again
}

TEST_F(LinkWindow, ReopenedPortStartsWithAnEmptyLineBuffer) {
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  ASSERT_TRUE(pty.Write(":HALF"));
  ASSERT_TRUE(PumpUntil([&] { return !form.Session.LineBuffer1.Pending().isEmpty(); }));
  form.Session.ComPort1->Close();
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  ASSERT_TRUE(pty.Write(":FA01\r"));
  ASSERT_TRUE(PumpUntil([&] { return !form.Session.ReplyQueue.empty(); }));
  EXPECT_EQ(Replies(), QStringList({":FA01"}));
}

TEST_F(LinkWindow, MemoKeepsTheLatestNineReplies) {
  ASSERT_NE(Child<QPlainTextEdit>(form, "LMDMemo1"), nullptr);  // created and wired by the layout
  QStringList all;
  for (int i = 1; i <= 11; ++i) {
    all << QStringLiteral(":R%1").arg(i);
    form.Session.ReplyQueue.push_back(all.back());
  }
  for (int i = 0; i < 11; ++i) form.Session.TakeReply(true);
  EXPECT_EQ(Child<QPlainTextEdit>(form, "LMDMemo1")->toPlainText().split('\n'), all.mid(2));
}

TEST_F(LinkWindow, ServiceButtonQueuesTheEditsCommandOrTheConverterStatus) {
  form.Session.ReplyQueue.push_back(":12AS118");
  ASSERT_NE(Child<QLineEdit>(form, "LMDEdit1"), nullptr);
  Child<QLineEdit>(form, "LMDEdit1")->clear();
  Click(Child<QPushButton>(form, "ServiceButton"));
  ASSERT_EQ(form.Session.CommandQueue.size(), 1u);
  EXPECT_EQ(form.Session.CommandQueue.back(), "<12AS100\r");
  EXPECT_TRUE(form.Session.ReplyQueue.empty());  // one waiting reply taken (and echoed)
  Child<QLineEdit>(form, "LMDEdit1")->setText("<SG");
  Click(Child<QPushButton>(form, "ServiceButton"));
  EXPECT_EQ(form.Session.CommandQueue.back(), "<SG\r");
}

TEST_F(LinkWindow, DebugLevelLogsEachSentCommandAndTakenReplyWithTheTimeOfDay) {
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  Clock::SetManual(zelvo::ToDateTime(QDateTime(QDate(2026, 3, 2), QTime(9, 5, 7))));
  form.Session.SendLine(form.Session.ComPort1, "<SG\r");
  form.Session.ReplyQueue.push_back(":SG0113");
  form.Session.TakeReply(false);
  form.Session.DebugLevel = 1;
  form.Session.SendLine(form.Session.ComPort1, "<SG\r");
  form.Session.ReplyQueue.push_back(":SG0113");
  form.Session.TakeReply(false);
  QFile log(QDir(dir.path()).filePath("Zelvo730.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_EQ(log.readAll(), "09:05:07<SG\n09:05:07:SG0113\n");
}

}  // namespace
