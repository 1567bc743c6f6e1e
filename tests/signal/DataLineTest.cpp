#include <gtest/gtest.h>

#include <QStringList>
#include <vector>

#include "signal/Acquisition.h"
#include "signal/DataLine.h"

using zelvo::DecodeDataLine;
using zelvo::DrainDataQueue;
using zelvo::TLineQueue;
using zelvo::TSignalChannel;

namespace {

struct LineCase {
  const char *line;
  bool valid;
  char marker = 0;
  int value = 0;
};

// Position 2 is never looked at; position 3 is the sign flag ("0" alone means negative);
// positions 4-8 are the hexadecimal field; the offset of a negative reading is FFFFF.
const std::vector<LineCase> kLines = {
    {"/X100010", true, '/', 16},
    {"/X0FFFFF", true, '/', 0},
    {"/X000000", true, '/', -1048575},
    {"[X1FFFFF", true, '[', 1048575},
    {"]X1ABCDE", true, ']', 703710},
    {"]x1abcde", true, ']', 703710},  // either letter case
    {"/X100010XYZ", true, '/', 16},   // past position 8 nothing counts
    {"/X1012", true, '/', 18},        // a short field is the digits there are
    {"/X00", true, '/', -1048575},    // one digit, negative
    {"/A+0001F", true, '/', 31},      // any flag but "0" is non-negative
    {"[B-00A3C", true, '[', 2620},
    {"/X1", false},  // no digit at all
    {"/X", false},
    {"", false},
    {"/X1G0000", false},  // a non-hex character in the field
    {"/X10000G", false},
    {"/X1 0001", false},
    {"/X1-0001", false},
    {"/X1\u00BD0001", false},  // not even ASCII
};

TEST(DataLine, DecodesTheReadingOfEachLine) {
  for (const LineCase &c : kLines) {
    SCOPED_TRACE(c.line);
    const auto reading = DecodeDataLine(QString::fromUtf8(c.line));
    ASSERT_EQ(reading.has_value(), c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(reading->Marker, QChar(c.marker));
    EXPECT_EQ(reading->Value, c.value);
  }
}

TLineQueue Queue(const QStringList &lines) { return TLineQueue(lines.begin(), lines.end()); }

TEST(DataDrain, AppendsEveryLineAtCounterTenthsAndKeepsTheLastLevel) {
  TSignalChannel ch;
  ch.Counter = 37;  // the series is not cleared with the counter: indices and times differ
  ch.X = {0.0};
  ch.Y = {5.0};
  TLineQueue q = Queue({"[X100010", "/X0FFFFF", "/X1000FF"});
  const auto r = DrainDataQueue(q, ch);
  EXPECT_TRUE(q.empty());
  EXPECT_EQ(r.FirstNew, 1u);
  EXPECT_EQ(r.Appended, 3u);
  EXPECT_EQ(r.Skipped, 0);
  EXPECT_EQ(ch.X, (std::vector<double>{0.0, 3.7, 3.8, 3.9}));
  EXPECT_EQ(ch.Y, (std::vector<double>{5, 16, 0, 255}));
  EXPECT_EQ(ch.Counter, 40);
  EXPECT_EQ(ch.Level, 255);
  EXPECT_TRUE(ch.Sampling);
}

TEST(DataDrain, MarkersOpenAndCloseTheSamplingWindow) {
  TSignalChannel ch;
  TLineQueue q = Queue({"/X100001"});
  DrainDataQueue(q, ch);
  EXPECT_TRUE(ch.Sampling);
  q = Queue({"]X100002"});  // the closing line still carries its reading
  DrainDataQueue(q, ch);
  EXPECT_FALSE(ch.Sampling);
  EXPECT_EQ(ch.Y.back(), 2);
  q = Queue({"[X100003", "]X100004", "/X100005"});
  DrainDataQueue(q, ch);
  EXPECT_TRUE(ch.Sampling);
  EXPECT_EQ(ch.Counter, 5);
}

// A garbled line must leave the channel exactly as if it had never arrived: the flag it
// would have changed, the counter, the series and the level all untouched.
TEST(DataDrain, MalformedLinesAreSkippedAndCounted) {
  TSignalChannel ch;
  TLineQueue q = Queue({"[X100010", "]X1", "]X1G0000", "/X100020", "]X1zz"});
  const auto r = DrainDataQueue(q, ch);
  EXPECT_TRUE(q.empty());
  EXPECT_EQ(r.Skipped, 3);
  EXPECT_EQ(r.Appended, 2u);
  EXPECT_EQ(ch.Malformed, 3);
  EXPECT_TRUE(ch.Sampling);
  EXPECT_EQ(ch.X, (std::vector<double>{0.0, 0.1}));
  EXPECT_EQ(ch.Y, (std::vector<double>{16, 32}));
  EXPECT_EQ(ch.Counter, 2);
  EXPECT_EQ(ch.Level, 32);

  TLineQueue bad = Queue({"/X1"});
  const auto only = DrainDataQueue(bad, ch);
  EXPECT_EQ(only.Appended, 0u);
  EXPECT_EQ(only.FirstNew, 2u);
  EXPECT_EQ(ch.Malformed, 4);
  EXPECT_EQ(ch.Level, 32);
}

TEST(DataDrain, AnEmptyQueueChangesNothing) {
  TSignalChannel ch;
  TLineQueue q;
  const auto r = DrainDataQueue(q, ch);
  EXPECT_EQ(r.Appended, 0u);
  EXPECT_EQ(ch.Size(), 0u);
  EXPECT_FALSE(ch.Level.has_value());
  EXPECT_FALSE(ch.Sampling);
}

}  // namespace
