// The import of a raw data file at window level, on files the program's own writer made: the
// kept signals, the FID evaluation and the two calibration captures, and the cases where the
// import must change nothing (cancel, a broken file, a run in progress).
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <cmath>

#include "WindowTestSupport.h"
#include "core/Language.h"
#include "core/IniFile.h"
#include "core/TextFile.h"
#include "results/RawData.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

using Vec = std::vector<double>;

// 600 samples of 0 but a triangle rising `step` µV per sample from sample 100 to 110 and
// falling back to 0 at 120. Its FID area is 80 x step (4000 for 50 µV per sample).
Vec Triangle(double step) {
  Vec y(600);
  for (int k = 0; k < 600; ++k) {
    const int d = k < 100 || k > 120 ? 0 : (k <= 110 ? k - 100 : 120 - k);
    y[k] = d * step;
  }
  return y;
}

// An FPD signal on 100 µV with a Gaussian peak of 1000 µV at sample 250 (area about 25000).
Vec FpdPeak() {
  Vec y(600, 100);
  for (int k = 0; k < 600; ++k) y[k] += std::round(1000 * std::exp(-(k - 250.0) * (k - 250.0) / 200));
  return y;
}

class Import : public WindowOnTestClock {
 protected:
  void SetUp() override {
    WindowOnTestClock::SetUp();
    form.Session.Measurement.sDataDir = dir.path();
    form.FileDialogHook = [this](const TForm1::TFileDialogRequest &r) {
      ++dialogs;
      EXPECT_FALSE(r.Save);
      EXPECT_EQ(r.StartDir, dir.path());
      if (duringDialog) duringDialog();
      return answer;
    };
  }
  // A raw data file written by the program's writer.
  QString Write(const char *name, TDeviceTyp typ, const Vec &first, const Vec &second = {}) {
    const QString path = dir.filePath(name);
    WriteTextLines(path, RawDataLines(typ, first, second, TPeakState{}, TFpdResult{}));
    return path;
  }
  void Load(const QString &path) {
    answer = path;
    Click(Child<QPushButton>(form, "btnLaden"));
  }
  int Settings(const char *key) { return TIniFile(form.Session.SettingsFile()).ReadInteger("Calibration", key, -1); }

  QString answer;
  int dialogs = 0;
  std::function<void()> duringDialog;
};

TEST_F(Import, OneChannelFileOnAnFidGivesTheIsobutaneCalibration) {
  form.Session.DeviceTyp = TDeviceTyp::FID;
  form.Session.Signal2.Y = {1, 2, 3};  // the FPD series is cleared by an import
  Child<QCheckBox>(form, "chkboxIsobutanCalib")->setChecked(true);
  const QString path = Write("cal_1.txt", TDeviceTyp::FID, Triangle(50));
  Load(path);
  // The writer leaves out point 0; 600 points give a count of 600 and 599 values.
  ASSERT_EQ(form.Session.Signal1.Y.size(), 599u);
  EXPECT_EQ(form.Session.Signal1.Y[99], 0);
  EXPECT_EQ(form.Session.Signal1.Y[109], 500);
  EXPECT_DOUBLE_EQ(form.Session.Signal1.X[10], 1.0);
  EXPECT_TRUE(form.Session.Signal2.Y.empty());
  EXPECT_EQ(form.Session.Slopes.size(), 594u);  // count 600: windows ending at 4 .. 597
  EXPECT_EQ(Child<TLabel>(form, "lblRawDataName")->text(), path);
  EXPECT_TRUE(Child<QCPGraph>(form, "Serie3")->visible());

  EXPECT_FALSE(form.Session.Peak.NoPeak);
  EXPECT_DOUBLE_EQ(form.Session.Peak.FIDArea, 4000);
  EXPECT_TRUE(form.Session.FIDBaseDraw);
  EXPECT_EQ(form.Session.Measurement.FIDCalArea, 4000);
  EXPECT_EQ(Settings("FIDCalArea"), 4000);
  EXPECT_FALSE(Child<QCheckBox>(form, "chkboxIsobutanCalib")->isChecked());
  EXPECT_TRUE(
      Child<QLineEdit>(form, "editIsobutan")->styleSheet().contains("#7dc675"));  // green: RGB 125, 198, 117
  EXPECT_TRUE(messages.empty());
}

