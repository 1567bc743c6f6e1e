// The instrument's reported values: kept as numbers, shown with their units, placeholders
// until the first report, malformed replies ignored.
#include <gtest/gtest.h>

#include "session/InstrumentStatus.h"

using namespace zelvo;
using proto::Reply;

namespace {

TEST(InstrumentStatus, KeepsReportedValuesAndShowsPlaceholdersUntilTheFirst) {
  InstrumentStatus s;
  EXPECT_EQ(s.Text(Reply::ChamberTemperature, 1000), QString::fromUtf8("--- °C"));
  EXPECT_EQ(s.Text(Reply::HighVoltage, 1000), "---- V");
  EXPECT_EQ(s.Text(Reply::FpdAir, 1000), "---- AIR mbar");
  EXPECT_FALSE(s.Value(Reply::ChamberTemperature));

  s.Take(proto::ParseReply(u":SG0113"));
  s.Take(proto::ParseReply(u":HG02BC"));
  s.Take(proto::ParseReply(u":SG01X3"));  // malformed: the last good value stays
  EXPECT_EQ(s.Value(Reply::ChamberTemperature), 0x113);
  EXPECT_EQ(s.Text(Reply::ChamberTemperature, 1000), QString::fromUtf8("27.5°C"));
  EXPECT_EQ(s.Text(Reply::HighVoltage, 0), "700 V");
  s.Clear();
  EXPECT_EQ(s.Text(Reply::HighVoltage, 1000), "---- V");
}

}  // namespace
