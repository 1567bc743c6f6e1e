// The simulator seen from the program's side of its ptys: identification, replies, polls,
// data streams against the truth file, hang-up and reconnection, two converters, standard
// input commands, and a clean exit on SIGTERM. Real time, a few seconds per test.
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <cmath>

#include "SimTestSupport.h"
#include "support/SimBench.h"
#include "link/Protocol.h"

using namespace simtest;
using namespace zelvo::proto;

namespace {

// Every test ends the same way: SIGTERM gives exit code 0 and removes the links.
class Sim : public ::testing::Test {
 protected:
  void Start(const QStringList &args = {}, bool twoPorts = false, const QByteArray &scenario = {}) {
    sim_ = std::make_unique<testsupport::SimBench>(
        testsupport::SimSetup{twoPorts ? QStringLiteral("FIDFPD") : QStringLiteral("FID"), false, scenario, args, 7});
    ASSERT_TRUE(sim_->ok()) << "simulator did not come up";
    twoPorts_ = twoPorts;
  }
  void TearDown() override {
    if (!sim_ || !sim_->ok()) return;
    const QString l1 = sim_->Link(1), l2 = sim_->Link(2);
    EXPECT_EQ(sim_->StopSimulator(), 0);
    EXPECT_FALSE(QFileInfo(l1).isSymLink()) << "link 1 left behind";
    EXPECT_FALSE(QFileInfo(l2).isSymLink()) << "link 2 left behind";
    // Every log line: seconds with three decimals, port, rx or ev, text.
    static const QRegularExpression form(QStringLiteral("^\\d+\\.\\d{3} [12] (rx|ev) .+$"));
    for (const QString &line : sim_->LogLines())
      EXPECT_TRUE(form.match(line).hasMatch()) << line.toStdString();
  }
  std::unique_ptr<testsupport::SimBench> sim_;
  bool twoPorts_ = false;
};

QJsonObject Json(const QString &line) { return QJsonDocument::fromJson(line.toUtf8()).object(); }

TEST_F(Sim, IdentifiesAndAnswersWaitCommandsAtOnce) {
  Start();
  Client c(sim_->Link(1));
  ASSERT_TRUE(c.ok());
  const std::pair<QString, const char *> cases[] = {
      {FormIdentify(SnFraming::CrLfAround), ":SN4-0001"},
      {FormIdentify(SnFraming::Plain), ":SN4-0001"},
      {FormIdentify(SnFraming::CrBefore), ":SN4-0001"},
      {Form(Cmd::FA), ":FA00"},
      {Form(Cmd::BC), ":BC02BC"},  // start values 700, 600, 1000 mbar
      {Form(Cmd::WC), ":WC0258"},
      {Form(Cmd::CC), ":CC03E8"},
      {Form(Cmd::Y1), ":Y1OK"},
      {Form(Cmd::X0, u"00:00:00"), ":X0OK"},
      {Form(Cmd::SS, 27), ":SSOK"},
      {Form(Cmd::VS, 60), ":VSOK"},
      {Form(Cmd::ES, 150), ":ESOK"},
      {Form(Cmd::TS, 150), ":TSOK"},
      {Form(Cmd::EO0), ":EOOK"},
      {Form(Cmd::TO1), ":TOOK"},
      {Form(Cmd::HS, 0), ":HSOK"},
      {Form(Cmd::HO0), ":HOOK"},
      {Form(Cmd::XS, 500), ":XSOK"},
      {Form(Cmd::XO1), ":XOOK"},
      {Form(Cmd::YS, 600), ":YSOK"},
      {Form(Cmd::YO1), ":YOOK"},
      {Form(Cmd::ZZ), ":ZZOK"},
  };
  for (const auto &[command, reply] : cases)
    EXPECT_EQ(c.Ask(command), QString::fromLatin1(reply)) << command.toStdString();

  // Queued commands and unknown ones are not answered: the next line is the read-back,
  // which also shows the queued set point taken over.
  for (const QString &q :
       {Form(Cmd::BS, 800), Form(Cmd::SO1), Form(Cmd::V1S, 0xFE), Form(Cmd::LS, 0xEF), Form(Cmd::R0),
        Form(Cmd::PS, 0xFF), Form(Cmd::StreamPrepareB), QStringLiteral("<QQ\r")})
    c.Send(q);
  EXPECT_EQ(c.Ask(Form(Cmd::BC)), QStringLiteral(":BC0320"));
  EXPECT_TRUE(sim_->WaitForLog(QStringLiteral("1 ev unknown <QQ")));
  EXPECT_TRUE(sim_->WaitForLog(QStringLiteral("1 rx <SN")));
}

TEST_F(Sim, FlowSensorAndIdentityOptions) {
  Start({"--flow-sensor", "--id1", ":SN4-7777"}, false, "[Cells]\nflow=90\n[Cell1]\nflow=123\n");
  Client c(sim_->Link(1));
  EXPECT_EQ(c.Ask(FormIdentify(SnFraming::Plain)), QStringLiteral(":SN4-7777"));
  EXPECT_EQ(c.Ask(Form(Cmd::FA)), QStringLiteral(":FA01"));
  EXPECT_EQ(c.Ask(Form(Cmd::FG)), QStringLiteral(":FG005A"));  // no cell selected: 90
  c.Send(Form(Cmd::V1S, 0xF7));                                // V14: sample cell 1
  EXPECT_EQ(c.Ask(Form(Cmd::FG)), QStringLiteral(":FG007B"));  // 123 ml/min
}

struct PollCase {
  std::vector<QString> before;  // commands sent first
  Cmd poll;
  Reply kind;
  int value;
  int tolerance;
};

TEST_F(Sim, PollsReportTheStateInTheirEncodings) {
  // Both heatings off at the start (the instrument's default is on), so that each switch shows
  // in the heating port's bits.
  Start({}, false, "[Heating]\non=0\n");
  Client c(sim_->Link(1));
  const PollCase cases[] = {
      {{}, Cmd::SG, Reply::ChamberTemperature, 220, 0},  // 22.0 degC, heating off, in tenths
      {{}, Cmd::VG, Reply::ValveBlockTemperature, 220, 0},
      {{}, Cmd::EG, Reply::EmissionTemperature, 2200, 0},  // hundredths
      {{}, Cmd::TG, Reply::TransferTemperature, 2200, 0},
      {{Form(Cmd::BS, 750)}, Cmd::BG, Reply::AirPressure, 750, 5},
      {{}, Cmd::WG, Reply::H2Pressure, 600, 5},
      {{}, Cmd::CG, Reply::CarrierPressure, 1000, 5},
      {{Form(Cmd::HS, 1000), Form(Cmd::HO1)}, Cmd::HG, Reply::HighVoltage, 1000, 0},
      {{Form(Cmd::HO0)}, Cmd::HG, Reply::HighVoltage, 0, 0},
      {{Form(Cmd::XS, 500), Form(Cmd::XO1)}, Cmd::XG, Reply::FpdAir, 500, 5},
      {{Form(Cmd::YO0)}, Cmd::YG, Reply::FpdH2, 0, 0},
      {{}, Cmd::PG, Reply::HeatingPort, 0xFF, 0},
      {{Form(Cmd::SO1)}, Cmd::PG, Reply::HeatingPort, 0xFE, 0},  // bit 0 = 0: chamber heating on
      {{Form(Cmd::VO1)}, Cmd::PG, Reply::HeatingPort, 0xFC, 0},
      {{Form(Cmd::PS, 0x3F)}, Cmd::PG, Reply::HeatingPort, 0x3C, 0},  // bits 6, 7 read back
      {{}, Cmd::DG, Reply::InstrumentState, 0, 0},
      {{Form(Cmd::D1)}, Cmd::DG, Reply::InstrumentState, 1, 0},  // bit 0: loop on
      {{Form(Cmd::D0)}, Cmd::DG, Reply::InstrumentState, 0, 0},
      {{}, Cmd::ConverterStatus, Reply::ConverterStatus, 100, 0},
  };
  for (const PollCase &pc : cases) {
    for (const QString &b : pc.before) {
      if (Info(ParseCommand(QStringView(b).chopped(1))->cmd).path == Path::Wait)
        EXPECT_TRUE(c.Ask(b).value_or(QString()).endsWith(u"OK")) << b.toStdString();
      else
        c.Send(b);
    }
    const auto line = c.Ask(Form(pc.poll));
    ASSERT_TRUE(line.has_value()) << Info(pc.poll).code;
    const ParsedReply r = ParseReply(*line);
    EXPECT_EQ(r.kind, pc.kind) << line->toStdString();
    ASSERT_TRUE(r.value.has_value()) << line->toStdString();
    EXPECT_NEAR(*r.value, pc.value, pc.tolerance) << line->toStdString();
  }
  // Valve banks repeat their bytes; the flow poll has no answer without a flow sensor.
  c.Send(Form(Cmd::V1S, 0xFE));
  c.Send(Form(Cmd::V2S, 0xF7));
  EXPECT_EQ(c.Ask(Form(Cmd::V1G)), QStringLiteral(":V1GFE"));
  EXPECT_EQ(c.Ask(Form(Cmd::V2G)), QStringLiteral(":V2GF7"));
  EXPECT_EQ(c.Ask(Form(Cmd::FG), 0.3), std::nullopt);

  // A heated zone approaches its set point (time constant about 30 s). The simulator reads
  // its clock somewhere between our send and our receipt, so the elapsed time is bounded.
  const double setSent = Seconds();
  EXPECT_EQ(c.Ask(Form(Cmd::SS, 40)), QStringLiteral(":SSOK"));  // heating is on since the table
  const double setDone = Seconds();
  QThread::msleep(1000);
  const double pollSent = Seconds();
  const auto warm = ParseReply(c.Ask(Form(Cmd::SG)).value_or(QString()));
  const double pollDone = Seconds();
  ASSERT_TRUE(warm.value.has_value());
  auto model = [](double t) { return 40 - 18 * std::exp(-t / 30); };
  EXPECT_GE(*warm.value / 10.0, model(pollSent - setDone) - 0.06);
  EXPECT_LE(*warm.value / 10.0, model(pollDone - setSent) + 0.06);
  EXPECT_GT(*warm.value, 220);
}

// Streams of both converters after one injection: "[" first, "/" readings, "]" last; the
// area above a straight baseline is the truth's area within 2 %.
TEST_F(Sim, StreamedPeakAreasMatchTheTruth) {
  // A short apex and 200 lines per second make 12 s of signal take 0.6 s. Cell 1 breaks
  // through at once (lag 0, tau 0) with 1.5 ug/cm2/min.
  Start({"--rate", "200"}, true,
        "[Detector]\napex=1.5\nsigma=0.2\ntail=0.3\nnoise=3\ndrift=0.5\n"
        "[FPD]\napex=2\nsigma=0.25\ntail=0.4\nnoise=2\n"
        "[Cell1]\nlag=0\ntau=0\nrate_ss=1.5\nflow=100\n[FPDCell1]\nlag=0\ntau=0\nrate_ss=0.2\n");
  Client p1(sim_->Link(1)), p2(sim_->Link(2));
  EXPECT_EQ(p1.Ask(FormIdentify(SnFraming::Plain)), QStringLiteral(":SN4-0001"));
  EXPECT_EQ(p2.Ask(FormIdentify(SnFraming::Plain)), QStringLiteral(":SN2-0002"));
  p1.Send(Form(Cmd::R1));

  struct Injection {
    int selectorByte;
    int position;
  };
  for (const Injection inj : {Injection{0xFD, 2}, Injection{0xF7, 4}}) {  // reference gas, cell 1
    p1.Send(Form(Cmd::V1S, inj.selectorByte));
    p1.Send(Form(Cmd::D1));
    p1.Send(Form(Cmd::V1S, 0xFF));  // the selector closes; the loop keeps the gas
    p1.Send(Form(Cmd::D0));
    p1.Send(Form(Cmd::StreamOn));
    p2.Send(Form(Cmd::StreamOn));
    QThread::msleep(300);
    p1.Send(Form(Cmd::ConverterStatus));  // answered between the data lines
    QThread::msleep(400);
    p1.Send(Form(Cmd::StreamOff));
    p2.Send(Form(Cmd::StreamOff));

    for (Client *c : {&p1, &p2}) {
      const int port = c == &p1 ? 1 : 2;
      std::vector<double> y;
      QString marks;
      for (const QString &l : c->LinesUntil([](const QString &s) { return s.startsWith(u']'); }, 3)) {
        if (l.startsWith(u':')) {  // the status reply on port 1
          EXPECT_EQ(l, QStringLiteral(":12AS118"));
          continue;
        }
        const auto d = ParseDataLine(l);
        ASSERT_TRUE(d.has_value()) << l.toStdString();
        y.push_back(d->microvolts);
        marks += l[0];
      }
      ASSERT_GT(y.size(), 100u) << "port " << port;
      EXPECT_EQ(marks.front(), u'[');
      EXPECT_EQ(marks.back(), u']');
      EXPECT_EQ(marks.count(u'['), 1);
      EXPECT_EQ(marks.count(u']'), 1);

      // Baseline: a straight line through the means of the first 8 and the last 20 samples.
      const size_t n = y.size();
      double a = 0, b = 0;
      for (size_t k = 0; k < 8; ++k) a += y[k] / 8;
      for (size_t k = n - 20; k < n; ++k) b += y[k] / 20;
      const double ka = 3.5, kb = n - 10.5;
      double area = 0;
      for (size_t k = 0; k < n; ++k) area += y[k] - (a + (b - a) * (k - ka) / (kb - ka));

      QJsonObject truth;
      for (const QString &l : sim_->TruthLines()) {
        const QJsonObject o = Json(l);
        if (o.contains(u"position") && o[u"port"].toInt() == port && o[u"position"].toInt() == inj.position)
          truth = o;
      }
      ASSERT_FALSE(truth.isEmpty()) << "no truth line for port " << port << " position " << inj.position;
      EXPECT_NEAR(area, truth[u"area"].toDouble(), 0.02 * truth[u"area"].toDouble())
          << "port " << port << " position " << inj.position;
    }
  }
  // The truth's concentrations: the calibration gas, and the cell's rate through its flow.
  for (const QString &l : sim_->TruthLines()) {
    const QJsonObject o = Json(l);
    if (!o.contains(u"position")) continue;
    const bool fid = o[u"port"].toInt() == 1;
    if (o[u"position"].toInt() == 2) {
      EXPECT_DOUBLE_EQ(o[u"ppm"].toDouble(), fid ? 100 : 10);
    }
    if (o[u"position"].toInt() == 4) {
      // ppm = rate * area / (k * flow); k is 0.00241 for the FID and 0.00251 for the FPD.
      EXPECT_NEAR(o[u"rate"].toDouble(), fid ? 1.5 : 0.2, 1e-9);
      EXPECT_NEAR(o[u"ppm"].toDouble(), fid ? 1.5 * 19.6 / 0.241 : 0.2 * 19.6 / 0.251, 1e-3);
    }
  }
}

TEST_F(Sim, EmptyLoopOrClosedSelectorGivesNoInjection) {
  Start();
  Client c(sim_->Link(1));
  c.Send(Form(Cmd::D1));  // no selector open while the loop is on
  c.Send(Form(Cmd::V1S, 0xFF));
  c.Send(Form(Cmd::D0));
  c.Send(Form(Cmd::D0));  // the loop is not on at all
  EXPECT_TRUE(sim_->WaitForLog(QStringLiteral("injection none (empty loop)")));
  EXPECT_TRUE(sim_->WaitForLog(QStringLiteral("injection none (the loop was not on)")));
  EXPECT_TRUE(sim_->TruthLines().isEmpty());
}

TEST_F(Sim, BreakthroughTimesFollowThePermeationCurve) {
  // Rate 2 * (1 - exp(-(t - 0.2) / 0.5)) crosses 0.1 at 0.2 - 0.5 ln 0.95 = 0.2256 s and
  // 1.0 at 0.2 + 0.5 ln 2 = 0.5466 s; cell 2 (0.5 at most) crosses only 0.1.
  Start({}, false, "[Cell1]\nlag=0.2\ntau=0.5\nrate_ss=2\n[Cell2]\nlag=0.3\ntau=0\nrate_ss=0.5\n");
  Client c(sim_->Link(1));
  c.Send(Form(Cmd::R1));
  ASSERT_TRUE(sim_->WaitForLog(QStringLiteral("breakthrough cell=1 limit=1")));
  QThread::msleep(200);
  std::map<std::pair<int, double>, double> crossings;
  for (const QString &l : sim_->TruthLines()) {
    const QJsonObject o = Json(l);
    crossings[{o[u"cell"].toInt(), o[u"limit"].toDouble()}] = o[u"t_run"].toDouble();
  }
  EXPECT_EQ(crossings.size(), 3u);
  EXPECT_NEAR((crossings[{1, 0.1}]), 0.2 - 0.5 * std::log(0.95), 1e-3);
  EXPECT_NEAR((crossings[{1, 1.0}]), 0.2 + 0.5 * std::log(2.0), 1e-3);
  EXPECT_NEAR((crossings[{2, 0.1}]), 0.3, 1e-3);
}

TEST_F(Sim, HangupGivesTheClientAHangupAndReplugReconnects) {
  Start();
  {
    Client c(sim_->Link(1));
    ASSERT_EQ(c.Ask(Form(Cmd::SN)), QStringLiteral(":SN4-0001"));
    sim_->SimCommand("hangup");
    pollfd p{c.fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 3000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
    char b;
    const ssize_t n = ::read(c.fd(), &b, 1);
    EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << n << " " << errno;
    EXPECT_FALSE(QFileInfo::exists(sim_->Link(1)));
  }
  sim_->SimCommand("replug");
  const double deadline = Seconds() + 3;
  while (!QFileInfo::exists(sim_->Link(1)) && Seconds() < deadline) QThread::msleep(10);
  Client again(sim_->Link(1));
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again.Ask(Form(Cmd::SN)), QStringLiteral(":SN4-0001"));
}

// With the program's side closed (a restart), the simulator must not spin on the master.
TEST_F(Sim, ClosedClientCostsNoProcessorTime) {
  Start();
  {
    Client c(sim_->Link(1));
    ASSERT_EQ(c.Ask(Form(Cmd::SN)), QStringLiteral(":SN4-0001"));
  }
  auto cpuSeconds = [&] {
    QFile f(QStringLiteral("/proc/%1/stat").arg(sim_->SimPid()));
    if (!f.open(QIODevice::ReadOnly)) return -1.0;
    const QList<QByteArray> fields = f.readAll().split(')').last().trimmed().split(' ');
    return (fields[11].toDouble() + fields[12].toDouble()) / static_cast<double>(::sysconf(_SC_CLK_TCK));
  };
  const double before = cpuSeconds();
  QThread::msleep(1000);
  EXPECT_LT(cpuSeconds() - before, 0.3) << "busy loop while no client has the port open";
  Client again(sim_->Link(1));
  EXPECT_EQ(again.Ask(Form(Cmd::SN)), QStringLiteral(":SN4-0001"));
}

// A program that ends while its converter streams, and starts again: the fresh program
// discards its input at open, and so does the simulator with what was still waiting for the
// old one; the new program does not get a stale burst of data lines.
TEST_F(Sim, ReopenedPortGetsNoStaleBacklog) {
  Start({"--rate", "100000"});
  {
    Client old(sim_->Link(1));
    old.Send(Form(Cmd::StreamOn));
    QThread::msleep(600);  // the pty fills up, then the simulator's own queue
  }
  ASSERT_TRUE(sim_->WaitForLog(QStringLiteral("overrun")));
  Client fresh(sim_->Link(1));
  ASSERT_EQ(::tcflush(fresh.fd(), TCIOFLUSH), 0);
  EXPECT_TRUE(sim_->WaitForLog(QStringLiteral("the program flushed its input")));
  fresh.Send(Form(Cmd::StreamOff));
  const auto lines = fresh.LinesUntil([](const QString &l) { return l.startsWith(u']'); }, 3);
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(lines.back().startsWith(u']'));
  // Without the discard some 28,000 waiting lines (256 KiB) would arrive first; what comes is
  // what the stream produced between the flush and the stop, a few milliseconds at most.
  EXPECT_LT(lines.size(), 5000u);
}

TEST_F(Sim, SecondConverterAnswersOnlyItsOwnCommands) {
  Start({"--rate", "50"}, true);
  Client p1(sim_->Link(1)), p2(sim_->Link(2));
  EXPECT_EQ(p2.Ask(FormIdentify(SnFraming::Plain)), QStringLiteral(":SN2-0002"));
  EXPECT_EQ(p2.Ask(Form(Cmd::SG), 0.3), std::nullopt);  // instrument commands belong to port 1
  EXPECT_TRUE(sim_->WaitForLog(QStringLiteral("2 ev unknown <SG")));
  p2.Send(Form(Cmd::StreamOn));
  const auto first = p2.Line();
  ASSERT_TRUE(first.has_value());
  EXPECT_TRUE(first->startsWith(u'['));
  // Port 1's converter is not streaming; port 2's is.
  EXPECT_EQ(p1.Ask(Form(Cmd::ConverterStatus)), QStringLiteral(":12AS100"));
  EXPECT_EQ(p1.Bytes(0.2), QByteArray());  // no data lines on port 1
  p2.Send(Form(Cmd::ConverterStatus));
  const auto status = p2.LinesUntil([](const QString &s) { return s.startsWith(u':'); }, 2);
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.back(), QStringLiteral(":12AS118"));
}

