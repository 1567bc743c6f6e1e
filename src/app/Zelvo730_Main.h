#pragma once
// The operator program's main window. Data flows one way:
//   serial bytes -> lines (src/link) -> reply and data queues
//   -> the tick Timer1Timer: send one command, poll, parse one reply, drain data, run step
//   -> evaluation (src/signal, src/run) -> labels, chart and files (src/results).
// TForm1 owns all state. Its members are declared here, grouped by subsystem, and defined
// beside this header in one src/app/Form1<Subsystem>.cpp per group. The handlers read their
// widgets, call the widget-free libraries below (src/setup > src/results > src/run >
// src/signal > src/link > src/core) and write the results back.
#include <QLocale>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "core/DateTime.h"
#include "core/IniFile.h"
#include "core/TickStats.h"
#include "link/DiagLog.h"
#include "link/Dispatch.h"
#include "link/LineReceiver.h"
#include "link/LinkState.h"
#include "link/Reconnect.h"
#include "link/Protocol.h"
#include "link/StatusReplies.h"
#include "results/RecordWriter.h"
#include "run/CellEvaluation.h"
#include "run/Sequencer.h"
#include "setup/Setpoints.h"
#include "setup/SubstanceLists.h"
#include "session/Session.h"
#include "signal/Acquisition.h"
#include "signal/Peak.h"

