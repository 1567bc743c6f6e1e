// The periodic tick: the session's steps, then the chart once if anything changed it.
#include <QApplication>
#include <QTimer>

#include "app/Zelvo730_Main.h"
#include "ui/Dialogs.h"

using namespace zelvo;

void TForm1::Timer1Timer() {
  Timer1->stop();  // ticks never overlap
  if (!Session.Tick()) return;  // FatalError ends the program
  ChartRedrawStep();
  Timer1->start();
}