TEST_F(Sim, StandardInputCommands) {
  Start({"--rate", "100"});
  Client c(sim_->Link(1));
  // Nothing unsolicited before the program's first command (its side may still echo).
  sim_->SimCommand("qs");
  ASSERT_TRUE(sim_->WaitForLog(QStringLiteral("not sent (no command has arrived yet)")));
  EXPECT_EQ(c.Bytes(0.2), QByteArray());

  EXPECT_EQ(c.Ask(Form(Cmd::SN)), QStringLiteral(":SN4-0001"));
  sim_->SimCommand("qs");
  const auto qs = c.Line();
  ASSERT_TRUE(qs.has_value());
  EXPECT_EQ(ParseReply(*qs).kind, Reply::StartRequest);
  EXPECT_GE(qs->size(), 5);  // the program's reply step needs ":QS" and two more characters
  sim_->SimCommand("lamp A5");
  EXPECT_EQ(c.Line(), QStringLiteral(":LGA5"));
  sim_->SimCommand("garbage 300");
  EXPECT_EQ(c.Bytes(0.5).size(), 300);

  sim_->SimCommand("stall 0.6");
  ASSERT_TRUE(sim_->WaitForLog(QStringLiteral("ev stall")));
  EXPECT_EQ(c.Ask(Form(Cmd::SG), 0.3), std::nullopt);
  QThread::msleep(400);
  EXPECT_TRUE(c.Ask(Form(Cmd::SG)).has_value());

  // One extra malformed line inside a stream; the readings around it are intact.
  // (The stream is stopped only once the bad line has come, so a slow machine cannot end
  // the stream before the simulator's next line.)
  c.Send(Form(Cmd::StreamOn));
  sim_->SimCommand("malformed");
  ASSERT_TRUE(sim_->WaitForLog(QStringLiteral("ev malformed")));
  int bad = 0, good = 0;
  for (const QString &l : c.LinesUntil([](const QString &s) { return !ParseDataLine(s); }, 5))
    (ParseDataLine(l) ? good : bad)++;
  c.Send(Form(Cmd::StreamOff));
  for (const QString &l : c.LinesUntil([](const QString &s) { return s.startsWith(u']'); }, 3))
    (ParseDataLine(l) ? good : bad)++;
  EXPECT_EQ(bad, 1);
  EXPECT_GT(good, 2);
}

