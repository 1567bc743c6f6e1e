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
    form.PollList = BuildPollList(TDeviceTyp::FID, false, Clock::Steady());
    form.CommandQueue.clear();
    const TSteadySeconds start = Clock::Steady();
    std::vector<double> sent;  // steady seconds at which "<SG" was queued
    for (int tick = 0; tick < 200; ++tick) {
      if (tick == 100) Clock::ShiftWall(shift);  // daylight-saving change mid-polling
      form.PollListStep();
      for (const QString &c : TakeQueued(form))
        if (c == "<SG\r") sent.push_back(Clock::Steady() - start);
      Clock::Advance(0.1);
    }
    // Nine entries looked at one per 0.1 s tick: "<SG" leaves every 1.8 s, also after the jump.
    ASSERT_GE(sent.size(), 10u) << shift;
    for (size_t i = 1; i < sent.size(); ++i) EXPECT_NEAR(sent[i] - sent[i - 1], 1.8, 1e-6) << shift;
  }
}

}  // namespace
