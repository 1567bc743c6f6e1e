#pragma once
// The program without its window: the settings values it keeps, the instrument's state as
// last reported, and the link to the instrument (ports, line buffers, queues, the status
// polls, reconnection). The window forwards the operator's actions here and draws what the
// session reports through its signals; nothing here reads or writes a widget.
//
// The tick's traffic steps (SendStep, PollListStep, ReplyStep, HeatingStep, RunTimeStep,
// ReconnectStep) never wait: a command that needs an answer goes out, and its step goes on
// when the answer arrives or its time is up.
#include <QLocale>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/DeviceTyp.h"
#include "core/IniFile.h"
#include "core/TickStats.h"
#include "link/DiagLog.h"
#include "link/Dispatch.h"
#include "link/LineReceiver.h"
#include "link/LinkState.h"
#include "link/Protocol.h"
#include "link/Reconnect.h"
#include "link/StatusReplies.h"
#include "results/PermeationView.h"
#include "results/RecordWriter.h"
#include "results/ResultFile.h"
#include "run/CellEvaluation.h"
#include "run/Sequencer.h"
#include "run/Valves.h"
#include "session/HeatingSequence.h"
#include "session/InstrumentStatus.h"
#include "setup/RunParameters.h"
#include "setup/FactorFields.h"
#include "setup/Setpoints.h"
#include "signal/Acquisition.h"
#include "signal/Peak.h"

class TSerialPort;
class EComError;

namespace zelvo {

// The set points the program keeps, one field per quantity (the settings file's values).
struct TSetpointValues {
  int TempVentilblock = 100, TempMesskammer = 100, TempEmissionskammer = 100, TempTransferline = 100;
  int Hochspannung = 100, AirFPD = 500, H2FPD = 500;
  int iH2Set = 600, iAirSet = 600, iCarrierSet = 600;
  int &Of(SetpointId id);
  int Of(SetpointId id) const { return const_cast<TSetpointValues *>(this)->Of(id); }
};

// The factors and flows of the factors page.
struct TFactorValues {
  double CalFlow = 100, SampleFlow1 = 100, SampleFlow2 = 100, SampleFlow3 = 100;
  double FIDCalFactor = 1, FIDFactor1 = 1, FIDFactor2 = 1, FIDFactor3 = 1;
  double FPDCalFactor = 1, FPDFactor1 = 1, FPDFactor2 = 1, FPDFactor3 = 1;
};

// The measurement's other settings: calibration areas, times, chart scale, folders, the
// result file's name and the sample texts.
struct TMeasurementValues {
  bool RawDataSave = false;
  double SampleArea = 19.6;
  int SampleTime = 45, InjectionTime = 300, Scale = 20000, ScaleMin = 0;
  int FIDCalArea = 0, FPDCalArea = 0;
  QString Startdelay;
  QString sInitialDir, sDataDir, sDateiname;
  QString sInfo1, sInfo2, sInfo3;  // the sample texts last stored
};

// What the operator has typed or ticked in the window, as the fields stand now; the window
// keeps it current on every edit. The run reads it when it starts and the evaluation when it
// evaluates: nothing in the session reads a widget.
struct TOperatorFields {
  QString StartText, CountText, CyclesText;  // the run's range and cycles as typed
  QString StartdelayText;                    // the delayed start as typed
  std::array<bool, 3> AutoFlow{};            // each cell's flow from the flow sensor
  std::array<QString, 3> SampleInfo;         // each sample cell's text as typed
  bool IsobutanCalib = false, SulfurCalib = false;  // the next reference gas calibrates
  // Each factor and flow field: its text and its substance name (its label's caption).
  std::array<TFactorFieldInput, kFactorFieldCount> Factors;
  QStringList Description;  // the sample description, line by line
  // The sample cells' substance names (those of the cells' FID factors).
  std::array<QString, 3> Chemical() const;
};

class TSession : public QObject {
  Q_OBJECT

 public:
  explicit TSession(QObject *parent = nullptr);
  ~TSession() override;

  // ------------------------------------------------------------------ settings and language
  int ID = 0;             // string-table offset: 0 German, 1000 English
  QLocale dtFormat;       // regional format of the chosen language
  QChar ChDeciSep = '.';  // its decimal separator
  TDeviceTyp DeviceTyp = TDeviceTyp::FID;
  bool HasFlowSensor = false;
  QString sSerialNumber;

