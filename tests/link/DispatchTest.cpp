#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "link/Dispatch.h"

using namespace zelvo;

namespace {
QStringList Commands(const PollList &list) {
  QStringList out;
  for (const auto &e : list) out << e.UpdateString;
  return out;
}
}  // namespace

TEST(PollList, ContentsFollowDeviceAndFlowSensor) {
  EXPECT_EQ(Commands(BuildPollList(TDeviceTyp::FID, false, 0)),
            QStringList({"<SG", "<VG", "<PG", "<WG", "<BG", "<CG", "<V1G", "<V2G", "<12AS100"}));
  EXPECT_EQ(BuildPollList(TDeviceTyp::FPD, false, 0).size(), 9u);  // FPD alone gets no FPD polls
  EXPECT_EQ(Commands(BuildPollList(TDeviceTyp::FID, true, 0)).indexOf("<FG"), 3);
  EXPECT_EQ(Commands(BuildPollList(TDeviceTyp::FIDFPD, true, 0)),
            QStringList({"<SG", "<VG", "<EG", "<TG", "<XG", "<YG", "<HG", "<PG", "<FG", "<WG", "<BG",
                         "<CG", "<V1G", "<V2G", "<12AS100"}));
  EXPECT_EQ(BuildPollList(TDeviceTyp::FIDFPD, false, 0).size(), 14u);
}

// Drives the poll step tick by tick and records when each command leaves.
static std::map<QString, std::vector<double>> RunPolls(PollList list, double tickSeconds, double seconds) {
  std::map<QString, std::vector<double>> sent;
  int cursor = 0;
  for (double t = 0; t <= seconds + 1e-9; t += tickSeconds) {
    const QString cmd = PollStep(list, cursor, t);
    if (!cmd.isEmpty()) sent[cmd.chopped(1)].push_back(t);
  }
  return sent;
}

TEST(PollStep, NineEntriesAtTenthSecondTicks) {
  // Each entry is looked at every 0.9 s: the 1 1/3 s, 1.4 s and 1.5 s polls leave every
  // 1.8 s, the 2.5 s and 2.6 s polls every 2.7 s; the 2.7 s poll needs strictly more than
  // 2.7 s and so leaves every 3.6 s.
  auto sent = RunPolls(BuildPollList(TDeviceTyp::FID, false, 0), 0.1, 20);
  auto gaps = [&](const char *cmd) {
    std::vector<double> g;
    const auto &t = sent[cmd];
    for (size_t i = 1; i < t.size(); ++i) g.push_back(std::round((t[i] - t[i - 1]) * 10) / 10);
    return g;
  };
  for (const char *c : {"<SG", "<VG", "<PG", "<V1G", "<V2G", "<12AS100"})
    for (double g : gaps(c)) EXPECT_DOUBLE_EQ(g, 1.8) << c;
  for (const char *c : {"<WG", "<BG"})
    for (double g : gaps(c)) EXPECT_DOUBLE_EQ(g, 2.7) << c;
  for (double g : gaps("<CG")) EXPECT_DOUBLE_EQ(g, 3.6);
  EXPECT_FALSE(sent["<SG"].empty());
}

TEST(PollStep, FifteenEntriesSendTheFastPollsAtEveryVisit) {
  auto sent = RunPolls(BuildPollList(TDeviceTyp::FIDFPD, true, 0), 0.1, 30);
  const auto &sg = sent["<SG"];
  ASSERT_GE(sg.size(), 10u);
  for (size_t i = 1; i < sg.size(); ++i) EXPECT_NEAR(sg[i] - sg[i - 1], 1.5, 1e-6);
}

TEST(PollStep, CursorWrapsAndEmptyListDoesNothing) {
  PollList empty;
  int cursor = 0;
  EXPECT_TRUE(PollStep(empty, cursor, 1.0).isEmpty());
  EXPECT_EQ(cursor, 0);
  PollList list = BuildPollList(TDeviceTyp::FID, false, 0);
  cursor = 9;
  EXPECT_EQ(PollStep(list, cursor, 2.0), "<SG\r");
  EXPECT_EQ(cursor, 1);
  EXPECT_TRUE(PollStep(list, cursor = 0, 3.0).isEmpty());  // 1 s after its send: not yet
  EXPECT_EQ(PollStep(list, cursor = 0, 3.34), "<SG\r");    // more than 1 1/3 s: due again
}

TEST(ReplyKey, SixTestsInOrder) {
  const struct {
    const char *reply;
    char key;  // 0 = none
  } cases[] = {
      {":SG0113", 'S'},   {":VG0258", 'V'},   {":EG3A98", 'E'},   {":FG0064", 'F'},
      {":FA01", 'F'},     {":F?", 0},         {":FX1", 'F'},      {":V1G00", 'V'},
      {":V2GFF", 'V'},    {":12AS118", 'A'},  {":12AS", 'A'},     {":QS", 0},
      {":QSx", 0},        {":QS123", 'Q'},    {":LG6F", 'L'},     {":DG01", 'D'},
      {":PGFC", 'P'},     {":GGG0", 0},       {":SN4-0001", 0},   {"", 0},
      {"SG0113", 0},      {":BC02BC", 0},     {":XSOK", 0},       {":QG00", 'Q'},
  };
  for (const auto &c : cases) {
    const QChar k = ReplyKey(QString::fromLatin1(c.reply));
    EXPECT_EQ(k, c.key ? QChar(c.key) : QChar()) << c.reply;
  }
}