// Waits until the simulator has handled everything sent on the port before: the answer to an
// identification comes after it, whatever data lines come first.
bool Sync(Client &c, int port) {
  const QString id = port == 1 ? QStringLiteral(":SN4-0001") : QStringLiteral(":SN2-0002");
  c.Send(FormIdentify(SnFraming::Plain));
  const auto lines = c.LinesUntil([&](const QString &l) { return l == id; }, 3);
  return !lines.empty() && lines.back() == id;
}

// Stream starts without "<12B1100" then "<12W1100" since the last stop, and port-1 starts
// while the loop is on, are logged and counted in the truth file, with totals at exit.
TEST_F(Sim, StreamStartsAreCheckedForPreparationAndLoop) {
  Start({"--rate", "20"}, true);
  Client p1(sim_->Link(1)), p2(sim_->Link(2));
  struct Case {
    const char *what;
    std::vector<std::pair<int, Cmd>> sent;  // port, command
    int unprepared, loopOn;                 // faults this case adds
  };
  const Cmd B = Cmd::StreamPrepareB, W = Cmd::StreamPrepareW, Z = Cmd::StreamOn, Stop = Cmd::StreamOff;
  const Case cases[] = {
      {"run order", {{1, B}, {1, W}, {1, Cmd::D1}, {1, Cmd::D0}, {1, Z}}, 0, 0},
      {"monitoring", {{1, B}, {1, W}, {1, Z}}, 0, 0},
      {"skipped position: a second B", {{1, B}, {1, B}, {1, W}, {1, Z}}, 0, 0},
      {"no preparation", {{1, Z}}, 1, 0},
      {"W before B", {{1, W}, {1, B}, {1, Z}}, 1, 0},
      {"B only", {{1, B}, {1, Z}}, 1, 0},
      {"a stop asks for a new preparation", {{1, B}, {1, W}, {1, Stop}, {1, Z}}, 1, 0},
      {"loop still on", {{1, Cmd::D1}, {1, B}, {1, W}, {1, Z}, {1, Cmd::D0}}, 0, 1},
      {"port 2 starts before port 1's D0", {{1, Cmd::D1}, {2, B}, {2, W}, {2, Z}, {1, Cmd::D0}}, 0, 0},
      {"each port has its own preparation", {{1, B}, {1, W}, {2, Z}, {1, Z}}, 1, 0},
      {"port 2 unprepared", {{2, B}, {2, Z}}, 1, 0},
  };
  auto faults = [&](const char *kind) {
    int n = 0;
    for (const QString &l : sim_->TruthLines()) n += Json(l)[u"fault"].toString() == QLatin1String(kind);
    return n;
  };
  int unprepared = 0, loopOn = 0;
  for (const Case &k : cases) {
    for (const auto &[port, cmd] : k.sent) (port == 1 ? p1 : p2).Send(Form(cmd));
    ASSERT_TRUE(Sync(p1, 1) && Sync(p2, 2)) << k.what;
    unprepared += k.unprepared;
    loopOn += k.loopOn;
    EXPECT_EQ(faults("stream_unprepared"), unprepared) << k.what;
    EXPECT_EQ(faults("stream_loop_on"), loopOn) << k.what;
    p1.Send(Form(Stop));
    p2.Send(Form(Stop));
  }
  EXPECT_TRUE(
      sim_->WaitForLog(QStringLiteral("1 ev stream start unprepared: no <12W1100 after the <12B1100")));
  EXPECT_TRUE(sim_->WaitForLog(QStringLiteral("1 ev stream start while the loop is on")));
  ASSERT_EQ(sim_->StopSimulator(), 0);
  const QJsonObject totals = Json(sim_->TruthLines().last())[u"faults"].toObject();
  EXPECT_EQ(totals[u"stream_unprepared"].toInt(-1), unprepared);
  EXPECT_EQ(totals[u"stream_loop_on"].toInt(-1), loopOn);
}

