#pragma once
// The simulated instrument and its one or two converters, behind one or two ptys.
//
// Port 1 carries every instrument command and the first converter's data lines; port 2 (when
// configured) the second converter, which answers only the identification, its status and
// its stream commands. Commands are parsed and replies formed by the program's own protocol
// unit (link/Protocol.h), so the two sides cannot drift apart.
//
// Time is the steady reading of the program's clock (core/Clock.h) since the simulator
// started: real time in the simulator program, the manual clock when the model runs in one
// process with the program. Its timers are one queue of due times (EventQueue): the program
// wakes it with a real-time timer (Options::ownTimer); a driver on the manual clock asks
// NextDue(), moves the clock there and calls RunDue(). Each converter keeps a signal clock:
// it follows that time while the converter is silent, and advances exactly 0.1 s per data
// line while it streams, so a peak's area in uV x samples is the same at any --rate.
//
// The links are Wires made by the caller's factory: ptys for the simulator program, in-memory
// devices for a run in one process.
//
// The simulator also checks the program's order of stream commands. A stream start
// ("<12Z1100") must follow a "<12B1100" and then a "<12W1100" on the same port since the
// last stop command; on port 1 the sample loop must be off by then (the run switches it off
// with "<D0" before it starts the stream; port 2 is exempt, as its start is written at once
// while port 1's "<D0" still waits in the program's queue). Each breach is an "ev" line in
// the log and a line of the truth file; at exit the truth file gets the totals.
#include <QObject>
#include <QString>
#include <array>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "EventQueue.h"
#include "core/Clock.h"
#include "Physics.h"
#include "Scenario.h"
#include "Wire.h"

class QTimer;

namespace zelvo::sim {

struct Options {
  QString port1, port2;
  QString id1 = QStringLiteral(":SN4-0001");
  QString id2 = QStringLiteral(":SN2-0002");
  bool flowSensor = false;
  QString logPath, truthPath;
  double rate = 10;  // data lines per second per converter
  quint64 seed = 0;
  // Seconds between two batches of data lines; 0: from the rate (one line per batch at low
  // rates, 5 ms at least, 100 ms at most).
  double paceSeconds = 0;
  // Wake the event queue with a real-time timer. A driver on the manual clock sets false and
  // steps with NextDue() and RunDue().
  bool ownTimer = true;
};

// A cell's first crossing of a limit after a run start, as written to the truth file.
struct Crossing {
  int port;  // 1 FID, 2 FPD
  int cell;  // 1..3
  double limit;
  double tRun;  // seconds after the run start
  int run;      // run starts counted from 1
};

// Makes the instrument's end of link `number` (1 or 2) at `path`.
using WireFactory = std::function<std::unique_ptr<Wire>(int number, const QString &path)>;

// The physical limit of one port: 115200 baud, 11 bits per byte, about ten bytes per line.
inline constexpr double kWireLinesPerSecond = 1047;

class Simulator : public QObject {
  Q_OBJECT

 public:
  Simulator(Options options, Scenario scenario, WireFactory makeWire, QObject *parent = nullptr);
  ~Simulator() override;

  // Creates the links and opens the log and truth files.
  bool Start(QString &error);
  // One command line from standard input (qs, lamp HH, hangup, replug, garbage N, send TEXT,
  // flood N, stall S, malformed, drop, endstream, quit).
  void StdinCommand(const QString &line);
  // Seconds since the simulator started.
  double Now() const;
  // When the model next has something to do, as a steady reading of the clock (Clock::Steady),
  // EventQueue::kNone for never. A driver advances the clock to exactly that reading.
  double NextDue() const { return events_.NextDue(); }
  // Runs what is due at the clock's steady reading; returns how many events ran.
  int RunDue() { return events_.RunDue(Clock::Steady()); }
  // The instrument's end of link 1 or 2 (nullptr for a link that is not configured).
  Wire *Link(int number);
  // The crossings since the last call, in the order they happened.
  std::vector<Crossing> TakeCrossings() { return std::exchange(crossings_, {}); }
  int RunStarts() const { return runGeneration_; }
  void Log(int port, const char *kind, const QString &text);

