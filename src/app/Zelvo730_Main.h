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

#include <QLocale>

#include "core/DateTime.h"
#include "link/Dispatch.h"

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
  // Language and regional format, chosen once at start-up.
  int ID = 0;             // string-table offset: 0 German, 1000 English
  QLocale dtFormat;       // regional format of the chosen language
  QChar ChDeciSep = '.';  // its decimal separator
  // Detector configuration and identification.
  zelvo::TDeviceTyp DeviceTyp = zelvo::TDeviceTyp::FID;
  bool HasFlowSensor = false;
  QString sSerialNumber;
  // Settings values read at start-up (the keys' owners write them back).
  bool FIDBaseDraw = false;
  bool RawDataSave = false;
  int LoopVolume = 200, Loopflow = 10000, PeakTime = 25, MinPeakStart = 10;
  double MinPeakWith = 1.2;  // peak width in seconds: LoopVolume / (Loopflow / 60)
  double FIDCALMenge = 100, FPDCalMenge = 10;
  int FIDCalArea = 0, FPDCalArea = 0;
  QString Startdelay;
  int Startzelle = 1, AnzahlZellen = 4, Messzeit = 60, AnzahlMessreihen = 10;
  double LimitFID = 100, LimitFPD = 10, SampleArea = 19.6, CalFlow = 100;
  double SampleFlow1 = 100, SampleFlow2 = 100, SampleFlow3 = 100;
  double FIDCalFactor = 1, FIDFactor1 = 1, FIDFactor2 = 1, FIDFactor3 = 1;
  double FPDCalFactor = 1, FPDFactor1 = 1, FPDFactor2 = 1, FPDFactor3 = 1;
  int SampleTime = 45, InjectionTime = 300, Scale = 20000, ScaleMin = 0;
  QString sInitialDir, sDataDir, sDateiname;
  // Path of the settings file and the folder beside it (the executable's folder).
  QString SettingsFile() const;
  QString ProgramDir() const;
  QString ProgramDirOverride;  // tests run the window from a folder of their own

  // ===================================================================== link (src/link)
  // Creates ComPort1 and ComPort2 and wires their receive events (src/link/Form1Link.cpp).
  void CreateLinkObjects();

  // ===================================================================== run (src/run)
  int runTag = 0;  // state of the run sequencer; 0 = no run
  // Held command bytes (active-low images of the instrument's registers).
  unsigned char ValveByte1 = 0xFF, ValveByte2 = 0xFF, LampByte = 0xEF;
  void ValveSet(int x);
  void ValveReset(int x);
  void DispSet(int x);
  void DispReset(int x);
  void DispV1State();
  void DispV2State();
  void ledLoopClick();
  void ValveLampClick(int bank, int index);  // the twelve ledV*_*Click handlers
  // Shows a cell's time (label and instrument display); "*" marks a breakthrough.
  void DispRunBreak(int f, bool b, const QString &sTime);

  // ===================================================================== signal (src/signal)

  // ===================================================================== results (src/results)

  // ===================================================================== setup (src/setup)
  int TempVentilblock = 100, TempMesskammer = 100, TempEmissionskammer = 100, TempTransferline = 100;
  int Hochspannung = 100, AirFPD = 500, H2FPD = 500;
  int iH2Set = 600, iAirSet = 600, iCarrierSet = 600;
  // Set buttons: range check, store, send.
  void btnVentilBlockSetClick();
  void btnMesskammerSetClick();
  void btnEmissionSetClick();
  void btnTransferSetClick();
  void btnHVoltageSetClick();
  void btnFPDAirSetClick();
  void btnFPDH2SetClick();
  void btnH2SetClick();
  void btnAirSetClick();
  void btnCarrierSetClick();
  // Store operations: field text -> window field -> settings file.
  void UpdateVentilblock();
  void UpdateMesskammer();
  void UpdateEmmision();
  void UpdateTransfer();
  void UpdateHVoltage();
  void UpdateFPDAir();
  void UpdateFPDH2();
  void UpdateH2();
  void UpdateAir();
  void UpdateCarrier();
  // Switches (true = on).
  void TransferOnOff(bool on);
  void EmissionOnOff(bool on);
  void PMTOnOff(bool on);
  void FPDAirOnOff(bool on);
  void FPDH2OnOff(bool on);
  // Toggle clicks, ignition, pressure fields.
  void btnTransferAnClick();
  void btnEmissionAnClick();
  void btnHVoltageAnClick();
  void btnFPDAirANClick();
  void btnFPDH2AnClick();
  void btnMesskammerAnClick();
  void btnVentilblockAnClick();
  void btnIgnitionClick();
  void edH2Enter();
  void edAirEnter();
  void edCarrierEnter();
  void edH2Exit();
  void edAirExit();
  void edCarrierExit();

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