TEST_F(Import, TwoChannelFileSearchesItsFpdSignalBeforeTheSulfurCapture) {
  form.Session.DeviceTyp = TDeviceTyp::FIDFPD;
  form.Session.Fpd.FPDArea = 12000;  // left by an earlier run: must not be taken
  Child<QCheckBox>(form, "chkboxSulfurCalib")->setChecked(true);
  Load(Write("cal_2.txt", TDeviceTyp::FIDFPD, Triangle(50), FpdPeak()));
  EXPECT_EQ(form.Session.Signal2.Y.size(), 599u);
  EXPECT_TRUE(form.Session.Fpd.Found);
  EXPECT_NEAR(form.Session.Measurement.FPDCalArea, 25000, 1500);
  EXPECT_EQ(Settings("FPDCalArea"), form.Session.Measurement.FPDCalArea);
  EXPECT_FALSE(Child<QCheckBox>(form, "chkboxSulfurCalib")->isChecked());
  EXPECT_TRUE(form.Session.FPDBaseDraw);
  EXPECT_DOUBLE_EQ(form.Session.Peak.FIDArea, 4000);  // the FID was evaluated too
}

TEST_F(Import, NoSulfurCalibrationWithoutAnFpdPeakOrAnFpdSignal) {
  form.Session.DeviceTyp = TDeviceTyp::FIDFPD;
  form.Session.Measurement.FPDCalArea = 777;
  form.Session.Fpd.FPDArea = 12000;
  Child<QCheckBox>(form, "chkboxSulfurCalib")->setChecked(true);

  // Cancel: nothing changes, the stale FPD area included.
  Load({});
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(form.Session.Measurement.FPDCalArea, 777);
  EXPECT_TRUE(Child<QCheckBox>(form, "chkboxSulfurCalib")->isChecked());
  EXPECT_TRUE(messages.empty());

  // A one-channel file has no FPD signal: no capture, the box stays ticked, the operator is
  // told as for any capture not taken (in the window's language).
  for (int id : {1000, 0}) {
    messages.clear();
    form.Session.ID = id;
    Load(Write("fid_1.txt", TDeviceTyp::FID, Triangle(50)));
    EXPECT_EQ(form.Session.Measurement.FPDCalArea, 777);
    EXPECT_TRUE(Child<QCheckBox>(form, "chkboxSulfurCalib")->isChecked());
    EXPECT_EQ(Settings("FPDCalArea"), -1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, GetLangString(id, kTextNoFpdSignalInFile));
  }
  EXPECT_NE(GetLangString(0, kTextNoFpdSignalInFile), GetLangString(1000, kTextNoFpdSignalInFile));
  form.Session.ID = 1000;
  messages.clear();

  // A flat FPD signal: the search finds nothing, the operator is told.
  Load(Write("flat_1.txt", TDeviceTyp::FIDFPD, Triangle(50), Vec(600, 100)));
  EXPECT_EQ(form.Session.Measurement.FPDCalArea, 777);
  EXPECT_TRUE(Child<QCheckBox>(form, "chkboxSulfurCalib")->isChecked());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].text.contains("No FPD peak")) << messages[0].text.toStdString();
}

