#include <gtest/gtest.h>
#include <pwd.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <memory>

#include "core/Clock.h"
#include "link/ComPort.h"
#include "link/LineReceiver.h"
#include "link/PtyPair.h"

namespace {

// The instrument's line settings as the program sets them.
void ConfigureLikeTheProgram(TComPort &port) {
  port.SetBaudRate(br115200);
  port.SetDataBits(db8);
  port.SetStopBits(sb2);
  port.SetParity(paNone);
  port.SetFlowControl({dcDisable, rcDisable});
  TTimeouts t;
  t.ReadConstant = 100;
  t.ReadMultiplier = 100;
  port.SetTimeouts(t);
}

class ComPortOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    zelvo::Clock::SetReal();
    ASSERT_TRUE(pty.Ok());
    port.SetDeviceName(pty.slavePath);
    ConfigureLikeTheProgram(port);
  }
  PtyPair pty;
  TComPort port;
};

QString ErrorOf(const std::function<void()> &f, int *code = nullptr) {
  try {
    f();
  } catch (const EComError &e) {
    if (code) *code = e.ErrorCode();
    return e.Message();
  }
  return QStringLiteral("<no error>");
}

TEST_F(ComPortOnPty, OpensWithTheInstrumentLineSettings) {
  port.Open();
  ASSERT_TRUE(port.Active());
  // On Linux, tcgetattr on the master reads the slave's settings: what the device got.
  for (int fd : {pty.master, port.Handle()}) {
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B115200));
    EXPECT_EQ(cfgetispeed(&t), speed_t(B115200));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));  // raw: bytes pass untouched
    EXPECT_FALSE(t.c_iflag & (ICRNL | IXON | ISTRIP));
  }
}

TEST_F(ComPortOnPty, DiscardsWhatWaitedBeforeTheOpen) {
  // Bytes sent while nobody has the port open are not the program's business.
  {
    TComPort other;
    other.SetDeviceName(pty.slavePath);
    other.Open();
    ASSERT_TRUE(pty.Write(":OLD\r"));
    ASSERT_TRUE(PumpUntil([&] { return other.InputCount() == 5; }));
  }
  port.Open();
  EXPECT_EQ(port.InputCount(), 0);
}

TEST_F(ComPortOnPty, WriteReachesTheOtherSide) {
  port.Open();
  port.WriteAnsiString(QByteArray("<SG\r"));
  port.WaitForWriteCompletion();
  EXPECT_EQ(pty.Read(), QByteArray("<SG\r"));
  // Every byte value passes unchanged (no CR/LF translation, no stripping).
  QByteArray all;
  for (int b = 0; b < 256; ++b) all.append(char(b));
  port.WriteAnsiString(all);
  port.WaitForWriteCompletion();
  QByteArray got;
  while (got.size() < all.size()) {
    const QByteArray part = pty.Read();
    if (part.isEmpty()) break;
    got += part;
  }
  EXPECT_EQ(got, all);
}

// A port whose driver reports a given output queue: an adapter that stopped sending without
// hanging up keeps its queue full.
class PortWithQueue : public TComPort {
 public:
  std::function<int()> Queued;

 protected:
  int OutputQueued() override { return Queued(); }
};

TEST_F(ComPortOnPty, WaitForAnOutputQueueThatNeverEmptiesEndsWithATimeout) {
  PortWithQueue stuck;
  stuck.SetDeviceName(pty.slavePath);
  ConfigureLikeTheProgram(stuck);
  TTimeouts t = stuck.Timeouts();
  t.WriteConstant = 200;
  stuck.SetTimeouts(t);
  stuck.Open();

  // Draining at line speed: the wait ends when the queue is empty.
  int left = 40;
  stuck.Queued = [&] { return left > 0 ? left-- : 0; };
  stuck.WriteAnsiString("<SG\r");
  stuck.WaitForWriteCompletion();
  EXPECT_EQ(left, 0);
  EXPECT_EQ(pty.Read(), QByteArray("<SG\r"));

  // Stuck: "Timeout" after the write limit, not a wait without end; the port stays open.
  stuck.Queued = [] { return 12; };
  QElapsedTimer elapsed;
  elapsed.start();
  int code = -1;
  EXPECT_EQ(ErrorOf([&] { stuck.WaitForWriteCompletion(); }, &code), "Timeout");
  EXPECT_EQ(code, 0);
  EXPECT_GE(elapsed.elapsed(), 190);
  EXPECT_TRUE(stuck.Active());
}

