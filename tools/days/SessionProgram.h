#pragma once
// The program itself in a run of days: its session (the program without its window) on the
// in-memory ports, with a settings file of the run's own, started up as the program starts,
// ticked by the driver, and asked for a new run whenever one has ended, as an operator would.
#include <QMetaObject>
#include <memory>

#include "ProgramUnderTest.h"

namespace zelvo {
class TSession;
}

namespace zelvo::days {

class SessionProgram : public ProgramUnderTest {
 public:
  SessionProgram();
  ~SessionProgram() override;
  bool Attach(const ProgramSetup &setup, QString &error) override;
  void Tick() override;
  double TickSeconds() const override;
  bool RunGoing() const override;
  void StartRun() override;
  std::vector<Evaluation> TakeEvaluations() override;
  void SetStorageFault(StorageFault fault, bool on) override;
  ProgramFigures Figures() const override;
  void Finish() override;

  TSession &Session() { return *session_; }

 private:
  std::unique_ptr<TSession> session_;
  ProgramSetup setup_;
  int runs_ = 0;
  std::vector<Evaluation> evaluations_;
  unsigned faults_ = 0;  // bit per StorageFault that is on
};

}  // namespace zelvo::days