 signals:
  void quitRequested();

 private:
  struct Injection {
    double tau;   // signal time of the injection
    double area;  // uV x samples
  };
  struct Converter {
    int number = 0;
    std::unique_ptr<Wire> port;
    const DetectorParams *det = nullptr;
    std::unique_ptr<PeakShape> shape;
    QString id;
    bool commanded = false;  // a command arrived since this pty was created
    bool streaming = false;
    double streamStart = 0;            // real time of the first line
    qint64 emitted = 0;                // lines of the current stream
    double tau0 = 0;                   // signal time of the first line
    double tauBase = 0, realBase = 0;  // signal clock while silent: tauBase + (now - realBase)
    EventQueue::Id pace = 0;  // the next batch of data lines
    // Stream commands: 0 nothing since the last stop, 1 "<12B1100", 2 "<12B1100" then
    // "<12W1100".
    int prepared = 0;
    int stopsIgnored = 0;  // stop commands of the current stream without effect so far
    bool ending = false;   // a stop took effect; the stream ends when `endTimer` fires
    EventQueue::Id endTimer = 0;
    std::vector<Injection> peaks;
    bool malformedPending = false;
    bool dropNext = false;
  };
  struct Zone {  // a heated zone
    double set;
    bool on = false;
    double value = kAmbient;
    double at = 0;  // time of `value`
  };
  static constexpr double kAmbient = 22.0;
  static constexpr double kZoneTau = 30.0;

  void OnLine(Converter &c, const QByteArray &line);
  void Apply(Converter &c, int cmd, int value, const QString &text);
  void Answer(Converter &c, int cmd);
  void SendReply(Converter &c, const QString &line);
  bool SendUnsolicited(Converter &c, const QByteArray &bytes, const QString &what);

  void StartStream(Converter &c);
  void StopCommand(Converter &c);
  void EndStream(Converter &c);
  void ProtocolFault(Converter &c, int kind, const QString &text);
  void EmitDue(Converter &c);
  void StartPace(Converter &c);
  void StopTimer(EventQueue::Id &id);
  void Rearm();
  void AppendLine(Converter &c, QByteArray &batch, int marker);
  double SignalTime(const Converter &c) const;
  int Reading(Converter &c, double tau);

  void TrackLoop();
  void Inject();
  double PpmAt(int converter, int position, double tFill, double *rate) const;
  void ScheduleCrossings();
  void ScheduleFault(int kind);
  double ZoneValue(Zone &z);
  void SetZone(Zone &z, double set);
  void SwitchZone(Zone &z, bool on);
  int Noisy(double value, double sd);
  void Truth(const QString &json);
  Converter *ByNumber(int n);
  std::vector<Converter *> Selected(const QString &arg);

  Options opt_;
  Scenario sc_;
  std::mt19937_64 rng_;
  WireFactory makeWire_;
  double start_ = 0;  // steady reading at the simulator's start
  EventQueue events_;
  QTimer *wake_ = nullptr;
  double paceInterval_ = 0.1;
  std::vector<Crossing> crossings_;
  std::FILE *log_ = nullptr;
  std::FILE *truth_ = nullptr;
  std::array<Converter, 2> conv_;
  int convCount_ = 1;

  // Instrument state.
  Zone valveBlock_{60}, chamber_{27}, emission_{150}, transfer_{150};
  int airSet_ = 700, h2Set_ = 600, carrierSet_ = 1000;
  int hvSet_ = 0, fpdAirSet_ = 500, fpdH2Set_ = 600;
  bool hvOn_ = false, fpdAirOn_ = false, fpdH2On_ = false;
  int valve1_ = 0xFF, valve2_ = 0xFF, lamp_ = 0xEF, heatOut_ = 0xFF;
  bool loopOn_ = false;
  int loopPosition_ = 0;  // 1..6, 0 = empty
  double loopFill_ = 0;   // time the loop content was last refreshed
  bool runStarted_ = false;
  double runStart_ = 0;
  int runGeneration_ = 0;
  double stallUntil_ = -1;
  std::array<int, 2> protocolFaults_{};  // by kind, see ProtocolFault
};

}  // namespace zelvo::sim