TEST_F(ComPortOnPty, ReceiveEventRunsOnTheUiThreadAndCountsWhatArrives) {
  int events = 0;
  int countAtEvent = -1;
  int countAfterMoreArrived = -1;
  QByteArray read;
  bool onUiThread = false;
  port.OnRxChar = [&] {
    ++events;
    onUiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    countAtEvent = port.InputCount();
    read += port.ReadAnsiChar();
    // More bytes arrive while the handler runs: the count grows, and the handler may take
    // more than was waiting when the event fired.
    pty.Write("CD");
    QElapsedTimer t;
    t.start();
    while (port.InputCount() < 3 && t.elapsed() < 2000) QThread::msleep(1);
    countAfterMoreArrived = port.InputCount();
    while (port.InputCount() > 0) read += port.ReadAnsiChar();
  };
  port.Open();
  ASSERT_TRUE(pty.Write("AB"));
  ASSERT_TRUE(PumpUntil([&] { return events > 0; }));
  EXPECT_TRUE(onUiThread);
  EXPECT_EQ(countAtEvent, 2);
  EXPECT_EQ(countAfterMoreArrived, 3);
  EXPECT_EQ(read, QByteArray("ABCD"));
}

TEST_F(ComPortOnPty, OneByteReadWithoutDataTimesOutAfterTheReadTimeouts) {
  port.Open();
  QElapsedTimer t;
  t.start();
  int code = -1;
  EXPECT_EQ(ErrorOf([&] { port.ReadAnsiChar(); }, &code), "Timeout");
  EXPECT_EQ(code, 0);
  // 100 ms + 100 ms per requested byte.
  EXPECT_GE(t.elapsed(), 190);
  EXPECT_TRUE(port.Active());
}

TEST_F(ComPortOnPty, ClosedPortRefusesEveryOperation) {
  const std::vector<std::function<void()>> operations = {
      [&] { port.WriteAnsiString("x"); }, [&] { port.WaitForWriteCompletion(); },
      [&] { port.ReadAnsiChar(); },       [&] { port.InputCount(); },
      [&] { port.ReadAvailable(); },
  };
  for (const auto &op : operations) {
    int code = -1;
    EXPECT_EQ(ErrorOf(op, &code), "Can't perform this operation on a closed port");
    EXPECT_EQ(code, 0);
  }
}

TEST_F(ComPortOnPty, DeviceNameIsFixedWhileOpen) {
  port.Open();
  port.SetDeviceName(pty.slavePath);  // the same name is no change
  EXPECT_EQ(ErrorOf([&] { port.SetDeviceName("COM2"); }), "Can't perform this operation on an open port");
  EXPECT_EQ(port.DeviceName(), pty.slavePath);
  port.Close();
  port.SetDeviceName("COM2");
  EXPECT_EQ(port.DeviceName(), "COM2");
}

TEST_F(ComPortOnPty, FailedOpensGiveTheSystemMessageAndLeaveThePortClosed) {
  QTemporaryDir dir;
  const QString regularFile = dir.filePath("plain");
  {
    QFile f(regularFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const struct {
    QString name;
    int error;
  } cases[] = {{dir.filePath("missing"), ENOENT}, {regularFile, ENOTTY}};
  for (const auto &c : cases) {
    TComPort p;
    p.SetDeviceName(c.name);
    int code = -1;
    EXPECT_EQ(ErrorOf([&] { p.Open(); }, &code), QString::fromLocal8Bit(strerror(c.error)));
    EXPECT_EQ(code, c.error);
    EXPECT_FALSE(p.Active());
  }
}

TEST_F(ComPortOnPty, SecondOpenerIsRefusedAsInUseAndTheFirstKeepsWorking) {
  port.Open();
  TComPort second;
  second.SetDeviceName(pty.slavePath);
  int code = 0;
  const QString message = ErrorOf([&] { second.Open(); }, &code);
  EXPECT_TRUE(message.contains("in use")) << message.toStdString();
  EXPECT_NE(code, 0);
  EXPECT_FALSE(second.Active());
  // The refused attempt did not disturb the owner.
  ASSERT_TRUE(pty.Write("ok"));
  ASSERT_TRUE(PumpUntil([&] { return port.InputCount() == 2; }));
  // Once the owner has gone (destroying closes), the port is free again.
  auto owner = std::make_unique<TComPort>();
  port.Close();
  owner->SetDeviceName(pty.slavePath);
  owner->Open();
  owner.reset();
  second.Open();
  EXPECT_TRUE(second.Active());
}

TEST_F(ComPortOnPty, PermissionDeniedTellsTheOperatorWhatToDo) {
  // Nobody but root may open the device now; a root test run tries as user "nobody" in a
  // child process and brings the message back through a pipe.
  ASSERT_EQ(chmod(pty.slavePath.toLocal8Bit().constData(), 0), 0);
  const passwd *nobody = getpwnam("nobody");
  if (geteuid() == 0 && !nobody) GTEST_SKIP() << "no user 'nobody' to drop root";
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    close(fds[0]);
    QByteArray out = "opened without permission";
    if (geteuid() != 0 || (setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0)) {
      TComPort p;
      p.SetDeviceName(pty.slavePath);
      try {
        p.Open();
      } catch (const EComError &e) {
        out = QByteArray::number(e.ErrorCode()) + " " + e.Message().toUtf8();
      }
    }
    (void)!write(fds[1], out.constData(), out.size());
    _exit(0);
  }
  close(fds[1]);
  QByteArray got;
  char buf[1024];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) got.append(buf, n);
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  const QString message = QString::fromUtf8(got);
  EXPECT_TRUE(message.startsWith(QString::number(EACCES) + " ")) << got.toStdString();
  EXPECT_TRUE(message.contains(pty.slavePath)) << got.toStdString();
  EXPECT_TRUE(message.contains("member of the group")) << got.toStdString();
  EXPECT_TRUE(message.contains("usermod")) << got.toStdString();
}

