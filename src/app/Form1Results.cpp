// Result file, raw data files, import of a raw data file, sample information.
#include <qcustomplot.h>

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextCursor>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/Errors.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "core/NumberText.h"
#include "core/Settings.h"
#include "core/Utils.h"
#include "results/Description.h"
#include "results/RawData.h"
#include "results/Report.h"
#include "results/ReportTexts.h"
#include "results/ResultFile.h"
#include "run/CellEvaluation.h"
#include "ui/Dialogs.h"
#include "ui/ReportPdf.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

QString Pick(int id, const char *german, const char *english) {
  return QString::fromUtf8(id == kGermanOffset ? german : english);
}

// A calibration capture of an imported peak: stored when the whole number is above the
// threshold and fits, otherwise the operator learns why not. Returns the stored area.
std::optional<int> Capture(TForm1 &f, bool found, double area, int threshold, const char *key,
                           const QString &detector) {
  const QString title = f.windowTitle();
  if (!found) {
    Dialogs::Information(&f, title,
                         Pick(f.Session.ID, "Kein %1-Peak gefunden: keine Kalibrierung gespeichert.",
                              "No %1 peak found: no calibration stored.")
                             .arg(detector));
    return std::nullopt;
  }
  const std::optional<int> stored = CalibrationArea(area, threshold);
  if (!stored) {
    Dialogs::Information(
        &f, title,
        Pick(f.Session.ID,
             "%1-Fläche %2 ist nicht als Kalibrierung speicherbar (sie muss über %3 liegen): "
             "keine Kalibrierung gespeichert.",
             "%1 area %2 cannot be stored as calibration (it must be above %3): no calibration stored.")
            .arg(detector, FloatToStr(area), QString::number(threshold)));
    return std::nullopt;
  }
  try {
    TIniFile ini = f.Session.Settings();
    WriteSettingInteger(ini, QStringLiteral("Calibration"), QString::fromLatin1(key), *stored);
  } catch (const EFileError &e) {
    // Kept for this session all the same: the area is valid, only the settings file is not.
    Dialogs::Error(&f, title, e.Message());
  }
  return stored;
}

}  // namespace

void TForm1::NoteInStatusBar(const QString &text) {
  statusbarRun->SetText(text);
  Session.DiagLog.Send(TimeText(Clock::Now()) + u' ' + text);
}

// Writes the report of run `run` to `pdf` and tells where.
void TForm1::WriteReportOfRun(const QString &pdf, int run) {
  const TReportPdfResult written = WriteReportPdf(Session.Measurement.sDateiname, pdf, Session.ID, run);
  if (!written.Ok) {
    Dialogs::Error(this, windowTitle(), written.Error);
    return;
  }
  QString text = GetLangString(Session.ID, report_text::kWritten).arg(QDir::toNativeSeparators(pdf));
  for (const TReportWarning &w : written.Warnings) text += u' ' + ReportWarningText(w, Session.ID);
  NoteInStatusBar(text);
  // The status bar is on another page: the name is shown beside the button as well.
  lblReportName->setText(QFileInfo(pdf).fileName());
  lblReportName->setToolTip(text);
}

// ------------------------------------------------------------------ the result file
void TForm1::AskResultFileThen(const std::function<void()> &start) {
  Dialogs::Ask(this, QStringLiteral("msgNoResultFile"), windowTitle(), GetLangString(Session.ID, kTextNoResultFileAsk),
               {GetLangString(Session.ID, kTextChooseResultFile), GetLangString(Session.ID, kTextRunWithoutSaving),
                GetLangString(Session.ID, kTextCancel)},
               [this, start](int answer) {
                 if (answer == 0) {
                   btnSpeichernClick();
                   if (Session.Records.ResultFile().isEmpty()) return;  // the Save dialog was cancelled
                   start();
                 } else if (answer == 1) {
                   Session.RunWithoutSavingChosen = true;
                   start();
                   Session.RunWithoutSavingChosen = false;
                 }
               });
}

