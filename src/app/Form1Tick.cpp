// The periodic tick: everything after start-up happens here or in an event handler.
#include <QApplication>
#include <QTimer>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/TickStats.h"
#include "ui/Dialogs.h"
#include "ui/Widgets.h"

using namespace zelvo;

void TForm1::Timer1Timer() {
  Timer1->stop();  // ticks never overlap, also while a step waits for a reply
  const double began = Clock::Steady();
  try {
    DataDrainStep();     // detector data into the chart series
    Session.SendStep();          // one queued command out on port 1
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
    Session.PollListStep();
    Session.ReplyStep();
    Session.HeatingStep();    // the heating report's steps, once answered or given up
    Session.RunTimeStep();
    Session.ReconnectStep();  // a lost port opened again when its device is back
  } catch (const std::exception &e) {
    // The step ends and the program goes on. The message goes to the status bar and the log,
    // and into a box that does not stop the tick, once until a different one comes.
    const QString text = QString::fromUtf8(e.what());
    statusbarRun->SetText(text);
    Session.DiagLog.Send(TimeText(Clock::Now()) + QLatin1Char(' ') + text);
    if (text != TickErrorShown) Dialogs::Notice(this, windowTitle(), text);
    TickErrorShown = text;
  }
  StatsStep(Clock::Steady() - began);
  Timer1->start();
}

void TForm1::StatsStep(double tickSeconds) {
  if (StatsEverySeconds < 0) {
    bool ok = false;
    const int every = qEnvironmentVariable("ZELVO_STATS_SECONDS").toInt(&ok);
    StatsEverySeconds = ok && every > 0 ? every : 0;
    StatsLoggedAt = Clock::Steady();
  }
  if (StatsEverySeconds <= 0) return;
  TickStats.Add(tickSeconds);
  if (Clock::Steady() - StatsLoggedAt >= StatsEverySeconds) LogStats();
}

// One line of figures for the soak script (bench/soak.sh reads them back).
void TForm1::LogStats() {
  StatsLoggedAt = Clock::Steady();
  RunLog(QStringLiteral("stats ticks=%1 tick_p99_ms=%2 tick_max_ms=%3 evaluations=%4 malformed=%5 "
                        "reconnects=%6 rss_kb=%7 queue=%8")
             .arg(TickStats.Count())
             .arg(TickStats.PercentileMs(0.99), 0, 'f', 1)
             .arg(TickStats.MaxMs(), 0, 'f', 1)
             .arg(EvaluationCount)
             .arg(Signal1.Malformed + Signal2.Malformed)
             .arg(Session.ReconnectCount)
             .arg(ResidentKb())
             .arg(Session.CommandQueue.size()));
}
