#include <gtest/gtest.h>

#include "core/Clock.h"
#include "core/DateTime.h"

using namespace zelvo;

TEST(DateTime, EpochAndTimeOfDayRoundTrip) {
  // 1899-12-30 is day 0; noon is half a day.
  EXPECT_DOUBLE_EQ(ToDateTime(QDateTime(QDate(1899, 12, 30), QTime(12, 0))), 0.5);
  EXPECT_DOUBLE_EQ(ToDateTime(QDateTime(QDate(1900, 1, 1), QTime(0, 0))), 2.0);
  const QDateTime t(QDate(2026, 12, 10), QTime(9, 5, 7, 250));
  EXPECT_EQ(FromDateTime(ToDateTime(t)), t);
  EXPECT_EQ(TimeText(ToDateTime(t)), "09:05:07");
}

TEST(DateTime, WholeSecondsSurviveDayFractions) {
  const TDateTime start = ToDateTime(QDateTime(QDate(2026, 1, 1), QTime(23, 59, 58)));
  EXPECT_EQ(WholeSecondsBetween(start + SecondsToDays(3), start), 3);
  EXPECT_EQ(WholeSecondsBetween(start + SecondsToDays(2.999), start), 2);
}

TEST(Clock, ManualClockStandsAndAdvances) {
  const TDateTime t0 = ToDateTime(QDateTime(QDate(2026, 1, 1), QTime(8, 0)));
  Clock::SetManual(t0);
  EXPECT_DOUBLE_EQ(Clock::Now(), t0);
  Clock::Advance(5);
  EXPECT_EQ(WholeSecondsBetween(Clock::Now(), t0), 5);
  Clock::WaitProcessingEvents(250);  // no real wait on the manual clock
  EXPECT_EQ(std::llround((Clock::Now() - t0) * kMsPerDay), 5250);
  Clock::SetReal();
  EXPECT_FALSE(Clock::IsManual());
}

TEST(Clock, WallShiftsLeaveTheSteadyReadingAlone) {
  const TDateTime t0 = ToDateTime(QDateTime(QDate(2026, 10, 25), QTime(2, 59, 59)));
  Clock::SetManual(t0);
  const TSteadySeconds s0 = Clock::Steady();
  Clock::Advance(1.5);
  Clock::ShiftWall(-3600);  // autumn: the wall clock goes back an hour
  EXPECT_DOUBLE_EQ(Clock::Steady() - s0, 1.5);
  EXPECT_LT(Clock::Now(), t0);
  Clock::ShiftWall(7200);  // a time server's step forward
  Clock::Advance(0.5);
  EXPECT_DOUBLE_EQ(Clock::Steady() - s0, 2.0);
  Clock::Advance(-10);  // a negative step moves nothing
  EXPECT_DOUBLE_EQ(Clock::Steady() - s0, 2.0);
  Clock::SetManual(t0);  // setting the wall again never sets the steady reading back
  EXPECT_DOUBLE_EQ(Clock::Steady() - s0, 2.0);
  Clock::SetReal();
  const TSteadySeconds r0 = Clock::Steady();
  EXPECT_GE(Clock::Steady(), r0);
}
