#pragma once
// The measurement run: start, stop, delayed start with its countdown, the once-per-second
// run-time display and the state machine that carries a run from gas position to gas
// position, cycle after cycle. Widget-free.
//
// A run visits the positions runStart .. runStart + strtCount - 1 (1 zero gas, 2 reference
// gas, 3 reference cell, 4..6 sample cells 1..3). Each position goes through
//   1 position start      "<12B1100", its valves opened, its lamp lit
//   2 sampling            after S s: "<12W1100", loop on "<D1"
//   13 loop filling       after S + I s: selector valve closed, sample counters reset
//   3 measurement start   next tick: loop off "<D0", series cleared, stream on "<12Z1100"
//   4 measuring           after S + I + 1 s: the next position's valves opened ahead
//   5 measuring           after S + I + M s: stream off "<12Z0100"
//   6 stream end          until the converter has ended the stream
//   7 evaluation          the evaluation hook, then on to the next position or the end
// A sample cell that broke through earlier in the run (its off flag is set) gets a position
// start and an evaluation, but no valves and no injection.
//
// The sequencer owns the run state. It reads the window's values from a TRunInputs the
// window fills, takes "now" as a parameter (steady seconds for every wait and elapsed time,
// the wall time only for the start's time of day), and acts on the window and the
// instrument only through TRunHost.
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/DeviceTyp.h"
#include "run/Valves.h"

