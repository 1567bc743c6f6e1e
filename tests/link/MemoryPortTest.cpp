#include <errno.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <functional>
#include <memory>

#include "link/LineReceiver.h"
#include "link/MemoryPort.h"

namespace {

QString ErrorOf(const std::function<void()> &f, int *code = nullptr) {
  try {
    f();
  } catch (const EComError &e) {
    if (code) *code = e.ErrorCode();
    return e.Message();
  }
  return QStringLiteral("<no error>");
}

class MemoryPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    device = TMemoryDevices::Plug(QStringLiteral("COM2"));
    serial->SetDeviceName(QStringLiteral("COM2"));
    serial->OnRxChar = [this] {
      ++notifications;
      const QByteArray bytes = serial->ReadAvailable();
      reads.push_back(bytes);
      receiver.Feed(bytes);
    };
    serial->OnError = [this](const EComError &e) {
      errors.push_back(e.ErrorCode());
      activeAtError = serial->Active();
    };
  }
  void TearDown() override { TMemoryDevices::Clear(); }

  std::shared_ptr<TMemoryDevice> device;
  TMemoryPort port;
  TSerialPort *serial = &port;  // the program sees the interface only
  zelvo::TLineQueue data, replies;
  zelvo::TLineReceiver receiver{data, replies};
  std::vector<QByteArray> reads;
  std::vector<int> errors;
  bool activeAtError = true;
  int notifications = 0;
};

TEST_F(MemoryPortTest, LinesArriveCutAnywhereAndWholeAfterTheLineCutter) {
  serial->Open();
  device->SetSplitSeed(7);
  QByteArray sent;
  for (int i = 0; i < 200; ++i) sent += "/X1G" + QByteArray::number(0x1000 + i, 16).toUpper() + '\r';
  sent += ":SG0115\r";
  device->Send(sent);
  for (int round = 0; round < 1000 && device->Pending() > 0; ++round) QCoreApplication::processEvents();

  ASSERT_EQ(device->Pending(), 0);
  ASSERT_EQ(data.size(), 200u);
  EXPECT_EQ(data.front(), QStringLiteral("/X1G1000"));
  EXPECT_EQ(data.back(), QStringLiteral("/X1G10C7"));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies.front(), QStringLiteral(":SG0115"));
  // Reads ended inside lines, and the same seed cuts the same way.
  const bool cutInside = std::any_of(reads.begin(), reads.end(), [](const QByteArray &r) { return !r.endsWith('\r'); });
  EXPECT_TRUE(cutInside);
  EXPECT_GT(reads.size(), 3u);
  std::vector<QByteArray> first = reads;
  reads.clear();
  device->SetSplitSeed(7);
  device->Send(sent);
  while (device->Pending() > 0) port.Notify();  // without an event loop
  EXPECT_EQ(reads, first);
}

TEST_F(MemoryPortTest, HangUpIsReadToTheEndThenReportedClosedAndTheNameComesBackOnReplug) {
  serial->Open();
  device->Send(":SG0115\r:VG0258\r");
  TMemoryDevices::Unplug(QStringLiteral("COM2"));
  device->Send(":LATE\r");  // gone with the device
  // A write the program makes before it heard of the hang-up fails as on a dead tty.
  int code = 0;
  ErrorOf([&] { serial->WriteLine("<SG\r"); }, &code);
  EXPECT_EQ(code, EIO);

  QCoreApplication::processEvents();
  EXPECT_EQ(replies.size(), 2u);
  ASSERT_EQ(errors, std::vector<int>{EIO});
  EXPECT_FALSE(activeAtError);
  EXPECT_FALSE(serial->Active());
  QCoreApplication::processEvents();
  EXPECT_EQ(errors.size(), 1u);  // reported once

  EXPECT_FALSE(serial->DeviceExists());
  ErrorOf([&] { serial->Open(); }, &code);
  EXPECT_EQ(code, ENOENT);

  auto again = TMemoryDevices::Plug(QStringLiteral("COM2"));
  EXPECT_TRUE(serial->DeviceExists());
  serial->Open();
  serial->WriteLine("<SN\r");
  EXPECT_EQ(again->TakeWritten(), QByteArray("<SN\r"));
  EXPECT_TRUE(device->TakeWritten().isEmpty());
}

TEST_F(MemoryPortTest, FailedWritesLeaveThePortOpen) {
  serial->Open();
  struct Case {
    int errorCode;
    const char *message;
  };
  for (const Case c : {Case{EIO, nullptr}, Case{0, "Timeout"}}) {
    device->FailWrites(c.errorCode, 2);
    for (int i = 0; i < 2; ++i) {
      int code = -1;
      const QString text = ErrorOf([&] { serial->WriteLine("<SG\r"); }, &code);
      EXPECT_EQ(code, c.errorCode);
      if (c.message) {
        EXPECT_EQ(text, QLatin1String(c.message));
      }
      EXPECT_TRUE(serial->Active());
    }
    serial->WriteLine("<VG\r");
    EXPECT_EQ(device->TakeWritten(), QByteArray("<VG\r"));  // the failed ones never left
  }
}

TEST_F(MemoryPortTest, NamesOpenAndDiscardAsARealDevice) {
  // "COMn" and the path it stands for are one device.
  EXPECT_EQ(TMemoryDevices::Find(QStringLiteral("/dev/ttyS1")), device);
  EXPECT_EQ(TMemoryDevices::Find(QStringLiteral("com2")), device);
  EXPECT_EQ(TMemoryDevices::Find(QStringLiteral("COM1")), nullptr);

  device->Send(":OLD\r");
  serial->Open();
  EXPECT_EQ(serial->InputCount(), 0);  // what waited before the open is discarded
  EXPECT_EQ(ErrorOf([&] { serial->SetDeviceName(QStringLiteral("COM3")); }),
            "Can't perform this operation on an open port");

  TMemoryPort second;
  second.SetDeviceName(QStringLiteral("/dev/ttyS1"));
  int code = 0;
  EXPECT_TRUE(ErrorOf([&] { second.Open(); }, &code).contains(QStringLiteral("in use")));
  EXPECT_EQ(code, EBUSY);
  serial->Close();
  second.Open();
  EXPECT_TRUE(second.Active());
  EXPECT_EQ(ErrorOf([&] { serial->ReadAvailable(); }), "Can't perform this operation on a closed port");
}

TEST_F(MemoryPortTest, HandlerThatThrowsIsReportedAndOneThatClosesIsSafe) {
  serial->OnRxChar = [this] { throw EComError(QStringLiteral("bad line"), 0); };
  serial->Open();
  device->Send("x\r");
  port.Notify();
  ASSERT_EQ(errors, std::vector<int>{0});
  EXPECT_TRUE(activeAtError);  // a failing handler does not close the port

  serial->OnRxChar = [this] { serial->Close(); };
  device->Send("y\r");
  QCoreApplication::processEvents();
  EXPECT_FALSE(serial->Active());
  EXPECT_FALSE(device->InUse());
  QCoreApplication::processEvents();  // nothing left to deliver to a closed port
  EXPECT_EQ(errors.size(), 1u);
}

}  // namespace
