// zelvo730-eval on raw data files written by the program's own writer: one JSON line per
// file with the FID peak (and the FPD peak of a two-channel file), the flags, and the files
// it cannot read.
#if defined(ZELVO_EVAL_PATH)
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>

#include "core/TextFile.h"
#include "results/RawData.h"

using namespace zelvo;

namespace {

using Vec = std::vector<double>;

// 600 samples of 0 but a triangle rising 50 µV per sample from sample 100 to 110 and falling
// back to 0 at 120 (FID area 4000).
Vec Triangle() {
  Vec y(600);
  for (int k = 0; k < 600; ++k) y[k] = 50.0 * (k < 100 || k > 120 ? 0 : (k <= 110 ? k - 100 : 120 - k));
  return y;
}

// 100 µV with a Gaussian of 1000 µV at sample 250, sigma 10 samples (area about 25000).
Vec FpdPeak() {
  Vec y(600, 100);
  for (int k = 0; k < 600; ++k) y[k] += std::round(1000 * std::exp(-(k - 250.0) * (k - 250.0) / 200));
  return y;
}

struct EvalRun {
  int status = -1;
  QList<QJsonObject> lines;
  QStringList errors;
};

EvalRun Eval(const QStringList &args) {
  QProcess p;
  p.start(QStringLiteral(ZELVO_EVAL_PATH), args);
  EvalRun r;
  if (!p.waitForFinished(30000)) return r;
  r.status = p.exitCode();
  for (const QByteArray &line : p.readAllStandardOutput().split('\n'))
    if (!line.isEmpty()) r.lines << QJsonDocument::fromJson(line).object();
  for (const QByteArray &line : p.readAllStandardError().split('\n'))
    if (!line.isEmpty()) r.errors << QString::fromLocal8Bit(line);
  return r;
}

class EvalTool : public ::testing::Test {
 protected:
  QString Write(const char *name, TDeviceTyp typ, const Vec &first, const Vec &second = {}) {
    const QString path = dir.filePath(name);
    WriteTextLines(path, RawDataLines(typ, first, second, TPeakState{}, TFpdResult{}));
    return path;
  }
  QTemporaryDir dir;
};

TEST_F(EvalTool, OneLinePerFileAndBrokenFilesOnStandardError) {
  const QString fid = Write("probe_1.txt", TDeviceTyp::FID, Triangle());
  const QString both = Write("probe_2.txt", TDeviceTyp::FIDFPD, Triangle(), FpdPeak());
  const QString broken = dir.filePath("broken.txt");
  WriteTextLines(broken, {"0", "5", "1", "2", "x", "4"});
  const QString missing = dir.filePath("missing.txt");

  const EvalRun r = Eval({fid, broken, both, missing});
  EXPECT_EQ(r.status, 2);
  ASSERT_EQ(r.lines.size(), 2);
  ASSERT_EQ(r.errors.size(), 2);
  EXPECT_TRUE(r.errors[0].contains(broken) && r.errors[0].contains("line 5")) << r.errors[0].toStdString();
  EXPECT_TRUE(r.errors[1].contains(missing)) << r.errors[1].toStdString();

  // The writer leaves out sample 0, so the triangle starts at 99 in the file.
  const QJsonObject one = r.lines[0];
  EXPECT_EQ(one["file"].toString(), fid);
  EXPECT_EQ(one["channels"].toInt(), 1);
  EXPECT_EQ(one["points"].toInt(), 599);
  const QJsonObject f = one["fid"].toObject();
  EXPECT_FALSE(f["noPeak"].toBool());
  EXPECT_EQ(f["start"].toInt(), 99);
  EXPECT_EQ(f["end"].toInt(), 117);
  EXPECT_EQ(f["startLevel"].toDouble(), 0);
  EXPECT_EQ(f["endLevel"].toDouble(), 100);
  EXPECT_EQ(f["area"].toDouble(), 4000);
  EXPECT_FALSE(one.contains("fpd"));

  const QJsonObject two = r.lines[1];
  EXPECT_EQ(two["channels"].toInt(), 2);
  EXPECT_EQ(two["fid"].toObject()["area"].toDouble(), 4000);
  const QJsonObject p = two["fpd"].toObject();
  EXPECT_FALSE(p["noPeak"].toBool());
  EXPECT_LT(p["start"].toDouble(), 249);
  EXPECT_GT(p["end"].toDouble(), 249);
  EXPECT_NEAR(p["area"].toDouble(), 25000, 1500);
}

// The FID bounds printed are those the area was taken between. A flat 100 µV with a step
// from -1000 to +1000 (file samples 400, 401): the search ends at 396..397 with its apex
// before the start, so its own start level was never read; the baseline's is 100.
TEST_F(EvalTool, FidBoundsAreThoseOfTheArea) {
  Vec y(600, 100);
  y[401] = -1000, y[402] = 1000;  // the writer leaves out sample 0
  const EvalRun r = Eval({Write("step.txt", TDeviceTyp::FID, y)});
  ASSERT_EQ(r.lines.size(), 1);
  const QJsonObject f = r.lines[0]["fid"].toObject();
  EXPECT_FALSE(f["noPeak"].toBool());
  EXPECT_EQ(f["start"].toInt(), 396);
  EXPECT_EQ(f["end"].toInt(), 397);
  EXPECT_EQ(f["startLevel"].toDouble(), 100);
  EXPECT_EQ(f["endLevel"].toDouble(), 100);
  EXPECT_EQ(f["area"].toDouble(), 0);
}

// A binary file's offending line is quoted with its control bytes escaped and cut short.
TEST_F(EvalTool, OffendingLineIsQuotedEscapedAndShort) {
  const QString path = dir.filePath("binary.txt");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("0\r\n3\r\n1\r\n\x1b]0;owned\x07\x1b[2J" + QByteArray(200, '\x01') + "\r\n");
  f.close();
  const EvalRun r = Eval({path});
  EXPECT_EQ(r.status, 2);
  ASSERT_EQ(r.errors.size(), 1);
  const QString e = r.errors[0];
  EXPECT_TRUE(e.contains(QStringLiteral("line 4: \"\\x1b]0;owned\\x07\\x1b[2J\\x01"))) << e.toStdString();
  EXPECT_TRUE(e.contains(QStringLiteral("\\x01...\""))) << e.toStdString();
  EXPECT_LT(e.size(), 400);
  for (const QChar c : e) EXPECT_TRUE(c.isPrint()) << int(c.unicode());
}

TEST_F(EvalTool, FlagsAreTheDetectionSettings) {
  const QString both = Write("probe_2.txt", TDeviceTyp::FIDFPD, Triangle(), FpdPeak());
  EXPECT_EQ(Eval({both}).status, 0);
  // The FID search starts after the peak: no peak.
  EvalRun r = Eval({"--min-index", "200", both});
  ASSERT_EQ(r.lines.size(), 1);
  EXPECT_TRUE(r.lines[0]["fid"].toObject()["noPeak"].toBool());
  // A loop flow of 100 µl/min puts the FPD search start (230 / (flow / 60) s) past the peak.
  r = Eval({"--loop-flow=100", both});
  ASSERT_EQ(r.lines.size(), 1);
  EXPECT_TRUE(r.lines[0]["fpd"].toObject()["noPeak"].toBool());
  EXPECT_EQ(r.lines[0]["fpd"].toObject()["area"].toDouble(), 0);

  for (const QStringList &bad :
       {QStringList{"--loop-flow", "0", both}, QStringList{"--min-index", "x", both},
        QStringList{"--unknown", "1", both}, QStringList{"--peak-index"}, QStringList{}}) {
    SCOPED_TRACE(bad.join(' ').toStdString());
    r = Eval(bad);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.lines.isEmpty());
    EXPECT_FALSE(r.errors.isEmpty());
  }
}

}  // namespace
#endif
