#pragma once
// A stand-in for the program while its session cannot be driven yet: it works the
// instrument's protocol as a run does (valve, sample loop, injection, both converters'
// streams, 8 cycles of the 6 positions per run, run start and end), reads every line from its ports, and
// reconnects a port that hung up. It evaluates nothing and writes no result file, so a run
// of days with it measures the model, the links and the driver alone.
#include <QByteArray>
#include <array>

#include "ProgramUnderTest.h"
#include "core/Clock.h"
#include "link/LineReceiver.h"

namespace zelvo::days {

class ScriptedProgram : public ProgramUnderTest {
 public:
  bool Attach(const ProgramSetup &setup, QString &error) override;
  void Tick() override;
  double TickSeconds() const override { return 0.1; }
  bool RunGoing() const override { return running_; }
  void StartRun() override;
  std::vector<Evaluation> TakeEvaluations() override { return {}; }
  void SetStorageFault(StorageFault, bool) override {}
  ProgramFigures Figures() const override { return figures_; }
  void Finish() override;

  qint64 DataLines() const { return dataLines_; }
  qint64 Replies() const { return replies_; }
  qint64 Reconnects() const { return reconnects_; }
  qint64 Positions() const { return positions_; }

 private:
  struct Port {
    TSerialPort *port = nullptr;
    TLineQueue data, replies;
    TLineReceiver lines{data, replies};
    double retryAt = 0;
  };
  enum class Phase { Fill, Stream };
  bool Send(int port, const QString &line);
  void Receive(Port &p);
  void BeginPosition();

  ProgramSetup setup_;
  std::array<Port, 2> ports_;
  int portCount_ = 1;
  bool running_ = false;
  int position_ = 1;
  int cycle_ = 1;
  Phase phase_ = Phase::Fill;
  TSteadySeconds phaseStart_ = 0;
  TSteadySeconds nextPoll_ = 0;
  qint64 dataLines_ = 0, replies_ = 0, reconnects_ = 0, positions_ = 0;
  ProgramFigures figures_;
};

}  // namespace zelvo::days
