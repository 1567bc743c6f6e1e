// A whole FIDFPD run against the simulator with the converters attached the wrong way round,
// started by the instrument (":QS"): the program swaps the ports, both converters stream at
// every measured position, and cell 2 is closed by its FPD while its FID reads far below the
// FID limit; the report ends cell 2's FPD curve at that breakthrough.
#include <gtest/gtest.h>

#include <QProcess>
#include <QPushButton>
#include <iostream>

#include "WholeBench.h"
#include "app/WindowTestSupport.h"
#include "link/ComPort.h"
#include "link/PtyPair.h"
#include "results/Report.h"

using namespace zelvo;
using namespace whole;

namespace {

// Cell 1 reads 2.0 µg/cm²/min on its FID, 0 on its FPD; cell 2 reads 0.2 on its FID and 0.5 on
// its FPD from the start. The FID's peaks are sharp and the detector sensitive (see the FID
// run). The FPD streams from the loop's filling on, so its peak lands 2.2 s plus the filling
// time (0.5 to 1.5 s on the whole-second clock, more on a loaded machine) into its samples:
// after the search's first index (1.3 s at this loop flow) and with its whole tail inside the
// 8 s measurement.
constexpr const char *kScenario =
    "[Detector]\napex=2.5\ntail=0.1\ncal_area=2000000\n"
    "[FPD]\napex=2.2\nsigma=0.3\ntail=0.2\n"
    "[Cell1]\nlag=0\ntau=0\nrate_ss=2.0\n"
    "[FPDCell1]\nrate_ss=0\n"
    "[Cell2]\nlag=0\ntau=0\nrate_ss=0.2\n"
    "[FPDCell2]\nlag=0\ntau=0\nrate_ss=0.5\n";

// zelvo730-report's CSV of a result file: its lines after the header, split at ";".
std::vector<QStringList> ReportCsv(const QString &file) {
  QProcess p;
  p.start(QStringLiteral(ZELVO_REPORT_PATH), {file, QStringLiteral("--csv"), QStringLiteral("-")});
  std::vector<QStringList> out;
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return out;
  const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
  for (qsizetype i = 1; i < lines.size(); ++i) out.push_back(lines[i].split(u';'));
  return out;
}

class WholeFidFpdRun : public WithRecordedMessages {};

TEST_F(WholeFidFpdRun, SwappedConvertersStartedByTheInstrumentFpdDecides) {
  BenchSetup setup;
  setup.Typ = "FIDFPD";
  setup.Swapped = true;
  setup.First = 4;
  setup.Count = 2;
  setup.Cycles = 3;
  setup.Messzeit = 8;
  setup.LimitFid = 10;
  setup.LimitFpd = 0.1;
  setup.FidCalArea = 2000000;  // the scenario's area of 100 ppm
  setup.FpdCalArea = 50000;    // and of 10 ppm on the FPD
  setup.Scenario = kScenario;
  Bench bench(setup);
  ASSERT_TRUE(bench.ok());
  TSession *session = bench.StartSession();
  ASSERT_TRUE(session);

  // The instrument's converter answered on the port named second: the ports were swapped.
  ASSERT_EQ(session->DeviceTyp, TDeviceTyp::FIDFPD);
  EXPECT_EQ(session->ComPort1->DeviceName(), bench.Link(1));
  EXPECT_EQ(session->ComPort2->DeviceName(), bench.Link(2));
  {
    const auto port2 = bench.Lines(2);
    ASSERT_FALSE(port2.empty());
    EXPECT_EQ(port2.front().Line, "<SN");  // asked first, as the settings said
  }

  // The instrument asks for the start once the program polls it.
  auto polled = [&] {
    for (const auto &r : bench.Lines(1))
      if (r.Line == "<12AS100") return true;
    return false;
  };
  ASSERT_TRUE(PumpUntil(polled, 30000));
  bench.SimCommand("qs");
  ASSERT_TRUE(PumpUntil([&] { return session->Sequencer.RunGoing(); }, 15000)) << "the start request was not taken";
  ASSERT_TRUE(bench.WaitForRunEnd(900)) << "the run did not end by itself";
  bench.StopSimulator();

  // Both converters streamed at every measured position.
  auto streams = [&](int port) {
    int n = 0;
    for (const auto &r : bench.Lines(port)) n += r.Line == "<12Z1100";
    return n;
  };
  const std::vector<Injection> fid = bench.Injections(1), fpd = bench.Injections(2);
  EXPECT_EQ(fid.size(), fpd.size());
  EXPECT_EQ(streams(1), static_cast<int>(fid.size()));
  EXPECT_EQ(streams(2), static_cast<int>(fid.size()));

  // The lines: cell 1 every cycle, cell 2 measured until its FPD decided, then off lines.
  const std::vector<ResultLine> lines = bench.ResultLines();
  ASSERT_EQ(lines.size(), 6u);
  const ResultLine *broke = nullptr;
  int missedFpdPeaks = 0;
  std::size_t next = 0;
  for (const ResultLine &l : lines) {
    SCOPED_TRACE(testing::Message() << "result file line " << l.Line);
    if (l.Position == 5 && broke) {
      EXPECT_EQ(l.Mark, "*");
      EXPECT_EQ(l.FidRate + l.FpdRate + l.FidArea + l.FpdArea, 0);
      continue;
    }
    ASSERT_LT(next, fid.size());
    const Injection &f = fid[next], &p = fpd[next];
    ++next;
    ASSERT_EQ(f.Position, l.Position);
    EXPECT_NEAR(l.FidRate, f.Rate, f.Rate * 0.05 + 0.0006) << "truth " << f.Rate;
    EXPECT_GT(l.FidArea, 0);
    if (l.Position == 4) {
      EXPECT_EQ(l.Mark, " ");
      EXPECT_LT(l.FpdRate, 0.01);
      continue;
    }
    if (p.Rate <= 0.1) {
      EXPECT_EQ(l.Mark, " ");
    } else if (l.FpdArea == 0) {
      // The FPD's search gives up on a peak it does not see end within the measurement;
      // then the cell is decided at its next sample.
      EXPECT_EQ(l.Mark, " ");
      ++missedFpdPeaks;
    } else {
      EXPECT_EQ(l.Mark, "*");
      EXPECT_GT(l.FpdRate, 0.1);
      EXPECT_LT(l.FidRate, setup.LimitFid);  // the FPD decided, not the FID
      EXPECT_EQ(l.BreakTime, l.RunTime);
      broke = &l;
    }
  }
  EXPECT_EQ(next, fid.size());
  EXPECT_LE(missedFpdPeaks, 1);
  ASSERT_TRUE(broke) << "cell 2 was not closed by its FPD";
  std::cout << "[figures] FIDFPD: cell 2 closed by its FPD at run time " << broke->RunTime.toStdString()
            << " (FPD " << broke->FpdRate << ", FID " << broke->FidRate << "), FPD peaks missed before: "
            << missedFpdPeaks << "\n";

  // The report: cell 2's FPD curve ends at its breakthrough, its level a lower bound.
  const std::vector<QStringList> csv = ReportCsv(bench.ResultFile());
  ASSERT_EQ(csv.size(), 4u);  // cells 1 and 2, FID and FPD
  const QStringList &c2fpd = csv[3];
  EXPECT_EQ(c2fpd.value(0), "2");
  EXPECT_EQ(c2fpd.value(1), "FPD");
  EXPECT_FALSE(c2fpd.value(3).isEmpty());
  EXPECT_TRUE(c2fpd.value(6).startsWith(QStringLiteral("\u2265")));
  std::cout << "[figures] FIDFPD report, cell 2 FPD: " << c2fpd.join(u';').toStdString() << "\n";
}

}  // namespace
