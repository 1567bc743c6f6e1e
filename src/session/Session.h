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

#include "core/DeviceTyp.h"
#include "core/IniFile.h"
#include "link/DiagLog.h"
#include "link/Dispatch.h"
#include "link/LineReceiver.h"
#include "link/LinkState.h"
#include "link/Protocol.h"
#include "link/Reconnect.h"
#include "link/StatusReplies.h"
#include "results/PermeationView.h"
#include "run/Valves.h"
#include "session/HeatingSequence.h"
#include "session/InstrumentStatus.h"
#include "setup/RunParameters.h"
#include "setup/Setpoints.h"

class TComPort;
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
  TComPort *ComPort1 = nullptr;
  TComPort *ComPort2 = nullptr;
  // Commands waiting for port 1 (each with its CR); reply lines from both ports; detector
  // data lines of port 1 and of port 2.
  TLineQueue CommandQueue, ReplyQueue, DataQueue1, DataQueue2;
  TLineReceiver LineBuffer1{DataQueue1, ReplyQueue};
  TLineReceiver LineBuffer2{DataQueue2, ReplyQueue};
  int DebugLevel = 0;  // > 0 logs every command sent and reply taken
  TDiagLog DiagLog;    // "Zelvo730.log" and stderr
  void Log(const QString &text) const;       // one line: the time of day, a space, the text
  void LogLine(const QString &line) const;   // a command or reply: the time of day, the line
  QSet<const TComPort *> ClosedPortReported;    // ports whose closed state was shown already
  QSet<const TComPort *> WriteFailureReported;  // open ports whose failed write was shown already
  // Sets the instrument's line settings and opens the port; whether it is open afterwards.
  bool OpenPort(TComPort *port);
  static void ConfigurePort(TComPort *port);
  // Writes one command line (ending with CR); whether it was written. A failure is told
  // once per port until the port writes again, and the caller goes on.
  bool SendLine(TComPort *port, const QString &text);
  // A port's device hung up: the port is closed, the operator told once, a run ends, and
  // the port is opened again with growing waits once its device is back.
  void PortError(TComPort *port, const EComError &error);
  // The run's part of a lost link (until the run lives here): ends a run or an armed delay,
  // true when there was one.
  std::function<bool(const QString &portName)> EndRunForLinkLoss;
  std::array<TReconnect, 2> PortReconnect;
  int ReconnectCount = 0;
  bool PortLost(const TComPort *port) const;  // closed by a hang-up, not yet back
  void ReconnectStep();
  TLinkState LinkState;
  void LinkLostShown();  // the displays forget the instrument's values while it is away
  // The oldest reply, or the empty text; with echo also shown in the service console.
  QString TakeReply(bool echo);
  // SendLine, then the next reply from either port within 5 s of steady time, else empty.
  // Start-up and the operator's own commands only: the tick never waits.
  static constexpr double kReplyWaitSeconds = 5.0;
  QString SendAndWait(TComPort *port, const QString &command);
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
  // A status value arrived (its display text), or every value was forgotten.
  void StatusValue(zelvo::proto::Reply kind, const QString &text);
  void StatusCleared();
  void FlowShown(const QString &text, bool both);  // both: the run page's and the settings page's
  void ReplyEchoed(const QString &text);           // the service console
  void LoopLamp(bool on);
  void ValveBankReported(int bank);  // the held byte of bank 1 or 2 is to be drawn again
  void StartRequested();             // ":QS", the instrument's start key
  void LinkLost(const QString &since);
  void LinkBack();
  void SetpointShown(zelvo::SetpointId id, int value);
  // A switch of the heating report: checked state, and with `caption` its "On"/"Off".
  void HeatingSwitchShown(zelvo::SetpointId id, bool on, bool caption);

 private:
  void ReceiveLines(TComPort *port, TLineReceiver &lines);
  void CreatePorts();
};

}  // namespace zelvo
