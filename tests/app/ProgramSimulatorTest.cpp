// The program end to end against the instrument simulator, in real time: the start-up's
// requests and queued commands as the instrument receives them, the poll traffic that
// follows, and the status displays showing what the instrument reports.
#if defined(ZELVO_SIM_PATH) && defined(ZELVO_APP_PATH)
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include "WindowTestSupport.h"
#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "link/PtyPair.h"
#include "support/Processes.h"
#include "support/SimBench.h"
#include "ui/Dialogs.h"
#include "ui/Widgets.h"

using namespace zelvo;
using testsupport::SimBench;
using testsupport::SimSetup;
using testsupport::StartWindowCopy;

namespace {

struct BenchSettings {
  QString typ = "FID";   // FIDFPD: the simulator plays a second converter
  bool swapped = false;  // the settings name the converters' ports the wrong way round
  bool heatingsOff = true;  // the simulator's heatings off at 22 °C (its scenario key)
};

// The simulator bench with the substance lists of these tests.
class Bench : public SimBench {
 public:
  explicit Bench(const BenchSettings &s)
      : SimBench(SimSetup{s.typ, s.swapped, s.heatingsOff ? QByteArray("[Heating]\non=0\n") : QByteArray(), {}, 1}) {
    WriteSubstanceLists("Aceton=2,05\r\n");
  }
  // The lines the simulator received on a port, in order.
  QStringList Received(int port) const { return Commands(port); }
};

const QStringList kQueuedAtStart = {"<X1 Run Time --:--", "<X2 Run Time --:--", "<X3 Run Time --:--",
                                    "<PSFF", "<V1SFF", "<V2SFF", "<LSEF", "<DG", "<12Z0100", "<R0"};
const QStringList kFidRequests = {"<SN", "<Y1", "<X000:00:00", "<FA", "<BC", "<WC", "<CC",
                                  "<XS01F4", "<YS0258", "<ES3A98", "<TS3A98", "<HS0064"};
const QStringList kFpdOff = {"<EO0", "<TO0", "<HS0000", "<HO0", "<YS0000", "<YO0", "<XS0000", "<XO0"};
const QSet<QString> kPolls = {"<SG", "<VG", "<PG", "<WG", "<BG", "<CG", "<V1G", "<V2G", "<12AS100"};
const QSet<QString> kFpdPolls = {"<EG", "<TG", "<XG", "<YG", "<HG"};

// Runs the program from the bench's folder until the simulator has seen `polls` converter
// status polls, then ends it.
void RunProgram(Bench &bench, int polls) {
  // The program reads its settings beside its executable: give it a copy in the folder.
  QProcess program;
  ASSERT_TRUE(StartWindowCopy(program, QStringLiteral(ZELVO_APP_PATH), bench.Path("Zelvo730")));
  const bool polled = PumpUntil([&] { return bench.Received(1).count("<12AS100") >= polls; }, 30000);
  EXPECT_EQ(program.state(), QProcess::Running) << "the program ended early";
  program.kill();
  program.waitForFinished(5000);
  ASSERT_TRUE(polled);
}

// Everything after the start-up's own lines on port 1 is a poll of the expected set, and
// every poll of the set was sent.
void ExpectPolls(const QStringList &rest, QSet<QString> expected) {
  QSet<QString> seen;
  for (const QString &l : rest) {
    EXPECT_TRUE(expected.contains(l)) << l.toStdString();
    seen.insert(l);
  }
  EXPECT_EQ(seen, expected);
}

class ProgramWithSimulator : public WithRecordedMessages {};

TEST_F(ProgramWithSimulator, FidStartUpThenPolls) {
  Bench bench({});
  ASSERT_TRUE(bench.ok());
  RunProgram(bench, 2);
  const QStringList p1 = bench.Received(1);
  ASSERT_GE(p1.size(), 22);
  EXPECT_EQ(p1.mid(0, 12), kFidRequests);
  EXPECT_EQ(p1.mid(12, 10), kQueuedAtStart);
  ExpectPolls(p1.mid(22), kPolls);
}

TEST_F(ProgramWithSimulator, FpdStartUpSwitchesTheFpdOffFirst) {
  Bench bench({"FPD"});
  ASSERT_TRUE(bench.ok());
  RunProgram(bench, 2);
  const QStringList p1 = bench.Received(1);
  ASSERT_GE(p1.size(), 30);
  EXPECT_EQ(p1.mid(0, 20), QStringList{"<SN"} + kFpdOff + kFidRequests.mid(1));
  EXPECT_EQ(p1.mid(20, 10), kQueuedAtStart);
  ExpectPolls(p1.mid(30), kPolls);  // an FPD alone is not polled for its zones
}

TEST_F(ProgramWithSimulator, FidFpdOnTwoPortsAndSwapped) {
  for (bool swapped : {false, true}) {
    Bench bench({"FIDFPD", swapped});
    ASSERT_TRUE(bench.ok());
    RunProgram(bench, 3);
    const QStringList p1 = bench.Received(1), p2 = bench.Received(2);
    // 21 requests, 22 when the first identification went to the FPD converter.
    const QStringList p2Start = swapped ? QStringList{"<SN", "<SN", "<12Z0100"} : QStringList{"<SN", "<12Z0100"};
    EXPECT_EQ(p2, p2Start) << "swapped " << swapped;
    ASSERT_GE(p1.size(), 30);
    EXPECT_EQ(p1.mid(0, 20), QStringList{"<SN"} + kFpdOff + kFidRequests.mid(1));
    EXPECT_EQ(p1.mid(20, 10), kQueuedAtStart);
    ExpectPolls(p1.mid(30), kPolls + kFpdPolls);
  }
}

// In the test's own process, so that the displays can be read.
TEST_F(ProgramWithSimulator, DisplaysShowTheInstrumentsValues) {
  Bench bench({"FIDFPD"});
  ASSERT_TRUE(bench.ok());
  TForm1 form;
  form.Session.ProgramDirOverride = bench.Dir();
  form.FormCreate();
  ASSERT_TRUE(Child<QTimer>(form, "Timer1")->isActive());
  // The simulator's zones stand at 22 °C with their heatings off; the FPD gases and the
  // high voltage read 0 while switched off.
  const QString degree = QString::fromUtf8("°C");
  EXPECT_TRUE(PumpUntil(
      [&] {
        return Child<TLabel>(form, "lblMesskammer")->text() == "22.0" + degree &&
               Child<TLabel>(form, "lblVentilblock")->text() == "22.0" + degree &&
               Child<TLabel>(form, "lblEmmision")->text() == "22 " + degree &&
               Child<TLabel>(form, "lblTransfer")->text() == "22 " + degree &&
               Child<TLabel>(form, "lblHVoltage")->text() == "0 V" &&
               Child<TLabel>(form, "lblFPDAir")->text() == "0 AIR mbar" &&
               Child<TLabel>(form, "lblFPDH2")->text() == "0 H2 mbar" && form.Session.intAD1Status == 100;
      },
      15000))
      << Child<TLabel>(form, "lblMesskammer")->text().toStdString() << " "
      << Child<TLabel>(form, "lblEmmision")->text().toStdString() << " "
      << Child<TLabel>(form, "lblHVoltage")->text().toStdString();
  EXPECT_NEAR(Child<QLineEdit>(form, "edAir")->text().toInt(), 700, 3);
  EXPECT_TRUE(messages.empty());
}

BenchSettings WithHeatingsOn() {
  BenchSettings s;
  s.heatingsOff = false;
  return s;
}

// The simulated instrument's heatings are on from the start, as on a working one: the
// window's switches follow its report and the chamber climbs from 22 °C towards its set point.
TEST_F(ProgramWithSimulator, HeatingsAreOnByDefaultAndTheChamberClimbs) {
  Bench bench(WithHeatingsOn());
  ASSERT_TRUE(bench.ok());
  TForm1 form;
  form.Session.ProgramDirOverride = bench.Dir();
  form.FormCreate();
  ASSERT_TRUE(Child<QTimer>(form, "Timer1")->isActive());
  double chamber = 0;
  EXPECT_TRUE(PumpUntil(
      [&] {
        chamber = QLocale::c().toDouble(
            Child<TLabel>(form, "lblMesskammer")->text().section(QString::fromUtf8("°"), 0, 0));
        return chamber > 22.5;
      },
      15000))
      << Child<TLabel>(form, "lblMesskammer")->text().toStdString();
  EXPECT_TRUE(bench.Received(1).filter(QRegularExpression("^<PS")).size() >= 1);
  EXPECT_TRUE(messages.empty());
}

}  // namespace
#endif
