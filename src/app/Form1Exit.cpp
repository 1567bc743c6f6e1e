// Ending the program: the question at the window during a run, SIGTERM/SIGINT and the
// application's quit, each ending a run properly before the program goes.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QTimer>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/ExitSignals.h"
#include "core/Language.h"
#include "link/ComPort.h"
#include "ui/Dialogs.h"

using namespace zelvo;

void TForm1::InstallExitHandling() {
  auto *exitSignals = new TExitSignals(this);
  connect(exitSignals, &TExitSignals::Received, this, &TForm1::ExitOnSignal);
  // The session manager's quit (logout) ends the event loop; the run ends before the
  // program does.
  connect(qApp, &QCoreApplication::aboutToQuit, this,
          [this] { EndRunForExit(QStringLiteral("the application quits")); });
}

void TForm1::closeEvent(QCloseEvent *event) {
  if ((Session.RunActive() || Session.Sequencer.DelayArmed()) && !CloseConfirmed) {
    event->ignore();
    AskCloseDuringRun();
    return;
  }
  EndRunForExit(QStringLiteral("the window was closed"));
  QMainWindow::closeEvent(event);
}

void TForm1::AskCloseDuringRun() {
  if (CloseQuestion) {
    CloseQuestion->raise();
    CloseQuestion->activateWindow();
    return;
  }
  CloseQuestion = Dialogs::Ask(this, QStringLiteral("msgCloseDuringRun"), windowTitle(),
                               GetLangString(Session.ID, kTextCloseDuringRun),
                               {GetLangString(Session.ID, kTextCloseEndRun), GetLangString(Session.ID, kTextCloseKeepRunning)},
                               [this](int answer) {
                                 // The run may have ended meanwhile; the window closes all the same.
                                 if (answer != 0) return;
                                 CloseConfirmed = true;
                                 // Not from inside the answer: the window may still be in its
                                 // close event.
                                 QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
                               });
}

void TForm1::ExitOnSignal(int signalNumber) {
  Session.RunLog(QStringLiteral("Signal %1: the program ends").arg(signalNumber));
  EndRunForExit(QStringLiteral("signal %1").arg(signalNumber));
  if (ExitHook)
    ExitHook(0);
  else
    QCoreApplication::exit(0);
}

void TForm1::EndRunForExit(const QString &why) {
  if (ExitPrepared) return;
  ExitPrepared = true;
  if (Timer1) Timer1->stop();  // nothing else is sent, polled or started from here on
  Session.EndRunForExit(why);
  FormClose();
}
