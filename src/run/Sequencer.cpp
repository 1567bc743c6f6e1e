#include "run/Sequencer.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Language.h"
#include "core/NumberText.h"
#include "core/Utils.h"
#include "link/Protocol.h"

namespace zelvo {

namespace {

// Texts of the string table used by the run.
enum TextId {
  kTextNoTime = 46,       // "--:--"
  kTextCell = 77,         // "Zelle"
  kTextStart = 83,        // "Start Analyse"
  kTextDelayActive = 89,  // "Messverzögerung Aktiv"
  kTextStartAt = 94,      // "Start um"
  kTextMeasure = 100,     // "Messung"
  kTextCycle = 101,       // "Messreihe"
  kTextFillLoop = 102,    // "Füllen Probenschleife"
  kTextFillCell = 103,    // "Füllen Messzelle"
  kTextStopRun = 104,     // "Stop Analyse"
  kTextStopped = 105,     // "Gestoppt"
};

constexpr int kStreamRunning = 118;  // converter status while its data stream runs
constexpr int kPositions = 6;

long long WholeMs(double seconds) { return std::llround(seconds * 1000.0); }

QString IntegerError(const QString &text) {
  return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString Text(const TRunInputs &in, int id) { return GetLangString(in.ID, id); }
// A refused run field, named by its caption as the fields' own messages name theirs.
QString FieldError(const TRunInputs &in, int captionId, const QString &text) {
  return Text(in, captionId) + QStringLiteral(": ") + IntegerError(text);
}

void Queue(TRunHost &host, proto::Cmd cmd) { host.QueueCommand(proto::Form(cmd)); }

}  // namespace

long long WholeSeconds(double seconds) {
  const long long ms = WholeMs(seconds);
  return ms < 0 ? 0 : ms / 1000;
}

QString RunTimeText(double seconds) {
  const long long s = WholeSeconds(seconds) % 86400;
  return QStringLiteral("%1:%2:%3")
      .arg(s / 3600, 2, 10, QLatin1Char('0'))
      .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(s % 60, 2, 10, QLatin1Char('0'));
}

std::optional<int> ParseStartDelay(const QString &text) {
  const QStringList parts = text.trimmed().split(QLatin1Char(':'));
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  static constexpr int kLimits[] = {24, 60, 60};
  int seconds = 0;
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const QString &part = parts[i];
    if (part.isEmpty() || part.size() > 2) return std::nullopt;
    if (!std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
      return std::nullopt;
    const int v = part.toInt();
    if (v >= kLimits[i]) return std::nullopt;
    seconds += v * (i == 0 ? 3600 : i == 1 ? 60 : 1);
  }
  return seconds;
}

// ---------------------------------------------------------------------------------------
// Start, stop, delayed start

TRunButtons TRunSequencer::Buttons() const {
  if (fState.runTag > 0 && fState.runStopRequested) return {false, false, false};
  if (fState.runTag > 0 || fState.delayTag > 0) return {false, false, true};
  return {true, true, false};
}

TStartResult TRunSequencer::Refuse(const QString &message) {
  fHost.ShowButtons(Buttons());  // whatever was going on goes on; the buttons show it
  return {TStartResult::Outcome::Refused, message};
}

TStartResult TRunSequencer::Start(const TRunInputs &in, const TNow &now) {
  if (RunGoing()) return {TStartResult::Outcome::Ignored, QStringLiteral("a run is going on")};
  const auto first = TryStrToInt(in.StartText);
  if (!first || *first < 1 || *first > kPositions) return Refuse(FieldError(in, 1, in.StartText));
  const auto count = TryStrToInt(in.CountText);
  if (!count) return Refuse(FieldError(in, 2, in.CountText));
  const auto cycles = TryStrToInt(in.CyclesText);
  if (!cycles) return Refuse(FieldError(in, 4, in.CyclesText));
  // The range ends at position 6, whatever the count says; at least one position and one
  // cycle, and no more measurements than a counter holds.
  const int n = std::clamp(*count, 1, kPositions + 1 - *first);
  const int c = std::clamp(*cycles, 1, (std::numeric_limits<int>::max() - 1) / n);
  StartRun(*first, n, c, in, now);
  return {TStartResult::Outcome::Started, {}};
}

// The first steps of every start: window, off cells, loop and the common valve V17.
void TRunSequencer::PrepareInstrumentForRun(const TRunInputs &in) {
  fHost.PrepareChartForRun();
  fHost.ShowButtons({false, false, true});
  fState.CellOff = {};  // every sample cell is active again
  for (int cell = 1; cell <= 3; ++cell) fHost.ShowLamp({TLampKind::CellOff, cell, false});
  fHost.ShowStatus(Text(in, kTextStart));
  if (TestBit(in.InstrumentStateByte, 0)) Queue(fHost, proto::Cmd::D0);
  Valve(17, true);
}

void TRunSequencer::StartRun(int first, int count, int cycles, const TRunInputs &in, const TNow &now) {
  TRunState &s = fState;
  PrepareInstrumentForRun(in);
  s.runStart = s.runZelle = first;
  s.runCount = s.strtCount = count;
  OpenRangeValves();
  s.runCycles = s.strtCycles = cycles;
  s.runMessungen = s.strtMessungen = count * cycles;
  if (s.delayTag == 0) {  // after a delay the run clock counts from the arming
    s.runStartzeit = now.Steady;
    s.runStartWall = now.Wall;
  }
  s.runLaufzeit = 0;
  ShowStartTime(in);
  for (int cell = 1; cell <= 3; ++cell) fHost.DispRunBreak(cell, false, Text(in, kTextNoTime));
  s.runNextZelle = 0;
  s.runSkipped = false;
  s.runStopRequested = false;
  s.delayTag = 0;
  s.runTag = 1;
  s.runAktiv = 1;
  Queue(fHost, proto::Cmd::R1);
}

void TRunSequencer::OpenRangeValves() {
  TRunState &s = fState;
  s.offCount = 0;
  for (int q = s.runStart; q < s.runStart + s.runCount; ++q) {
    if (q > 3) Valve(q, true);  // the sample cell's flow valve
    ++s.offCount;
  }
}

void TRunSequencer::ShowStartTime(const TRunInputs &in) {
  fHost.ShowLabel(TRunLabel::Startrun, Text(in, kTextStartAt) + TimeText(fState.runStartWall));
}

void TRunSequencer::Stop(const TRunInputs &in) {
  TRunState &s = fState;
  if (s.runTag > 0) {
    fHost.ShowStatus(Text(in, kTextStopRun));
    s.runCycles = 0;
    s.runCount = 0;
    s.runStopRequested = true;
    fHost.ShowButtons(Buttons());
  }
  if (s.delayTag > 0) {
    fHost.ShowStatus(Text(in, kTextStopped));
    s.runTag = 0;
    s.delayTag = 0;
    fHost.ShowButtons(Buttons());
    for (const QString &cmd : fValves.CloseAllValves()) fHost.QueueCommand(cmd);
    Queue(fHost, proto::Cmd::R0);
  }
}

void TRunSequencer::Abort(const TRunInputs &in, const QString &reason) {
  TRunState &s = fState;
  if (s.runTag <= 0 && s.delayTag <= 0) return;
  // Ended from here on: a host call below that loses the other port aborts nothing twice.
  const int tag = s.runTag;
  const bool delayed = s.delayTag > 0;
  s.runTag = 0;
  s.delayTag = 0;
  fHost.Log(reason);
  if (!delayed) {
    if (tag == 13) {  // the loop is filling
      Queue(fHost, proto::Cmd::D0);
      SetLoop(false);
    }
    if (tag >= 4 && tag <= 6) {  // the streams run
      Queue(fHost, proto::Cmd::StreamOff);
      if (in.DeviceTyp == TDeviceTyp::FIDFPD) fHost.SendPort2(proto::Form(proto::Cmd::StreamOff));
    }
    if (s.runZelle >= 1 && s.runZelle <= kPositions) Apply(fValves.DispReset(s.runZelle + 10));
  }
  s.runSkipped = false;
  EndOfRun(in);
}

TStartResult TRunSequencer::DelayedStart(const QString &delayText, const TRunInputs &in, const TNow &now) {
  if (RunGoing()) return {TStartResult::Outcome::Ignored, QStringLiteral("a run is going on")};
  const auto delay = ParseStartDelay(delayText);
  if (!delay) return Refuse(QStringLiteral("'%1' is not a valid time").arg(delayText));
  TRunState &s = fState;
  fHost.ShowButtons({false, false, true});
  s.runStartzeit = now.Steady;
  s.runStartWall = now.Wall;
  s.delayStart = s.runStartzeit + *delay;
  s.runLaufzeit = -1;  // the first countdown step shows the full delay
  s.delayTag = 1;
  s.runTag = 0;
  fHost.ShowStatus(Text(in, kTextDelayActive));
  return {TStartResult::Outcome::Armed, {}};
}

TStartResult TRunSequencer::RequestStartFromInstrument(const TRunInputs &in, const TNow &now) {
  if (RunGoing())
    return {TStartResult::Outcome::Ignored,
            QStringLiteral("Start request from the instrument ignored: a run is going on")};
  return Start(in, now);
}

// ---------------------------------------------------------------------------------------
// The tick's steps

std::optional<TStartResult> TRunSequencer::CountdownStep(const TRunInputs &in, const TNow &now) {
  TRunState &s = fState;
  if (s.delayTag != 1) return std::nullopt;
  const long long ms = std::max(0LL, WholeMs(now.Steady - s.runStartzeit));
  if (ms / 1000 == s.runLaufzeit) return std::nullopt;
  s.runLaufzeit = ms / 1000;
  fHost.ShowLabel(TRunLabel::Runtime, RunTimeText(now.Steady - s.runStartzeit));
  s.UpdateTime = true;
  fHost.ShowLabel(TRunLabel::Delay, RunTimeText(s.delayStart - now.Steady));
  if (ms < WholeMs(s.delayStart - s.runStartzeit)) return std::nullopt;
  TStartResult r = Start(in, now);
  if (r.outcome == TStartResult::Outcome::Refused) {  // no retry every second: the delay is over
    s.delayTag = 0;
    fHost.ShowButtons(Buttons());
    fHost.ShowStatus(Text(in, kTextStopped));
  }
  return r;
}

void TRunSequencer::RunTimeRefresh(const TNow &now) {
  TRunState &s = fState;
  if (s.runTag < 1 || s.delayTag != 0) return;
  const long long second = WholeSeconds(now.Steady - s.runStartzeit);
  if (second == s.runLaufzeit) return;
  s.runLaufzeit = second;
  fHost.ShowLabel(TRunLabel::Runtime, RunTimeText(now.Steady - s.runStartzeit));
  s.UpdateTime = true;
}

void TRunSequencer::StateStep(const TRunInputs &in, const TNow &now) {
  if (fState.runTag < 1 || fState.delayTag != 0) return;
  const long long t = PositionSeconds(now);
  const long long sampled = in.SampleTime, filled = sampled + in.InjectionTime;
  switch (fState.runTag) {
    case 1:
      PositionStart(in, now);
      break;
    case 2:
      if (t > sampled) EndOfSampling(in, now);
      break;
    case 13:
      if (t > filled) EndOfLoopFilling(in, now);
      break;
    case 3:
      if (t > filled) MeasurementStart(in, now);
      break;
    case 4:
      if (t > filled + 1) PrepareNextPosition(in, now);
      break;
    case 5:
      if (t > filled + in.Messzeit) StopStream(in, now);
      break;
    case 6:
      WaitForStreamEnd(in, now);
      break;
    case 7:
      Evaluate(in, now);
      break;
    default:
      break;
  }
}

std::optional<TStartResult> TRunSequencer::Tick(const TRunInputs &in, const TNow &now) {
  auto started = CountdownStep(in, now);
  RunTimeRefresh(now);
  StateStep(in, now);
  return started;
}

// ---------------------------------------------------------------------------------------
// States of one position

void TRunSequencer::PositionStart(const TRunInputs &in, const TNow &now) {
  TRunState &s = fState;
  const int p = s.runZelle;
  s.runStartCycle = now.Steady;
  ShowCycleStatus(in, kTextFillCell, false);
  Queue(fHost, proto::Cmd::StreamPrepareB);
  // An off cell is not sampled, but its evaluation still names its own chemical.
  s.runSkipped = p >= 4 && s.CellOff[p - 4];
  if (!s.runSkipped) {
    Valve(p + 10, true);  // selector valve
    if (p >= 2) Valve(p, true);
  }
  SetPositionValues(p, in);
  fHost.ShowLabel(TRunLabel::FIDInfo, s.sChemikalie);
  if (s.runSkipped) {
    s.runTag = 7;
    return;
  }
  Apply(fValves.DispSet(p + 10));
  s.runTag = 2;
}

void TRunSequencer::EndOfSampling(const TRunInputs &in, const TNow &) {
  TRunState &s = fState;
  if (in.HasFlowSensor) {
    if (const auto flow = TryStrToFloat(in.FlowText))
      s.AktFlow = *flow;
    else
      fHost.Log(QStringLiteral("Flow display '%1' is no number; the last flow %2 is kept")
                    .arg(in.FlowText, FloatToStr(s.AktFlow)));
  }
  Queue(fHost, proto::Cmd::StreamPrepareW);
  Queue(fHost, proto::Cmd::D1);
  SetLoop(true);
  ShowCycleStatus(in, kTextFillLoop, false);
  s.runTag = 13;
}

void TRunSequencer::EndOfLoopFilling(const TRunInputs &in, const TNow &) {
  TRunState &s = fState;
  const int p = s.runZelle;
  fHost.ResetSampleCounters();
  Valve(p + 10, false);
  if (p == 2 || p == 3) Valve(p, false);  // the reference flow valve; cells keep theirs open
  if (p >= 4 && in.AutoFlow[p - 4]) fHost.ShowSampleFlow(p - 3, in.FlowText);
  s.runTag = 3;
}

void TRunSequencer::MeasurementStart(const TRunInputs &in, const TNow &) {
  TRunState &s = fState;
  fHost.DiscardDataQueue(1);
  fHost.ShowLabel(TRunLabel::Startrun, QStringLiteral("Start um ") + TimeText(s.runStartWall));
  ShowCycleStatus(in, kTextMeasure, true);
  Queue(fHost, proto::Cmd::D0);
  SetLoop(false);
  fHost.ClearSeries();
  Queue(fHost, proto::Cmd::StreamOn);
  if (in.DeviceTyp == TDeviceTyp::FIDFPD) {
    fHost.DiscardDataQueue(2);
    for (proto::Cmd cmd : {proto::Cmd::StreamPrepareB, proto::Cmd::StreamPrepareW, proto::Cmd::StreamOn})
      fHost.SendPort2(proto::Form(cmd));
  }
  s.runTag = 4;
}

void TRunSequencer::PrepareNextPosition(const TRunInputs &in, const TNow &) {
  TRunState &s = fState;
  if (s.runMessungen > 1) {  // nothing follows the last measurement of the run
    int c = s.runZelle + 1;
    // Off cells 1 and 2 are passed over; the walk ends at the latest back at the position
    // being measured, which is never off.
    for (int step = 0; step < kPositions; ++step) {
      if (c >= s.runStart + s.strtCount) c = s.runStart;
      s.runNextZelle = c;
      if (!PrepareCandidate(c, in)) break;
      ++c;
    }
  }
  s.runNextZelle = 0;
  s.runTag = 5;
}

// Opens the valves of candidate c for its coming position start. True when c is an off
// cell 1 or 2 and the next candidate is to be tried; an off cell 3 ends the walk unprepared.
bool TRunSequencer::PrepareCandidate(int c, const TRunInputs &in) {
  TRunState &s = fState;
  if (c >= 4 && s.CellOff[c - 4]) return c < 6;
  Valve(c + 10, true);
  if (c >= 2) Valve(c, true);
  if (c >= 4) s.Flow = in.SampleFlow[c - 4];
  return false;
}

void TRunSequencer::StopStream(const TRunInputs &in, const TNow &now) {
  fState.StopTime = now.Steady;
  SendStreamStop(in, now);
  fState.runTag = 6;
}

void TRunSequencer::SendStreamStop(const TRunInputs &in, const TNow &now) {
  fState.StopRepeatTime = now.Steady;
  Queue(fHost, proto::Cmd::StreamOff);
  if (in.DeviceTyp == TDeviceTyp::FIDFPD) fHost.SendPort2(proto::Form(proto::Cmd::StreamOff));
}

bool TRunSequencer::StreamEnded(const TRunInputs &in) const {
  const bool fidEnded = in.intAD1Status != kStreamRunning || !in.FIDSampling;
  return fidEnded && (in.DeviceTyp != TDeviceTyp::FIDFPD || !in.FPDSampling);
}

void TRunSequencer::WaitForStreamEnd(const TRunInputs &in, const TNow &now) {
  TRunState &s = fState;
  if (StreamEnded(in)) {
    s.runTag = 7;
  } else if (WholeMs(now.Steady - s.StopTime) >= WholeMs(kStreamEndLimitSeconds)) {
    fHost.Log(QStringLiteral("Position %1: the data stream did not end within %2 s of the stop command; "
                             "the data received are evaluated")
                  .arg(s.runZelle)
                  .arg(kStreamEndLimitSeconds));
    s.runTag = 7;
  } else if (WholeMs(now.Steady - s.StopRepeatTime) > WholeMs(kStopRepeatSeconds)) {
    SendStreamStop(in, now);
  }
}

void TRunSequencer::Evaluate(const TRunInputs &in, const TNow &now) {
  fHost.EvaluatePosition(fState, {fState.runZelle, fState.runSkipped, now});
  Advance(in);
}

void TRunSequencer::Advance(const TRunInputs &in) {
  TRunState &s = fState;
  const int p = s.runZelle;
  ++s.runAktiv;
  Apply(fValves.DispReset(p + 10));
  --s.runMessungen;
  --s.runCount;
  s.runSkipped = false;
  if (s.runCount > 0 && s.offCount > 0 && p < kPositions) {
    s.runZelle = p + 1;
    s.runTag = 1;
    return;
  }
  --s.runCycles;
  s.runCount = s.strtCount;
  if (s.runCycles > 0 && s.offCount > 0) {
    s.runZelle = s.runStart;
    s.runTag = 1;
    return;
  }
  EndOfRun(in);
}

void TRunSequencer::EndOfRun(const TRunInputs &in) {
  TRunState &s = fState;
  fHost.ShowStatus(Text(in, kTextStopped));
  s.runTag = 0;
  s.runStopRequested = false;
  fHost.ShowButtons(Buttons());
  Queue(fHost, proto::Cmd::R0);
  for (const QString &cmd : fValves.CloseAllValves()) fHost.QueueCommand(cmd);
}

// ---------------------------------------------------------------------------------------
// Helpers

long long TRunSequencer::PositionSeconds(const TNow &now) const {
  return WholeSeconds(now.Steady - fState.runStartCycle);
}

void TRunSequencer::SetPositionValues(int p, const TRunInputs &in) {
  static const char *const kReferenceNames[] = {"Zerogas", "Refgas", "Refgascell"};
  TRunState &s = fState;
  if (p <= 3) {
    s.sChemikalie = QString::fromLatin1(kReferenceNames[p - 1]);
    s.FIDSampleFactor = in.FIDCalFactor;
    s.FPDFactor = in.FPDCalFactor;
  } else {
    s.sChemikalie = in.Chemical[p - 4];
    s.FIDSampleFactor = in.FIDFactor[p - 4];
    s.FPDFactor = in.FPDFactor[p - 4];
  }
}

void TRunSequencer::Apply(const TByteChange &change) {
  if (!change.Changed()) return;
  fHost.QueueCommand(change.Command);
  fHost.ShowLamp(change.Lamp);
}

void TRunSequencer::Valve(int x, bool open) { Apply(open ? fValves.ValveSet(x) : fValves.ValveReset(x)); }

void TRunSequencer::SetLoop(bool on) { Apply(fValves.SetLoopLamp(on)); }

void TRunSequencer::ShowCycleStatus(const TRunInputs &in, int textId, bool withMeasurement) {
  const TRunState &s = fState;
  QString text = Text(in, textId) + QStringLiteral(": ");
  if (withMeasurement) text += QString::number(s.strtMessungen - s.runMessungen + 1) + QLatin1Char(' ');
  text += Text(in, kTextCycle) + QLatin1Char(' ') + QString::number(s.strtCycles - s.runCycles + 1) +
          QLatin1Char(' ') + Text(in, kTextCell) + QLatin1Char(' ') + QString::number(s.runZelle);
  fHost.ShowStatus(text);
}

}  // namespace zelvo