  // The live permeation view's data: the run's evaluated positions, or a result file's last run.
  TPermeationView Permeation;
  // The folder of the settings file: the executable's folder unless the program entry
  // (installed program, --settings) or a test chose another one.
  QString ProgramDirOverride;
  QString DataDirDefault;  // data folders of a new settings file; empty: ProgramDir()
  QString ProgramDir() const;
  QString SettingsFile() const;
  // The settings file for reading and writing. A write that fails does not stop the action
  // that made it: the value is in use for this session, and the operator is told (status
  // bar, log, once a notice) until a write succeeds again.
  TIniFile Settings() const;
  void SettingsWriteReport(const QString &error) const;
  mutable bool SettingsWriteFailureShown = false;

  // The settings values read at start-up (the actions that change one write it back).
  void ReadSettings();
  void ShowSettingsInFields();  // the run fields, the delay and the sample texts as read
  void LoadFactorsAndFlows();   // the factor and flow fields, their values and names

  // ------------------------------------------------------------------ start-up
  // After the settings: ports, converters, the instrument's start state, the polls. False
  // when the program ends (ProgramEnds). Waits for answers; the tick does not run yet.
  bool StartUp();
  bool IdentifyConverters();
  bool IdentifyConverter();
  bool IdentifyConverterPair();
  void SwapPorts();
  void SwitchDetectorOff();
  void SendInitialSetPoints();
  void BuildStatusPolling();
  void QueueFirstCommands();
  void EndProgram(const QString &message);
  TRunParams Run;
  TDetection Detection;
  TFactorValues Factors;
  TMeasurementValues Measurement;
  // Settings values that could not be read (the default was taken); shown once.
  QStringList SettingsProblems;
  // A float of the settings file; one that does not convert gives the default and a line in
  // SettingsProblems. Without a default of the caller's, the key must be one of the settings
  // table and its default is the table's.
  double ReadSettingFloat(const QString &section, const QString &key);
  double ReadSettingFloat(const QString &section, const QString &key, double def);

  // ------------------------------------------------------------------ set points
  TSetpointValues Setpoints;
  int SetpointValue(SetpointId id) const { return Setpoints.Of(id); }
  // Clamped (with a message), shown, stored and sent on the quantity's path.
  void SetpointApply(SetpointId id, int value);
  void SetpointKeep(SetpointId id, int value);  // the value and the settings file
  // The heating report's set point: the stored value, kept in range, shown, stored and sent
  // without waiting. A value outside the range is told without a blocking box. False when
  // nothing went out.
  bool HeatingSetpointSend(SetpointId id);
  unsigned HeatingRangeShown = 0;  // bit per set point: its range notice is shown

  // ------------------------------------------------------------------ link
  // The instrument's ports: termios devices unless the session was given others (an
  // in-memory link); a null port leaves the one in place.
  TSerialPort *ComPort1 = nullptr;
  TSerialPort *ComPort2 = nullptr;
  void UsePorts(TSerialPort *port1, TSerialPort *port2);
  // Commands waiting for port 1 (each with its CR); reply lines from both ports; detector
  // data lines of port 1 and of port 2.
  TLineQueue CommandQueue, ReplyQueue, DataQueue1, DataQueue2;
  TLineReceiver LineBuffer1{DataQueue1, ReplyQueue};
  TLineReceiver LineBuffer2{DataQueue2, ReplyQueue};
  int DebugLevel = 0;  // > 0 logs every command sent and reply taken
  TDiagLog DiagLog;    // "Zelvo730.log" and stderr
  void Log(const QString &text) const;       // one line: the time of day, a space, the text
  void LogLine(const QString &line) const;   // a command or reply: the time of day, the line
  QSet<const TSerialPort *> ClosedPortReported;    // ports whose closed state was shown already
  QSet<const TSerialPort *> WriteFailureReported;  // open ports whose failed write was shown already
  // Sets the instrument's line settings and opens the port; whether it is open afterwards.
  bool OpenPort(TSerialPort *port);
  static void ConfigurePort(TSerialPort *port);
  // Writes one command line (ending with CR); whether it was written. A failure is told
  // once per port until the port writes again, and the caller goes on.
  bool SendLine(TSerialPort *port, const QString &text);
  // A port's device hung up: the port is closed, the operator told once, a run ends, and
  // the port is opened again with growing waits once its device is back.
  void PortError(TSerialPort *port, const EComError &error);
  std::array<TReconnect, 2> PortReconnect;
  int ReconnectCount = 0;
  bool PortLost(const TSerialPort *port) const;  // closed by a hang-up, not yet back
  void ReconnectStep();
  TLinkState LinkState;
  void LinkLostShown();  // the displays forget the instrument's values while it is away
  // The oldest reply, or the empty text; with echo also shown in the service console.
  QString TakeReply(bool echo);
  // SendLine, then the next reply from either port within 5 s of steady time, else empty.
  // Start-up and the operator's own commands only: the tick never waits.
  static constexpr double kReplyWaitSeconds = 5.0;
  QString SendAndWait(TSerialPort *port, const QString &command);
  void FifoPutString(const QString &S);  // queue a port-1 command (S ends with CR)
  // The service console: queues the command (default "<12AS100") and echoes one reply.
  void ServiceCommand(const QString &command);

