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
                   AskForResultFile();
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

void TForm1::btnSpeichernClick() { AskForResultFile(); }

// The Save dialog; a chosen name becomes the result file.
void TForm1::AskForResultFile() {
  TFileDialogRequest request;
  request.Save = true;
  request.StartDir = Session.Measurement.sDateiname.isEmpty() ? Session.Measurement.sDataDir : Session.SaveDialogDir;
  request.DefaultSuffix = QStringLiteral("csv");
  request.Filter = QStringLiteral("*.csv (*.csv *.CSV)");
  const QString chosen = ExecFileDialog(request);
  if (chosen.isEmpty()) return;

  Session.ChooseResultFile(chosen);
  PermeationFileChosen(Session.Measurement.sDateiname);
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
  if (Session.ImportRefused()) return;
  TFileDialogRequest request;
  request.StartDir = Session.Measurement.sDataDir;
  const QString path = ExecFileDialog(request);
  if (!path.isEmpty()) Session.ImportRawData(path);
}

// The imported signals drawn, with the slope series shown.
void TForm1::ShowImportedSignals(const QString &path) {
  lblRawDataName->setText(path);
  Serie3->setVisible(true);
  ChartReload();
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
