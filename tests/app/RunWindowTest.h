#pragma once
// A window on the stopped clock with the instrument played by the test: the commands the
// window queues are taken every tick, and its converter answers the stream commands with one
// data line per tick while it streams, as the real one does at ten readings a second.
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <functional>

#include "WindowTestSupport.h"
#include "core/Clock.h"
#include "ui/Widgets.h"

class RunWindow : public WindowOnTestClock {
 protected:
  void SetUp() override {
    WindowOnTestClock::SetUp();
    form.Session.DiagLog.SetFile(dir.filePath("Zelvo730.log"));
    form.Session.Measurement.SampleTime = 2;
    form.Session.Measurement.InjectionTime = 3;
    form.Session.Run.Messzeit = 5;
    form.Session.Measurement.FIDCalArea = 0;  // uncalibrated unless a test calibrates
    form.Session.Run.FIDCALMenge = 100;
    form.Session.Measurement.SampleArea = 19.6;
    form.Session.Run.LimitFID = 1;
    Range("1", "4", "2");
    // The factor and flow fields as the run stores them at its start.
    const QString one = QStringLiteral("1"), flow = QStringLiteral("100");
    for (const char *factor : {"lbleditFIDCalFact", "lblEditFact1", "lblEditFact2", "lblEditFact3",
                               "lbleditFPDCalFact", "lbleditFPDFact1", "lblEditFPDFact2", "lblEditFPDFact3"})
      Child<QLineEdit>(form, factor)->setText(one);
    for (const char *field : {"editCalFlow", "editSampleFlow1", "editSampleFlow2", "editSampleFlow3"})
      Child<QLineEdit>(form, field)->setText(flow);
    Child<zelvo::TLabeledEdit>(form, "lblEditFact1")->EditLabel()->setText("Toluol");
    Child<zelvo::TLabeledEdit>(form, "lblEditFact2")->EditLabel()->setText("Aceton");
    Child<zelvo::TLabeledEdit>(form, "lblEditFact3")->EditLabel()->setText("Methanol");
    Child<QPushButton>(form, "btnStart")->setEnabled(true);
    // No result file is chosen here: the Start button's question is answered "run without
    // saving".
    zelvo::Dialogs::SetAnswerer([](const zelvo::DialogMessage &) { return 1; });
  }

  void Range(const QString &first, const QString &count, const QString &cycles) {
    Child<QLineEdit>(form, "editStart")->setText(first);
    Child<QLineEdit>(form, "editAnzahl")->setText(count);
    Child<QLineEdit>(form, "editZyklen")->setText(cycles);
  }

  // One data line carrying `value` µV: sign flag "0" and value + FFFFF for a negative one.
  static QString DataLine(QChar marker, int value) {
    const bool negative = value < 0;
    return QString(marker) + (negative ? "X0" : "X1") +
           QStringLiteral("%1").arg(negative ? value + 0xFFFFF : value, 5, 16, QChar('0')).toUpper();
  }

  // The steps the tick runs, except the port write: the commands stay queued for the test.
  void Tick() {
    zelvo::Clock::Advance(0.1);
    if (streaming) {
      form.Session.DataQueue1.push_back(DataLine(sample == 0 ? '[' : '/', signal(sample)));
      ++sample;
    }
    form.Session.intAD1Status = streaming ? 118 : 100;
    form.Session.DataDrainStep();
    form.Session.DelayedStartStep();
    form.Session.RunTimeRefresh();
    form.Session.RunStateStep();
    DrawChartIfChanged();
    form.Session.RunTimeStep();
    Collect();
  }

  // Takes what the window queued and answers the converter's stream commands.
  void Collect() {
    for (QString c : TakeQueued(form)) {
      c.chop(1);  // the CR
      sent << c;
      if (c == "<12Z1100") {
        streaming = true;
        sample = 0;
        measured = form.Session.Sequencer.State().runZelle;
      } else if (c == "<12Z0100" && streaming) {
        streaming = false;
        form.Session.DataQueue1.push_back(DataLine(']', signal(sample)));
      }
    }
  }

  bool TickUntil(const std::function<bool()> &done, double seconds = 600) {
    for (double t = 0; t < seconds; t += 0.1) {
      if (done()) return true;
      Tick();
    }
    return done();
  }
  bool RunToEnd() {
    return TickUntil([&] { return form.Session.Sequencer.State().runTag == 0; }, 3600);
  }

  // The commands sent, without the run-time lines, with every time of day as "t".
  QStringList Sent(qsizetype from = 0) const {
    QStringList out;
    static const QRegularExpression time(QStringLiteral("\\d\\d:\\d\\d:\\d\\d"));
    for (qsizetype i = from; i < sent.size(); ++i)
      if (!sent[i].startsWith("<X0")) out << QString(sent[i]).replace(time, "t");
    return out;
  }

  QString Log() const {
    QFile f(dir.filePath("Zelvo730.log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
  }

  // The worked triangle: 50 µV per sample up from sample 100 to 500 µV at 110, down to 0 at
  // 120; its area above the baseline is 4000 µV x samples.
  static double Triangle(int k) {
    if (k >= 100 && k <= 110) return 50.0 * (k - 100);
    if (k > 110 && k <= 120) return 50.0 * (120 - k);
    return 0;
  }

  QStringList sent;
  bool streaming = false;
  int sample = 0;
  int measured = 0;  // the position whose stream runs
  std::function<double(int)> signal = [](int) { return 0.0; };
};