TEST_F(Import, NoIsobutaneCalibrationWithoutAPeak) {
  form.Session.Measurement.FIDCalArea = 5000;
  Child<QCheckBox>(form, "chkboxIsobutanCalib")->setChecked(true);
  Load(Write("flat_1.txt", TDeviceTyp::FID, Triangle(20)));  // slopes of 20 µV per sample: no peak
  EXPECT_TRUE(form.Session.Peak.NoPeak);
  EXPECT_EQ(form.Session.Measurement.FIDCalArea, 5000);
  EXPECT_TRUE(Child<QCheckBox>(form, "chkboxIsobutanCalib")->isChecked());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].text.contains("No FID peak"));
  // An FPD instrument draws the file but evaluates no FID peak.
  messages.clear();
  form.Session.DeviceTyp = TDeviceTyp::FPD;
  form.Session.Peak = TPeakState{};
  Load(Write("fpd_1.txt", TDeviceTyp::FPD, Triangle(50)));
  EXPECT_EQ(form.Session.Signal1.Y.size(), 599u);
  EXPECT_EQ(form.Session.Peak.FIDArea, 0);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Import, EdgeCountsOfTheFile) {
  struct Case {
    const char *name;
    QStringList lines;
    std::size_t fid, fpd, slopes;
  } cases[] = {
      // Counts 2501 and 2400: 2399 value lines; the slope windows end at 4 .. 2397.
      {"two channels, smaller second count", {}, 2399, 2399, 2394},
      {"one channel, count 1", {"0", "1"}, 0, 0, 0},
      {"one channel, count 0", {"0", "0"}, 0, 0, 0},
      {"decimal commas and points", {"0", "4", "1,5", "2.5", "3"}, 3, 0, 0},
  };
  cases[0].lines = QStringList{"2", "2501,2400"};
  for (int i = 0; i < 2500; ++i) cases[0].lines << "100,200";
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = dir.filePath("edge.txt");
    WriteTextLines(path, c.lines);
    Load(path);
    EXPECT_EQ(form.Session.Signal1.Y.size(), c.fid);
    EXPECT_EQ(form.Session.Signal2.Y.size(), c.fpd);
    EXPECT_EQ(form.Session.Slopes.size(), c.slopes);
  }
  EXPECT_EQ(form.Session.Signal1.Y, (Vec{1.5, 2.5, 3}));
  EXPECT_TRUE(messages.empty());
}

TEST_F(Import, BrokenFileLeavesEverythingAsItWas) {
  form.Session.Signal1.Y = {7, 8, 9};
  form.Session.Slopes = {1};
  Child<TLabel>(form, "lblRawDataName")->setText("before.txt");
  const QString path = dir.filePath("broken.txt");
  WriteTextLines(path, {"0", "10", "1", "2", "3", "4", "x5", "6", "7", "8", "9"});
  Load(path);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].text.contains(path));
  EXPECT_TRUE(messages[0].text.contains("line 7"));
  EXPECT_EQ(form.Session.Signal1.Y, (Vec{7, 8, 9}));
  EXPECT_EQ(form.Session.Slopes, (Vec{1}));
  EXPECT_EQ(Child<TLabel>(form, "lblRawDataName")->text(), "before.txt");
  EXPECT_FALSE(Child<QCPGraph>(form, "Serie3")->visible());
}

TEST_F(Import, RefusedWhileARunIsActive) {
  const QString path = Write("cal_1.txt", TDeviceTyp::FID, Triangle(50));
  form.Session.Signal1.Y = {7, 8, 9};
  form.Session.Sequencer.State().runTag = 4;
  Load(path);
  EXPECT_EQ(dialogs, 0);  // refused before the dialog
  ASSERT_EQ(messages.size(), 1u);

  // The countdown starts a run while the dialog is open: refused after it closes.
  form.Session.Sequencer.State().runTag = 0;
  duringDialog = [this] { form.Session.Sequencer.State().runTag = 1; };
  Load(path);
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(messages.size(), 2u);
  EXPECT_EQ(form.Session.Signal1.Y, (Vec{7, 8, 9}));
  EXPECT_TRUE(messages[1].text.contains("while a run is in progress"));
}

}  // namespace
