#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "RecordFixtures.h"
#include "core/Cp1252.h"
#include "core/TextFile.h"
#include "results/RecordWriter.h"
#include "support/Files.h"
#include "support/Permissions.h"

using namespace zelvo;

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);

QByteArray Joined(const QStringList &lines) { return Cp1252Encode(lines.join("\r\n") + "\r\n"); }

TMeasurementFiles Measurement(int runAktiv, bool raw = true) {
  TMeasurementFiles m;
  m.Line = QStringLiteral("line %1").arg(runAktiv);
  m.RawData = raw;
  m.RawLines = {"0", "2", QString::number(runAktiv * 10)};
  m.runAktiv = runAktiv;
  return m;
}

}  // namespace

TEST(RecordWriter, NewFileGetsItsHeaderAndEveryLineIsAppended) {
  QTemporaryDir dir;
  const QString path = dir.filePath("probe.csv");
  const QStringList header =
      ResultHeaderLines(fixtures::Header(kGermanOffset, TDeviceTyp::FID, path), kGerman);
  TRecordWriter writer(dir.path());
  TWriterReport r = writer.ChooseResultFile(path, header, 0);
  EXPECT_TRUE(r.Ok());
  EXPECT_FALSE(r.FileExisted);
  EXPECT_EQ(Bytes(path), Joined(header));
  EXPECT_FALSE(QFile::exists(TempPathFor(path)));

  r = writer.WriteMeasurement(Measurement(1, false), 1);
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(Bytes(path), Joined(header + QStringList{"line 1"}));

  // Choosing the same file again writes no second header.
  r = writer.ChooseResultFile(path, header, 2);
  EXPECT_TRUE(r.FileExisted);
  writer.WriteMeasurement(Measurement(2, false), 3);
  EXPECT_EQ(Bytes(path), Joined(header + QStringList{"line 1", "line 2"}));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"probe.csv"});  // no raw data files
}

TEST(RecordWriter, ExistingFileIsOnlyAppendedTo) {
  QTemporaryDir dir;
  const QString path = dir.filePath("old.csv");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("edited by hand;no line end");
  }
  TRecordWriter writer(dir.path());
  EXPECT_TRUE(writer.ChooseResultFile(path, {"header"}, 0).FileExisted);
  EXPECT_EQ(Bytes(path), "edited by hand;no line end");
  writer.WriteMeasurement(Measurement(1, false), 1);
  EXPECT_EQ(Bytes(path), "edited by hand;no line end\r\nline 1\r\n");
}

TEST(RecordWriter, NothingIsWrittenWithoutAResultFile) {
  QTemporaryDir dir;
  TRecordWriter writer(dir.path());
  EXPECT_TRUE(writer.WriteMeasurement(Measurement(1), 0).Ok());
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(RecordWriter, FolderReadOnlyDuringARunLosesNoLine) {
  QTemporaryDir dir;
  const QString folder = dir.filePath("data");
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString path = folder + "/probe.csv";
  const QByteArray folderName = QFile::encodeName(folder), fileName = QFile::encodeName(path);
  TRecordWriter writer(folder);
  writer.BeginRun();
  ASSERT_TRUE(writer.ChooseResultFile(path, {"header"}, 0).Ok());
  ASSERT_TRUE(writer.WriteMeasurement(Measurement(1), 1).Ok());
  {
    PermissionsApply permissions;
    if (!permissions.Active()) GTEST_SKIP() << "cannot give up the right to override file permissions";
    ::chmod(folderName.constData(), 0555);
    ::chmod(fileName.constData(), 0444);

    TWriterReport r = writer.WriteMeasurement(Measurement(2), 10);
    EXPECT_FALSE(r.Ok());
    EXPECT_TRUE(r.Warn);
    EXPECT_EQ(r.Failures.size(), 2);  // the result file and the raw data file
    EXPECT_EQ(r.PendingLines, 1);
    EXPECT_EQ(r.PendingRawFiles, 1);
    r = writer.WriteMeasurement(Measurement(3), 20);
    EXPECT_FALSE(r.Ok());
    EXPECT_FALSE(r.Warn);  // the warning is shown once
    EXPECT_EQ(r.PendingLines, 2);

    ::chmod(folderName.constData(), 0755);
    ::chmod(fileName.constData(), 0644);
    // The tick's retry waits for its interval, then writes what is held.
    r = writer.Retry(20 + TRecordWriter::kRetrySeconds / 2);
    EXPECT_EQ(r.Recovered, 0);
    EXPECT_EQ(r.PendingLines, 2);
    r = writer.Retry(20 + TRecordWriter::kRetrySeconds);
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.Recovered, 4);  // lines 2 and 3, raw data files 2 and 3
    EXPECT_EQ(r.PendingLines + r.PendingRawFiles, 0);
    EXPECT_FALSE(writer.HasPending());
  }
  EXPECT_TRUE(writer.WriteMeasurement(Measurement(4), 30).Ok());
  EXPECT_EQ(Bytes(path), "header\r\nline 1\r\nline 2\r\nline 3\r\nline 4\r\n");
  for (int n = 1; n <= 4; ++n)
    EXPECT_EQ(Bytes(folder + QStringLiteral("/probe_%1.txt").arg(n)), Joined(Measurement(n).RawLines)) << n;
}

