// The tick never waits for the instrument: a heating report whose set points the instrument
// leaves unanswered still switches both heatings, in order, while the status polls and the
// data drain go on at their pace.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include "FakeInstrument.h"
#include "WindowTestSupport.h"
#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

// Lets the pseudo-terminal's bytes through both ends without moving the test clock.
void PumpRealEvents(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents();
    QThread::usleep(300);
  }
}

class HeatingTick : public OnTestClock {
 protected:
  void SetUp() override {
    OnTestClock::SetUp();
    ASSERT_TRUE(dir.isValid());
    CreateSettingsFileIfMissing(dir.filePath("Zelvo730.ini"), dir.path());
    TIniFile ini(dir.filePath("Zelvo730.ini"));
    ini.WriteString("Language", "Code", "US");
    ini.WriteString("Communication", "ComPortA", fid.Path());
    ini.WriteString("Communication", "ComPortB", dir.filePath("missing-b"));
    ini.WriteInteger("Preferences", "TempMeasurementCell", 27);
    ini.WriteInteger("Preferences", "TempValves", 60);
    for (const char *list : {"CH-Substanzen.txt", "S-Substanzen.txt"}) {
      QFile f(dir.filePath(list));
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write("Aceton=2,05\r\n");
    }
    form.Session.ProgramDirOverride = dir.path();
    form.Session.DiagLog.SetEchoToStderr(false);
    form.FormCreate();
    ASSERT_TRUE(messages.empty()) << messages.front().text.toStdString();
    Child<QTimer>(form, "Timer1")->stop();  // the test runs the ticks itself
  }

  // One tick as the timer runs it; returns how far the test clock moved during it, which is
  // only by waiting (the clock moves only when something waits on it).
  double Tick() {
    const double before = Clock::Steady();
    QMetaObject::invokeMethod(Child<QTimer>(form, "Timer1"), "timeout", Qt::DirectConnection);  // it fires
    Child<QTimer>(form, "Timer1")->stop();
    const double took = Clock::Steady() - before;
    PumpRealEvents(4);
    Clock::Advance(0.1);
    return took;
  }

  // The steady times at which the instrument received lines starting with `prefix`.
  std::vector<double> Arrivals(const QString &prefix) const {
    std::vector<double> t;
    for (qsizetype i = 0; i < fid.Lines.size(); ++i)
      if (fid.Lines[i].startsWith(prefix)) t.push_back(fid.At[static_cast<std::size_t>(i)]);
    return t;
  }

  QTemporaryDir dir;
  FakeInstrument fid;
  TForm1 form;
};

TEST_F(HeatingTick, UnansweredHeatingSetPointsDoNotStopPollingOrTheDataDrain) {
  fid.Replies["<PG"] = ":PGFC";  // both heatings on (bits 0 and 1 clear)
  fid.Unanswered = {"SS", "VS"};
  const double start = Clock::Steady();
  int drained = 0;
  double longestTick = 0;
  for (int tick = 0; tick < 250; ++tick) {  // 25 s
    form.Session.DataQueue1.push_back(QStringLiteral("/X100010"));
    const std::size_t before = form.Session.Signal1.Size();
    longestTick = std::max(longestTick, Tick());
    if (form.Session.Signal1.Size() > before) ++drained;
  }
  EXPECT_EQ(longestTick, 0.0);  // no tick waited on the clock
  EXPECT_EQ(drained, 250);      // every tick drained the detector data

  // The commands of the report went out in order, each switch only after its set point's
  // answer was given up (5 s); the port byte is written back last.
  const auto ss = Arrivals("<SS010E"), so = Arrivals("<SO1"), vs = Arrivals("<VS0258"), vo = Arrivals("<VO1"),
             ps = Arrivals("<PSCF");
  ASSERT_EQ(ss.size(), 1u) << fid.Lines.join(' ').toStdString();
  ASSERT_EQ(so.size(), 1u);
  ASSERT_EQ(vs.size(), 1u);
  ASSERT_EQ(vo.size(), 1u);
  ASSERT_EQ(ps.size(), 1u);
  EXPECT_GT(so[0] - ss[0], 5.0);
  EXPECT_GT(vs[0], so[0] - 0.5);  // the valve block's set point follows the chamber's give-up
  EXPECT_GT(vo[0] - vs[0], 5.0);
  EXPECT_LT(vo[0], ps[0]);
  EXPECT_TRUE(Child<TSpeedButton>(form, "btnMesskammerAn")->isChecked());
  EXPECT_TRUE(Child<TSpeedButton>(form, "btnVentilblockAn")->isChecked());

  // Nine polls, one looked at per tick: "<SG" leaves every 1.8 s, before, during and after.
  const auto sg = Arrivals("<SG");
  ASSERT_GE(sg.size(), 12u);
  EXPECT_LT(sg.front() - start, 2.0);
  for (std::size_t i = 1; i < sg.size(); ++i) EXPECT_LE(sg[i] - sg[i - 1], 2.0) << "poll " << i;
  EXPECT_TRUE(messages.empty());
}

