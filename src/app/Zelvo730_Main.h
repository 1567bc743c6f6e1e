#pragma once
// The operator program's main window. Data flows one way:
//   serial bytes -> lines (src/link) -> reply and data queues
//   -> the tick Timer1Timer: send one command, poll, parse one reply, drain data, run step
//   -> evaluation (src/signal, src/run) -> labels, chart and files (src/results).
// TForm1 owns all state. Its members are declared here, grouped by subsystem; each
// subsystem folder defines its group's members in its own Form1*.cpp file, and keeps
// everything that needs no widget in plain code beside it.
#include <QMainWindow>
#include <QString>
#include <memory>

#include "core/DateTime.h"

class QTimer;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TComPort;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm1(QWidget *parent = nullptr);
  ~TForm1() override;

  // ===================================================================== app (src/app)
  // Start-up sequence; runs once from main() before the window is shown.
  void FormCreate();
  void FormClose();
  // The periodic tick (95 ms): send, poll, parse, run step.
  void Timer1Timer();
  // Ask the program to end once the current handler (the start-up) has finished.
  void RequestTerminate() { TerminateRequested = true; }
  bool TerminateRequested = false;

 protected:
  void closeEvent(QCloseEvent *event) override;

 public:
  // ===================================================================== core (src/core)

  // ===================================================================== link (src/link)
  // Creates ComPort1 and ComPort2 and wires their receive events (src/link/Form1Link.cpp).
  void CreateLinkObjects();

  // ===================================================================== run (src/run)

  // ===================================================================== signal (src/signal)

  // ===================================================================== results (src/results)

  // ===================================================================== setup (src/setup)

  // ===================================================================== ui (src/ui, layout)
  // Controls; created by the layout (src/app/Form1Layout.cpp), objectName = member name.
  void CreateControls();
  TComPort *ComPort1 = nullptr;
  TComPort *ComPort2 = nullptr;
  QTimer *Timer1 = nullptr;
  QPlainTextEdit *LMDMemo1 = nullptr;  // service console log, latest 9 replies
  QLineEdit *LMDEdit1 = nullptr;       // service command text
  QPushButton *ServiceButton = nullptr;
};
