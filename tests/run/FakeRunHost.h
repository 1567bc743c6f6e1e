#pragma once
// A recording stand-in for the window, with a converter that starts its data stream on
// "<12Z1100" and ends it on "<12Z0100" (unless told to ignore the stop), and a driven clock.
#include <gtest/gtest.h>

#include <QStringList>
#include <functional>
#include <map>
#include <vector>

#include "run/Sequencer.h"

namespace zelvo::test {

struct SentCommand {
  double At;  // steady seconds
  QString Text;
};

struct EvaluationCall {
  int Position;
  bool Off;
  int runAktiv;
  QString Chemical;
  double FIDSampleFactor, FPDFactor;
};

class FakeRunHost : public TRunHost {
 public:
  const TNow *Now = nullptr;
  std::vector<SentCommand> Port1, Port2;
  std::vector<TLampChange> Lamps;
  QStringList Statuses, Logged;
  std::map<TRunLabel, QStringList> Labels;
  TRunButtons Buttons;
  int ButtonUpdates = 0;
  std::vector<EvaluationCall> Evaluations;
  std::function<void(TRunState &, const TPositionEvaluation &)> OnEvaluate;
  std::map<int, QString> SampleFlowTexts;
  int Discarded[3] = {0, 0, 0};
  int SeriesCleared = 0, CountersReset = 0, ChartPrepared = 0;
  // The converters.
  bool FidStream = false, FpdStream = false;
  bool FidIgnoresStop = false, FpdIgnoresStop = false;

  void QueueCommand(const QString &command) override {
    Port1.push_back({Now->Steady, command});
    if (command == "<12Z1100\r") FidStream = true;
    if (command == "<12Z0100\r" && !FidIgnoresStop) FidStream = false;
  }
  void SendPort2(const QString &command) override {
    Port2.push_back({Now->Steady, command});
    if (command == "<12Z1100\r") FpdStream = true;
    if (command == "<12Z0100\r" && !FpdIgnoresStop) FpdStream = false;
  }
  void ShowLamp(const TLampChange &lamp) override { Lamps.push_back(lamp); }
  void ShowStatus(const QString &text) override { Statuses << text; }
  void ShowLabel(TRunLabel label, const QString &text) override { Labels[label] << text; }
  void ShowButtons(const TRunButtons &b) override {
    Buttons = b;
    ++ButtonUpdates;
  }
  void DispRunBreak(int cell, bool breakthrough, const QString &time) override {
    QueueCommand(QStringLiteral("<X%1%2%3\r").arg(cell).arg(breakthrough ? "*" : " ").arg(time));
  }
  void ShowSampleFlow(int cell, const QString &text) override { SampleFlowTexts[cell] = text; }
  void PrepareChartForRun() override { ++ChartPrepared; }
  void ResetSampleCounters() override { ++CountersReset; }
  void ClearSeries() override { ++SeriesCleared; }
  void DiscardDataQueue(int port) override { ++Discarded[port]; }
  void Log(const QString &text) override { Logged << text; }
  void EvaluatePosition(TRunState &run, const TPositionEvaluation &p) override {
    Evaluations.push_back(
        {p.Position, p.Off, run.runAktiv, run.sChemikalie, run.FIDSampleFactor, run.FPDFactor});
    if (OnEvaluate) OnEvaluate(run, p);
  }

  QStringList Commands(std::size_t from = 0) const {
    QStringList l;
    for (std::size_t i = from; i < Port1.size(); ++i) l << Port1[i].Text;
    return l;
  }
  // Valve numbers opened, in order, from lamp change `from` on.
  std::vector<int> OpenedValves(std::size_t from = 0) const {
    std::vector<int> v;
    for (std::size_t i = from; i < Lamps.size(); ++i)
      if (Lamps[i].Kind == TLampKind::Valve && Lamps[i].On) v.push_back(Lamps[i].Number);
    return v;
  }
  double FirstTimeOf(const QString &command, std::size_t from = 0) const {
    for (std::size_t i = from; i < Port1.size(); ++i)
      if (Port1[i].Text == command) return Port1[i].At;
    return -1;
  }
};

// The sequencer with its host, valve bytes, inputs and a clock that ticks every 100 ms.
class RunFixture : public ::testing::Test {
 protected:
  static constexpr double kTick = 0.1;

  RunFixture() {
    host.Now = &now;
    in.StartText = "1";
    in.CountText = "4";
    in.CyclesText = "2";
    in.SampleTime = 2;
    in.InjectionTime = 3;
    in.Messzeit = 5;
    in.Chemical = {"Toluol", "Aceton", "Methanol"};
    in.FIDFactor = {1.5, 2.5, 3.5};
    in.FPDFactor = {4.5, 5.5, 6.5};
    in.SampleFlow = {110, 120, 130};
    in.FIDCalFactor = 0.5;
    in.FPDCalFactor = 0.25;
  }

  void Tick() {
    now.Steady += kTick;
    now.Wall += SecondsToDays(kTick);
    in.FIDSampling = host.FidStream;
    in.FPDSampling = host.FpdStream;
    in.intAD1Status = host.FidStream ? 118 : 103;
    seq.Tick(in, now);
  }
  // Ticks until `done` holds; false when it does not within `seconds`.
  template <class Pred>
  bool TickUntil(Pred done, double seconds = 3600) {
    for (double t = 0; t < seconds; t += kTick) {
      if (done()) return true;
      Tick();
    }
    return done();
  }
  bool RunToEnd(double seconds = 3600) {
    return TickUntil([&] { return seq.State().runTag == 0; }, seconds);
  }
  const TRunState &S() const { return seq.State(); }

  TNow now{1000.0, 46000.5};  // a steady reading and 12:00:00 on a day in 2025
  FakeRunHost host;
  TValveBytes valves;
  TRunSequencer seq{host, valves};
  TRunInputs in;
};

}  // namespace zelvo::test
