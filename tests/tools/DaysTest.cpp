// A run of days in one process: the model on in-memory links and the manual clock, its event
// queue, the fault plan drawn from a seed, and the checker of the evaluations against the
// result file and the truth.
#include <gtest/gtest.h>

#include <errno.h>

#include <QCryptographicHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "EventQueue.h"
#include "MemoryWire.h"
#include "Simulator.h"
#include "core/Clock.h"
#include "core/Cp1252.h"
#include "days/Checker.h"
#include "days/Driver.h"
#include "days/FaultPlan.h"
#include "days/ScriptedProgram.h"
#include "days/SessionProgram.h"
#include "link/LineReceiver.h"
#include "link/MemoryPort.h"
#include "link/Protocol.h"

using namespace zelvo::days;
using zelvo::Clock;

namespace {

// ---------------------------------------------------------------------------------------
// The checker

Evaluation Eval(int cell, double tRun, const char *mark, const char *value, int run = 1) {
  return {run, 1, cell, tRun, QStringLiteral("%1;%2;--:--;Toluene;%3").arg(cell + 3).arg(QLatin1String(mark), QLatin1String(value))};
}

QByteArray FileOf(const std::vector<Evaluation> &evals, const std::vector<int> &order) {
  QStringList lines{QStringLiteral("Header;x"), QStringLiteral("Cell;Mark;Time;Chemical;Value")};
  for (int i : order) lines << evals[static_cast<size_t>(i)].line;
  return zelvo::Cp1252Encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

TEST(DaysChecker, LostDuplicatedAndOutOfOrderAgainstTheFile) {
  const std::vector<Evaluation> e{Eval(1, 60, " ", "0,1"), Eval(2, 120, " ", "0,2"), Eval(3, 180, " ", "0,3"),
                                  Eval(1, 240, " ", "0,4")};
  struct Case {
    const char *name;
    std::vector<int> order;  // evaluation lines in the file, in file order
    qint64 lines, lost, duplicated, outOfOrder;
  };
  const Case cases[] = {
      {"all in order", {0, 1, 2, 3}, 4, 0, 0, 0},
      {"one lost", {0, 2, 3}, 3, 1, 0, 0},
      {"one twice", {0, 1, 1, 2, 3}, 5, 0, 1, 0},
      {"two swapped", {0, 2, 1, 3}, 4, 0, 0, 1},
      {"the first last", {1, 2, 3, 0}, 4, 0, 0, 1},
      {"nothing written", {}, 0, 4, 0, 0},
  };
  for (const Case &c : cases) {
    const QByteArray file = FileOf(e, c.order);
    const CheckResult r = Check(e, file, true, {});
    EXPECT_EQ(r.evaluations, 4) << c.name;
    EXPECT_EQ(r.resultLines, c.lines) << c.name;
    EXPECT_EQ(r.lost, c.lost) << c.name;
    EXPECT_EQ(r.duplicated, c.duplicated) << c.name;
    EXPECT_EQ(r.outOfOrder, c.outOfOrder) << c.name;
    EXPECT_EQ(r.resultSha256, QString::fromLatin1(QCryptographicHash::hash(file, QCryptographicHash::Sha256).toHex()));
  }
  // Two evaluations may give the same text (a run time that wrapped after 24 h): each needs
  // a line of its own.
  const std::vector<Evaluation> same{Eval(1, 60, " ", "0,1"), Eval(1, 60, " ", "0,1")};
  EXPECT_EQ(Check(same, FileOf(same, {0}), true, {}).lost, 1);
  EXPECT_EQ(Check(same, FileOf(same, {0, 1}), true, {}).lost, 0);
  // No file at all: no hash, everything lost.
  const CheckResult none = Check(e, {}, false, {});
  EXPECT_TRUE(none.resultSha256.isEmpty());
  EXPECT_EQ(none.lost, 4);
}

TEST(DaysChecker, TheStarBelongsToTheFirstEvaluationAfterTheCrossing) {
  const std::vector<CellCrossing> crossing{{1, 1, 1, 300.0}};
  struct Case {
    const char *name;
    std::vector<Evaluation> evals;
    std::vector<CellCrossing> truth;
    qint64 breakthroughs, mismatches;
  };
  const Case cases[] = {
      {"on time", {Eval(1, 200, " ", "1"), Eval(1, 320, "*", "2"), Eval(1, 440, "*", "3")}, crossing, 1, 0},
      {"one evaluation late", {Eval(1, 200, " ", "1"), Eval(1, 320, " ", "2"), Eval(1, 440, "*", "3")}, crossing, 1, 1},
      {"too early", {Eval(1, 200, "*", "1"), Eval(1, 320, "*", "2")}, crossing, 1, 1},
      {"never marked", {Eval(1, 200, " ", "1"), Eval(1, 320, " ", "2")}, crossing, 0, 1},
      {"marked without a crossing", {Eval(1, 200, " ", "1"), Eval(1, 320, "*", "2")}, {}, 1, 1},
      {"crossing after the last evaluation", {Eval(1, 200, " ", "1")}, {{1, 1, 1, 900.0}}, 0, 0},
      // Each run and cell on its own: a new run starts unmarked.
      {"next run",
       {Eval(1, 320, "*", "1", 1), Eval(2, 320, " ", "2", 1), Eval(1, 100, " ", "3", 2), Eval(1, 320, "*", "4", 2)},
       {{1, 1, 1, 300.0}, {2, 1, 1, 300.0}},
       2,
       0},
  };
  for (const Case &c : cases) {
    std::vector<int> order(c.evals.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    const CheckResult r = Check(c.evals, FileOf(c.evals, order), true, c.truth);
    EXPECT_EQ(r.breakthroughs, c.breakthroughs) << c.name;
    EXPECT_EQ(r.breakthroughMismatches, c.mismatches) << c.name;
  }
}

// ---------------------------------------------------------------------------------------
// The fault plan

TEST(DaysFaultPlan, SameSeedSamePlanAndKindsDrawnIndependently) {
  const std::set<FaultKind> all(std::begin(kAllFaultKinds), std::end(kAllFaultKinds));
  const double week = 7 * 86400.0;
  const auto a = MakeFaultPlan(42, week, 2, all);
  const auto b = MakeFaultPlan(42, week, 2, all);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].t, b[i].t);
    EXPECT_EQ(a[i].kind, b[i].kind);
    EXPECT_EQ(a[i].port, b[i].port);
    EXPECT_EQ(a[i].amount, b[i].amount);
  }
  EXPECT_NE(MakeFaultPlan(43, week, 2, all).front().t, a.front().t);
  EXPECT_TRUE(std::is_sorted(a.begin(), a.end(), [](const Fault &x, const Fault &y) { return x.t < y.t; }));

