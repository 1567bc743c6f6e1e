// The records at window level: choosing the result file, the header from the window's
// values, the measurement lines and raw data files of a run, the write failures the operator
// is told about, the start warnings, the sample texts and the description's key filter.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTextBlock>

#include "support/Permissions.h"
#include "WindowTestSupport.h"
#include "core/Cp1252.h"
#include "core/IniFile.h"
#include "core/LocaleGuard.h"
#include "results/RawData.h"
#include "ui/Widgets.h"
#include "support/Files.h"

using namespace zelvo;

namespace {

QByteArray Joined(const QStringList &lines) { return Cp1252Encode(lines.join("\r\n") + "\r\n"); }

class RecordsWindow : public WindowOnTestClock {
 protected:
  void SetUp() override {
    WindowOnTestClock::SetUp();
    form.Session.DiagLog.SetFile(dir.filePath("Zelvo730.log"));
    data = dir.filePath("data");
    ASSERT_TRUE(QDir().mkpath(data));
    form.Session.Measurement.sDataDir = data;
    form.Session.Records.SetDataDir(data);
    form.FileDialogHook = [this](const TForm1::TFileDialogRequest &r) {
      requests.push_back(r);
      return answer;
    };
  }
  // Presses "Save File" with the dialog answering `path` (empty: cancel).
  void Choose(const QString &path) {
    answer = path;
    Click(Child<QPushButton>(form, "btnSpeichern"));
  }
  QString Log() const { return QString::fromUtf8(Bytes(dir.filePath("Zelvo730.log"))); }

  QString data;
  QString answer;
  std::vector<TForm1::TFileDialogRequest> requests;
};

// One evaluated position as the evaluation hands it over.
struct Position {
  TCellEvaluation ev;
  TRunState run;
};

Position Evaluated(int runZelle, int runAktiv) {
  Position p;
  p.run.runZelle = runZelle;
  p.run.runAktiv = runAktiv;
  p.run.sChemikalie = "Aceton";
  p.run.FIDSampleFactor = 1;
  p.ev.Flow = 100;
  return p;
}

TEST_F(RecordsWindow, SaveDialogNamesTheFileAndWritesTheHeaderOnce) {
  Choose(data + "/probe.txt");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].Save);
  EXPECT_EQ(requests[0].StartDir, data);  // no file chosen yet: the data folder
  EXPECT_EQ(requests[0].DefaultSuffix, "csv");
  EXPECT_TRUE(requests[0].Filter.contains("*.csv") && requests[0].Filter.contains("*.CSV"));
  const QString file = data + "/probe.csv";
  EXPECT_EQ(form.Session.Measurement.sDateiname, file);
  EXPECT_EQ(Child<TLabel>(form, "lblDateiname")->text(), file);
  EXPECT_EQ(form.Session.Records.ResultFile(), file);
  // The folder is kept for the next start; this start keeps its data folder.
  EXPECT_EQ(TIniFile(form.Session.SettingsFile()).ReadString("Measurement", "DataDir", ""), data);
  EXPECT_EQ(form.Session.Measurement.sDataDir, data);
  const QList<QByteArray> lines = Bytes(file).split('\n');
  ASSERT_EQ(lines.size(), 18);  // 16 header lines, the column titles, the final line end
  EXPECT_TRUE(lines[0].startsWith(("File:;" + file + ";Date:;").toUtf8()));
  EXPECT_EQ(lines[16],
            "Cell;Break;Breaktime;Chemical;Factor;Gas flow (ml/min);Measuretime;ppm;ppm/rate "
            "IsoButan;Area;Sampleinfo;Date;Time\r");

  // A name without extension gets ".csv"; the file is there, so it is only appended to. The
  // dialog opens where the last file was chosen.
  const QByteArray before = Bytes(file);
  QDir().mkpath(dir.filePath("elsewhere"));
  form.Session.Measurement.sDataDir = dir.filePath("elsewhere");
  Choose(data + "/probe");
  EXPECT_EQ(requests[1].StartDir, data);
  EXPECT_EQ(form.Session.Measurement.sDateiname, file);
  EXPECT_EQ(Bytes(file), before);
  EXPECT_TRUE(Child<TStatusBar>(form, "statusbarRun")->Text().contains("appended"));

  // Cancel changes nothing.
  Choose({});
  EXPECT_EQ(form.Session.Measurement.sDateiname, file);
  EXPECT_TRUE(messages.empty());
}