// A converter that ends its stream late, or only at a later stop, or never: it goes on with
// data lines and status 118 until then; the other converter is not affected.
TEST_F(Sim, ConvertersEndTheirStreamsLateWhenTheScenarioSaysSo) {
  constexpr double kNever = -1;
  struct Case {
    const char *scenario;
    int port;      // the late converter
    int ignored;   // stop commands without effect, in every stream
    double delay;  // seconds from the effective stop to the "]" line, or kNever
    int streams;
  };
  const Case cases[] = {
      {"[Detector]\nstop_delay=0.6\n", 1, 0, 0.6, 1},
      {"[Detector]\nignore_stops=2\n", 1, 2, 0, 2},
      {"[FPD]\nstop_delay=never\n", 2, 0, kNever, 1},
      {"[FPD]\nignore_stops=1\nstop_delay=0.4\n", 2, 1, 0.4, 1},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.scenario);
    Start({"--rate", "50"}, k.port == 2, k.scenario);
    Client late(sim_->Link(k.port));
    std::optional<Client> other;
    if (k.port == 2) other.emplace(sim_->Link(1));
    auto isEnd = [](const QString &l) { return l.startsWith(u']'); };
    // Lines for `seconds` after asking for the status: the status is 118 and no "]" comes.
    auto stillStreaming = [&](double seconds) {
      late.Send(Form(Cmd::ConverterStatus));
      bool status = false, end = false;
      int data = 0;
      const double until = Seconds() + seconds;
      while (auto l = late.Line(std::max(0.0, until - Seconds()))) {
        status |= *l == QStringLiteral(":12AS118");
        end |= isEnd(*l);
        data += ParseDataLine(*l).has_value();
      }
      return status && !end && data > 0;
    };
    for (int stream = 0; stream < k.streams; ++stream) {
      for (Client *c : {&late, other ? &*other : nullptr})
        if (c)
          for (Cmd cmd : {Cmd::StreamPrepareB, Cmd::StreamPrepareW, Cmd::StreamOn}) c->Send(Form(cmd));
      ASSERT_TRUE(late.Line().value_or(QString()).startsWith(u'['));
      for (int i = 0; i < k.ignored; ++i) {
        late.Send(Form(Cmd::StreamOff));
        EXPECT_TRUE(stillStreaming(0.25)) << "stop " << i + 1 << " was to be ignored";
      }
      late.Send(Form(Cmd::StreamOff));
      const double stopped = Seconds();
      if (other) {
        other->Send(Form(Cmd::StreamOff));
        const auto lines = other->LinesUntil(isEnd, 1);
        EXPECT_TRUE(!lines.empty() && isEnd(lines.back())) << "the other converter ends at once";
      }
      if (k.delay == kNever) {
        EXPECT_TRUE(stillStreaming(0.5));
        late.Send(Form(Cmd::StreamOff));  // a repeat changes nothing either
        EXPECT_TRUE(stillStreaming(0.3));
        sim_->SimCommand(QByteArray("endstream ") + QByteArray::number(k.port));
      } else if (k.delay > 0) {
        EXPECT_TRUE(stillStreaming(k.delay / 2));
        late.Send(Form(Cmd::StreamOff));  // a repeat does not hurry the end
      }
      const auto lines = late.LinesUntil(isEnd, (k.delay > 0 ? k.delay : 0) + 2);
      ASSERT_TRUE(!lines.empty() && isEnd(lines.back()));
      const double ended = Seconds();
      if (k.delay >= 0) {
        EXPECT_GE(ended - stopped, k.delay - 0.05);
        EXPECT_LT(ended - stopped, k.delay + 0.5);
      }
      EXPECT_EQ(late.Ask(Form(Cmd::ConverterStatus)), QStringLiteral(":12AS100"));
    }
    TearDown();
    sim_.reset();
  }
}