  // Leaving kinds out keeps the others where they were.
  std::vector<double> hangups;
  for (const Fault &f : a)
    if (f.kind == FaultKind::Hangup) hangups.push_back(f.t);
  std::vector<double> alone;
  for (const Fault &f : MakeFaultPlan(42, week, 2, {FaultKind::Hangup})) alone.push_back(f.t);
  EXPECT_EQ(alone, hangups);

  // Rates per day, durations and ports as the mix says.
  std::map<FaultKind, int> count;
  for (const Fault &f : a) {
    ++count[f.kind];
    EXPECT_GE(f.t, 0);
    EXPECT_LT(f.t, week);
    EXPECT_TRUE(f.port == 1 || f.port == 2);
    const double expected = f.kind == FaultKind::ReadOnly ? 3600 : f.kind == FaultKind::DiskFull ? 600 : f.duration;
    EXPECT_EQ(f.duration, expected);
    EXPECT_GE(f.duration, 0);
  }
  EXPECT_GT(count[FaultKind::Garbage], 7 * 24 / 2);
  EXPECT_LT(count[FaultKind::Garbage], 7 * 24 * 2);
  EXPECT_GT(count[FaultKind::ClockStep], 0);
  for (const Fault &f : MakeFaultPlan(42, week, 1, all)) EXPECT_EQ(f.port, 1);
}