TEST_F(ComPortOnPty, ClosingInsideTheReceiveHandlerIsSafe) {
  int events = 0;
  port.OnRxChar = [&] {
    ++events;
    port.Close();
  };
  port.Open();
  ASSERT_TRUE(pty.Write(":A\r"));
  ASSERT_TRUE(PumpUntil([&] { return events == 1; }));
  EXPECT_FALSE(port.Active());
  pty.Write(":B\r");
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(events, 1);
  // And it opens again with the event wired.
  port.Open();
  ASSERT_TRUE(pty.Write(":C\r"));
  EXPECT_TRUE(PumpUntil([&] { return events == 2; }));
}

TEST_F(ComPortOnPty, HandlerErrorsAreReportedAndDeliveryGoesOn) {
  int events = 0;
  QStringList errors;
  port.OnRxChar = [&] {
    ++events;
    port.ReadAvailable();
    throw EComError("handler failed");
  };
  port.OnError = [&](const EComError &e) { errors << e.Message(); };
  port.Open();
  pty.Write("1");
  ASSERT_TRUE(PumpUntil([&] { return events == 1; }));
  pty.Write("2");
  ASSERT_TRUE(PumpUntil([&] { return events == 2; }));
  EXPECT_EQ(errors, QStringList({"handler failed", "handler failed"}));
  EXPECT_TRUE(port.Active());
}

// The other side goes away in the middle of a line. Observed on Linux ptys: poll() reports
// POLLIN|POLLERR|POLLHUP, read() returns 0 (end of file) from then on, FIONREAD and write()
// fail with EIO, and bytes still unread in the slave's queue at the hang-up are discarded.
TEST_F(ComPortOnPty, OtherSideHangingUpIsReportedOnceAndClosesThePort) {
  zelvo::TLineQueue data, replies;
  zelvo::TLineReceiver lines(data, replies);
  int events = 0;
  std::vector<std::pair<QString, int>> errors;
  port.OnRxChar = [&] {
    ++events;
    while (port.InputCount() > 0) lines.Feed(port.ReadAvailable());
  };
  port.OnError = [&](const EComError &e) {
    EXPECT_FALSE(port.Active());  // closed before it is reported
    errors.emplace_back(e.Message(), e.ErrorCode());
  };
  port.Open();
  ASSERT_TRUE(pty.Write(":SG0"));
  ASSERT_TRUE(PumpUntil([&] { return lines.Pending() == ":SG0"; }));
  pty.CloseMaster();
  ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
  // The port closed before it reported (checked in OnError), so nothing can report again;
  // what is already queued is delivered here.
  QCoreApplication::processEvents();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].first, QString::fromLocal8Bit(strerror(EIO)));
  EXPECT_EQ(errors[0].second, EIO);
  EXPECT_FALSE(port.Active());
  EXPECT_EQ(events, 1);
  EXPECT_TRUE(replies.empty());  // the half line is never queued
}

TEST(ComPortNames, DevicePathAndExistence) {
  const struct {
    const char *name;
    const char *path;
  } cases[] = {
      {"COM1", "/dev/ttyS0"},
      {"COM12", "/dev/ttyS11"},
      {"com3", "/dev/ttyS2"},
      {"/dev/ttyUSB0", "/dev/ttyUSB0"},
      {"/dev/serial/by-id/usb-x", "/dev/serial/by-id/usb-x"},
      {"ttyACM0", "/dev/ttyACM0"},
      {"COM0", "/dev/COM0"},
  };
  for (const auto &c : cases) EXPECT_EQ(TComPort::DevicePath(c.name), c.path) << c.name;

  PtyPair pty;
  QTemporaryDir dir;
  QFile file(dir.filePath("regular"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  EXPECT_TRUE(TComPort::PortExists(pty.slavePath));
  EXPECT_FALSE(TComPort::PortExists(file.fileName()));       // not a character device
  EXPECT_FALSE(TComPort::PortExists(dir.path()));            // a folder
  EXPECT_FALSE(TComPort::PortExists(dir.filePath("none")));  // missing
}

}  // namespace
