// The periodic tick: everything after start-up happens here or in an event handler.
#include <QApplication>
#include <QTimer>

#include "app/Zelvo730_Main.h"
#include "ui/Dialogs.h"

using namespace zelvo;

void TForm1::Timer1Timer() {
  Timer1->stop();  // ticks never overlap, also while a step waits for a reply
  try {
    DataDrainStep();     // detector data into the chart series
    SendStep();          // one queued command out on port 1
    DelayedStartStep();  // the delayed-start countdown
    RunTimeRefresh();    // once-per-second run-time display
    RunStateStep();      // one step of the run state machine
    RecordsRetryStep();  // records held after a failed write
    ChartRedrawStep();   // the chart, once, if anything changed it
  } catch (const std::exception &e) {
    // An error in the run's own steps leaves the run in an unknown state: stop here.
    Dialogs::Error(this, windowTitle(), QString::fromUtf8(e.what()));
    ExitCode = 1;
    QCoreApplication::exit(1);
    return;
  }
  try {
    PollListStep();
    ReplyStep();
    RunTimeStep();
  } catch (const std::exception &e) {
    // As in any event handler: the step ends, the message is shown, the program goes on.
    Dialogs::Error(this, windowTitle(), QString::fromUtf8(e.what()));
  }
  Timer1->start();
}
