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
class TComPort;
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
}  // namespace zelvo

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm1(QWidget *parent = nullptr);
  ~TForm1() override;

  // ===================================================================== app (src/app)
  // Start-up sequence; runs once from main() before the window is shown.
  void FormCreate();
  void FormClose();
  // The periodic tick: send, poll, parse, run step.
  static constexpr int kTickIntervalMs = 95;
  void Timer1Timer();
  // Ask the program to end once the current handler (the start-up) has finished.
  void RequestTerminate() { TerminateRequested = true; }
  bool TerminateRequested = false;
  int ExitCode = 0;  // non-zero when the start-up ended the program
  // The start-up steps (FormCreate runs them and reports an error that ends them).
  void StartUp();
  void ReadStartupSettings();
  void ShowStartupSettings();
  bool IdentifyConverters();
  bool IdentifyConverter();
  bool IdentifyConverterPair();
  void SwapPorts();
  void SetupDetectorControls();
  void SendInitialSetPoints();
  void BuildStatusPolling();
  void QueueFirstCommands();
  void EndProgram(const QString &message);  // message, then the program ends (exit code 1)
  void LoadFactorsAndFlows();
  void LoadSubstanceLists();
  void SetupChartAxes();
  void ShowCalibrationState();
  void SetConnectionItem(int index, const QString &text, bool checked);
  QString FlowText(double v) const;    // fixed, one decimal
  QString FactorText(double v) const;  // fixed, two decimals
  void ReportSettingsProblems();
  // Tick steps of the run and signal subsystems.
  void DataDrainStep();
  void DelayedStartStep();
  void RunTimeRefresh();
  void RunStateStep();

  // Ending the program while a run or an armed delay is active. The window asks first
  // (without stopping the tick); a confirmed close, SIGTERM or SIGINT and the application's
  // quit (the session ending) end the run as a lost link does: the evaluated lines are in the
  // result file, the run is switched off and both valve banks closed on the port, and only
  // then the program ends, waiting at most kExitSendSeconds for those commands to leave.
  static constexpr double kExitSendSeconds = 3.0;
  void InstallExitHandling();  // main(): the signals and the application's quit
  void EndRunForExit(const QString &why);
  void ExitOnSignal(int signalNumber);
  void AskCloseDuringRun();
  bool CloseConfirmed = false;  // the operator answered "end the run and close"
  bool ExitPrepared = false;    // EndRunForExit has run
  QPointer<QWidget> CloseQuestion;
  // Tests in their own process: called instead of QCoreApplication::exit(0) after a signal.
  std::function<void(int)> ExitHook;

 protected:
  void closeEvent(QCloseEvent *event) override;

 private:
  // ===================================================================== permeation view
  // The switch above the chart area and the permeation panel in the signal chart's place
  // (Form1Permeation.cpp); the data are Session.Permeation.
  zelvo::TChartSwitch *ChartSwitch = nullptr;
  zelvo::TPermeationPanel *PermeationPanel = nullptr;
  void CreatePermeationView();                 // after the controls: view, menus, switch
  void ShowChartView(bool permeation);         // the switch: one of the two in the chart's place
  void ShowPermeationCaptions(int offset);     // switch, chart and strip in the language
  void PermeationFileChosen(const QString &path);  // a chosen result file's last run, if any

 public:
  // ===================================================================== core (src/core)
  // The program without its window: settings, instrument state, link (src/session).
  zelvo::TSession Session;
  bool FIDBaseDraw = false;  // the FID baseline is drawn

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
  bool EndRunForLinkLoss(const QString &port);  // true when a run or an armed delay ended
  QLineEdit *SetpointEdit(zelvo::SetpointId id) const;  // the set point's field
  // Service console: queue the edit's command (default "<12AS100") and echo one reply;
  // the memo keeps the latest lines.
  static constexpr int kServiceMemoLines = 9;
  void ServiceButtonClick();
  void LMDMemo1Change();
  // Soak figures: with ZELVO_STATS_SECONDS=n in the environment the log gets a line of
  // figures every n seconds (tick times, evaluations, malformed lines, reconnects, memory).
  zelvo::TTickStats TickStats;
  double StatsEverySeconds = -1;  // 0: off; -1: not read from the environment yet
  double StatsLoggedAt = 0;
  long long EvaluationCount = 0;  // positions evaluated since the start
  void StatsStep(double tickSeconds);
  void LogStats();
  std::vector<std::pair<zelvo::proto::Reply, zelvo::TLabel *>> StatusLabels() const;
  void ShowStatusLabels();
  QString TickErrorShown;                                   // the last tick error shown in a box

  // ===================================================================== run (src/run)
  // The window's side of the run: the sequencer acts on the window and the instrument only
  // through this binding (definitions in Form1Run.cpp).
  class TRunBinding final : public zelvo::TRunHost {
   public:
    explicit TRunBinding(TForm1 &form) : F(form) {}
    void QueueCommand(const QString &command) override;
    void SendPort2(const QString &command) override;
    void ShowLamp(const zelvo::TLampChange &lamp) override;
    void ShowStatus(const QString &text) override;
    void ShowLabel(zelvo::TRunLabel label, const QString &text) override;
    void ShowButtons(const zelvo::TRunButtons &buttons) override;
    void DispRunBreak(int cell, bool breakthrough, const QString &time) override;
    void ShowSampleFlow(int cell, const QString &text) override;
    void PrepareChartForRun() override;
    void ResetSampleCounters() override;
    void ClearSeries() override;
    void DiscardDataQueue(int port) override;
    void Log(const QString &text) override;
    void EvaluatePosition(zelvo::TRunState &run, const zelvo::TPositionEvaluation &position) override;

   private:
    TForm1 &F;
  };
  TRunBinding RunHost{*this};
  // The run: start, stop, delayed start, countdown and the position states. Its state
  // (Sequencer.State(): runTag, delayTag, runZelle, runCount, offCount, ...) is the run's.
  zelvo::TRunSequencer Sequencer{RunHost, Session.Valves};
  int &runTag = Sequencer.State().runTag;  // 0 = no run
  // The window's values the run reads, as they stand now.
  zelvo::TRunInputs RunInputs() const;
  // A start by the operator, the instrument (":QS") or the countdown: the factor and flow
  // fields are stored first (a refused field refuses the start), then the run starts, the
  // records begin and the start warnings are shown without stopping anything.
  enum class TStartSource { Operator, Instrument };
  void StartRun(TStartSource source);
  void InstrumentStartRequest();  // ":QS": ignored (and logged) while a run is going on
  void AfterStart(const zelvo::TStartResult &result, bool byOperator);
  void ShowRunButtons();  // btnStart/btnDelay/btnStop as the run allows; btnMonitor off during a run
  bool RefusedWhileLinkLost();  // true (and told) when a lost port waits for its device
  // The operator starts (or arms) a run with no result file chosen: asked first whether to
  // choose one, run without saving, or cancel; `start` runs after the first two answers.
  void AskResultFileThen(const std::function<void()> &start);
  bool RunWithoutSavingChosen = false;  // the start about to happen was answered "without saving"
  // Something the operator should learn without being stopped: status bar and log; with
  // a box beside the window when `box`.
  void RunNotice(const QString &text, bool box = false);
  void RunLog(const QString &text);  // the diagnostic log, with the time of day
  QSet<int> RunNotesShown;           // evaluation notes already shown in this run (by cause)
  void ShowLamp(const zelvo::TLampChange &lamp);
  void ApplyByteChange(const zelvo::TByteChange &change);  // queue the command, then switch the lamp
  std::array<zelvo::TZLed *, 6> ValveLamps(int bank) const;
  zelvo::TZLed *ValveLamp(int x) const;  // lamp of valve number x, or null
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
  // State 7: the evaluation of the position in `run` (Form1Evaluation.cpp). Never throws.
  void EvaluatePosition(zelvo::TRunState &run, const zelvo::TPositionEvaluation &position);
  void EvaluateSignals(const zelvo::TPositionEvaluation &position);  // slopes, FID peak, FPD search
  bool FidNoPeak = true;  // the FID search's result (the FPD search shares the peak fields)
  double FidArea = 0;
  zelvo::TEvalInput EvaluationInput(const zelvo::TRunState &run,
                                    const zelvo::TPositionEvaluation &position) const;
  void CarryOut(zelvo::TRunState &run, const zelvo::TCellEvaluation &ev);
  void EvaluationNote(int cause, const QString &text);  // once per run and cause

  // ===================================================================== signal (src/signal)
  // The detector signals as the program keeps them (the chart only draws them): port 1
  // (FID, or the only detector), port 2 (the FPD of an FIDFPD instrument). Their counters
  // are runZeit/runZeit2, their flags FIDSampling/FPDSampling.
  zelvo::TSignalChannel Signal1, Signal2;
  std::vector<double> Slopes;  // the slope series of the FID signal (Serie3)
  zelvo::TPeakState Peak;      // peak fields of the last FID evaluation
  zelvo::TFpdResult Fpd;       // the last FPD search
  bool FPDBaseDraw = false;
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
  static constexpr int kTabOverlap = 20;  // the tab area covers the chart's lowest pixels
  bool MonitoringOn() const;              // btnMonitor's tag is 57
  void MonitorOn();
  void MonitorOff();
  // Malformed data lines are counted in the log at most every kMalformedLogSeconds.
  static constexpr double kMalformedLogSeconds = 10;
  long long MalformedUnlogged = 0;
  double MalformedLoggedAt = -1e9;
  void CountMalformed(int skipped);

  // ===================================================================== results (src/results)
  zelvo::TRecordWriter Records;  // result file and raw data files, durable, with retry
  // The measurement line (and the raw data file) of an evaluated position.
  void WriteRecords(const zelvo::TCellEvaluation &ev, const zelvo::TRunState &run, const QString &runTime,
                    zelvo::TDateTime wall);
  // A run starts: the writer picks the run's raw data file names.
  void RecordsBeginRun();
  // Once per tick: held records are written again once the files can be written.
  void RecordsRetryStep();
  // What a run start should warn about without stopping (no result file, FID not calibrated).
  QStringList StartWarnings() const;
  // A run is in progress: the import of a raw data file is refused.
  bool RunActive() const;
  // The save and open dialogs. When FileDialogHook is set it answers instead of a dialog
  // (tests): the chosen path, or the empty text for a cancel.
  struct TFileDialogRequest {
    bool Save = false;
    QString StartDir;       // empty: where the dialog was last
    QString DefaultSuffix;  // without the dot; empty: none
    QString Filter;         // empty: every file
  };
  std::function<QString(const TFileDialogRequest &)> FileDialogHook;
  QString ExecFileDialog(const TFileDialogRequest &request);
  QString SaveDialogDir;  // folder of the result file chosen last
  // The writer's report for the operator: status bar, log, and a warning once per failure.
  void ShowWriterReport(const zelvo::TWriterReport &report);
  QString RecordsFailureLogged;  // the failure text logged last, so a retry does not repeat it

  // ===================================================================== setup (src/setup)
  // The store sequence of the factor and flow fields; false when a field was refused (the
  // message has been shown). Runs when the focus leaves the factors page and at a run's start.
  // box false: a refusal goes to the status bar and the log only (a start from the tick).
  bool StoreFactorsAndFlows(bool box = true, bool forRun = false);
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
  // One row per control, in creation order (ControlTable.cpp).
  static std::span<const zelvo::TControlRow> ControlTable();
  void FollowClientSize(const QSize &size);  // the chart grows with the window
  // The captioning walk: every control with a Tag gets its caption from the string table.
  void SetLangCaptions(int offset);
  TComPort *ComPort1 = nullptr;
  TComPort *ComPort2 = nullptr;
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
  void editInfo1Exit();
  void editInfo2Exit();
  void editInfo3Exit();
  void memoDescriptionKeyPress(QChar &Key);  // set Key to QChar() to swallow it
};