// The baseline wanders within baseline +- wander however long the converter streams; an old
// scenario's drift in uV per second is the wander's slope at the start.
TEST_F(Sim, BaselineWandersWithinItsBound) {
  // 10,000 lines per second: 800 s of signal, twenty main swings of 40 s, take 0.8 s.
  Start({"--rate", "10000"}, true,
        "[Detector]\nnoise=0\nbaseline=1000\nwander=200\nwander_period=40\n[FPD]\nnoise=0\ndrift=0.5\n");
  Client p1(sim_->Link(1)), p2(sim_->Link(2));
  auto readings = [](Client &c, size_t n) {
    for (Cmd cmd : {Cmd::StreamPrepareB, Cmd::StreamPrepareW, Cmd::StreamOn}) c.Send(Form(cmd));
    std::vector<double> y;
    c.LinesUntil(
        [&](const QString &l) {
          if (const auto d = ParseDataLine(l)) y.push_back(d->microvolts);
          return y.size() >= n;
        },
        10);
    c.Send(Form(Cmd::StreamOff));
    return y;
  };
  const std::vector<double> y1 = readings(p1, 8000);
  ASSERT_EQ(y1.size(), 8000u);
  const auto [lo, hi] = std::minmax_element(y1.begin(), y1.end());
  EXPECT_GE(*lo, 800 - 1);
  EXPECT_LE(*hi, 1200 + 1);
  EXPECT_GT(*hi - *lo, 300) << "the baseline is to wander, not to stand still";

  // drift=0.5: over the first 60 s of signal (600 lines) the FPD's baseline of 500 rises by
  // about 30 uV, as a straight drift did before.
  const std::vector<double> y2 = readings(p2, 601);
  ASSERT_EQ(y2.size(), 601u);
  EXPECT_NEAR((y2[600] - y2[0]) / 60.0, 0.5, 0.03);
}

