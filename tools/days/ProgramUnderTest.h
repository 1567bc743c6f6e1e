#pragma once
// Where the program plugs into a run of days: a small interface the driver ticks on the
// manual clock. The program's session implements it; until then a stand-in that drives the
// instrument's protocol (ScriptedProgram) keeps the model busy.
#include <QString>
#include <vector>

#include "Checker.h"

class TSerialPort;

namespace zelvo::days {

struct ProgramSetup {
  // In-memory ports (link/MemoryPort.h) named "COM1" and "COM2", closed; the program opens,
  // reads and writes them as its own. port2 is null on an instrument with one converter.
  TSerialPort *port1 = nullptr;
  TSerialPort *port2 = nullptr;
  QString folder;      // a folder of the run's own for settings and raw data
  QString resultFile;  // the result file the program writes
  QString deviceType = QStringLiteral("FIDFPD");
  int secondsPerPosition = 20;
  int cyclesPerRun = 8;  // cycles of the six positions per run
  // The breakthrough limits the program is to use, ug/cm²/min (the truth knows 0.1 and 1.0).
  double limitFid = 0.1, limitFpd = 0.1;
};

// Storage faults the driver switches on and off; the program's file writing fails while one is
// on (read-only: EACCES; disk full: ENOSPC) and must keep what it could not write.
enum class StorageFault { ReadOnly, DiskFull };

// Sizes the program holds, for the bound the run checks.
struct ProgramFigures {
  qint64 queue = 0;       // lines waiting in its command and reply queues
  qint64 pointsHeld = 0;  // signal points it holds (series, buffers)
};

class ProgramUnderTest {
 public:
  virtual ~ProgramUnderTest() = default;
  // Before the first tick. False with a message when the program cannot start.
  virtual bool Attach(const ProgramSetup &setup, QString &error) = 0;
  // One tick at the clock's current time (core/Clock.h, manual).
  virtual void Tick() = 0;
  // Seconds between two ticks.
  virtual double TickSeconds() const { return 0.1; }
  // Whether a run is going (or waits to start); when not, the driver starts one, as an
  // operator would.
  virtual bool RunGoing() const = 0;
  virtual void StartRun() = 0;
  // Evaluations made since the last call, in the order they were made.
  virtual std::vector<Evaluation> TakeEvaluations() = 0;
  virtual void SetStorageFault(StorageFault fault, bool on) = 0;
  virtual ProgramFigures Figures() const = 0;
  // The end of the days: ends the run and writes what it holds.
  virtual void Finish() = 0;
};

}  // namespace zelvo::days