namespace zelvo {

// The moment a call happens.
struct TNow {
  TSteadySeconds Steady = 0;  // every wait, countdown and elapsed time
  TDateTime Wall = 0;         // the time of day shown for the run start, and its date
};

// Values of the window the run reads; the window fills them before each call.
struct TRunInputs {
  int ID = 0;  // language offset of the texts (0 German, 1000 English)
  TDeviceTyp DeviceTyp = TDeviceTyp::FID;
  // Run range and cycles as typed (editStart, editAnzahl, editZyklen), read at the start.
  QString StartText, CountText, CyclesText;
  // Seconds: sampling time, loop filling time, measuring time per position.
  int SampleTime = 0, InjectionTime = 0, Messzeit = 0;
  // Stream state: the sampling flags of the two detector signals and the first
  // converter's last status (118 while its stream runs).
  bool FIDSampling = false, FPDSampling = false;
  int intAD1Status = 0;
  std::uint8_t InstrumentStateByte = 0;  // bit 0: the sample loop is switched on
  bool HasFlowSensor = false;
  QString FlowText;                 // caption of lblFlowVal (regional number format)
  std::array<bool, 3> AutoFlow{};   // cbAutoflow1..3
  std::array<QString, 3> Chemical;  // chemical names of the sample cells (labels of the factor fields)
  double FIDCalFactor = 1, FPDCalFactor = 1;
  std::array<double, 3> FIDFactor{1, 1, 1}, FPDFactor{1, 1, 1}, SampleFlow{0, 0, 0};
};

// The run state. Field names are the ones the rest of the program knows them by.
struct TRunState {
  int runTag = 0;                           // state of the sequencer (see the top of this file); 0 = no run
  int delayTag = 0;                         // 1 while a delayed start is armed; nothing runs then
  int runStart = 1;                         // first position of the range
  int runZelle = 1;                         // position being measured
  int runNextZelle = 0;                     // work value of the next-position preparation; 0 outside it
  int strtCount = 0, runCount = 0;          // positions per cycle; still to measure in this cycle
  int strtCycles = 0, runCycles = 0;        // cycles; still to run, the current one included
  int strtMessungen = 0, runMessungen = 0;  // measurements of the run; still to do, current included
  int offCount = 0;                   // positions still active; the evaluation lowers it at a breakthrough
  int runAktiv = 0;                   // number of the current measurement, 1 for the first
  std::array<bool, 3> CellOff{};      // sample cell broke through in this run (ledSmpOff1..3 lit)
  bool runSkipped = false;            // the position in progress is an off cell
  bool runStopRequested = false;      // Stop was pressed; the run ends after this position
  TSteadySeconds runStartzeit = 0;    // origin of the run clock (armed delay or start)
  TDateTime runStartWall = 0;         // the same moment as wall time, for display and the date
  TSteadySeconds runStartCycle = 0;   // start of the current position; origin of its waits
  long long runLaufzeit = -1;         // whole elapsed run second of the last refresh
  TSteadySeconds delayStart = 0;      // when the armed delayed start is due
  TSteadySeconds StopTime = 0;        // when the stream stop was first sent
  int StopRepeats = 0;                // how often it was sent again since
  bool UpdateTime = false;            // the run-time text is to go to the instrument display ("<X0")
  // Values of the position being measured, for the evaluation and the result file's header;
  // set at each position start and kept after the run (0 until a position has started).
  double FIDSampleFactor = 0, FPDFactor = 0;
  QString sChemikalie;
  double AktFlow = 0;  // last flow read from the flow display at the end of sampling
  double Flow = 0;     // flow for the rate; set by the preparation of the next sample cell
};

enum class TRunLabel { Startrun, Runtime, Delay, FIDInfo };

struct TRunButtons {
  bool Start = true, Delay = true, Stop = false;  // enabled states of btnStart, btnDelay, btnStop
  bool operator==(const TRunButtons &) const = default;
};

// What the evaluation hook is told about the position it evaluates.
struct TPositionEvaluation {
  int Position = 0;  // runZelle, 1..6
  bool Off = false;  // a sample cell that broke through earlier: no injection was made
  TNow Now;
};

// The window's side of the run.
class TRunHost {
 public:
  virtual ~TRunHost() = default;
  virtual void QueueCommand(const QString &command) = 0;  // to port 1 through the command queue
  virtual void SendPort2(const QString &command) = 0;     // written at once on port 2
  virtual void ShowLamp(const TLampChange &lamp) = 0;
  virtual void ShowStatus(const QString &text) = 0;  // status bar
  virtual void ShowLabel(TRunLabel label, const QString &text) = 0;
  virtual void ShowButtons(const TRunButtons &buttons) = 0;
  // The cell's time label and "<X1".."<X3" on the instrument display ("*" marks a breakthrough).
  virtual void DispRunBreak(int cell, bool breakthrough, const QString &time) = 0;
  virtual void ShowSampleFlow(int cell, const QString &text) = 0;  // editSampleFlow1..3
  // Run start: baselines no longer drawn, chart redrawn, monitoring off, sampling flags cleared.
  virtual void PrepareChartForRun() = 0;
  virtual void ResetSampleCounters() = 0;  // runZeit, runZeit2 := 0
  // Both signal series, the slope series and the hidden series emptied; baselines not drawn.
  virtual void ClearSeries() = 0;
  virtual void DiscardDataQueue(int port) = 0;  // 1: DataQueue1, 2: DataQueue2
  virtual void Log(const QString &text) = 0;    // diagnostic log
  // State 7: evaluate the injection of run.runZelle. The evaluation may lower offCount, set
  // CellOff and set Flow, and closes a broken-through cell's valve through the window's valve
  // bytes; its elapsed time is RunTimeText(position.Now.Steady - run.runStartzeit). The
  // sequencer advances afterwards. Until the evaluation is built nothing is evaluated.
  virtual void EvaluatePosition(TRunState &run, const TPositionEvaluation &position) {
    (void)run;
    (void)position;
  }
};

// The outcome of a request to start or arm a run.
struct TStartResult {
  enum class Outcome { Started, Armed, Ignored, Refused };
  Outcome outcome = Outcome::Started;
  // Refused: the conversion error to show. Ignored: why, for the log.
  QString Message;
  bool Ok() const { return outcome == Outcome::Started || outcome == Outcome::Armed; }
};

// Elapsed seconds as "hh:nn:ss", whole seconds, wrapping after 24 hours.
QString RunTimeText(double seconds);
// Whole seconds of a steady interval (never negative), robust against rounding of the readings.
long long WholeSeconds(double seconds);
// A start delay typed as a time of day, "hh:mm" or "hh:mm:ss", to seconds; empty when it is
// no valid time.
std::optional<int> ParseStartDelay(const QString &text);

class TRunSequencer {
 public:
  // Seconds after the stream stop when it is sent again if the stream goes on, and the
  // longest wait for the stream's end before the data received are evaluated anyway.
  static constexpr std::array<double, 2> kStopRepeatSeconds{1.0, 5.0};
  static constexpr double kStreamEndLimitSeconds = 10.0;