TEST(SimCommandLine, RejectsBadArgumentsAndScenarios) {
  QTemporaryDir dir;
  const QString ini = dir.filePath(QStringLiteral("bad.ini"));
  auto run = [&](const QStringList &args) {
    QProcess p;
    p.start(QStringLiteral(ZELVO_SIM_PATH), args);
    p.closeWriteChannel();
    if (!p.waitForFinished(5000)) {
      p.kill();
      p.waitForFinished();
      return std::make_pair(-1, QString());
    }
    return std::make_pair(p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError()));
  };
  const QString link = dir.filePath(QStringLiteral("tty"));
  const std::pair<QByteArray, QString> scenarios[] = {
      {"[Detector]\ncal_aera=5\n", QStringLiteral("unknown key cal_aera")},
      {"[Detektor]\n", QStringLiteral("unknown section [detektor]")},
      {"[Cell1]\nlag=abc\n", QStringLiteral("not a number")},
      {"[Detector]\nsigma=0\n", QStringLiteral("sigma")},
      {"[Detector]\ndrift=0.5\nwander=100\n", QStringLiteral("[detector] has drift and wander")},
      {"[FPD]\nstop_delay=soon\n", QStringLiteral("not a number: soon")},
      {"[Cell1]\nlag=never\n", QStringLiteral("not a number: never")},  // only stop_delay may be never
      {"[Detector]\nignore_stops=1.5\n", QStringLiteral("not a whole number")},
  };
  for (const auto &[text, message] : scenarios) {
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();
    const auto [code, err] = run({"--port1", link, "--scenario", ini});
    EXPECT_EQ(code, 2) << text.toStdString();
    EXPECT_TRUE(err.contains(message)) << err.toStdString();
  }
  EXPECT_EQ(run({}).first, 2);  // --port1 is required
  // An existing file at the link path is never replaced.
  QFile keep(link);
  ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
  keep.write("user data");
  keep.close();
  EXPECT_EQ(run({"--port1", link}).first, 1);
  ASSERT_TRUE(keep.open(QIODevice::ReadOnly));
  EXPECT_EQ(keep.readAll(), QByteArray("user data"));
}

TEST_F(Sim, FloodRateIsAnnouncedInTheLog) {
  Start({"--rate", "5000"});
  EXPECT_TRUE(sim_->WaitForLog(QStringLiteral("1 ev flood rate=5000")));
}

}  // namespace