TEST_F(HeatingTick, AnsweredSetPointLetsTheSwitchFollowAtOnce) {
  fid.Replies["<PG"] = ":PGFD";  // chamber off, valve block on
  for (int tick = 0; tick < 60; ++tick) Tick();
  const auto ss = Arrivals("<SS010E"), so = Arrivals("<SO0"), vs = Arrivals("<VS0258"), vo = Arrivals("<VO1"),
             ps = Arrivals("<PSEF");
  ASSERT_EQ(ss.size(), 1u) << fid.Lines.join(' ').toStdString();
  ASSERT_EQ(so.size(), 1u);
  ASSERT_EQ(vo.size(), 1u);
  ASSERT_EQ(ps.size(), 1u);
  EXPECT_LT(so[0] - ss[0], 1.0);
  EXPECT_LT(ss[0], vs[0]);
  EXPECT_LT(vo[0] - vs[0], 1.0);
  EXPECT_LT(vo[0], ps[0]);
  EXPECT_FALSE(Child<TSpeedButton>(form, "btnMesskammerAn")->isChecked());
  EXPECT_EQ(Child<TSpeedButton>(form, "btnMesskammerAn")->text(), "Off");
  EXPECT_EQ(Child<TSpeedButton>(form, "btnVentilblockAn")->text(), "On");
}

}  // namespace

// The instrument asks for the start (":QS") while a factor field in the run's range holds a
// text it refuses, and its heating set points stay unanswered: the run starts with the values
// last stored, the refusal is told without a box, and the polls and the data drain keep their
// pace through all of it.
TEST_F(HeatingTick, InstrumentStartWithARefusedFieldKeepsThePace) {
  fid.Replies["<PG"] = ":PGFC";
  fid.Unanswered = {"SS", "VS"};
  fid.Replies["<12AS100"] = ":QS01";  // every start poll asks; a going run ignores it
  const double flow = form.Session.Factors.SampleFlow1;
  form.Session.Fields.Factors[static_cast<int>(TFactorField::SampleFlow1)].Text = QStringLiteral("x");
  const double start = Clock::Steady();
  int drained = 0;
  double longestTick = 0;
  bool started = false;
  for (int tick = 0; tick < 250; ++tick) {  // 25 s
    form.Session.DataQueue1.push_back(QStringLiteral("/X100010"));
    longestTick = std::max(longestTick, Tick());
    if (form.Session.DataQueue1.empty()) ++drained;
    started |= form.Session.Sequencer.RunGoing();
  }
  EXPECT_TRUE(started);
  EXPECT_EQ(form.Session.Factors.SampleFlow1, flow);  // the value last stored
  EXPECT_EQ(longestTick, 0.0);
  EXPECT_EQ(drained, 250);
  for (const DialogMessage &m : messages) EXPECT_NE(m.kind, DialogMessage::Error) << m.text.toStdString();
  const auto sg = Arrivals("<SG");
  ASSERT_GE(sg.size(), 12u);
  EXPECT_LT(sg.front() - start, 2.0);
  // One command leaves per tick: the burst a run's start queues (run, valves, lamps, loop,
  // streams) delays the next poll by a few ticks, never by a wait.
  for (std::size_t i = 1; i < sg.size(); ++i) EXPECT_LE(sg[i] - sg[i - 1], 3.0) << "poll " << i;
}
