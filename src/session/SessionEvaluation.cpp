// The session's detector signals (the data drain, monitoring), the evaluation of a measured
// position, the records it writes, and the store sequence of the factor and flow fields.
#include <QDir>
#include <QFileInfo>

#include "core/Clock.h"
#include "core/Errors.h"
#include "core/Language.h"
#include "core/NumberText.h"
#include "core/Settings.h"
#include "results/RawData.h"
#include "results/RecordText.h"
#include "session/Session.h"

namespace zelvo {

namespace {

// Causes of the session's own notes, beside those of the cell evaluation.
enum TSessionNote {
  kNoteFpdNotSearched = 1000,
  kNoteCaptureNotStored,
  kNoteRecordFailed,
  kNoteEvaluationFailed,
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Detector data

void TSession::DataDrainStep() {
  struct Port {
    TLineQueue &queue;
    TSignalChannel &signal;
    int number;
  };
  const bool second = DeviceTyp == TDeviceTyp::FIDFPD;  // port 2 carries data only then
  for (const Port &p : {Port{DataQueue1, Signal1, 1}, Port{DataQueue2, Signal2, 2}}) {
    if (p.number == 2 && !second) break;
    if (p.queue.empty()) continue;
    const TDrainResult r = DrainDataQueue(p.queue, p.signal);
    if (r.Skipped > 0) CountMalformed(r.Skipped);
    if (r.Appended == 0) continue;
    emit SignalAppended(p.number, r.FirstNew);
    if (p.signal.Level) emit LevelShown(p.number, *p.signal.Level);
    emit ChartChanged();
  }
  if (MalformedUnlogged > 0) CountMalformed(0);
}

// Malformed lines are dropped as if they had never arrived; the log counts them, at most
// once every few seconds however many arrive.
void TSession::CountMalformed(int skipped) {
  MalformedUnlogged += skipped;
  const double now = Clock::Steady();
  if (now - MalformedLoggedAt < kMalformedLogSeconds) return;
  RunLog(QStringLiteral("%1 malformed data line(s) skipped (port 1: %2, port 2: %3 since the start)")
             .arg(MalformedUnlogged)
             .arg(Signal1.Malformed)
             .arg(Signal2.Malformed));
  MalformedUnlogged = 0;
  MalformedLoggedAt = now;
}

// ---------------------------------------------------------------------------------------
// Monitoring

void TSession::MonitorClick() {
  if (Sequencer.RunGoing()) return;  // the button is disabled then; a run owns the streams
  if (Monitoring)
    MonitorOff();
  else
    MonitorOn();
}

void TSession::MonitorOn() {
  Monitoring = true;
  Signal1.Counter = 0;
  Signal2.Counter = 0;
  Signal1.ClearSeries();
  DataQueue1.clear();
  emit SignalCleared(1);
  for (proto::Cmd cmd : {proto::Cmd::StreamPrepareB, proto::Cmd::StreamPrepareW, proto::Cmd::StreamOn})
    FifoPutString(proto::Form(cmd));
  if (DeviceTyp == TDeviceTyp::FIDFPD) {
    Signal2.ClearSeries();
    DataQueue2.clear();
    emit SignalCleared(2);
    for (proto::Cmd cmd : {proto::Cmd::StreamPrepareB, proto::Cmd::StreamPrepareW, proto::Cmd::StreamOn})
      SendLine(ComPort2, proto::Form(cmd));
  }
  emit MonitoringChanged(true);
  emit ChartChanged();
}

void TSession::MonitorOff() {
  Monitoring = false;
  Signal1.Counter = 0;  // the second counter keeps its value
  FifoPutString(proto::Form(proto::Cmd::StreamOff));
  Signal1.ClearSeries();
  DataQueue1.clear();
  emit SignalCleared(1);
  if (DeviceTyp == TDeviceTyp::FIDFPD) {
    SendLine(ComPort2, proto::Form(proto::Cmd::StreamOff));
    Signal2.ClearSeries();
    DataQueue2.clear();
    emit SignalCleared(2);
  }
  emit MonitoringChanged(false);
  emit ChartChanged();
}

// ---------------------------------------------------------------------------------------
// Evaluation

void TSession::EvaluatePosition(TRunState &run, const TPositionEvaluation &position) {
  // Nothing here may end the run: a failure is told and the run goes on.
  TCellEvaluation ev;
  try {
    EvaluateSignals(position);
    ev = EvaluateCell(EvaluationInput(run, position));
  } catch (const std::exception &e) {
    EvaluationNote(kNoteEvaluationFailed, GetLangString(ID, kTextPositionNotEvaluated)
                                              .arg(position.Position)
                                              .arg(QString::fromUtf8(e.what())));
    return;
  }
  CarryOut(run, ev);
  try {
    WriteRecords(ev, run, RunTimeText(position.Now.Steady - run.runStartzeit), position.Now.Wall);
  } catch (const std::exception &e) {
    EvaluationNote(kNoteRecordFailed, QString::fromUtf8(e.what()));
  }
}

// The searches of a measured position: the slope series, the FID peak and, with a second
// converter, the FPD's own search. An off position was not measured: nothing is searched.
void TSession::EvaluateSignals(const TPositionEvaluation &position) {
  if (position.Off) return;
  Slopes.clear();
  AppendSlopes(Signal1.Y, 4, Signal1.Size(), Slopes);
  Peak.FIDBaseDraw = false;
  PeakAndArea(Signal1.Y, Slopes, TPeakSettings{Detection.MinPeakStart, static_cast<double>(Detection.PeakTime)}, Peak);
  FIDBaseDraw = Peak.FIDBaseDraw;
  // The FPD search shares the peak fields; the FID's result is the evaluation's.
  FidNoPeak = Peak.NoPeak;
  FidArea = Peak.FIDArea;
  if (DeviceTyp == TDeviceTyp::FIDFPD) {
    Fpd = FpdSearch(Signal2.Y, TFpdSettings{Detection.MinPeakWith, static_cast<double>(Detection.PeakTime), Detection.Loopflow},
                    Peak);
    FPDBaseDraw = Fpd.FPDBaseDraw;
    if (!Fpd.Searched) EvaluationNote(kNoteFpdNotSearched, GetLangString(ID, kTextFpdTooFewReadings).arg(Signal2.Size()));
  }
  emit SlopesChanged();
  emit ChartChanged();
}

TEvalInput TSession::EvaluationInput(const TRunState &run, const TPositionEvaluation &position) const {
  TEvalInput in;
  in.Position = position.Position;
  in.DeviceTyp = DeviceTyp;
  in.LangOffset = ID;
  in.OffPosition = position.Off;
  in.CellOff = run.CellOff;
  in.Elapsed = RunTimeText(position.Now.Steady - run.runStartzeit);
  in.SampleInfo = Fields.SampleInfo;
  in.NoPeak = FidNoPeak;
  in.FIDArea = FidArea;
  in.Fpd = Fpd;
  in.FIDCalArea = Measurement.FIDCalArea;
  in.FPDCalArea = Measurement.FPDCalArea;
  in.FIDCALMenge = Run.FIDCALMenge;
  in.FPDCalMenge = Run.FPDCalMenge;
  in.FIDCalFactor = Factors.FIDCalFactor;
  in.FPDCalFactor = Factors.FPDCalFactor;
  in.IsobutanCalib = Fields.IsobutanCalib;
  in.SulfurCalib = Fields.SulfurCalib;
  in.FIDSampleFactor = run.FIDSampleFactor;
  in.FPDFactor = run.FPDFactor;
  in.Flows.CalFlow = Factors.CalFlow;
  in.Flows.SampleFlow = {Factors.SampleFlow1, Factors.SampleFlow2, Factors.SampleFlow3};
  in.Flows.AktFlow = run.AktFlow;
  in.Flows.HasFlowSensor = HasFlowSensor;
  in.Flows.AutoFlow = Fields.AutoFlow;
  in.SampleArea = Measurement.SampleArea;
  in.LimitFID = Run.LimitFID;
  in.LimitFPD = Run.LimitFPD;
  return in;
}

// In order: labels, captures, the cell's time, the cell that broke through, notes.
void TSession::CarryOut(TRunState &run, const TCellEvaluation &ev) {
  if (ev.FIDLabel) emit AmountShown(false, *ev.FIDLabel);
  if (ev.FPDLabel) emit AmountShown(true, *ev.FPDLabel);

  struct Capture {
    const std::optional<TCalCapture> &capture;
    int &area;
    const char *key;
    bool &box;
  };
  bool captured = false;
  for (const Capture &c : {Capture{ev.FIDCapture, Measurement.FIDCalArea, "FIDCalArea", Fields.IsobutanCalib},
                           Capture{ev.FPDCapture, Measurement.FPDCalArea, "FPDCalArea", Fields.SulfurCalib}}) {
    if (!c.capture) continue;
    c.area = c.capture->Area;
    c.box = false;
    captured = true;
    try {
      Settings().WriteInteger(QStringLiteral("Calibration"), QLatin1String(c.key), c.area);
    } catch (const std::exception &e) {
      EvaluationNote(kNoteCaptureNotStored, QString::fromUtf8(e.what()));
    }
  }
  if (captured) emit CalibrationChanged();

  if (ev.RunBreak) DispRunBreak(ev.RunBreak->Cell, ev.RunBreak->Broke, ev.RunBreak->Time);
  if (const int n = ev.BrokeCell; n >= 1 && n <= 3) {
    ValveReset(n + 3);  // the cell's flow valve
    --run.offCount;
    run.CellOff[n - 1] = true;
    RunHost.ShowLamp({TLampKind::CellOff, n, true});
  }
  for (const TEvalNote &note : ev.Notes) EvaluationNote(static_cast<int>(note.Cause), note.Text);
  run.Flow = ev.Flow;
}

// Told in the status bar and beside the window once per run and cause; always logged.
void TSession::EvaluationNote(int cause, const QString &text) {
  if (RunNotesShown.contains(cause)) {
    RunLog(text);
    return;
  }
  RunNotesShown.insert(cause);
  RunNotice(text, true);
}

// ---------------------------------------------------------------------------------------
// Records of a run

void TSession::WriteRecords(const TCellEvaluation &ev, const TRunState &run, const QString &runTime, TDateTime wall) {
  TMeasurementRecord r;
  r.runZelle = run.runZelle;
  r.Mark = ev.Mark;
  r.BreakTime = ev.BreakTime;
  r.sChemikalie = run.sChemikalie;
  r.FIDSampleFactor = run.FIDSampleFactor;
  r.Flow = ev.Flow;
  r.RunTime = runTime;
  r.FIDppm = ev.FIDppm;
  r.FIDMessMenge = ev.FIDMessMenge;
  r.FIDArea = ev.FIDArea;
  r.FPDMessMenge = ev.FPDMessMenge;
  r.FPDArea = ev.FPDArea;
  // A sample cell's text is the field's as it stands now, stored or not.
  r.SampleText = run.runZelle >= 4 && run.runZelle <= 6 ? Fields.SampleInfo[run.runZelle - 4] : ev.PositionLabel;
  r.Now = wall;
  r.runAktiv = run.runAktiv;
  // The permeation view shows every evaluated position, saved or not.
  Permeation.Add(r);
  if (Records.ResultFile().isEmpty()) return;

  TMeasurementFiles files;
  files.Line = MeasurementLine(r, DeviceTyp);
  emit PositionRecorded(r, files.Line, run.runSkipped);
  if (Records.ResultFile().isEmpty()) return;
  files.runAktiv = run.runAktiv;
  files.RawData = Measurement.RawDataSave && ev.RawDataFile;
  if (files.RawData) files.RawLines = RawDataLines(DeviceTyp, Signal1.Y, Signal2.Y, Peak, Fpd);
  ShowWriterReport(Records.WriteMeasurement(files, Clock::Steady()));
}

void TSession::RecordsRetryStep() {
  if (Records.HasPending()) ShowWriterReport(Records.Retry(Clock::Steady()));
}

// The header as the session has it when the file is chosen.
TResultHeader TSession::ResultHeader(TDateTime now) const {
  TResultHeader h;
  h.ID = ID;
  h.DeviceTyp = DeviceTyp;
  h.sDateiname = Measurement.sDateiname;
  h.Now = now;
  h.sSerialNumber = sSerialNumber;
  h.TempMesskammer = Setpoints.TempMesskammer;
  h.TempVentilblock = Setpoints.TempVentilblock;
  h.TempEmissionskammer = Setpoints.TempEmissionskammer;
  h.TempTransferline = Setpoints.TempTransferline;
  h.Hochspannung = Setpoints.Hochspannung;
  // The actual values as last reported (the placeholders before the first report).
  using proto::Reply;
  h.lblMesskammer = Status.Text(Reply::ChamberTemperature, ID);
  h.lblVentilblock = Status.Text(Reply::ValveBlockTemperature, ID);
  h.lblEmmision = Status.Text(Reply::EmissionTemperature, ID);
  h.lblTransfer = Status.Text(Reply::TransferTemperature, ID);
  h.lblHVoltage = Status.Text(Reply::HighVoltage, ID);
  h.FIDCALMenge = Run.FIDCALMenge;
  h.FIDCalArea = Measurement.FIDCalArea;
  h.LimitFID = Run.LimitFID;
  h.FIDSampleFactor = Sequencer.State().FIDSampleFactor;
  h.FPDCalMenge = Run.FPDCalMenge;
  h.FPDCalArea = Measurement.FPDCalArea;
  h.LimitFPD = Run.LimitFPD;
  h.FPDFactor = Sequencer.State().FPDFactor;
  h.Startzelle = Run.Startzelle;
  h.AnzahlZellen = Run.AnzahlZellen;
  h.AnzahlMessreihen = Run.AnzahlMessreihen;
  h.SampleTime = Measurement.SampleTime;
  h.InjectionTime = Measurement.InjectionTime;
  h.Messzeit = Run.Messzeit;
  h.Description = Fields.Description;
  return h;
}

void TSession::ChooseResultFile(const QString &chosen) {
  Measurement.sDateiname = ResultFileName(chosen);
  emit ResultFileShown(Measurement.sDateiname);
  // The folder is the data folder of the next start; this start keeps its sDataDir.
  SaveDialogDir = QFileInfo(Measurement.sDateiname).absolutePath();
  try {
    TIniFile ini = Settings();
    WriteSettingText(ini, QStringLiteral("Measurement"), QStringLiteral("DataDir"), SaveDialogDir);
  } catch (const EFileError &e) {
    emit ErrorBox(QString(), e.Message());
  }
  ShowWriterReport(
      Records.ChooseResultFile(Measurement.sDateiname, ResultHeaderLines(ResultHeader(Clock::Now())), Clock::Steady()));
}

void TSession::ShowWriterReport(const TWriterReport &report) {
  const QString file = QDir::toNativeSeparators(Records.ResultFile());
  const auto note = [this](const QString &text) {
    emit StatusBarText(text);
    RunLog(text);
  };
  if (report.FileExisted) note(GetLangString(ID, kTextResultFileAppended).arg(file));
  for (const QString &path : report.Recreated)
    note(GetLangString(ID, kTextResultFileRecreated).arg(QDir::toNativeSeparators(path)));
  if (report.Renamed)
    note(GetLangString(ID, kTextRawDataRenamed)
             .arg(report.Renamed->From, report.Renamed->To, QDir::toNativeSeparators(Records.DataDir())));
  if (report.Recovered > 0) note(GetLangString(ID, kTextHeldWritten).arg(report.Recovered));

  const int pending = report.PendingLines + report.PendingRawFiles;
  if (!report.Ok()) {
    QStringList reasons;
    for (const TWriteFailure &f : report.Failures) reasons << f.Message;
    const QString reason = reasons.join(QStringLiteral("; "));
    const QString held = GetLangString(ID, kTextRecordsHeld).arg(report.PendingLines).arg(report.PendingRawFiles);
    const QString text = GetLangString(ID, kTextNotWritten) + u' ' + reason + u' ' + held;
    emit StatusBarText(text);
    // A retry that fails for the same reason is not logged again.
    if (report.Warn || reason != RecordsFailureLogged) RunLog(text);
    RecordsFailureLogged = reason;
    if (report.Warn) emit Notice(QString(), GetLangString(ID, kTextResultsCannotBeWritten).arg(reasons.join(u'\n')));
  } else if (pending == 0) {
    RecordsFailureLogged.clear();
  }
}

QStringList TSession::StartWarnings() const {
  QStringList w;
  if (Records.ResultFile().isEmpty() && !RunWithoutSavingChosen) w << GetLangString(ID, kTextNoResultFileChosen);
  if (DeviceTyp != TDeviceTyp::FPD && !FidCalibrated(Measurement.FIDCalArea))
    w << GetLangString(ID, kTextFidNotCalibrated);
  return w;
}

// ---------------------------------------------------------------------------------------
// Factors and flows

double &TSession::FactorValue(TFactorField id) {
  switch (id) {
    case TFactorField::CalFlow: return Factors.CalFlow;
    case TFactorField::SampleFlow1: return Factors.SampleFlow1;
    case TFactorField::SampleFlow2: return Factors.SampleFlow2;
    case TFactorField::SampleFlow3: return Factors.SampleFlow3;
    case TFactorField::FIDCal: return Factors.FIDCalFactor;
    case TFactorField::FIDSample1: return Factors.FIDFactor1;
    case TFactorField::FIDSample2: return Factors.FIDFactor2;
    case TFactorField::FIDSample3: return Factors.FIDFactor3;
    case TFactorField::FPDCal: return Factors.FPDCalFactor;
    case TFactorField::FPDSample1: return Factors.FPDFactor1;
    case TFactorField::FPDSample2: return Factors.FPDFactor2;
    case TFactorField::FPDSample3: return Factors.FPDFactor3;
  }
  return Factors.CalFlow;
}

// The store sequence, in table order; it stops at the first field that does not convert or is
// not above 0, whose message names the field. Before a run (`forRun`) only the fields of the
// positions in the run's range stop it.
bool TSession::StoreFactorsAndFlows(bool box, bool forRun) {
  const TFactorStore store = forRun ? StoreFactorFieldsForRun(Fields.Factors, ID, Fields.StartText, Fields.CountText)
                                    : StoreFactorFields(Fields.Factors, ID);
  for (const TFactorFieldValue &v : store.Stored) FactorValue(v.Id) = v.Value;
  if (!store.Displays.isEmpty()) emit FactorDisplaysShown(store.Displays);
  if (!store.Writes.isEmpty()) {
    try {
      Settings().WriteStrings(store.Writes);
    } catch (const EFileError &e) {
      emit ErrorBox(QString(), e.Message());
    }
  }
  if (store.Message.isEmpty()) return true;
  if (box)
    emit ErrorBox(QString(), store.Message);
  else
    RunNotice(store.Message, false);
  return false;
}

// ---------------------------------------------------------------------------------------
// Import of a raw data file

// A calibration capture of an imported peak: stored when the whole number is above the
// threshold and fits, otherwise the operator learns why not. Returns the stored area.
std::optional<int> TSession::ImportCapture(bool found, double area, int threshold, const char *key,
                                           const QString &detector) {
  if (!found) {
    emit InformationBox(GetLangString(ID, kTextNoPeakNoCalibration).arg(detector));
    return std::nullopt;
  }
  const std::optional<int> stored = CalibrationArea(area, threshold);
  if (!stored) {
    emit InformationBox(
        GetLangString(ID, kTextAreaNotStorable).arg(detector, FloatToStr(area), QString::number(threshold)));
    return std::nullopt;
  }
  try {
    TIniFile ini = Settings();
    WriteSettingInteger(ini, QStringLiteral("Calibration"), QString::fromLatin1(key), *stored);
  } catch (const EFileError &e) {
    // Kept for this session all the same: the area is valid, only the settings file is not.
    emit ErrorBox(QString(), e.Message());
  }
  return stored;
}

bool TSession::ImportRefused() {
  if (!RunActive()) return false;
  emit InformationBox(GetLangString(ID, kTextNoImportDuringRun));
  return true;
}

bool TSession::ImportRawData(const QString &path) {
  // A dialog before this keeps the tick going: the countdown may have started a run meanwhile.
  if (ImportRefused()) return false;
  TImportResult imported = ReadRawDataFile(path);
  if (!imported.Ok) {
    emit ErrorBox(QString(), imported.Message());
    return false;
  }

  TRawImport &file = imported.Data;
  FIDBaseDraw = FPDBaseDraw = false;
  Peak.FIDBaseDraw = false;
  auto place = [](TSignalChannel &channel, std::vector<double> &&values) {
    channel.X.resize(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) channel.X[i] = static_cast<double>(i) * 0.1;
    channel.Y = std::move(values);
  };
  place(Signal1, std::move(file.Fid));
  place(Signal2, std::move(file.Fpd));
  Slopes.clear();
  AppendSlopes(Signal1.Y, file.SlopeBegin, file.SlopeEnd, Slopes);

  const bool fid = DeviceTyp == TDeviceTyp::FID || DeviceTyp == TDeviceTyp::FIDFPD;
  const bool fpdDevice = DeviceTyp == TDeviceTyp::FPD || DeviceTyp == TDeviceTyp::FIDFPD;
  const bool fpd = fpdDevice && file.Channels == 2;
  if (fid) {
    PeakAndArea(Signal1.Y, Slopes, TPeakSettings{Detection.MinPeakStart, static_cast<double>(Detection.PeakTime)}, Peak);
    FIDBaseDraw = Peak.FIDBaseDraw;
  }
  const bool fidFound = fid && !Peak.NoPeak;
  if (fpd) {
    Fpd = FpdSearch(Signal2.Y, TFpdSettings{Detection.MinPeakWith, static_cast<double>(Detection.PeakTime), Detection.Loopflow},
                    Peak);
    FPDBaseDraw = Fpd.FPDBaseDraw;
  }
  emit SignalsImported(path);

  if (fid && Fields.IsobutanCalib) {
    if (const auto area = ImportCapture(fidFound, Peak.FIDArea, kFidCalThreshold, "FIDCalArea", QStringLiteral("FID"))) {
      Measurement.FIDCalArea = *area;
      Fields.IsobutanCalib = false;
    }
  }
  // A one-channel file holds no FPD signal, so it gives no FPD calibration: told as for a
  // capture not taken, and the box stays ticked.
  if (fpdDevice && !fpd && Fields.SulfurCalib) emit InformationBox(GetLangString(ID, kTextNoFpdSignalInFile));
  if (fpd && Fields.SulfurCalib) {
    if (const auto area = ImportCapture(Fpd.Found, Fpd.FPDArea, kFpdCalThreshold, "FPDCalArea", QStringLiteral("FPD"))) {
      Measurement.FPDCalArea = *area;
      Fields.SulfurCalib = false;
    }
  }
  emit CalibrationChanged();
  return true;
}

}  // namespace zelvo