  // ------------------------------------------------------------------ instrument state
  zelvo::PollList PollList;   // built at the end of the start-up
  int PollCursor = 0;    // 1-based position of the entry examined last; 0 before the first
  int MaxCmdStack = 0;   // the longest CommandQueue seen (diagnosis)
  bool UpdateTime = false;  // the run time is to be sent to the instrument display
  QString sRunTime;         // the run time shown, "hh:nn:ss"
  QString sFlowVal;         // the flow shown
  int intAD1Status = 0;     // last status of the first converter
  std::uint8_t InstrumentStateByte = 0, HeatingStateByte = kHeatingPortAtStart;
  InstrumentStatus Status;  // the values last reported
  // The one image of the two valve banks and the lamp row.
  TValveBytes Valves;
  HeatingSequence Heating;

  // Steps of the tick.
  void SendStep();
  void PollListStep();
  void ReplyStep();
  void RunTimeStep();
  void HeatingStep();
  void ApplyReply(const proto::ParsedReply &reply);  // a status reply with valid data
  void FollowLoopState(std::uint8_t b);              // "D": the loop lamp
  void HeatingReport(std::uint8_t b);                // "P": the two heatings

  // ------------------------------------------------------------------ the tick
  // One tick: detector data in, one command out, the countdown, the run's step, held records,
  // then the polls, one reply, the heating steps, the run time and reconnection. False when
  // the run's own steps failed (FatalError has been emitted: the run's state is unknown).
  bool Tick();
  QString TickErrorShown;  // the last tick error told in a notice
  // Soak figures: with ZELVO_STATS_SECONDS=n in the environment the log gets a line of
  // figures every n seconds (tick times, evaluations, malformed lines, reconnects, memory).
  TTickStats TickStats;
  double StatsEverySeconds = -1;  // 0: off; -1: not read from the environment yet
  double StatsLoggedAt = 0;
  void StatsStep(double tickSeconds);
  void LogStats();

  // ------------------------------------------------------------------ the run
  TOperatorFields Fields;
  // The run: start, stop, delayed start, countdown and the position states. Its state
  // (Sequencer.State(): runTag, delayTag, runZelle, runCount, offCount, ...) is the run's.
  class TRunBinding final : public TRunHost {
   public:
    explicit TRunBinding(TSession &session) : S(session) {}
    void QueueCommand(const QString &command) override;
    void SendPort2(const QString &command) override;
    void ShowLamp(const TLampChange &lamp) override;
    void ShowStatus(const QString &text) override;
    void ShowLabel(TRunLabel label, const QString &text) override;
    void ShowButtons(const TRunButtons &buttons) override;
    void DispRunBreak(int cell, bool breakthrough, const QString &time) override;
    void ShowSampleFlow(int cell, const QString &text) override;
    void PrepareChartForRun() override;
    void ResetSampleCounters() override;
    void ClearSeries() override;
    void DiscardDataQueue(int port) override;
    void Log(const QString &text) override;
    void EvaluatePosition(TRunState &run, const TPositionEvaluation &position) override;

