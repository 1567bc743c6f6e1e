// The evaluation of one injection (state 7 of the run): the peak searches on the kept
// signals, the cell evaluation, and what its result asks of the window: labels, calibration
// captures, the cell's time, a breakthrough, notes, and the records.
#include <qcustomplot.h>

#include <QCheckBox>
#include <QLineEdit>

#include "app/Zelvo730_Main.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

// Causes of the window's own notes, beside those of the cell evaluation.
enum TWindowNote {
  kNoteFpdNotSearched = 1000,
  kNoteCaptureNotStored,
  kNoteRecordFailed,
  kNoteEvaluationFailed,
};

}  // namespace

void TForm1::EvaluatePosition(TRunState &run, const TPositionEvaluation &position) {
  // Nothing here may end the run: a failure is told and the run goes on.
  TCellEvaluation ev;
  try {
    EvaluateSignals(position);
    ev = EvaluateCell(EvaluationInput(run, position));
  } catch (const std::exception &e) {
    EvaluationNote(kNoteEvaluationFailed, GetLangString(Session.ID, kTextPositionNotEvaluated)
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
void TForm1::EvaluateSignals(const TPositionEvaluation &position) {
  if (position.Off) return;
  Slopes.clear();
  AppendSlopes(Signal1.Y, 4, Signal1.Size(), Slopes);
  Peak.FIDBaseDraw = false;
  PeakAndArea(Signal1.Y, Slopes, TPeakSettings{MinPeakStart, static_cast<double>(PeakTime)}, Peak);
  FIDBaseDraw = Peak.FIDBaseDraw;
  // The FPD search shares the peak fields; the FID's result is the evaluation's.
  FidNoPeak = Peak.NoPeak;
  FidArea = Peak.FIDArea;
  if (Session.DeviceTyp == TDeviceTyp::FIDFPD) {
    Fpd = FpdSearch(Signal2.Y, TFpdSettings{MinPeakWith, static_cast<double>(PeakTime), Loopflow}, Peak);
    FPDBaseDraw = Fpd.FPDBaseDraw;
    if (!Fpd.Searched)
      EvaluationNote(
          kNoteFpdNotSearched,
          Session.ID == kGermanOffset
              ? QStringLiteral("FPD: zu wenige Messpunkte (%1), keine Peaksuche").arg(Signal2.Size())
              : QStringLiteral("FPD: too few readings (%1), no peak search").arg(Signal2.Size()));
  }
  // The slope series' graph (shown once an import has shown it); point j belongs to the
  // window centred on sample j + 2.
  QVector<QCPGraphData> points(static_cast<qsizetype>(Slopes.size()));
  for (qsizetype j = 0; j < points.size(); ++j) points[j] = QCPGraphData((j + 2) / 10.0, Slopes[j]);
  Serie3->data()->set(points, true);
  ChartDirty = true;
}

TEvalInput TForm1::EvaluationInput(const TRunState &run, const TPositionEvaluation &position) const {
  TEvalInput in;
  in.Position = position.Position;
  in.DeviceTyp = Session.DeviceTyp;
  in.LangOffset = Session.ID;
  in.OffPosition = position.Off;
  in.CellOff = run.CellOff;
  in.Elapsed = RunTimeText(position.Now.Steady - run.runStartzeit);
  in.SampleInfo = {editInfo1->text(), editInfo2->text(), editInfo3->text()};
  in.NoPeak = FidNoPeak;
  in.FIDArea = FidArea;
  in.Fpd = Fpd;
  in.FIDCalArea = FIDCalArea;
  in.FPDCalArea = FPDCalArea;
  in.FIDCALMenge = FIDCALMenge;
  in.FPDCalMenge = FPDCalMenge;
  in.FIDCalFactor = FIDCalFactor;
  in.FPDCalFactor = FPDCalFactor;
  in.IsobutanCalib = chkboxIsobutanCalib->isChecked();
  in.SulfurCalib = chkboxSulfurCalib->isChecked();
  in.FIDSampleFactor = run.FIDSampleFactor;
  in.FPDFactor = run.FPDFactor;
  in.Flows.CalFlow = CalFlow;
  in.Flows.SampleFlow = {SampleFlow1, SampleFlow2, SampleFlow3};
  in.Flows.AktFlow = run.AktFlow;
  in.Flows.HasFlowSensor = Session.HasFlowSensor;
  in.Flows.AutoFlow = {cbAutoflow1->isChecked(), cbAutoflow2->isChecked(), cbAutoflow3->isChecked()};
  in.SampleArea = SampleArea;
  in.LimitFID = LimitFID;
  in.LimitFPD = LimitFPD;
  return in;
}

// In order: labels, captures, the cell's time, the cell that broke through, notes.
void TForm1::CarryOut(TRunState &run, const TCellEvaluation &ev) {
  if (ev.FIDLabel) lblFIDMenge->setText(*ev.FIDLabel);
  if (ev.FPDLabel) lblFPDMenge->setText(*ev.FPDLabel);

  struct Capture {
    const std::optional<TCalCapture> &capture;
    int &area;
    const char *key;
    QCheckBox *box;
  };
  bool captured = false;
  for (const Capture &c : {Capture{ev.FIDCapture, FIDCalArea, "FIDCalArea", chkboxIsobutanCalib},
                           Capture{ev.FPDCapture, FPDCalArea, "FPDCalArea", chkboxSulfurCalib}}) {
    if (!c.capture) continue;
    c.area = c.capture->Area;
    c.box->setChecked(false);
    captured = true;
    try {
      Session.Settings().WriteInteger(QStringLiteral("Calibration"), QLatin1String(c.key), c.area);
    } catch (const std::exception &e) {
      EvaluationNote(kNoteCaptureNotStored, QString::fromUtf8(e.what()));
    }
  }
  if (captured) ShowCalibrationState();

  if (ev.RunBreak) DispRunBreak(ev.RunBreak->Cell, ev.RunBreak->Broke, ev.RunBreak->Time);
  if (const int n = ev.BrokeCell; n >= 1 && n <= 3) {
    ValveReset(n + 3);  // the cell's flow valve
    --run.offCount;
    run.CellOff[n - 1] = true;
    ShowLamp({TLampKind::CellOff, n, true});
  }
  for (const TEvalNote &note : ev.Notes) EvaluationNote(static_cast<int>(note.Cause), note.Text);
  run.Flow = ev.Flow;
}

// Told in the status bar and beside the window once per run and cause; always logged.
void TForm1::EvaluationNote(int cause, const QString &text) {
  if (RunNotesShown.contains(cause)) {
    RunLog(text);
    return;
  }
  RunNotesShown.insert(cause);
  RunNotice(text, true);
}