QString TForm1::ExecFileDialog(const TFileDialogRequest &request) {
  if (FileDialogHook) return FileDialogHook(request);
  QFileDialog dialog(this);
  dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // An existing result file is appended to, never replaced: the dialog must not ask whether
  // to replace it.
  if (request.Save) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (!request.StartDir.isEmpty()) dialog.setDirectory(request.StartDir);
  if (!request.DefaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.DefaultSuffix);
  if (!request.Filter.isEmpty()) dialog.setNameFilter(request.Filter);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

void TForm1::btnSpeichernClick() {
  TFileDialogRequest request;
  request.Save = true;
  request.StartDir = Session.Measurement.sDateiname.isEmpty() ? Session.Measurement.sDataDir : Session.SaveDialogDir;
  request.DefaultSuffix = QStringLiteral("csv");
  request.Filter = QStringLiteral("*.csv (*.csv *.CSV)");
  const QString chosen = ExecFileDialog(request);
  if (chosen.isEmpty()) return;

  Session.ChooseResultFile(chosen);
}

// ------------------------------------------------------------------ the report of the result file
// Written beside the result file, in the window's language. During a run it covers the lines
// written so far.
void TForm1::btnReportClick() {
  if (Session.Measurement.sDateiname.isEmpty()) {
    Dialogs::Information(this, windowTitle(), GetLangString(Session.ID, report_text::kNoResultFile));
    return;
  }
  // One report per run: the run just ended (or going on) is the file's last, and its PDF
  // carries its number, so an earlier run's report is never replaced by a later run's.
  const int run = LastRunOf(Session.Measurement.sDateiname);
  const QString pdf = ReportPdfName(Session.Measurement.sDateiname, run);
  if (!QFileInfo::exists(pdf)) {
    WriteReportOfRun(pdf, run);
    return;
  }
  Dialogs::Ask(this, QStringLiteral("msgReplaceReport"), windowTitle(),
               GetLangString(Session.ID, kTextReplaceReport).arg(QDir::toNativeSeparators(pdf)),
               {GetLangString(Session.ID, kTextReplace), GetLangString(Session.ID, kTextCancel)},
               [this, pdf, run](int answer) {
                 if (answer == 0) WriteReportOfRun(pdf, run);
               });
}

// ------------------------------------------------------------------ import of a raw data file
void TForm1::btnLadenClick() {
  const QString refused = Pick(Session.ID, "Während einer Messung kann keine Rohdatendatei geladen werden.",
                               "A raw data file cannot be loaded while a run is in progress.");
  if (Session.RunActive()) {
    Dialogs::Information(this, windowTitle(), refused);
    return;
  }
  TFileDialogRequest request;
  request.StartDir = Session.Measurement.sDataDir;
  const QString path = ExecFileDialog(request);
  if (path.isEmpty()) return;
  // The dialog keeps the tick going: the countdown may have started a run meanwhile.
  if (Session.RunActive()) {
    Dialogs::Information(this, windowTitle(), refused);
    return;
  }
  TImportResult imported = ReadRawDataFile(path);
  if (!imported.Ok) {
    Dialogs::Error(this, windowTitle(), imported.Message());
    return;
  }

  TRawImport &file = imported.Data;
  lblRawDataName->setText(path);
  Session.FIDBaseDraw = Session.FPDBaseDraw = false;
  Session.Peak.FIDBaseDraw = false;
  auto place = [](TSignalChannel &channel, std::vector<double> &&values) {
    channel.X.resize(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) channel.X[i] = static_cast<double>(i) * 0.1;
    channel.Y = std::move(values);
  };
  place(Session.Signal1, std::move(file.Fid));
  place(Session.Signal2, std::move(file.Fpd));
  Session.Slopes.clear();
  AppendSlopes(Session.Signal1.Y, file.SlopeBegin, file.SlopeEnd, Session.Slopes);
  Serie3->setVisible(true);

  const bool fid = Session.DeviceTyp == TDeviceTyp::FID || Session.DeviceTyp == TDeviceTyp::FIDFPD;
  const bool fpd = (Session.DeviceTyp == TDeviceTyp::FPD || Session.DeviceTyp == TDeviceTyp::FIDFPD) && file.Channels == 2;
  if (fid) {
    PeakAndArea(Session.Signal1.Y, Session.Slopes, TPeakSettings{Session.Detection.MinPeakStart, static_cast<double>(Session.Detection.PeakTime)}, Session.Peak);
    Session.FIDBaseDraw = Session.Peak.FIDBaseDraw;
  }
  const bool fidFound = fid && !Session.Peak.NoPeak;
  if (fpd) {
    Session.Fpd = FpdSearch(Session.Signal2.Y, TFpdSettings{Session.Detection.MinPeakWith, static_cast<double>(Session.Detection.PeakTime), Session.Detection.Loopflow}, Session.Peak);
    Session.FPDBaseDraw = Session.Fpd.FPDBaseDraw;
  }
  ChartReload();

  if (fid && Session.Fields.IsobutanCalib) {
    if (const auto area = Capture(*this, fidFound, Session.Peak.FIDArea, kFidCalThreshold, "FIDCalArea", "FID")) {
      Session.Measurement.FIDCalArea = *area;
      chkboxIsobutanCalib->setChecked(false);
    }
  }
  // A one-channel file holds no FPD signal, so it gives no FPD calibration: told as for a
  // capture not taken, and the box stays ticked.
  const bool fpdDevice = Session.DeviceTyp == TDeviceTyp::FPD || Session.DeviceTyp == TDeviceTyp::FIDFPD;
  if (fpdDevice && !fpd && Session.Fields.SulfurCalib)
    Dialogs::Information(this, windowTitle(), GetLangString(Session.ID, kTextNoFpdSignalInFile));
  if (fpd && Session.Fields.SulfurCalib) {
    if (const auto area = Capture(*this, Session.Fpd.Found, Session.Fpd.FPDArea, kFpdCalThreshold, "FPDCalArea", "FPD")) {
      Session.Measurement.FPDCalArea = *area;
      chkboxSulfurCalib->setChecked(false);
    }
  }
  ShowCalibrationState();
}

// ------------------------------------------------------------------ sample information
namespace {
void StoreSampleInfo(TForm1 &f, QLineEdit *edit, QString &field, const char *key) {
  field = edit->text();
  try {
    TIniFile ini = f.Session.Settings();
    WriteSettingText(ini, QStringLiteral("Info"), QString::fromLatin1(key), field);
  } catch (const EFileError &e) {
    Dialogs::Error(&f, f.windowTitle(), e.Message());
  }
}
}  // namespace

void TForm1::editInfo1Exit() { StoreSampleInfo(*this, editInfo1, Session.Measurement.sInfo1, "Sampleinfo1"); }
void TForm1::editInfo2Exit() { StoreSampleInfo(*this, editInfo2, Session.Measurement.sInfo2, "Sampleinfo2"); }
void TForm1::editInfo3Exit() { StoreSampleInfo(*this, editInfo3, Session.Measurement.sInfo3, "Sampleinfo3"); }

// Printable characters follow the line rule of the description; everything else (Backspace,
// Delete, shortcuts) is the editor's.
void TForm1::memoDescriptionKeyPress(QChar &Key) {
  QTextCursor cursor = memoDescription->textCursor();
  const int start = cursor.selectionStart();
  const QTextBlock block = memoDescription->document()->findBlock(start);
  const TKeyResult r = DescriptionKey(memoDescription->toPlainText().split(u'\n'), block.blockNumber(),
                                      start - block.position(), Key);
  if (r.Action == TKeyAction::Pass) return;
  if (r.Action == TKeyAction::Swallow) Key = QChar();
  if (r.Action == TKeyAction::LineBreak) Key = QLatin1Char('\r');
  // A caret below the sixth line is put on it before the key takes effect.
  if (r.Row != block.blockNumber()) {
    const QTextBlock row = memoDescription->document()->findBlockByNumber(r.Row);
    if (!row.isValid()) return;
    cursor.setPosition(row.position() + std::min(r.Col, row.length() - 1));
    memoDescription->setTextCursor(cursor);
  }
}