  TRunSequencer(TRunHost &host, TValveBytes &valves) : fHost(host), fValves(valves) {}

  const TRunState &State() const { return fState; }
  TRunState &State() { return fState; }
  bool RunGoing() const { return fState.runTag > 0; }
  bool DelayArmed() const { return fState.delayTag > 0; }
  // The enabled states of the three run buttons for the present state.
  TRunButtons Buttons() const;

  // The operator's Start. Reads the run range and cycles from the inputs; a text that is no
  // integer, or a first position outside 1..6, refuses the start with the conversion message
  // and leaves everything as it was. The count is held so that the range ends at position 6.
  TStartResult Start(const TRunInputs &in, const TNow &now);
  // The operator's Stop: a run ends after the position in progress; an armed delay is
  // cancelled at once. Nothing happens when neither is active.
  void Stop(const TRunInputs &in);
  // The instrument link was lost: the run (or an armed delay) ends now. The position in
  // progress is not evaluated (its signal is cut short); what was evaluated is kept. The
  // closing commands are queued as at the end of a run and leave once the port is back.
  void Abort(const TRunInputs &in, const QString &reason);
  // Arms a delayed start `delayText` (a time of day such as "01:00") from now. The run clock
  // starts now. A text that is no time refuses it and nothing is armed.
  TStartResult DelayedStart(const QString &delayText, const TRunInputs &in, const TNow &now);
  // The instrument asks for a run (":QS"): ignored while a run is going on; otherwise a start,
  // which also starts an armed delay at once.
  TStartResult RequestStartFromInstrument(const TRunInputs &in, const TNow &now);

  // The run's steps of the tick, in this order. The countdown gives the result of the start
  // it made when the delay ran out (a refused start cancels the delay).
  std::optional<TStartResult> CountdownStep(const TRunInputs &in, const TNow &now);
  void RunTimeRefresh(const TNow &now);
  void StateStep(const TRunInputs &in, const TNow &now);
  // The three steps together.
  std::optional<TStartResult> Tick(const TRunInputs &in, const TNow &now);

 private:
  // States of the position cycle.
  void PositionStart(const TRunInputs &in, const TNow &now);
  void EndOfSampling(const TRunInputs &in, const TNow &now);
  void EndOfLoopFilling(const TRunInputs &in, const TNow &now);
  void MeasurementStart(const TRunInputs &in, const TNow &now);
  void PrepareNextPosition(const TRunInputs &in, const TNow &now);
  void StopStream(const TRunInputs &in, const TNow &now);
  void WaitForStreamEnd(const TRunInputs &in, const TNow &now);
  void Evaluate(const TRunInputs &in, const TNow &now);
  void Advance(const TRunInputs &in);
  void EndOfRun(const TRunInputs &in);

  // Start in steps.
  void StartRun(int first, int count, int cycles, const TRunInputs &in, const TNow &now);
  void PrepareInstrumentForRun(const TRunInputs &in);
  void OpenRangeValves();
  void ShowStartTime(const TRunInputs &in);
  TStartResult Refuse(const QString &message);

  // Helpers.
  long long PositionSeconds(const TNow &now) const;  // t: whole seconds since the position start
  void SetPositionValues(int p, const TRunInputs &in);
  bool PrepareCandidate(int c, const TRunInputs &in);
  bool StreamEnded(const TRunInputs &in) const;
  void SendStreamStop(const TRunInputs &in);
  void Apply(const TByteChange &change);
  void Valve(int x, bool open);
  void SetLoop(bool on);
  void ShowCycleStatus(const TRunInputs &in, int textId, bool withMeasurement);

  TRunHost &fHost;
  TValveBytes &fValves;
  TRunState fState;
};

}  // namespace zelvo