TEST(DaysFaultPlan, FaultListNames) {
  QString error;
  EXPECT_EQ(ParseFaultList(QStringLiteral("none"), error)->size(), 0u);
  EXPECT_EQ(ParseFaultList(QStringLiteral("all"), error)->size(), std::size(kAllFaultKinds));
  const auto some = ParseFaultList(QStringLiteral("hangup, clock,diskfull"), error);
  ASSERT_TRUE(some);
  EXPECT_EQ(*some, (std::set<FaultKind>{FaultKind::Hangup, FaultKind::ClockStep, FaultKind::DiskFull}));
  EXPECT_FALSE(ParseFaultList(QStringLiteral("hangup,flood"), error));
  EXPECT_TRUE(error.contains(QStringLiteral("flood")));
  EXPECT_FALSE(ParseFaultList(QStringLiteral(","), error));
}

// ---------------------------------------------------------------------------------------
// The model's event queue and the model on in-memory links

TEST(DaysEventQueue, RunsInDueOrderAndSkipsCancelled) {
  zelvo::sim::EventQueue q;
  std::vector<int> ran;
  q.At(2.0, [&] { ran.push_back(2); });
  const auto cancelled = q.At(1.0, [&] { ran.push_back(-1); });
  q.At(1.0, [&] { ran.push_back(1); });
  q.At(1.0, [&] {
    ran.push_back(11);
    q.At(1.5, [&] { ran.push_back(15); });  // added while running, due within the step
  });
  q.Cancel(cancelled);
  EXPECT_EQ(q.NextDue(), 1.0);
  EXPECT_EQ(q.RunDue(0.5), 0);
  EXPECT_EQ(q.RunDue(1.7), 3);
  EXPECT_EQ(ran, (std::vector<int>{1, 11, 15}));
  EXPECT_EQ(q.NextDue(), 2.0);
  q.RunDue(5);
  EXPECT_EQ(q.NextDue(), zelvo::sim::EventQueue::kNone);
}

class ModelInMemory : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::SetManual(100.0);
    zelvo::sim::Options o;
    o.port1 = QStringLiteral("COM1");
    o.seed = 5;
    o.ownTimer = false;
    model = std::make_unique<zelvo::sim::Simulator>(o, zelvo::sim::Scenario{}, [](int, const QString &path) {
      return std::make_unique<zelvo::sim::MemoryWire>(path);
    });
    QString error;
    ASSERT_TRUE(model->Start(error)) << error.toStdString();
    port.SetDeviceName(QStringLiteral("COM1"));
    port.OnRxChar = [this] { lines.Feed(port.ReadAvailable()); };
    port.OnError = [this](const EComError &e) { errors.push_back(e.ErrorCode()); };
    port.Open();
  }
  void TearDown() override {
    port.Close();
    model.reset();
    TMemoryDevices::Clear();
    Clock::SetReal();
  }
  void Send(zelvo::proto::Cmd cmd, int value = 0) {
    port.WriteLine(zelvo::Cp1252Encode(zelvo::proto::Form(cmd, value)));
  }
  // Steps the clock from event to event for `seconds`, delivering what arrives.
  void Run(double seconds) {
    const double end = Clock::Steady() + seconds;
    while (Clock::Steady() < end) {
      const double next = std::min(model->NextDue(), end);
      if (next > Clock::Steady()) Clock::Advance(next - Clock::Steady());
      model->RunDue();
      port.Notify();
    }
  }
  std::unique_ptr<zelvo::sim::Simulator> model;
  TMemoryPort port;
  zelvo::TLineQueue data, replies;
  zelvo::TLineReceiver lines{data, replies};
  std::vector<int> errors;
};

TEST_F(ModelInMemory, StreamsOnTheManualClockAndHangsUpAndReplugs) {
  using zelvo::proto::Cmd;
  Send(Cmd::SG);
  port.Notify();
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_TRUE(replies.front().startsWith(QStringLiteral(":SG")));

  Send(Cmd::StreamPrepareB);
  Send(Cmd::StreamPrepareW);
  Send(Cmd::StreamOn);
  Run(60);  // a minute of stream at 10 lines per second, no real waiting
  EXPECT_NEAR(static_cast<double>(data.size()), 601, 2);
  EXPECT_TRUE(data.front().startsWith(u'['));

  model->StdinCommand(QStringLiteral("hangup 1"));
  port.Notify();
  EXPECT_EQ(errors, std::vector<int>{EIO});
  EXPECT_FALSE(port.Active());
  EXPECT_FALSE(port.DeviceExists());
  model->StdinCommand(QStringLiteral("replug 1"));
  port.Open();
  Send(Cmd::SN);
  port.Notify();
  EXPECT_EQ(replies.back(), QStringLiteral(":SN4-0001"));
}

