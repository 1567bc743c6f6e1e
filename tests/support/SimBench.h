#pragma once
// The simulator bench of the tests: a scratch folder holding the program's settings file and
// substance lists and the simulator's scenario, the simulator started on its links in that
// folder, and what it wrote afterwards (the log of every line it received and every event,
// and the truth: one JSON object per injection and per crossing of a limit). Qt Core only:
// the window, or whatever else plays the program, is started by the test on top of it.
//
//   SimBench bench({.Typ = "FIDFPD", .Scenario = "[Detector]\nignore_stops=2\n"});
//   ASSERT_TRUE(bench.ok());
//   bench.WriteSettings({{"Measurement", "NumberOfCells", "2"}});
//   ... start the program with bench.Dir() as its folder ...
//   EXPECT_TRUE(bench.WaitForLog(" ev run start", 30));
//   const auto polls = bench.Lines(1);
//
// The folder stays for a look afterwards when ZELVO_KEEP_WHOLE_RUNS is set (its path goes to
// standard error).
#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>
#include <vector>

namespace testsupport {

struct SimSetup {
  QString Typ = QStringLiteral("FID");  // the settings' DeviceTyp; "FIDFPD" starts a second converter
  bool Swapped = false;                 // the settings name the converters' ports the wrong way round
  QByteArray Scenario;                  // the simulator's scenario keys; none: its defaults
  QStringList SimArgs;                  // further simulator options ("--flow-sensor", "--rate", "50", ...)
  int Seed = 11;                        // the simulator's seed of noise and faults
};

// One settings key: section, key, value as the file holds it.
struct SettingsKey {
  QString Section, Key, Value;
};

class SimBench {
 public:
  // Makes the folder, writes the settings file (creation values, English, the device type,
  // the ports on the simulator's links, no diagnostic log), the substance lists ("Aceton" and
  // "THT", factor 1) and the scenario; starts the simulator and waits until its links exist.
  explicit SimBench(const SimSetup &setup = {});
  ~SimBench();  // stops the simulator
  SimBench(const SimBench &) = delete;
  SimBench &operator=(const SimBench &) = delete;

  // The folder, the simulator and its links are there.
  bool ok() const { return ok_; }
  const SimSetup &Setup() const { return setup_; }

  QString Dir() const { return dir_.path(); }
  QString Path(const QString &name) const { return dir_.filePath(name); }
  // The simulator's link of converter 1 or 2 (tty1, tty2 in the folder).
  QString Link(int port) const { return Path(QStringLiteral("tty%1").arg(port)); }
  QString SettingsFile() const { return Path(QStringLiteral("Zelvo730.ini")); }
  QString LogFile() const { return Path(QStringLiteral("sim.log")); }
  QString TruthFile() const { return Path(QStringLiteral("truth.jsonl")); }

  // Writes keys into the settings file (before the program reads it).
  void WriteSettings(const std::vector<SettingsKey> &keys) const;
  // Replaces both substance lists with these lines (Windows-1252, CR LF).
  void WriteSubstanceLists(const QByteArray &lines) const;

  // A command to the simulator on its standard input ("stall 9", "hangup 1", "qs", ...).
  void SimCommand(const QByteArray &command);
  // Ends the simulator (SIGTERM), so that its log and truth are complete; its exit code, or
  // -1 when it did not end normally. Further calls give the first call's result.
  int StopSimulator();
  // Kills the simulator at once (SIGKILL): the converters go away without a word.
  void KillSimulator();
  qint64 SimPid() const { return sim_.processId(); }

  // The simulator's log, line by line ("12.345 1 rx <SG", "20.100 1 ev injection ...").
  QStringList LogLines() const;
  // Waits (without an event loop) until a log line contains `text`.
  bool WaitForLog(const QString &text, double seconds = 3.0) const;
  // What the simulator received on a port, with the seconds of its clock.
  struct Received {
    double At = 0;
    QString Line;
  };
  std::vector<Received> Lines(int port) const;
  // The texts of Lines(port) alone.
  QStringList Commands(int port) const;
  // Simulator time of the first event containing `text`; nothing when there is none.
  std::optional<double> EventTime(const QString &text) const;

  // The truth file, line by line and as objects.
  QStringList TruthLines() const;
  std::vector<QJsonObject> Truth() const;

 private:
  SimSetup setup_;
  QTemporaryDir dir_;
  QProcess sim_;
  bool ok_ = false;
  std::optional<int> exitCode_;
};

}  // namespace testsupport
