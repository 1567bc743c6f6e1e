#include <gtest/gtest.h>

#include <vector>

#include "link/LineReceiver.h"

using zelvo::TLineQueue;
using zelvo::TLineReceiver;

namespace {

QStringList ToList(const TLineQueue &q) { return QStringList(q.begin(), q.end()); }

struct CutCase {
  const char *name;
  std::vector<QByteArray> feeds;  // one entry per receive event
  QStringList data;               // expected DataQueue content
  QStringList replies;            // expected ReplyQueue content
  QByteArray pending;             // expected partial line afterwards
  int dropped = 0;                // overlong lines reported
};

const QByteArray kLong4096(4096, 'x');
const QByteArray kLong4097(4097, 'x');

const std::vector<CutCase> kCases = {
    {"replyCrLfGivesOneLineAndNextStartsClean", {":SG0113\r\n:FA01\r"}, {}, {":SG0113", ":FA01"}, ""},
    {"leadingLfIsDropped", {"\n:FA01\r"}, {}, {":FA01"}, ""},
    {"crCrGivesNoLine", {"\r\r"}, {}, {}, ""},
    {"crLfCrGivesNoLine", {"\r\n\r"}, {}, {}, ""},
    {"lfInsideALineIsDropped", {":S\nG01\n13\r"}, {}, {":SG0113"}, ""},
    {"lineSplitAcrossTwoReadsIsQueuedOnce", {":SG01", "13\r"}, {}, {":SG0113"}, ""},
    {"lineSplitAtItsCr", {":SG0113", "\r\n"}, {}, {":SG0113"}, ""},
    {"byteByByte", {":", "A", "\n", "S", "\r"}, {}, {":AS"}, ""},
    {"partialLineWaitsForItsCr", {":FA01\r:SG0"}, {}, {":FA01"}, ":SG0"},
    // Only the first character decides: ":[" is a reply, "?/" too.
    {"routingByFirstCharacterOnly",
     {"/A+0001F\r[B-00A3C\r]x\r:[1\r?/\r:SG0113\r"},
     {"/A+0001F", "[B-00A3C", "]x"},
     {":[1", "?/", ":SG0113"},
     ""},
    {"lineOfExactlyTheCapIsKept", {kLong4096 + "\r"}, {}, {QString::fromLatin1(kLong4096)}, ""},
    {"overlongLineInOneReadIsDropped", {kLong4097 + "\r:OK\r"}, {}, {":OK"}, "", 1},
    // The tail after the cap belongs to the dropped line and must not come out as a line.
    {"overlongLineOverSeveralReadsIsDroppedUpToItsCr",
     {QByteArray(2000, 'a'), QByteArray(2000, 'b'), QByteArray(2000, 'c'), "tail\r/D+00001\r"},
     {"/D+00001"},
     {},
     "",
     1},
    {"overlongLineWithoutAnyCrKeepsNoMemory",
     {QByteArray(3000, 'g'), QByteArray(3000, 'g'), QByteArray(3000, 'g'), QByteArray(3000, 'g')},
     {},
     {},
     "",
     1},
    {"twoOverlongLinesAreReportedTwice", {kLong4097 + "\r" + kLong4097 + "\r"}, {}, {}, "", 2},
    // Windows-1252: 0x80 is the euro sign, 0xE4 is a-umlaut.
    {"bytesAreWindows1252", {":\x80\xE4\r"}, {}, {QString::fromUtf8(":\u20AC\u00E4")}, ""},
};

class LineCutting : public ::testing::TestWithParam<CutCase> {};

TEST_P(LineCutting, QueuesCompleteLinesByFirstCharacter) {
  const CutCase &c = GetParam();
  TLineQueue data, replies;
  TLineReceiver receiver(data, replies);
  int dropped = 0;
  int lines = 0;
  for (const QByteArray &feed : c.feeds) {
    const auto result = receiver.Feed(feed);
    dropped += result.Dropped.size();
    lines += result.Lines;
  }
  EXPECT_EQ(ToList(data), c.data);
  EXPECT_EQ(ToList(replies), c.replies);
  EXPECT_EQ(receiver.Pending(), c.pending);
  EXPECT_EQ(dropped, c.dropped);
  EXPECT_EQ(lines, c.data.size() + c.replies.size());
}

INSTANTIATE_TEST_SUITE_P(LineReceiver, LineCutting, ::testing::ValuesIn(kCases),
                         [](const auto &tc) { return std::string(tc.param.name); });

TEST(LineReceiver, TwoPortsShareTheReplyQueueButNotTheirData) {
  TLineQueue data1, data2, replies;
  TLineReceiver port1(data1, replies), port2(data2, replies);
  port1.Feed(QByteArray(":A"));
  port2.Feed(QByteArray(":B\r/2\r"));
  port1.Feed(QByteArray("\r/1\r"));
  EXPECT_EQ(ToList(replies), QStringList({":B", ":A"}));  // arrival order, port not recorded
  EXPECT_EQ(ToList(data1), QStringList({"/1"}));
  EXPECT_EQ(ToList(data2), QStringList({"/2"}));
}

TEST(LineReceiver, DropNoticeNamesTheCapAndTheLineStart) {
  TLineQueue data, replies;
  TLineReceiver receiver(data, replies);
  const auto result = receiver.Feed(QByteArray("\x01garbage") + QByteArray(5000, 'z'));
  ASSERT_EQ(result.Dropped.size(), 1);
  EXPECT_TRUE(result.Dropped[0].contains("4096")) << result.Dropped[0].toStdString();
  EXPECT_TRUE(result.Dropped[0].contains(".garbage")) << result.Dropped[0].toStdString();
}

TEST(LineReceiver, ClearForgetsThePartialAndAnOverlongLine) {
  TLineQueue data, replies;
  TLineReceiver receiver(data, replies);
  receiver.Feed(QByteArray(":SG0"));
  receiver.Clear();
  receiver.Feed(QByteArray(":FA01\r"));
  receiver.Feed(QByteArray(5000, 'q'));
  receiver.Clear();
  receiver.Feed(QByteArray(":OK\r"));
  EXPECT_EQ(ToList(replies), QStringList({":FA01", ":OK"}));
}

}  // namespace
