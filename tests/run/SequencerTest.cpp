#include <gtest/gtest.h>

#include <algorithm>

#include "FakeRunHost.h"
#include "core/Language.h"

using namespace zelvo;
using namespace zelvo::test;

namespace {

QStringList WithCr(std::initializer_list<const char *> commands) {
  QStringList l;
  for (const char *c : commands) l << QString::fromLatin1(c) + QLatin1Char('\r');
  return l;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// A whole run

// Positions 1 to 4, two cycles, nothing breaks through. Every command of port 1 in order,
// with the valve and lamp bytes they carry (active-low: V1 bits 0-5 = V11..V16, V2 bit 0 =
// V17 and bits 1-5 = V2..V6, lamp bits 2,1,0,7 = positions 1..4, bit 3 = loop).
TEST_F(RunFixture, RunOfFourPositionsOverTwoCyclesSendsEveryCommandInOrder) {
  in.HasFlowSensor = true;
  in.FlowText = "123";
  in.AutoFlow = {true, false, false};
  ASSERT_TRUE(seq.Start(in, now).Ok());
  EXPECT_EQ(host.Commands(), WithCr({"<V2SFE",  // V17
                                     "<V2SF6",  // V4, the only sample cell of the range
                                     "<X1 --:--", "<X2 --:--", "<X3 --:--", "<R1"}));
  const std::size_t started = host.Port1.size();
  ASSERT_TRUE(RunToEnd());

  // clang-format off
  const QStringList cycle = WithCr({
      // position 1: start (V11, lamp), sampling ends (loop on), loop filled (V11 closed),
      // measurement start (loop off, stream on), position 2 prepared (V12, V2), stream off,
      // lamp off
      "<12B1100", "<V1SFE", "<LSEB", "<12W1100", "<D1", "<LSE3", "<V1SFF",
      "<D0", "<LSEB", "<12Z1100", "<V1SFD", "<V2SF4", "<12Z0100", "<LSEF",
      // position 2: the reference flow valve V2 closes with V12
      "<12B1100", "<V1SFD", "<V2SF4", "<LSED", "<12W1100", "<D1", "<LSE5", "<V1SFF", "<V2SF6",
      "<D0", "<LSED", "<12Z1100", "<V1SFB", "<V2SF2", "<12Z0100", "<LSEF",
      // position 3
      "<12B1100", "<V1SFB", "<V2SF2", "<LSEE", "<12W1100", "<D1", "<LSE6", "<V1SFF", "<V2SF6",
      "<D0", "<LSEE", "<12Z1100", "<V1SF7", "<V2SF6", "<12Z0100", "<LSEF",
      // position 4: the cell's flow valve V4 stays open; the preparation wraps to position 1
      "<12B1100", "<V1SF7", "<V2SF6", "<LS6F", "<12W1100", "<D1", "<LS67", "<V1SFF",
      "<D0", "<LS6F", "<12Z1100", "<V1SFE", "<12Z0100", "<LSEF",
  });
  // clang-format on
  QStringList lastCycle = cycle;
  lastCycle.removeAt(cycle.lastIndexOf("<V1SFE\r"));  // nothing is prepared after the last measurement
  const QStringList expected = cycle + lastCycle + WithCr({"<R0", "<V1SFF", "<V2SFF"});
  EXPECT_EQ(host.Commands(started), expected);
  EXPECT_TRUE(host.Port2.empty());

  // Waits of position 1 in whole seconds since its start (S 2, I 3, M 5): sampling ends
  // when t > 2, the loop is filled when t > 5 and the stream starts one tick later, the
  // stream stops when t > 10.
  const double b = host.FirstTimeOf("<12B1100\r");
  EXPECT_NEAR(host.FirstTimeOf("<12W1100\r") - b, 3.0, 1e-6);
  EXPECT_NEAR(host.FirstTimeOf("<V1SFF\r", started) - b, 6.0, 1e-6);
  EXPECT_NEAR(host.FirstTimeOf("<12Z1100\r") - b, 6.1, 1e-6);
  EXPECT_NEAR(host.FirstTimeOf("<12Z0100\r") - b, 11.0, 1e-6);

  std::vector<int> positions;
  for (const auto &e : host.Evaluations) positions.push_back(e.Position);
  EXPECT_EQ(positions, (std::vector<int>{1, 2, 3, 4, 1, 2, 3, 4}));
  EXPECT_EQ(host.Evaluations[3].runAktiv, 4);
  EXPECT_EQ(host.Evaluations[3].Chemical, "Toluol");
  EXPECT_EQ(host.Evaluations[3].FIDSampleFactor, 1.5);
  EXPECT_EQ(host.Evaluations[2].Chemical, "Refgascell");
  EXPECT_EQ(host.Evaluations[2].FPDFactor, 0.25);
  EXPECT_EQ(S().runAktiv, 9);
  EXPECT_EQ(S().AktFlow, 123);
  EXPECT_EQ(S().Flow, 110);  // prepared for cell 1 before its position start
  EXPECT_EQ(host.SampleFlowTexts, (std::map<int, QString>{{1, "123"}}));
  EXPECT_EQ(host.SeriesCleared, 8);
  EXPECT_EQ(host.CountersReset, 8);

  EXPECT_TRUE(host.Statuses.contains("Füllen Messzelle: Messreihe 1 Zelle 1"));
  EXPECT_TRUE(host.Statuses.contains("Füllen Probenschleife: Messreihe 2 Zelle 4"));
  EXPECT_TRUE(host.Statuses.contains("Messung: 7 Messreihe 2 Zelle 3"));
  EXPECT_EQ(host.Statuses.last(), "Gestoppt");
  EXPECT_EQ(host.Buttons, (TRunButtons{true, true, false}));
  EXPECT_EQ(valves.ValveByte1, 0xFF);
  EXPECT_EQ(valves.ValveByte2, 0xFF);
  EXPECT_EQ(valves.LampByte, 0xEF);

  // The run time shows once per whole second; the start time until the first measurement
  // start, then "Start um " and the time.
  const QStringList runtimes = host.Labels[TRunLabel::Runtime];
  EXPECT_EQ(runtimes.mid(0, 3), (QStringList{"00:00:01", "00:00:02", "00:00:03"}));
  EXPECT_EQ(runtimes.size(), WholeSeconds(now.Steady - 1000.0));
  EXPECT_EQ(host.Labels[TRunLabel::Startrun].first(), "Start um12:00:00");
  EXPECT_EQ(host.Labels[TRunLabel::Startrun].last(), "Start um 12:00:00");
}

TEST_F(RunFixture, StartInEnglishAndWithTheLoopSwitchedOn) {
  in.ID = kEnglishOffset;
  in.InstrumentStateByte = 0x01;
  in.StartText = "4";
  in.CountText = "3";
  ASSERT_TRUE(seq.Start(in, now).Ok());
  EXPECT_EQ(host.Commands().mid(0, 5), WithCr({"<D0", "<V2SFE", "<V2SF6", "<V2SE6", "<V2SC6"}));
  EXPECT_EQ(host.Statuses.last(), "Start analysis");
  EXPECT_EQ(host.Labels[TRunLabel::Startrun].last(), "Start at12:00:00");
  EXPECT_EQ(host.Buttons, (TRunButtons{false, false, true}));
  EXPECT_EQ(host.ChartPrepared, 1);
  Tick();
  EXPECT_EQ(host.Statuses.last(), "Fill cell: Cycle 1 Cell 4");
}

// ---------------------------------------------------------------------------------------
// Off cells

// Cell 2 breaks through in cycle 1. In cycle 2 its position still starts ("<12B1100"),
// names its own chemical and is evaluated as an off position in the next tick, without any
// valve, lamp or injection; the preparation during cell 1 passes it over to cell 3.
TEST_F(RunFixture, OffCellIsPassedOverButEvaluatedUnderItsOwnName) {
  in.StartText = "4";
  in.CountText = "3";
  host.OnEvaluate = [](TRunState &run, const TPositionEvaluation &p) {
    if (p.Position == 5 && !p.Off) {
      run.CellOff[1] = true;
      --run.offCount;
    }
  };
  ASSERT_TRUE(seq.Start(in, now).Ok());
  ASSERT_TRUE(TickUntil([&] { return S().runAktiv == 4 && S().runTag == 5; }));
  EXPECT_EQ(host.OpenedValves().back(), 6);  // cell 3 prepared, not the off cell 2
  EXPECT_EQ(host.OpenedValves().end()[-2], 16);
  EXPECT_EQ(S().Flow, 130);

  ASSERT_TRUE(TickUntil([&] { return S().runAktiv == 5; }));
  const std::size_t lamps = host.Lamps.size(), commands = host.Port1.size();
  const int cleared = host.SeriesCleared;
  ASSERT_TRUE(TickUntil([&] { return S().runZelle == 6; }));
  Tick();  // position 6 starts
  EXPECT_EQ(host.Commands(commands), WithCr({"<12B1100", "<LSEF", "<12B1100", "<V1SDF", "<V2SC6", "<LSCF"}));
  EXPECT_EQ(host.Lamps.size() - lamps, 4u);  // lamp of position 5 off (as it was), valves and lamp of 6
  EXPECT_EQ(host.SeriesCleared, cleared);
  ASSERT_EQ(host.Evaluations.size(), 5u);
  const EvaluationCall &off = host.Evaluations[4];
  EXPECT_TRUE(off.Off);
  EXPECT_EQ(off.Position, 5);
  EXPECT_EQ(off.Chemical, "Aceton");
  EXPECT_EQ(off.FIDSampleFactor, 2.5);
  EXPECT_EQ(off.FPDFactor, 5.5);
  EXPECT_EQ(host.Labels[TRunLabel::FIDInfo].end()[-2], "Aceton");

  // A new run makes every cell active again.
  ASSERT_TRUE(RunToEnd());
  ASSERT_TRUE(seq.Start(in, now).Ok());
  EXPECT_EQ(S().CellOff, (std::array<bool, 3>{false, false, false}));
  EXPECT_EQ(S().offCount, 3);
}

TEST_F(RunFixture, RunOfSampleCellsEndsWhenAllHaveBrokenThrough) {
  in.StartText = "4";
  in.CountText = "3";
  in.CyclesText = "5";
  host.OnEvaluate = [](TRunState &run, const TPositionEvaluation &p) {
    run.CellOff[p.Position - 4] = true;
    --run.offCount;
  };
  ASSERT_TRUE(seq.Start(in, now).Ok());
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(host.Evaluations.size(), 3u);
  EXPECT_EQ(host.Commands().mid(host.Port1.size() - 3), WithCr({"<R0", "<V1SFF", "<V2SFF"}));
}

// ---------------------------------------------------------------------------------------
// The next-position preparation

// The valves opened while position runAktiv is measured; `breaks` are the measurements
// whose evaluation makes their cell break through.
TEST_F(RunFixture, PreparationWrapsPassesOffCellsAndStopsAtAnOffCellThree) {
  const struct {
    const char *name;
    const char *start, *count, *cycles;
    std::vector<int> breaks;
    int measurement;
    std::vector<int> opened;
    double flow;
  } cases[] = {
      {"wraps to the first position", "1", "4", "2", {}, 4, {11}, 0},
      {"reference positions open both valves", "2", "2", "2", {}, 2, {12, 2}, 0},
      {"off cell 1 passed over after the wrap", "4", "3", "2", {1}, 3, {15, 5}, 120},
      {"off cell 3 ends the walk", "4", "3", "2", {3}, 5, {}, 0},
      {"single position reopened for its next cycle", "5", "1", "3", {}, 1, {15, 5}, 120},
      {"nothing after the last measurement", "5", "1", "3", {}, 3, {}, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    FakeRunHost h;
    h.Now = &now;
    TValveBytes b;
    TRunSequencer s(h, b);
    in.StartText = c.start, in.CountText = c.count, in.CyclesText = c.cycles;
    h.OnEvaluate = [&](TRunState &run, const TPositionEvaluation &p) {
      if (std::find(c.breaks.begin(), c.breaks.end(), run.runAktiv) == c.breaks.end()) return;
      run.CellOff[p.Position - 4] = true;
      --run.offCount;
    };
    ASSERT_TRUE(s.Start(in, now).Ok());
    std::size_t from = 0;
    for (int i = 0; i < 100000 && !(s.State().runAktiv == c.measurement && s.State().runTag == 5); ++i) {
      if (s.State().runTag == 4) from = h.Lamps.size();
      now.Steady += kTick;
      in.FIDSampling = h.FidStream;
      in.intAD1Status = h.FidStream ? 118 : 103;
      s.Tick(in, now);
    }
    ASSERT_EQ(s.State().runTag, 5);
    EXPECT_EQ(h.OpenedValves(from), c.opened);
    if (c.flow) {
      EXPECT_EQ(s.State().Flow, c.flow);
    }
    EXPECT_EQ(s.State().runNextZelle, 0);
  }
}

// ---------------------------------------------------------------------------------------
// Start, stop and the range

TEST_F(RunFixture, StartLimitsTheRangeToPositionSixAndRefusesWhatDoesNotConvert) {
  const struct {
    const char *start, *count, *cycles;
    const char *error;  // empty: started
    int runStart, strtCount, strtCycles;
    std::vector<int> opened;  // valves opened by the start
  } cases[] = {
      {"4", "6", "1", "", 4, 3, 1, {17, 4, 5, 6}},
      {"6", "3", "2", "", 6, 1, 2, {17, 6}},
      {" 1 ", "3", "1", "", 1, 3, 1, {17}},
      {"2", "0", "0", "", 2, 1, 1, {17}},  // at least one position and one cycle
      {"0", "1", "1", "Startzelle: '0' is not a valid integer value", 0, 0, 0, {}},
      {"7", "1", "1", "Startzelle: '7' is not a valid integer value", 0, 0, 0, {}},
      {"x", "1", "1", "Startzelle: 'x' is not a valid integer value", 0, 0, 0, {}},
      {"1", "", "1", "Anzahl Zellen: '' is not a valid integer value", 0, 0, 0, {}},
      {"1", "2", "zwei", "Anzahl Messreihen: 'zwei' is not a valid integer value", 0, 0, 0, {}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.start + std::string("/") + c.count + "/" + c.cycles);
    FakeRunHost h;
    h.Now = &now;
    h.Buttons = {false, false, true};  // as a window that switched them before asking
    TValveBytes b;
    TRunSequencer s(h, b);
    in.StartText = c.start, in.CountText = c.count, in.CyclesText = c.cycles;
    const TStartResult r = s.Start(in, now);
    EXPECT_EQ(r.Message, c.error);
    EXPECT_EQ(h.OpenedValves(), c.opened);
    if (*c.error) {
      EXPECT_EQ(r.outcome, TStartResult::Outcome::Refused);
      EXPECT_EQ(s.State().runTag, 0);
      EXPECT_TRUE(h.Port1.empty());
      EXPECT_EQ(h.Buttons, (TRunButtons{true, true, false}));
      continue;
    }
    EXPECT_EQ(s.State().runStart, c.runStart);
    EXPECT_EQ(s.State().strtCount, c.strtCount);
    EXPECT_EQ(s.State().strtCycles, c.strtCycles);
    EXPECT_EQ(s.State().offCount, c.strtCount);
    EXPECT_EQ(s.State().strtMessungen, c.strtCount * c.strtCycles);
  }
}

TEST_F(RunFixture, RangeReachingPastSixVisitsOnlyPositionsUpToSix) {
  in.StartText = "5";
  in.CountText = "6";  // from the settings file, never limited by its field
  in.CyclesText = "1";
  ASSERT_TRUE(seq.Start(in, now).Ok());
  ASSERT_TRUE(RunToEnd());
  std::vector<int> positions;
  for (const auto &e : host.Evaluations) positions.push_back(e.Position);
  EXPECT_EQ(positions, (std::vector<int>{5, 6}));
  for (const TLampChange &l : host.Lamps) EXPECT_LE(l.Number, 17);  // no lamp beyond the valves
  for (const SentCommand &c : host.Port1) EXPECT_FALSE(c.Text.startsWith("<X4"));
}

TEST_F(RunFixture, StopDuringLoopFillingFinishesThePositionThenEndsTheRun) {
  ASSERT_TRUE(seq.Start(in, now).Ok());
  ASSERT_TRUE(TickUntil([&] { return S().runTag == 13; }));
  const std::size_t at = host.Port1.size();
  seq.Stop(in);
  EXPECT_EQ(host.Port1.size(), at);  // a stop during a run sends nothing itself
  EXPECT_EQ(host.Statuses.last(), "Stop Analyse");
  EXPECT_EQ(host.Buttons, (TRunButtons{false, false, false}));

  ASSERT_TRUE(RunToEnd());
  const QStringList after = host.Commands(at);
  EXPECT_TRUE(after.contains("<12Z1100\r"));
  EXPECT_EQ(after.indexOf("<12Z0100\r"), after.size() - 5);  // stream off, lamp off, end
  EXPECT_EQ(after.mid(after.size() - 4), WithCr({"<LSEF", "<R0", "<V1SFF", "<V2SFF"}));
  EXPECT_EQ(host.Evaluations.size(), 1u);
  EXPECT_EQ(host.Buttons, (TRunButtons{true, true, false}));
  EXPECT_EQ(host.Statuses.last(), "Gestoppt");

  const std::size_t idle = host.Port1.size();
  seq.Stop(in);  // neither a run nor a delay: nothing
  EXPECT_EQ(host.Port1.size(), idle);
}

// The link lost in each state of a position: the run ends at once, the position in progress
// is not evaluated, and the loop, the stream, the position lamp and every valve are switched
// off through the queue (they leave once the port is back).
TEST_F(RunFixture, AbortEndsTheRunAtOnceWithoutEvaluatingThePositionInProgress) {
  struct Case {
    int tag;
    std::vector<const char *> tail;
  };
  const std::vector<Case> cases = {
      {2, {"<LSEF", "<R0", "<V1SFF", "<V2SFF"}},
      {13, {"<D0", "<LSEB", "<LSEF", "<R0", "<V1SFF", "<V2SFF"}},
      {5, {"<12Z0100", "<LSEF", "<R0", "<V1SFF", "<V2SFF"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.tag);
    const std::size_t evaluations = host.Evaluations.size();
    ASSERT_TRUE(seq.Start(in, now).Ok());
    ASSERT_TRUE(TickUntil([&] { return S().runTag == c.tag; }));
    const std::size_t at = host.Port1.size();
    seq.Abort(in, "link lost");
    QStringList tail;
    for (const char *t : c.tail) tail << QString::fromLatin1(t) + QLatin1Char('\r');
    const QStringList sent = host.Commands(at);
    // The valve bytes of the prepared next position may precede the end; the end is fixed.
    ASSERT_GE(sent.size(), tail.size());
    EXPECT_EQ(sent.mid(sent.size() - tail.size()), tail);
    EXPECT_FALSE(seq.RunGoing());
    EXPECT_EQ(host.Evaluations.size(), evaluations);
    EXPECT_EQ(host.Logged.last(), "link lost");
    EXPECT_EQ(host.Buttons, (TRunButtons{true, true, false}));
  }
  // Neither a run nor a delay: nothing.
  const std::size_t idle = host.Port1.size();
  seq.Abort(in, "link lost");
  EXPECT_EQ(host.Port1.size(), idle);
}

// ---------------------------------------------------------------------------------------
// Delayed start

TEST_F(RunFixture, DelayedStartCountsFromTheArmingAndKeepsItsRunClock) {
  const TNow armed = now;
  ASSERT_EQ(seq.DelayedStart("00:01", in, now).outcome, TStartResult::Outcome::Armed);
  EXPECT_EQ(host.Statuses.last(), "Messverzögerung Aktiv");
  EXPECT_EQ(host.Buttons, (TRunButtons{false, false, true}));

  ASSERT_TRUE(TickUntil([&] { return now.Steady >= armed.Steady + 30 - 1e-9; }));
  EXPECT_TRUE(host.Port1.empty());
  EXPECT_EQ(host.Labels[TRunLabel::Delay].last(), "00:00:30");
  EXPECT_EQ(host.Labels[TRunLabel::Runtime].last(), "00:00:30");
  EXPECT_TRUE(S().UpdateTime);

  ASSERT_TRUE(TickUntil([&] { return S().runTag > 0; }));
  EXPECT_NEAR(now.Steady - armed.Steady, 60.0, 1e-6);
  EXPECT_EQ(S().runStartzeit, armed.Steady);
  EXPECT_EQ(S().delayTag, 0);
  EXPECT_EQ(host.Labels[TRunLabel::Delay].last(), "00:00:00");
  // In the starting tick the run time already counts from the arming, and the first
  // position has started.
  EXPECT_EQ(host.Labels[TRunLabel::Runtime].last(), "00:01:00");
  EXPECT_EQ(host.Labels[TRunLabel::Startrun].last(), "Start um12:00:00");
  EXPECT_EQ(S().runTag, 2);
  EXPECT_EQ(host.Commands().mid(5, 2), WithCr({"<R1", "<12B1100"}));
}

TEST_F(RunFixture, StopDuringTheDelayClosesTheValvesAtOnceAndNothingStarts) {
  ASSERT_TRUE(seq.DelayedStart("00:00:05", in, now).Ok());
  Tick();
  seq.Stop(in);
  EXPECT_EQ(host.Commands(), WithCr({"<V1SFF", "<V2SFF", "<R0"}));
  EXPECT_EQ(host.Statuses.last(), "Gestoppt");
  EXPECT_EQ(host.Buttons, (TRunButtons{true, true, false}));
  TickUntil([] { return false; }, 10);
  EXPECT_EQ(S().runTag, 0);
  EXPECT_EQ(host.Port1.size(), 3u);
}

TEST_F(RunFixture, DelayTextThatIsNoTimeArmsNothingAndLeavesTheButtonsIdle) {
  host.Buttons = {false, false, true};
  const TStartResult r = seq.DelayedStart("1:75", in, now);
  EXPECT_EQ(r.outcome, TStartResult::Outcome::Refused);
  EXPECT_EQ(r.Message, "'1:75' is not a valid time");
  EXPECT_EQ(S().delayTag, 0);
  EXPECT_EQ(host.Buttons, (TRunButtons{true, true, false}));
  TickUntil([] { return false; }, 5);
  EXPECT_TRUE(host.Port1.empty());
}

TEST_F(RunFixture, DelayRunningOutWithAnUnconvertibleRangeCancelsTheDelay) {
  ASSERT_TRUE(seq.DelayedStart("00:00:02", in, now).Ok());
  in.CyclesText = "viele";
  std::optional<TStartResult> r;
  for (int i = 0; i < 30 && !r; ++i) {
    now.Steady += kTick;
    r = seq.Tick(in, now);
  }
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Message, "Anzahl Messreihen: 'viele' is not a valid integer value");
  EXPECT_EQ(S().delayTag, 0);
  EXPECT_EQ(S().runTag, 0);
  EXPECT_EQ(host.Buttons, (TRunButtons{true, true, false}));
  EXPECT_TRUE(host.Port1.empty());
}

TEST(StartDelay, TimesOfDayConvertToSeconds) {
  const struct {
    const char *text;
    std::optional<int> seconds;
  } cases[] = {
      {"01:00", 3600}, {"00:30", 1800}, {" 1:05:09 ", 3909}, {"23:59:59", 86399}, {"00:00", 0},
      {"24:00", {}},   {"1:60", {}},    {"1", {}},           {"ab:cd", {}},       {"", {}},
      {"1:2:3:4", {}}, {"-1:00", {}},   {"1::00", {}},
  };
  for (const auto &c : cases) EXPECT_EQ(ParseStartDelay(c.text), c.seconds) << c.text;
}

TEST(RunTime, ElapsedSecondsAsTimeOfDayWrappingAfterADay) {
  const struct {
    double seconds;
    const char *text;
  } cases[] = {
      {0, "00:00:00"},      {0.999, "00:00:00"}, {59.9999999, "00:01:00"},  // rounding noise
      {3599.9, "00:59:59"}, {86399, "23:59:59"}, {86400 + 61, "00:01:01"}, {-0.3, "00:00:00"},
  };
  for (const auto &c : cases) EXPECT_EQ(RunTimeText(c.seconds), c.text) << c.seconds;
}

// ---------------------------------------------------------------------------------------
// The instrument's start request

TEST_F(RunFixture, InstrumentStartRequestIsIgnoredDuringARun) {
  ASSERT_EQ(seq.RequestStartFromInstrument(in, now).outcome, TStartResult::Outcome::Started);
  ASSERT_TRUE(TickUntil([&] { return S().runZelle == 2 && S().runTag == 4; }));
  const TRunState before = S();
  const std::size_t sent = host.Port1.size();
  const TStartResult r = seq.RequestStartFromInstrument(in, now);
  EXPECT_EQ(r.outcome, TStartResult::Outcome::Ignored);
  EXPECT_TRUE(r.Message.contains("ignored"));
  EXPECT_EQ(host.Port1.size(), sent);
  EXPECT_EQ(S().runZelle, before.runZelle);
  EXPECT_EQ(S().runAktiv, before.runAktiv);
  EXPECT_EQ(S().runStartzeit, before.runStartzeit);
  EXPECT_EQ(S().runTag, 4);
}

TEST_F(RunFixture, InstrumentStartRequestStartsAnArmedDelayAtOnce) {
  const TNow armed = now;
  ASSERT_TRUE(seq.DelayedStart("01:00", in, now).Ok());
  TickUntil([] { return false; }, 20);
  ASSERT_EQ(seq.RequestStartFromInstrument(in, now).outcome, TStartResult::Outcome::Started);
  EXPECT_EQ(S().delayTag, 0);
  EXPECT_EQ(S().runStartzeit, armed.Steady);
  EXPECT_EQ(host.Buttons, (TRunButtons{false, false, true}));
}

// ---------------------------------------------------------------------------------------
// The end of the data stream

// The stop is repeated when the stream has not ended 0.5 s after it was sent (queued, and
// on FIDFPD also on port 2); after 10 s what arrived is evaluated and the log says so. On
// FIDFPD both streams must end.
TEST_F(RunFixture, StreamThatDoesNotEndIsStoppedAgainAndEvaluatedAfterTenSeconds) {
  const struct {
    const char *name;
    TDeviceTyp type;
    bool fidIgnores, fpdIgnores;
    bool bounded;
  } cases[] = {
      {"FID ends at once", TDeviceTyp::FID, false, false, false},
      {"FID never ends", TDeviceTyp::FID, true, false, true},
      {"FIDFPD both end", TDeviceTyp::FIDFPD, false, false, false},
      {"FIDFPD: the FPD never ends", TDeviceTyp::FIDFPD, false, true, true},
      {"FIDFPD: the FID never ends", TDeviceTyp::FIDFPD, true, false, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    FakeRunHost h;
    h.Now = &now;
    h.FidIgnoresStop = c.fidIgnores;
    h.FpdIgnoresStop = c.fpdIgnores;
    TValveBytes b;
    TRunSequencer s(h, b);
    in.DeviceTyp = c.type;
    in.CountText = "1", in.CyclesText = "1";
    ASSERT_TRUE(s.Start(in, now).Ok());
    for (int i = 0; i < 2000 && s.State().runTag != 0; ++i) {
      now.Steady += kTick;
      in.FIDSampling = h.FidStream;
      in.FPDSampling = h.FpdStream;
      in.intAD1Status = h.FidStream ? 118 : 103;
      s.Tick(in, now);
    }
    ASSERT_EQ(s.State().runTag, 0);
    ASSERT_EQ(h.Evaluations.size(), 1u);

    std::vector<double> stops;
    for (const SentCommand &cmd : h.Port1)
      if (cmd.Text == "<12Z0100\r") stops.push_back(cmd.At);
    const double end = h.FirstTimeOf("<LSEF\r", 1);  // the advance after the evaluation
    if (!c.bounded) {
      EXPECT_EQ(stops.size(), 1u);
      EXPECT_LT(end - stops[0], 0.5);
      EXPECT_TRUE(h.Logged.isEmpty());
      continue;
    }
    EXPECT_GE(end - stops[0], 10.0);
    EXPECT_LT(end - stops[0], 10.25);
    ASSERT_GE(stops.size(), 10u);
    for (std::size_t i = 1; i < stops.size(); ++i) EXPECT_GT(stops[i] - stops[i - 1], 0.5);
    ASSERT_EQ(h.Logged.size(), 1);
    EXPECT_TRUE(h.Logged[0].contains("did not end"));
    if (c.type == TDeviceTyp::FIDFPD) {
      std::size_t port2Stops = 0;
      for (const SentCommand &cmd : h.Port2) port2Stops += cmd.Text == "<12Z0100\r";
      EXPECT_EQ(port2Stops, stops.size());
      EXPECT_EQ(h.Port2.front().Text, "<12B1100\r");
      EXPECT_EQ(h.Discarded[2], 1);
    }
  }
}