class QTimer;
class QLabel;
class QPainter;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class EComError;
class QCustomPlot;
class QCPGraph;
class QCPGraphData;
template <class DataType>
class QCPDataContainer;
using QCPGraphDataContainer = QCPDataContainer<QCPGraphData>;
class QCPTextElement;
class QTabWidget;
class QGroupBox;
class QCheckBox;
namespace zelvo {
class TZLed;
class TLabel;
class TSpeedButton;
class TTabSheet;
class TRadioGroup;
class TLabeledEdit;
class TLabeledMemo;
class TValueListEditor;
class TStatusBar;
class TCheckListBox;
class TTechnicalLine;
struct TControlRow;
class TChartSwitch;
class TPermeationPanel;
enum class TRunParam;
}  // namespace zelvo

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // What main() and the window's tests use; everything else is the window's own.
  explicit TForm1(QWidget *parent = nullptr);
  ~TForm1() override;
  // Start-up sequence; runs once from main() before the window is shown.
  void FormCreate();
  static constexpr int kTickIntervalMs = 95;  // the tick's period
  static constexpr int kTabOverlap = 20;      // the tab area covers the chart's lowest pixels
  // Ask the program to end once the current handler (the start-up) has finished.
  void RequestTerminate() { TerminateRequested = true; }
  bool TerminateRequested = false;
  int ExitCode = 0;  // non-zero when the start-up ended the program
  // Ending the program while a run or an armed delay is active. The window asks first
  // (without stopping the tick); a confirmed close, SIGTERM or SIGINT and the application's
  // quit (the session ending) end the run as a lost link does: the evaluated lines are in the
  // result file, the run is switched off and both valve banks closed on the port, and only
  // then the program ends, waiting at most kExitSendSeconds for those commands to leave.
  void InstallExitHandling();  // main(): the signals and the application's quit
  // Tests in their own process: called instead of QCoreApplication::exit(0) after a signal.
  std::function<void(int)> ExitHook;
  // The save and open dialogs. When FileDialogHook is set it answers instead of a dialog
  // (tests): the chosen path, or the empty text for a cancel.
  struct TFileDialogRequest {
    bool Save = false;
    QString StartDir;       // empty: where the dialog was last
    QString DefaultSuffix;  // without the dot; empty: none
    QString Filter;         // empty: every file
  };
  std::function<QString(const TFileDialogRequest &)> FileDialogHook;
  // One row per control, in creation order (ControlTable.cpp).
  static std::span<const zelvo::TControlRow> ControlTable();
  // The program without its window: settings, instrument state, link, run (src/session).
  zelvo::TSession Session;

 protected:
  void closeEvent(QCloseEvent *event) override;

 private:
  // ===================================================================== app (src/app)
  void FormClose();
  // The periodic tick: send, poll, parse, run step (every kTickIntervalMs).
  void Timer1Timer();
  // The start-up steps (FormCreate runs them and reports an error that ends them).
  void StartUp();
  void ReadStartupSettings();
  void ShowStartupSettings();
  void SetupDetectorControls();
  void ShowFlowSensor(bool fitted);
  void ShowFactorFields();
  void EndProgram(const QString &message);  // message, then the program ends (exit code 1)
  void LoadSubstanceLists();
  void SetupChartAxes();
  void ShowCalibrationState();
  void SetConnectionItem(int index, const QString &text, bool checked);
  QString FlowText(double v) const;    // fixed, one decimal
  QString FactorText(double v) const;  // fixed, two decimals
  void ReportSettingsProblems();

  // Ending the program during a run (see InstallExitHandling).
  void EndRunForExit(const QString &why);
  void ExitOnSignal(int signalNumber);
  void AskCloseDuringRun();
  bool CloseConfirmed = false;  // the operator answered "end the run and close"
  bool ExitPrepared = false;    // EndRunForExit has run
  QPointer<QWidget> CloseQuestion;
  // ===================================================================== permeation view
  // The switch above the chart area and the permeation panel in the signal chart's place
  // (Form1Permeation.cpp); the data are Session.Permeation.
  zelvo::TChartSwitch *ChartSwitch = nullptr;
  zelvo::TPermeationPanel *PermeationPanel = nullptr;
  void CreatePermeationView();                 // after the controls: view, menus, switch
  void ShowChartView(bool permeation);         // the switch: one of the two in the chart's place
  void ShowPermeationCaptions(int offset);     // switch, chart and strip in the language
  void PermeationFileChosen(const QString &path);  // a chosen result file's last run, if any


  // ===================================================================== link (src/link)
  // While the link is lost the status displays show their placeholders, the instrument's
  // lamps are dark and lblLinkLost (above the pages, so on every page) says since when; all
  // of it returns with the first reply once every lost port is open again.
  bool LoopLampAtLoss = false;
  void ShowLinkLost(const QString &since);
  void ShowLinkBack();
  // What the session reports, drawn (Form1Session.cpp).
  void ConnectSession();
  void ShowStatusValue(zelvo::proto::Reply kind, const QString &text);
  void ShowFlow(const QString &text, bool both);
  void ShowHeatingSwitch(zelvo::SetpointId id, bool on, bool caption);
  QLineEdit *SetpointEdit(zelvo::SetpointId id) const;  // the set point's field
  // Service console: queue the edit's command (default "<12AS100") and echo one reply;
  // the memo keeps the latest lines.
  static constexpr int kServiceMemoLines = 9;
  void ServiceButtonClick();
  void LMDMemo1Change();
  std::vector<std::pair<zelvo::proto::Reply, zelvo::TLabel *>> StatusLabels() const;
  void ShowStatusLabels();

  // ===================================================================== run (src/run)
  // The run lives in the session; the window draws what it reports.
  void ConnectRun();
  void ShowRunButtons(const zelvo::TRunButtons &buttons, bool monitorFree);
  void ShowRunLabel(zelvo::TRunLabel label, const QString &text);
  // The operator starts (or arms) a run with no result file chosen: asked first whether to
  // choose one, run without saving, or cancel; `start` runs after the first two answers.
  void AskResultFileThen(const std::function<void()> &start);
  void ShowLamp(const zelvo::TLampChange &lamp);
  std::array<zelvo::TZLed *, 6> ValveLamps(int bank) const;
  zelvo::TZLed *ValveLamp(int x) const;  // lamp of valve number x, or null
  void DispV1State();
  void DispV2State();
  void ledLoopClick();
  void ValveLampClick(int bank, int index);  // the twelve ledV*_*Click handlers
  void ShowCellTime(int cell, const QString &time);

  // ===================================================================== signal (src/signal)
  // The detector signals are the session's (Session.Signal1, Signal2, Slopes); the chart
  // draws them.
  // Pixel coordinates of the baseline drawn last.
  double StartX = 0, StartY = 0, EndX = 0, EndY = 0;
  // Rebuilds the chart's series from Signal1, Signal2 and Slopes and redraws (after an
  // import, or whenever the kept signals were replaced as a whole).
  void ChartReload();
  // A long signal is drawn from a coarser copy when the view puts many of its samples into
  // one pixel column: the same picture from far fewer points. The kept signals and the
  // series' own data always hold every point.
  struct TChartDetail;
  std::shared_ptr<TChartDetail> ChartDetail;
  QCPGraphDataContainer &SignalGraphData(int port);  // every point of Series1 (1) or Series2 (2)
  void ClearSignalGraph(int port);
  void ChooseChartDetail();  // before every replot
  // The chart is drawn at most once per tick: steps mark it, the tick's last step draws it.
  bool ChartDirty = false;
  void ChartRedrawStep();
  // Chart behaviour set once at construction: margins clear of the tab area, zoom and pan of
  // the time axis, the baseline overlay, the double-click back to the fixed axes.
  void SetupChartView();
  void ShowChartCaptions(int offset);  // the time axis title in the chosen language
  void RestoreChartAxes();             // time 0..Messzeit (0..300 while monitoring), ScaleMin..Scale
  static constexpr int kMonitorAxisSeconds = 300;
  void ShowMonitoring(bool on);           // btnMonitor's caption and tag, the time axis
  void AppendSignal(int port, std::size_t first);  // the session's new points into the series
  void ShowSlopes();                               // the slope series from Session.Slopes

  // ===================================================================== results (src/results)
  // The save and open dialogs (or FileDialogHook's answer).
  void AskForResultFile();
  void ShowImportedSignals(const QString &path);
  QString ExecFileDialog(const TFileDialogRequest &request);

  // ===================================================================== setup (src/setup)
  // The window's fields into Session.Fields, on every edit.
  void ConnectFields();
  void ShowFactorDisplays(const QList<zelvo::TDisplayText> &displays);
  // Whether each substance list may be saved over its file (read at start-up, or absent).
  zelvo::TListFileState ListState1 = zelvo::TListFileState::NotLoaded;
  zelvo::TListFileState ListState2 = zelvo::TListFileState::NotLoaded;
  QList<zelvo::TSubstance> ListShown1, ListShown2;  // as loaded or last saved
  void SaveSubstanceLists();
  // What every Set button does; false when the field holds no whole number (the conversion
  // error has been shown, nothing was stored or sent).
  bool SetpointSet(zelvo::SetpointId id);
  void SetToggle(QPushButton *btn, bool down, bool setState);  // caption "On"/"Off"
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
  // Switches (true = on).
  void TransferOnOff(bool on);
  void EmissionOnOff(bool on);
  void PMTOnOff(bool on);
  void FPDAirOnOff(bool on);
  void FPDH2OnOff(bool on);
  // The heatings the instrument's heating report switches (the operator cannot).
  void MesskammerOnOff(bool on);
  void VentilblockOnOff(bool on);
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
  // Controls; created by the layout (Form1Layout.cpp) in the constructor, so every
  // one of them exists for the window's whole life; objectName = member name.
  // Every control carries its "Tag" (zelvo::TagOf): the text number of its caption, or 0.
  void CreateControls();
  void CreateChart();     // the chart's title, axes and series
  void FinishControls();  // what the control table does not say
  void FollowClientSize(const QSize &size);  // the chart grows with the window
  // The captioning walk: every control with a Tag gets its caption from the string table.
  void SetLangCaptions(int offset);
  QTimer *Timer1 = nullptr;
  QPlainTextEdit *LMDMemo1 = nullptr;  // service console log, latest replies
  QLineEdit *LMDEdit1 = nullptr;       // service command text
  QPushButton *ServiceButton = nullptr;

  // Chart (upper part of the window) and its series.
  QCustomPlot *Chart1 = nullptr;
  QCPGraph *Series1 = nullptr;  // port 1 (FID), red
  QCPGraph *Series2 = nullptr;  // port 2 (FPD), green
  QCPGraph *Serie3 = nullptr;   // slope series, hidden
  QCPTextElement *Chart1Title = nullptr;
  // Tab area and its pages.
  QTabWidget *PageControl = nullptr;
  zelvo::TTabSheet *tabStatus = nullptr, *tabSettings = nullptr, *tabFaktoren = nullptr,
                   *tabSampleInfo = nullptr;

  // Page tabStatus.
  zelvo::TLabel *lblStart = nullptr, *lblAnzahl = nullptr, *lblMesszeit = nullptr, *lblZyklen = nullptr;
  zelvo::TLabel *lblLimitFID = nullptr, *lblStartrun = nullptr;
  zelvo::TLabel *lblRunToBreak1 = nullptr, *lblRunToBreak2 = nullptr, *lblRunToBreak3 = nullptr;
  zelvo::TLabel *lblLimitFPD = nullptr, *lblRuntime = nullptr;
  zelvo::TLabel *lblInfoSample1 = nullptr, *lblInfoSample3 = nullptr, *lblInfoSample2 = nullptr;
  zelvo::TLabel *lblFlowVal = nullptr, *lblFlowDim = nullptr;
  QLineEdit *editStart = nullptr, *editAnzahl = nullptr, *editMesszeit = nullptr, *editZyklen = nullptr;
  QLineEdit *editLimitFID = nullptr, *editLimitFPD = nullptr;
  QGroupBox *groupStatus = nullptr, *groupCalib = nullptr, *groupDelay = nullptr;
  QPushButton *btnStart = nullptr, *btnStop = nullptr;
  //   in groupStatus
  zelvo::TZLed *ledZero = nullptr, *ledPower = nullptr, *ledCalgas = nullptr, *ledCalcell = nullptr;
  zelvo::TZLed *ledSample1 = nullptr, *ledSample2 = nullptr, *ledSample3 = nullptr, *ledLoop = nullptr;
  zelvo::TZLed *ledSmpOff1 = nullptr, *ledSmpOff2 = nullptr, *ledSmpOff3 = nullptr;
  zelvo::TStatusBar *statusbarRun = nullptr;
  QLabel *lblLinkLost = nullptr;  // the lost link, over the chart, hidden while the link is live
  //   in groupCalib
  zelvo::TLabel *lblFIDCalInfo = nullptr, *lblFPDCALInfo = nullptr, *lblFIDCalFactor = nullptr,
                *lblFPDCalFactor = nullptr;
  zelvo::TLabel *lblFIDMenge = nullptr, *lblFPDMenge = nullptr, *lblFIDInfo = nullptr, *lblFPDInfo = nullptr;
  zelvo::TTechnicalLine *LMDTechnicalLine1 = nullptr;
  QCheckBox *chkboxIsobutanCalib = nullptr, *chkboxSulfurCalib = nullptr;
  QLineEdit *editIsobutan = nullptr, *editSulfur = nullptr;
  //   in groupDelay
  zelvo::TLabel *lblDelay = nullptr;
  QPushButton *btnDelay = nullptr;
  QLineEdit *editStartdelay = nullptr;

  // Page tabSettings.
  zelvo::TLabel *lblFlowValTab1 = nullptr, *lblFlowDimTab1 = nullptr;
  QGroupBox *groupboxVentilblock = nullptr, *groupboxMesskammer = nullptr, *groupFPD = nullptr;
  QGroupBox *groupTransferline = nullptr, *groupGas = nullptr, *groupHVoltage = nullptr;
  QGroupBox *LMDGroupBox2 = nullptr, *LMDGroupBox3 = nullptr, *groupView = nullptr, *groupGases = nullptr;
  zelvo::TRadioGroup *rgStandard = nullptr;
  zelvo::TCheckListBox *clBoxConnection = nullptr;
  QPushButton *btnIgnition = nullptr;
  zelvo::TZLed *LedLoopTab1 = nullptr;
  //   set-point groups: actual value, on/off toggle, set point, Set button
  zelvo::TLabel *lblVentilblock = nullptr, *lblMesskammer = nullptr, *lblEmmision = nullptr,
                *lblTransfer = nullptr;
  zelvo::TLabel *lblFPDH2 = nullptr, *lblFPDAir = nullptr, *lblHVoltage = nullptr;
  zelvo::TSpeedButton *btnVentilblockAn = nullptr, *btnMesskammerAn = nullptr, *btnEmissionAn = nullptr;
  zelvo::TSpeedButton *btnTransferAn = nullptr, *btnFPDH2An = nullptr, *btnFPDAirAN = nullptr,
                      *btnHVoltageAn = nullptr;
  QLineEdit *editVentilblock = nullptr, *editMesskammer = nullptr, *editEmmision = nullptr,
            *editTransfer = nullptr;
  QLineEdit *editFPDH2 = nullptr, *editFPDAir = nullptr, *editHvoltage = nullptr;
  QPushButton *btnVentilblockSet = nullptr, *btnMesskammerSet = nullptr, *btnEmissionSet = nullptr;
  QPushButton *btnTransferSet = nullptr, *btnFPDH2Set = nullptr, *btnFPDAirSet = nullptr,
              *btnHVoltageSet = nullptr;
  //   valve lamps: LMDGroupBox2 (bank 1), LMDGroupBox3 (bank 2)
  zelvo::TZLed *ledV1_0 = nullptr, *ledV1_1 = nullptr, *ledV1_2 = nullptr, *ledV1_3 = nullptr,
               *ledV1_4 = nullptr, *ledV1_5 = nullptr;
  zelvo::TZLed *ledV2_0 = nullptr, *ledV2_1 = nullptr, *ledV2_2 = nullptr, *ledV2_3 = nullptr,
               *ledV2_4 = nullptr, *ledV2_5 = nullptr;
  //   in groupView
  zelvo::TLabel *lblScale = nullptr, *lblFPDLevel = nullptr, *lblFIDLevel = nullptr, *lblScaleMin = nullptr;
  QLineEdit *editScale = nullptr, *editFPDLevel = nullptr, *editFIDLevel = nullptr, *editScaleMin = nullptr;
  QPushButton *btnMonitor = nullptr;
  //   in groupGases
  zelvo::TLabel *lblH2 = nullptr, *lblAir = nullptr, *lblCarrier = nullptr;
  QLineEdit *edH2 = nullptr, *edAir = nullptr, *edCarrier = nullptr;
  QPushButton *btnSetH2 = nullptr, *btnSetAir = nullptr, *btnSetCarrier = nullptr;

  // Page tabFaktoren.
  zelvo::TValueListEditor *ValueListEditor1 = nullptr, *ValueListEditor2 = nullptr;
  QGroupBox *groupboxFactors = nullptr;
  //   in groupboxFactors
  zelvo::TLabel *LMDLabel1 = nullptr, *LMDLabel2 = nullptr, *lmdlblFLOW = nullptr;
  zelvo::TTechnicalLine *LMDTechnicalLine2 = nullptr;
  zelvo::TLabeledEdit *lbleditFIDCalFact = nullptr, *lblEditFact1 = nullptr, *lbleditFPDCalFact = nullptr;
  zelvo::TLabeledEdit *lbleditFPDFact1 = nullptr, *lblEditFact2 = nullptr, *lblEditFact3 = nullptr;
  zelvo::TLabeledEdit *lblEditFPDFact2 = nullptr, *lblEditFPDFact3 = nullptr;
  QLineEdit *editCalFlow = nullptr, *editSampleFlow1 = nullptr, *editSampleFlow2 = nullptr,
            *editSampleFlow3 = nullptr;
  QCheckBox *cbAutoflow1 = nullptr, *cbAutoflow2 = nullptr, *cbAutoflow3 = nullptr;

  // Page tabSampleInfo.
  zelvo::TLabel *lblDateiname = nullptr, *lblRawDataName = nullptr, *lblLocalChar = nullptr;
  QPushButton *btnSpeichern = nullptr, *btnLaden = nullptr;
  QPushButton *btnReport = nullptr;  // the report PDF of the result file, beside it
  zelvo::TLabel *lblReportName = nullptr;  // the name of the report last written
  QLineEdit *editInfo1 = nullptr, *editInfo2 = nullptr, *editInfo3 = nullptr;
  zelvo::TLabeledMemo *memoDescription = nullptr;

  // ---- handlers, defined in the file of their subsystem
  void PageControlExit();                  // setup: store factors and flows
  void tabFaktorenExit();                  // setup: save the substance lists
  void Chart1AfterDraw(QPainter *canvas);  // signal: baselines, after every paint
  void UpdateStartzelle();                 // setup: run parameters
  // Takes the field's text into its parameter and the settings file. A refused text is
  // reported and changes nothing. Whether the value was stored.
  bool TakeRunParamField(zelvo::TRunParam id);
  QLineEdit *RunParamEdit(zelvo::TRunParam id) const;
  void UpdateAnzahlZellen();
  void UpdateMesszeit();
  void UpdateAnzahlMessreihen();
  void UpdateDurchbruchschwelle();
  void editLimitFPDExit();
  void UpdateMengeIsobuthan();
  void UpdateMengeSulfur();
  void btnStartClick();  // run: start, stop, delayed start
  void btnStopClick();
  void btnDelayClick();
  void editStartdelayExit();
  void rgStandardClick();  // setup: test standard
  void ledV1_0Click();     // run: valve lamps of bank 1 and 2 (ValveLampClick)
  void ledV1_1Click();
  void ledV1_2Click();
  void ledV1_3Click();
  void ledV1_4Click();
  void ledV1_5Click();
  void ledV2_0Click();
  void ledV2_1Click();
  void ledV2_2Click();
  void ledV2_3Click();
  void ledV2_4Click();
  void ledV2_5Click();
  void editScaleExit();  // signal: chart view and monitoring
  void editScaleMinExit();
  void btnMonitorClick();
  void ValueListEditor1MouseDown(Qt::MouseButton Button, int X, int Y);  // setup: substance lists
  void ValueListEditor2MouseDown(Qt::MouseButton Button, int X, int Y);
  void ValueListEditor1EndDrag(QObject *Target);  // Target null: dropped nowhere
  void ValueListEditor2EndDrag(QObject *Target);
  void FactDragOver(QObject *Sender, QObject *Source, bool &Accept);
  void btnSpeichernClick();  // results
  void btnLadenClick();
  void btnReportClick();
  void WriteReportOfRun(const QString &pdf, int run);  // and tells where
  void NoteInStatusBar(const QString &text);           // and in the log
  void editInfo1Exit();
  void editInfo2Exit();
  void editInfo3Exit();
  void memoDescriptionKeyPress(QChar &Key);  // set Key to QChar() to swallow it
};
