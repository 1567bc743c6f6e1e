// The window's link against the instrument simulator: a request with its reply, a data
// stream into the port's data queue, and the simulator going away. Real time (about 1 s).
#ifdef ZELVO_SIM_PATH
#include <gtest/gtest.h>
#include <string.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <vector>

#include "WindowTestSupport.h"
#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "link/ComPort.h"
#include "link/PtyPair.h"
#include "support/SimBench.h"
#include "ui/Dialogs.h"

namespace {

class LinkWithSimulator : public WithRecordedMessages {};

TEST_F(LinkWithSimulator, IdentifiesStreamsAndReportsTheSimulatorGoingAway) {
  testsupport::SimBench bench(testsupport::SimSetup{"FID", false, {}, {}, 7});
  ASSERT_TRUE(bench.ok());
  const QString link = bench.Link(1);

  TForm1 form;
  form.Session.DiagLog.SetEchoToStderr(false);
  form.Session.ComPort1->SetDeviceName(link);  // a path is used as it stands (here a link to the pty)
  ASSERT_TRUE(form.Session.OpenPort(form.Session.ComPort1));
  EXPECT_EQ(form.Session.SendAndWait(form.Session.ComPort1, "\r\n<SN\r\n"), ":SN4-0001");

  // The converter's stream: data lines go to the port's data queue, never among the replies.
  form.Session.SendLine(form.Session.ComPort1, "<12Z1100\r");
  ASSERT_TRUE(PumpUntil([&] { return form.Session.DataQueue1.size() >= 3; }, 3000));
  for (const QString &line : form.Session.DataQueue1) EXPECT_TRUE(zelvo::IsDataLineStart(line.at(0).toLatin1()));
  for (const QString &line : form.Session.ReplyQueue) EXPECT_FALSE(zelvo::IsDataLineStart(line.at(0).toLatin1()));
  EXPECT_TRUE(messages.empty());

  bench.KillSimulator();
  ASSERT_TRUE(PumpUntil([&] { return !messages.empty(); }));
  // The port was closed before the hang-up was reported, so nothing can report again; what
  // is already queued is delivered here.
  EXPECT_FALSE(form.Session.ComPort1->Active());
  QCoreApplication::processEvents();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].text.startsWith(QString::fromLocal8Bit(strerror(EIO)) + "\n"));
}

}  // namespace
#endif