   private:
    TSession &S;
  };
  TRunBinding RunHost{*this};
  TRunSequencer Sequencer{RunHost, Valves};
  bool RunActive() const { return Sequencer.State().runTag != 0; }
  TRunInputs RunInputs() const;  // what the run reads, as it stands now
  // The operator's actions. A start (operator, instrument ":QS", countdown) stores the factor
  // and flow fields first (a refused field refuses the operator's start; the tick's starts go
  // on with the values last stored), then the run starts, the records begin and the start
  // warnings are told without stopping anything.
  enum class TStartSource { Operator, Instrument };
  void StartRun(TStartSource source);
  void Start() { StartRun(TStartSource::Operator); }
  void InstrumentStartRequest() { StartRun(TStartSource::Instrument); }
  void Stop();
  void DelayedStart();
  void StoreStartdelay();  // Fields.StartdelayText into the settings
  // Ends a run or an armed delay at once (a lost link, the program's end); true when there
  // was one. The signal of the position in progress is not evaluated.
  bool EndRun(const QString &why);
  // The program ends during a run: the run ends, held lines get one more write and the
  // closing commands leave on port 1, waiting at most kExitSendSeconds.
  static constexpr double kExitSendSeconds = 3.0;
  void EndRunForExit(const QString &why);
  bool RunWithoutSavingChosen = false;  // the start about to happen was answered "without saving"
  bool RefusedWhileLinkLost();          // true (and told) when a lost port waits for its device
  void AfterStart(const TStartResult &result, bool byOperator);
  void ShowRunButtons();
  // Steps of the tick.
  void DelayedStartStep();
  void RunTimeRefresh();
  void RunStateStep();
  // Something the operator should learn without being stopped: status bar and log; with
  // a notice beside the window when `box`.
  void RunNotice(const QString &text, bool box = false);
  void RunLog(const QString &text);  // the diagnostic log, with the time of day
  QSet<int> RunNotesShown;           // evaluation notes already told in this run (by cause)

  // ------------------------------------------------------------------ valves and lamps
  void ApplyByteChange(const TByteChange &change);  // queue the command, then show the lamp
  void ValveSet(int x);
  void ValveReset(int x);
  void DispSet(int x);
  void DispReset(int x);
  void ValveClick(int bank, int index);  // a valve lamp clicked: the valve as its byte says, switched
  void LoopClick();                      // a loop lamp clicked: the sample loop switched
  bool LoopLampOn = false;               // the loop lamp as last shown
  // A cell's time (label and instrument display); "*" marks a breakthrough.
  void DispRunBreak(int f, bool b, const QString &sTime);

  // ------------------------------------------------------------------ detector signals
  // The detector signals as the program keeps them: port 1 (FID, or the only detector),
  // port 2 (the FPD of an FIDFPD instrument).
  TSignalChannel Signal1, Signal2;
  std::vector<double> Slopes;  // the slope series of the FID signal
  TPeakState Peak;             // peak fields of the last FID evaluation
  TFpdResult Fpd;              // the last FPD search
  bool FIDBaseDraw = false, FPDBaseDraw = false;  // the baselines of the last evaluation are drawn
  void DataDrainStep();
  // Malformed data lines are counted in the log at most every kMalformedLogSeconds.
  static constexpr double kMalformedLogSeconds = 10;
  long long MalformedUnlogged = 0;
  double MalformedLoggedAt = -1e9;
  void CountMalformed(int skipped);
  // Monitoring: the converters stream outside a run so that the operator can watch them.
  bool Monitoring = false;
  void MonitorClick();  // on/off; nothing during a run, which owns the streams
  void MonitorOn();
  void MonitorOff();

  // ------------------------------------------------------------------ evaluation
  // State 7: the evaluation of the position in `run`. Never throws.
  void EvaluatePosition(TRunState &run, const TPositionEvaluation &position);
  void EvaluateSignals(const TPositionEvaluation &position);  // slopes, FID peak, FPD search
  bool FidNoPeak = true;  // the FID search's result (the FPD search shares the peak fields)
  double FidArea = 0;
  TEvalInput EvaluationInput(const TRunState &run, const TPositionEvaluation &position) const;
  void CarryOut(TRunState &run, const TCellEvaluation &ev);
  void EvaluationNote(int cause, const QString &text);  // once per run and cause
  long long EvaluationCount = 0;  // positions evaluated since the start

