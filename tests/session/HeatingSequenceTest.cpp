// The heating report's steps: set point, awaited answer (or its time-out), switch, for the
// chamber and then the valve block, the port byte last.
#include <gtest/gtest.h>

#include "session/HeatingSequence.h"

using namespace zelvo;
using Step = HeatingSequence::Step;

namespace {

TEST(HeatingSequence, EachSwitchWaitsForItsSetPointsAnswerOrItsTimeOut) {
  HeatingSequence h;
  h.Begin(*FollowHeatingPort(0xFF, 0xFC));  // both on
  ASSERT_TRUE(h.Busy());
  auto s = h.Due(100);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->kind, Step::SendSetpoint);
  EXPECT_EQ(s->setpoint, SetpointId::Messkammer);
  EXPECT_TRUE(s->on);
  h.Sent(100);
  EXPECT_FALSE(h.Due(104));
  EXPECT_FALSE(h.Answer(u":SG010E"));  // a poll's reply is not the answer
  EXPECT_FALSE(h.Due(104));
  EXPECT_TRUE(h.Answer(u":SSOK"));
  s = h.Due(104);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->kind, Step::QueueSwitch);
  EXPECT_EQ(s->command, "<SO1\r");
  s = h.Due(104);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->setpoint, SetpointId::Ventilblock);
  h.Sent(104);
  EXPECT_FALSE(h.Answer(u":SSOK"));  // the valve block's answer is awaited now
  EXPECT_FALSE(h.Due(109));          // 5 s are still the wait
  s = h.Due(109.1);                  // given up
  ASSERT_TRUE(s);
  EXPECT_TRUE(h.TimedOut());
  EXPECT_EQ(s->command, "<VO1\r");
  s = h.Due(109.1);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->kind, Step::QueuePort);
  EXPECT_EQ(s->command, "<PSCF\r");
  EXPECT_FALSE(h.Busy());
  EXPECT_FALSE(h.Due(200));
}

TEST(HeatingSequence, SetPointsThatDidNotGoOutAreNotAwaited) {
  HeatingSequence h;
  h.Begin(*FollowHeatingPort(0xFC, 0xFF));  // both off
  QStringList queued;
  while (const auto s = h.Due(100))
    if (s->kind != Step::SendSetpoint) queued << s->command;
  EXPECT_EQ(queued, QStringList({"<SO0\r", "<VO0\r", "<PSFF\r"}));
  EXPECT_FALSE(h.Busy());
}

}  // namespace
