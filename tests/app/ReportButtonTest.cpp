// The report button on the result file's page: without a result file the operator is told to
// choose one; with one, its report is written beside it as PDF and the status bar names the
// file; a file the report cannot read gives a message naming it, and an earlier report stays.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "WindowTestSupport.h"
#include "core/Language.h"
#include "results/ReportTexts.h"
#include "ui/Widgets.h"
#include "support/Files.h"

using namespace zelvo;

namespace {

class ReportButton : public WindowOnTestClock {
 protected:
  void SetUp() override {
    WindowOnTestClock::SetUp();
    form.Session.DiagLog.SetFile(dir.filePath("Zelvo730.log"));
    form.Session.Measurement.sDataDir = dir.path();
    form.Session.Records.SetDataDir(dir.path());
    form.FileDialogHook = [this](const TForm1::TFileDialogRequest &) { return answer; };
  }
  // A result file of a short run: the reference cell and cell 1 rising over three cycles.
  QString WriteRun() {
    answer = dir.filePath("probe.csv");
    Click(Child<QPushButton>(form, "btnSpeichern"));
    form.Session.Records.BeginRun();
    int aktiv = 1;
    for (int cycle = 1; cycle <= 3; ++cycle) {
      for (int position : {3, 4}) {
        TCellEvaluation ev;
        ev.Flow = 100;
        ev.BreakTime = "--:--";
        ev.FIDppm = position == 3 ? 50 : 10.0 * cycle;
        ev.FIDMessMenge = position == 3 ? 0 : 0.05 * cycle;
        ev.FIDArea = ev.FIDppm * 2000;
        TRunState run;
        run.runZelle = position;
        run.runAktiv = aktiv++;
        run.sChemikalie = "Aceton";
        run.FIDSampleFactor = 1;
        form.Session.WriteRecords(ev, run, QStringLiteral("00:%1:00").arg(2 * cycle + position - 3, 2, 10, QChar('0')),
                          Clock::Now());
      }
    }
    return answer;
  }
  QString answer;
};

// A second run appended to the file gets a report of its own; the first run's stays. The
// report of a run that has one already is replaced only when the operator says so.
TEST_F(ReportButton, EachRunHasItsOwnReportReplacedOnlyAfterTheQuestion) {
  WriteRun();
  Click(Child<QPushButton>(form, "btnReport"));
  const QByteArray first = Bytes(dir.filePath("probe-run1.pdf"));
  ASSERT_TRUE(first.startsWith("%PDF"));
  Clock::Advance(3600);
  WriteRun();  // the same file chosen again: the second run is appended
  Click(Child<QPushButton>(form, "btnReport"));
  EXPECT_TRUE(Bytes(dir.filePath("probe-run2.pdf")).startsWith("%PDF"));
  EXPECT_EQ(Bytes(dir.filePath("probe-run1.pdf")), first);
  EXPECT_EQ(Child<TLabel>(form, "lblReportName")->text(), "probe-run2.pdf");

  for (const int reply : {1, 0}) {  // "Cancel", then "Replace"
    QStringList asked;
    Dialogs::SetAnswerer([&asked, reply](const DialogMessage &m) {
      asked << m.text;
      return reply;
    });
    const QByteArray before = Bytes(dir.filePath("probe-run2.pdf"));
    Clock::Advance(60);  // a later creation date in the PDF
    Click(Child<QPushButton>(form, "btnReport"));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains("probe-run2.pdf"));
    EXPECT_EQ(Bytes(dir.filePath("probe-run2.pdf")) == before, reply == 1);
  }
}

TEST_F(ReportButton, NoResultFileChosenIsToldAndNothingWritten) {
  EXPECT_EQ(Child<QPushButton>(form, "btnReport")->parentWidget(), Child<TTabSheet>(form, "tabSampleInfo"));
  Click(Child<QPushButton>(form, "btnReport"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, GetLangString(kEnglishOffset, report_text::kNoResultFile));
  EXPECT_TRUE(QDir(dir.path()).entryList({"*.pdf"}, QDir::Files).isEmpty());
}

TEST_F(ReportButton, WritesThePdfBesideTheResultFileThenRefusesAnUnreadableOne) {
  const QString file = WriteRun();
  const QString pdf = dir.filePath("probe-run1.pdf");
  Click(Child<QPushButton>(form, "btnReport"));
  EXPECT_TRUE(messages.empty()) << messages[0].text.toStdString();
  const QByteArray written = Bytes(pdf);
  EXPECT_TRUE(written.startsWith("%PDF")) << written.left(16).toStdString();
  EXPECT_EQ(Child<TStatusBar>(form, "statusbarRun")->Text(),
            GetLangString(kEnglishOffset, report_text::kWritten).arg(QDir::toNativeSeparators(pdf)));
  EXPECT_EQ(Child<TLabel>(form, "lblReportName")->text(), "probe-run1.pdf");  // on the button's page
  EXPECT_TRUE(QString::fromUtf8(Bytes(dir.filePath("Zelvo730.log"))).contains("probe-run1.pdf"));

  // A damaged measurement line: the message names the file and its line; the report of
  // before is left as it was.
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::Append));
  f.write("4; ;--:--;Aceton;1,00;100,0;00:09:00;zehn;0,150;20000;;10.12.2026;08:00:00;7\r\n");
  f.close();
  Click(Child<QPushButton>(form, "btnReport"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].kind, DialogMessage::Error);
  EXPECT_TRUE(messages[0].text.startsWith(file + ":24:")) << messages[0].text.toStdString();
  EXPECT_EQ(Bytes(pdf), written);
}

}  // namespace