// The header takes the window's values as they stand when the file is chosen.
TEST_F(RecordsWindow, GermanFidFpdHeaderFromTheWindowByteForByte) {
  LocaleGuard german(LocaleGuard::German());
  form.Session.ID = 0;
  form.Session.DeviceTyp = TDeviceTyp::FIDFPD;
  form.Session.sSerialNumber = "4-0001";
  form.Session.Setpoints.TempMesskammer = 27, form.Session.Setpoints.TempVentilblock = 60, form.Session.Setpoints.TempEmissionskammer = 150;
  form.Session.Setpoints.TempTransferline = 180, form.Session.Setpoints.Hochspannung = 600;
  // The actual values as the instrument reported them; the valve block has not reported yet.
  form.Session.Status.Clear();  // as the start-up leaves it: nothing reported
  for (const char *reply : {":SG010D", ":EG3A34", ":TG46B4", ":HG0257"}) {  // 26.9, 149, 181 °C, 599 V
    form.Session.ReplyQueue.push_back(QString::fromLatin1(reply));
    form.Session.ReplyStep();
  }
  form.Session.Run.FIDCALMenge = 100.5, form.Session.Measurement.FIDCalArea = 45000, form.Session.Run.LimitFID = 0.1;
  form.Session.Run.FPDCalMenge = 10, form.Session.Measurement.FPDCalArea = 120000, form.Session.Run.LimitFPD = 1;
  form.Session.Run.Startzelle = 4, form.Session.Run.AnzahlZellen = 3, form.Session.Run.AnzahlMessreihen = 10;
  form.Session.Measurement.SampleTime = 45, form.Session.Measurement.InjectionTime = 300, form.Session.Run.Messzeit = 60;
  Child<TLabeledMemo>(form, "memoDescription")->setPlainText("Probe; PVC\nZeile 2\n");
  Choose(data + "/probe.csv");
  const QString file = data + "/probe.csv";
  EXPECT_EQ(
      Bytes(file),
      Joined({"Datei:;" + file + ";Datum:;10.12.2026 08:00:00;Gerät:4-0001",
              "Versuchsparameter Sollwerte:;Messkammer:;27 °C;Ventilblock:;60 °C;Emmisionskammer:;150 "
              "°C;Transferline;180 °C;PMT Spannung;600 V",
              "Versuchsparameter Istwerte:;Messkammer:;26.9° C;Ventilblock:;--- ° C;Emmisionskammer:;149 "
              "° C;Transferline;181 ° C;PMT Spannung;599 V",
              // No position measured yet: the factors are 0.
              "ppm/rate Isobutan:;100,5;Fläche:;45000;Schwelle:;0,10;Faktor:;0,00",
              "ppm/rate THT:;10;Fläche:;120000;Schwelle:;1,0;Faktor:;0,0", "Startzelle:4", "Anzahl Zellen:;3",
              "Anzahl Messreihen:;10", "Dosierzeit:;45 s", "Injektionzeit:;300 s", "Messzeit pro Zelle:;60 s",
              "Versuchsbeschreibung", "Probe, PVC", "Zeile 2", "", "", "",
              "Zelle;Bruch;Bruchzeit;Chemikalie;Faktor;(ml/min);Messzeit;ppm;ppm/rate "
              "Isobutan;Fläche;ppm/rate THT;Fläche;Probeninfo;Datum;Zeit"}));
}

