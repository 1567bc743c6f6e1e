// The status polls keep their cadence when the wall clock jumps: due times are steady time.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "core/Clock.h"
#include "link/Dispatch.h"

using namespace zelvo;

namespace {

class PollClock : public WindowOnTestClock {};

TEST_F(PollClock, PollsStayDueOnTimeAcrossWallClockJumps) {
  for (double shift : {-3600.0, 3600.0}) {
    form.Session.PollList = BuildPollList(TDeviceTyp::FID, false, Clock::Steady());
    form.Session.CommandQueue.clear();
    const TSteadySeconds start = Clock::Steady();
    std::vector<double> sent;  // steady seconds at which "<SG" was queued
    for (int tick = 0; tick < 200; ++tick) {
      if (tick == 100) Clock::ShiftWall(shift);  // daylight-saving change mid-polling
      form.Session.PollListStep();
      for (const QString &c : TakeQueued(form))
        if (c == "<SG\r") sent.push_back(Clock::Steady() - start);
      Clock::Advance(0.1);
    }
    // Nine entries looked at one per 0.1 s tick: "<SG" leaves every 1.8 s, also after the jump.
    ASSERT_GE(sent.size(), 10u) << shift;
    for (size_t i = 1; i < sent.size(); ++i) EXPECT_NEAR(sent[i] - sent[i - 1], 1.8, 1e-6) << shift;
  }
}

// Two converters and nothing sent for two minutes (a stalled line, a busy tick): every poll
// waits in the queue once, and the run time for the display once, with its latest value.
TEST_F(PollClock, UnsentPollsAndRunTimesAreNotQueuedTwice) {
  form.Session.PollList = BuildPollList(TDeviceTyp::FIDFPD, true, Clock::Steady());
  form.Session.CommandQueue.clear();
  for (int tick = 0; tick < 1200; ++tick) {
    form.Session.PollListStep();
    if (tick % 10 == 0) {
      form.Session.sRunTime = QStringLiteral("00:00:%1").arg(tick / 10 % 60, 2, 10, QChar('0'));
      form.Session.UpdateTime = true;
      form.Session.RunTimeStep();
    }
    Clock::Advance(0.1);
  }
  QStringList queued = TakeQueued(form);
  EXPECT_EQ(queued.size(), static_cast<qsizetype>(form.Session.PollList.size()) + 1) << queued.join(' ').toStdString();
  EXPECT_TRUE(queued.contains("<X000:00:59\r")) << queued.join(' ').toStdString();
  EXPECT_EQ(queued.removeDuplicates(), 0);
}

}  // namespace