TEST(RecordWriter, MissingFolderHoldsTheHeaderUntilTheNextLine) {
  QTemporaryDir dir;
  const QString folder = dir.filePath("later");
  const QString path = folder + "/probe.csv";
  TRecordWriter writer(folder);
  TWriterReport r = writer.ChooseResultFile(path, {"header"}, 0);
  EXPECT_FALSE(r.Ok());
  EXPECT_TRUE(r.Warn);
  EXPECT_TRUE(r.Failures[0].Message.contains("probe.csv"));
  r = writer.WriteMeasurement(Measurement(1), 1);  // the raw data folder is missing too
  EXPECT_EQ(r.PendingLines, 1);
  EXPECT_EQ(r.PendingRawFiles, 1);

  ASSERT_TRUE(QDir().mkpath(folder));
  r = writer.WriteMeasurement(Measurement(2), 2);
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(r.Recovered, 3);  // the header, line 1 and raw data file 1
  EXPECT_EQ(Bytes(path), "header\r\nline 1\r\nline 2\r\n");
  EXPECT_TRUE(QFile::exists(folder + "/probe_1.txt"));
  EXPECT_TRUE(QFile::exists(folder + "/probe_2.txt"));
}

TEST(RecordWriter, DeletedResultFileIsMadeAgainWithItsHeader) {
  QTemporaryDir dir;
  const QString path = dir.filePath("probe.csv");
  TRecordWriter writer(dir.path());
  writer.ChooseResultFile(path, {"header"}, 0);
  writer.WriteMeasurement(Measurement(1, false), 1);
  ASSERT_TRUE(QFile::remove(path));
  const TWriterReport r = writer.WriteMeasurement(Measurement(2, false), 2);
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(r.Recreated, QStringList{path});
  EXPECT_EQ(Bytes(path), "header\r\nline 2\r\n");
}

TEST(RecordWriter, NewRunKeepsTheRawDataFilesOfAnEarlierRun) {
  QTemporaryDir dir;
  const QString result = dir.filePath("test.run.csv");
  // An earlier program run left test_1.txt and test_2.txt.
  WriteTextLines(dir.filePath("test_1.txt"), {"earlier 1"});
  WriteTextLines(dir.filePath("test_2.txt"), {"earlier 2"});
  WriteTextLines(dir.filePath("test-2_1.txt.bak"), {"not a raw data file"});

  TRecordWriter writer(dir.path());
  writer.ChooseResultFile(result, {"header"}, 0);
  writer.BeginRun();
  TWriterReport r = writer.WriteMeasurement(Measurement(1), 1);
  ASSERT_TRUE(r.Renamed.has_value());
  EXPECT_EQ(r.Renamed->From, "test");
  EXPECT_EQ(r.Renamed->To, "test-2");
  r = writer.WriteMeasurement(Measurement(2), 2);
  EXPECT_FALSE(r.Renamed.has_value());  // said once per run

  // The next run of this program moves on again.
  writer.BeginRun();
  r = writer.WriteMeasurement(Measurement(1), 3);
  ASSERT_TRUE(r.Renamed.has_value());
  EXPECT_EQ(r.Renamed->To, "test-3");

  EXPECT_EQ(Bytes(dir.filePath("test_1.txt")), "earlier 1\r\n");
  EXPECT_EQ(Bytes(dir.filePath("test_2.txt")), "earlier 2\r\n");
  EXPECT_EQ(Bytes(dir.filePath("test-2_1.txt")), Joined(Measurement(1).RawLines));
  EXPECT_EQ(Bytes(dir.filePath("test-2_2.txt")), Joined(Measurement(2).RawLines));
  EXPECT_EQ(Bytes(dir.filePath("test-3_1.txt")), Joined(Measurement(1).RawLines));
}

TEST(RecordWriter, FirstRunIntoAnEmptyFolderKeepsTheName) {
  QTemporaryDir dir;
  TRecordWriter writer(dir.path());
  writer.ChooseResultFile(dir.filePath("probe.csv"), {"header"}, 0);
  writer.BeginRun();
  const TWriterReport r = writer.WriteMeasurement(Measurement(7), 1);
  EXPECT_FALSE(r.Renamed.has_value());
  EXPECT_TRUE(QFile::exists(dir.filePath("probe_7.txt")));
}