  // ------------------------------------------------------------------ records
  TRecordWriter Records;  // result file and raw data files, durable, with retry
  // The measurement line (and the raw data file) of an evaluated position.
  void WriteRecords(const TCellEvaluation &ev, const TRunState &run, const QString &runTime, TDateTime wall);
  void RecordsRetryStep();  // held records written again once the files can be written
  // The result file the operator chose: its name, the folder of the next start, the header.
  void ChooseResultFile(const QString &chosen);
  QString SaveDialogDir;  // folder of the result file chosen last
  TResultHeader ResultHeader(TDateTime now) const;
  // What a run start should warn about without stopping (no result file, FID not calibrated).
  QStringList StartWarnings() const;
  // The writer's report for the operator: status bar, log, and a notice once per failure.
  void ShowWriterReport(const TWriterReport &report);
  QString RecordsFailureLogged;  // the failure text logged last, so a retry does not repeat it

  // ------------------------------------------------------------------ import of a raw data file
  // The file's signals replace the kept ones and are searched as at an evaluation; a ticked
  // calibration box takes the peak's area. Refused during a run. False when nothing was read.
  bool ImportRawData(const QString &path);
  bool ImportRefused();  // true (and told) while a run is going on
  std::optional<int> ImportCapture(bool found, double area, int threshold, const char *key, const QString &detector);

  // ------------------------------------------------------------------ factors and flows
  // The store sequence of the factor and flow fields (Fields.Factors); false when a field was
  // refused (told: a box when `box`, else the status bar and the log). Before a run
  // (`forRun`) only the fields of the positions in the run's range refuse.
  bool StoreFactorsAndFlows(bool box = true, bool forRun = false);
  double &FactorValue(TFactorField id);

 signals:
  // The status bar's text, and its tool tip when one comes with it.
  void StatusBarText(const QString &text);
  void StatusBarTip(const QString &text);
  // A message in a box beside the window that does not wait (title empty: the program's).
  void Notice(const QString &title, const QString &text);
  // A message the operator confirms (start-up and the operator's own actions only).
  void ErrorBox(const QString &title, const QString &text);
  void InformationBox(const QString &text);
  void ProgramEndRequested();  // a port that exists could not be opened at start-up
  void ProgramEnds(const QString &message);  // the start-up found no instrument: told, then the end
  void ConnectionShown(int index, const QString &text, bool checked);  // a line of the port list
  void FlowSensorShown(bool fitted);
  void FactorFieldsShown();  // Fields.Factors as loaded
  // A status value arrived (its display text), or every value was forgotten.
  void StatusValue(zelvo::proto::Reply kind, const QString &text);
  void StatusCleared();
  void FlowShown(const QString &text, bool both);  // both: the run page's and the settings page's
  void ReplyEchoed(const QString &text);           // the service console
  void LoopLamp(bool on);
  void ValveBankReported(int bank);  // the held byte of bank 1 or 2 is to be drawn again
  void LinkLost(const QString &since);
  void LinkBack();
  void SetpointShown(zelvo::SetpointId id, int value);
  // A switch of the heating report: checked state, and with `caption` its "On"/"Off".
  void HeatingSwitchShown(zelvo::SetpointId id, bool on, bool caption);
  // The run's steps failed: the run's state is unknown and the program ends.
  void FatalError(const QString &text);
  // The run.
  void LampShown(const zelvo::TLampChange &lamp);
  void RunLabelShown(zelvo::TRunLabel label, const QString &text);
  void RunButtonsShown(const zelvo::TRunButtons &buttons, bool monitorFree);
  void CellTimeShown(int cell, const QString &time);
  void SampleFlowShown(int cell, const QString &text);  // the cell's flow field
  void FactorDisplaysShown(const QList<zelvo::TDisplayText> &displays);
  void AmountShown(bool fpd, const QString &text);      // the measured amount's label
  void CalibrationChanged();  // a calibration area was captured (its box is cleared)
  void ResultFileShown(const QString &name);
  // An evaluated position's record and its measurement line, written to the result file when
  // one is chosen (`off`: a cell closed earlier, no injection).
  void PositionRecorded(const zelvo::TMeasurementRecord &record, const QString &line, bool off);
  // The detector signals: a port's kept signal emptied, points appended (from index
  // `first`), its level reading, the slopes replaced; the chart is to be drawn again.
  void SignalsImported(const QString &path);  // the kept signals replaced by a raw data file's
  void SignalCleared(int port);
  void SignalAppended(int port, std::size_t first);
  void LevelShown(int port, int level);
  void SlopesChanged();
  void ChartChanged();
  void MonitoringChanged(bool on);

 private:
  void ReceiveLines(TSerialPort *port, TLineReceiver &lines);
  void CreatePorts();
};

}  // namespace zelvo