TEST(DaysRun, TheStandInSurvivesTheFaultMixOnTheManualClock) {
  DaysOptions o;
  o.days = 0.1;
  o.seed = 9;
  o.rates.hangup = 100;  // a few within 0.1 days
  o.rates.stall = 50;
  ScriptedProgram program;
  DaysReport report;
  QString error;
  ASSERT_TRUE(RunDays(o, zelvo::sim::Scenario{}, program, report, error)) << error.toStdString();
  // 0.1 days of runs of 8 cycles of 6 positions of 25 s: about 7 runs, 345 positions, every
  // position streamed on both links.
  EXPECT_GE(report.runStarts, 7);
  EXPECT_GE(program.Positions(), 340);
  EXPECT_GT(program.DataLines(), 340 * 2 * 180);
  EXPECT_GT(report.faults, 10);
  EXPECT_GT(program.Reconnects(), 0);  // hang-ups were survived
  EXPECT_GT(report.maxQueue, 0);
  EXPECT_LT(report.maxQueue, 1000);
  EXPECT_FALSE(Clock::IsManual());
}

// The program itself through the fault mix at a high rate, storage faults included: every
// evaluation's line is in the result file once and in order, and each cell's "*" line is
// the first evaluation after the truth's crossing.
TEST(DaysRun, TheProgramSurvivesTheFaultMixOnTheManualClock) {
  DaysOptions o;
  o.days = 0.1;
  o.seed = 4;
  for (double *r : {&o.rates.garbage, &o.rates.malformed, &o.rates.lost, &o.rates.stall, &o.rates.hangup,
                    &o.rates.clockStep, &o.rates.readOnly, &o.rates.diskFull})
    *r *= 20;
  SessionProgram program;
  DaysReport report;
  QString error;
  ASSERT_TRUE(RunDays(o, zelvo::sim::Scenario{}, program, report, error)) << error.toStdString();
  const CheckResult &c = report.check;
  // 0.1 days at 20 s per position: about 380 positions, less what the hang-ups cost.
  EXPECT_GT(c.evaluations, 250);
  EXPECT_EQ(c.resultLines, c.evaluations);
  EXPECT_EQ(c.lost, 0);
  EXPECT_EQ(c.duplicated, 0);
  EXPECT_EQ(c.outOfOrder, 0);
  EXPECT_GT(c.breakthroughs, 0);
  EXPECT_EQ(c.breakthroughMismatches, 0);
  EXPECT_GT(report.faults, 20);
  EXPECT_LT(report.maxQueue, 1000);
  EXPECT_FALSE(Clock::IsManual());
}

// The same seed gives the same run in another process: every figure but the real time and
// the memory, and the result file's bytes.
TEST(DaysRun, SameSeedSameRunInEveryProcess) {
  auto run = [](const char *seed) {
    QProcess p;
    p.start(QStringLiteral(ZELVO_DAYS_PATH),
            {QStringLiteral("--days"), QStringLiteral("0.05"), QStringLiteral("--seed"), QLatin1String(seed),
             QStringLiteral("--fault-rate"), QStringLiteral("20")});
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QString json = lines.value(lines.size() - 1);
    json.remove(QRegularExpression(QStringLiteral("\"(max_rss_mib|rss_growth_mib_per_day|seconds|cpu_seconds)\":[0-9.]+")));
    return json;
  };
  const QString a = run("11");
  EXPECT_TRUE(a.contains(QStringLiteral("\"lost\":0,"))) << a.toStdString();
  EXPECT_FALSE(a.contains(QStringLiteral("\"result_sha256\":\"\""))) << a.toStdString();
  EXPECT_EQ(run("11"), a);
  EXPECT_NE(run("12"), a);
}

}  // namespace