TEST_F(RecordsWindow, MeasurementLinesAndRawDataFilesOfARun) {
  LocaleGuard german(LocaleGuard::German());
  form.Session.ID = 0;
  form.Session.Measurement.RawDataSave = true;
  form.Session.Signal1.Y = {1000, 1001, 1002, 1500};
  form.Session.Peak.PeakStartIndex = 1, form.Session.Peak.PeakEndIndex = 3;
  form.Session.Peak.PeakStartLevel = 1001, form.Session.Peak.PeakEndLevel = 1500;
  const TDateTime wall = Clock::Now();

  // Nothing is written before a result file is chosen.
  Position zero = Evaluated(1, 1);
  form.Session.WriteRecords(zero.ev, zero.run, "00:00:05", wall);
  EXPECT_TRUE(QDir(data).entryList(QDir::Files).isEmpty());

  const QString file = data + "/test.run.csv";
  Choose(file);
  const QByteArray header = Bytes(file);
  form.Session.Records.BeginRun();

  zero.ev.PositionLabel = "Nullgas";
  zero.ev.Flow = 200;
  zero.ev.FIDppm = 0.5;
  zero.ev.FIDArea = 1234.4;
  form.Session.WriteRecords(zero.ev, zero.run, "00:01:05", wall);

  // A sample cell carries its field's text as it stands (typed, not stored), with ";" made ",".
  Child<QLineEdit>(form, "editInfo1")->setText("PVC; 0,5 mm");
  Position cell = Evaluated(4, 2);
  cell.ev.Mark = "*";
  cell.ev.BreakTime = "00:12";
  cell.ev.PositionLabel = "an older text";
  cell.ev.FIDppm = 12.3456, cell.ev.FIDMessMenge = 1.5, cell.ev.FIDArea = 98765.6;
  cell.run.FIDSampleFactor = 2.05;
  form.Session.WriteRecords(cell.ev, cell.run, "00:02:10", wall);

  // An off position: its line, but no raw data file.
  Position off = Evaluated(5, 3);
  off.ev.Mark = "*";
  off.ev.BreakTime = "00:12";
  off.ev.RawDataFile = false;
  off.run.FIDSampleFactor = 3;
  form.Session.WriteRecords(off.ev, off.run, "00:03:15", wall);

  EXPECT_EQ(Bytes(file),
            header + Joined({"1; ;;Aceton;1,00;200,0;00:01:05;0,500;0,000;1234;Nullgas;10.12.2026;08:00:00;1",
                             "4;*;00:12;Aceton;2,05;100,0;00:02:10;12,346;1,500;98766;PVC, 0,5 mm;10.12.2026;"
                             "08:00:00;2",
                             "5;*;00:12;Aceton;3,00;100,0;00:03:15;0,000;0,000;0;;10.12.2026;08:00:00;3"}));
  const QStringList raw = {
      "0", "4", "1001", "1002", "1500", "1", " 1.00100000000000E+0003", "3", " 1.50000000000000E+0003"};
  EXPECT_EQ(Bytes(data + "/test_1.txt"), Joined(raw));
  EXPECT_EQ(Bytes(data + "/test_2.txt"), Joined(raw));
  EXPECT_FALSE(QFile::exists(data + "/test_3.txt"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(RecordsWindow, ReadOnlyFolderDuringARunLosesNoLine) {
  form.Session.Measurement.RawDataSave = true;
  form.Session.Signal1.Y = {10, 20, 30};
  const QString file = data + "/probe.csv";
  Choose(file);
  form.Session.Records.BeginRun();
  const TDateTime wall = Clock::Now();
  auto write = [&](int n) {
    Position p = Evaluated(4, n);
    form.Session.WriteRecords(p.ev, p.run, QStringLiteral("00:00:%1").arg(n, 2, 10, QChar('0')), wall);
  };
  write(1);
  {
    PermissionsApply permissions;
    if (!permissions.Active()) GTEST_SKIP() << "cannot give up the right to override file permissions";
    ::chmod(QFile::encodeName(data).constData(), 0555);
    ::chmod(QFile::encodeName(file).constData(), 0444);
    write(2);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, DialogMessage::Notice);  // it does not stop the tick
    EXPECT_TRUE(messages[0].text.contains("probe.csv"));
    EXPECT_TRUE(Child<TStatusBar>(form, "statusbarRun")
                    ->Text()
                    .contains("1 measurement lines and 1 raw data files are held"));
    write(3);
    EXPECT_EQ(messages.size(), 1u);  // once per failure episode
    EXPECT_TRUE(Child<TStatusBar>(form, "statusbarRun")
                    ->Text()
                    .contains("2 measurement lines and 2 raw data files are held"));
    EXPECT_EQ(Log().count("Not written"), 1);  // the same reason is not logged again

    ::chmod(QFile::encodeName(data).constData(), 0755);
    ::chmod(QFile::encodeName(file).constData(), 0644);
    Clock::Advance(TRecordWriter::kRetrySeconds);
    form.Session.RecordsRetryStep();
  }
  EXPECT_FALSE(form.Session.Records.HasPending());
  EXPECT_TRUE(Child<TStatusBar>(form, "statusbarRun")->Text().contains("4 held records have been written"));
  write(4);
  const QList<QByteArray> lines = Bytes(file).split('\n');
  ASSERT_EQ(lines.size(), 17 + 4 + 1);
  for (int n = 1; n <= 4; ++n) {
    EXPECT_TRUE(lines[16 + n].startsWith("4; ;;Aceton;")) << n;
    EXPECT_TRUE(lines[16 + n].endsWith(QStringLiteral(";%1\r").arg(n).toUtf8())) << n;
    EXPECT_TRUE(QFile::exists(data + QStringLiteral("/probe_%1.txt").arg(n))) << n;
  }
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(RecordsWindow, RawDataStemRenamedForTheRunIsReported) {
  form.Session.Measurement.RawDataSave = true;
  form.Session.Signal1.Y = {10, 20, 30};
  QFile old(data + "/probe_1.txt");
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("a file of an earlier run");
  old.close();
  Choose(data + "/probe.csv");
  form.Session.Records.BeginRun();
  Position p = Evaluated(4, 1);
  form.Session.WriteRecords(p.ev, p.run, "00:00:01", Clock::Now());
  EXPECT_EQ(Bytes(data + "/probe_1.txt"), "a file of an earlier run");
  EXPECT_TRUE(QFile::exists(data + "/probe-2_1.txt"));
  EXPECT_TRUE(Child<TStatusBar>(form, "statusbarRun")->Text().contains("probe-2_n.txt"));
  EXPECT_TRUE(Log().contains("probe-2_n.txt"));
}

TEST_F(RecordsWindow, StartWarnsWithoutAResultFileOrAnFidCalibration) {
  form.Session.Measurement.FIDCalArea = 1000;  // not above the threshold
  EXPECT_EQ(form.Session.StartWarnings().size(), 2);
  form.Session.Measurement.FIDCalArea = 1001;
  EXPECT_EQ(form.Session.StartWarnings(), QStringList{"No result file chosen: this run saves no results."});
  Choose(data + "/probe.csv");
  EXPECT_TRUE(form.Session.StartWarnings().isEmpty());
  form.Session.Measurement.FIDCalArea = 0;
  form.Session.DeviceTyp = TDeviceTyp::FPD;  // no FID to calibrate
  EXPECT_TRUE(form.Session.StartWarnings().isEmpty());
}

TEST_F(RecordsWindow, LeavingASampleFieldStoresItsText) {
  form.show();
  QApplication::setActiveWindow(&form);
  Child<QTabWidget>(form, "PageControl")->setCurrentWidget(Child<TTabSheet>(form, "tabSampleInfo"));
  Child<QLineEdit>(form, "editInfo2")->setFocus();
  Child<QLineEdit>(form, "editInfo2")->setText("PVC 0.5 mm");
  Child<QLineEdit>(form, "editInfo3")->setFocus();
  EXPECT_EQ(form.Session.Measurement.sInfo2, "PVC 0.5 mm");
  EXPECT_EQ(TIniFile(form.Session.SettingsFile()).ReadString("Info", "Sampleinfo2", ""), "PVC 0.5 mm");
}

TEST_F(RecordsWindow, DescriptionKeyFilterThroughTheField) {
  const QString sixty(60, 'a');
  struct Case {
    const char *name;
    QString text;
    int row, col;
    Qt::Key key;
    QString keyText;
    QString after;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
  } cases[] = {
      {"61st character becomes a line break", sixty, 0, 60, Qt::Key_X, "x", sixty + "\n"},
      {"a character inside the line", "abc", 0, 1, Qt::Key_X, "x", "axbc"},
      {"Backspace at column 60 deletes", sixty + "b", 0, 60, Qt::Key_Backspace, "\b", QString(59, 'a') + "b"},
      {"Delete works normally", "abc", 0, 0, Qt::Key_Delete, "", "bc"},
      {"Enter on the fifth line opens the sixth", "1\n2\n3\n4\n5", 4, 1, Qt::Key_Return, "\r",
       "1\n2\n3\n4\n5\n"},
      {"Enter on the sixth line does nothing", "1\n2\n3\n4\n5\n", 5, 0, Qt::Key_Return, "\r",
       "1\n2\n3\n4\n5\n"},
      {"text on the sixth line", "1\n2\n3\n4\n5\n", 5, 0, Qt::Key_X, "x", "1\n2\n3\n4\n5\nx"},
      {"Enter on the start text's fifth line", "Zeile 1\nZeile 2\nZeile 3\nZeile 4\nZeile 5\n", 4, 7,
       Qt::Key_Return, "\r", "Zeile 1\nZeile 2\nZeile 3\nZeile 4\nZeile 5\n\n"},
      {"typing past column 60 goes on on the next line", "1\n2\n3\n4\n" + sixty, 4, 60, Qt::Key_X, "x",
       "1\n2\n3\n4\n" + sixty + "\n"},
      // Shift+Enter is Enter: a real line, which the line count sees.
      {"Shift+Enter", "ab", 0, 1, Qt::Key_Return, "\r", "a\nb", Qt::ShiftModifier},
      {"a shortcut is the editor's", "abc", 0, 3, Qt::Key_A, "\x01", "abc", Qt::ControlModifier},
  };
  for (Case &c : cases) {
    SCOPED_TRACE(c.name);
    Child<TLabeledMemo>(form, "memoDescription")->setPlainText(c.text);
    QTextCursor cursor(Child<TLabeledMemo>(form, "memoDescription")->document()->findBlockByNumber(c.row));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, c.col);
    Child<TLabeledMemo>(form, "memoDescription")->setTextCursor(cursor);
    QKeyEvent key(QEvent::KeyPress, c.key, c.mods, c.keyText);
    QApplication::sendEvent(Child<TLabeledMemo>(form, "memoDescription"), &key);
    EXPECT_EQ(Child<TLabeledMemo>(form, "memoDescription")->toPlainText(), c.after);
    EXPECT_EQ(Child<TLabeledMemo>(form, "memoDescription")->document()->blockCount(),
              c.after.count(u'\n') + 1);
  }
  // The shortcut selected everything.
  EXPECT_EQ(Child<TLabeledMemo>(form, "memoDescription")->textCursor().selectedText(), "abc");
}

}  // namespace
