#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "core/LocaleGuard.h"
#include "core/TextFile.h"
#include "results/RawData.h"

using namespace zelvo;

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);

// A raw data file as the writer lays it out: header, counts, value lines, four peak lines.
QByteArray File(const QString &header, const QString &counts, const QStringList &values) {
  QStringList lines{header, counts};
  lines += values;
  lines << " 1.00000000000000E+0003, 2.00000000000000E+0002"
        << " 5.00000000000000E+0001, 5.00000000000000E+0001";
  return (lines.join("\r\n") + "\r\n").toLatin1();
}

QStringList Repeat(const QString &line, int n) {
  QStringList lines;
  for (int i = 0; i < n; ++i) lines << line;
  return lines;
}

}  // namespace

TEST(RawData, FileNameRule) {
  EXPECT_EQ(RawDataStem("D:\\data\\test.run.csv"), "test");
  EXPECT_EQ(RawDataFileName("D:\\raw", RawDataStem("D:\\data\\test.run.csv"), 7), "D:\\raw/test_7.txt");
  EXPECT_EQ(RawDataFileName("c:\\", "test", 7), "c:\\/test_7.txt");
  EXPECT_EQ(RawDataFileName("/daten", RawDataStem("/daten/a.b/probe.csv"), 12), "/daten/probe_12.txt");
  EXPECT_EQ(RawDataStem("/daten/probe"), "");  // no "." in the name: empty stem
}

TEST(RawData, OneDetectorLayout) {
  const std::vector<double> signal{5, 10, 12.5, -3};
  TPeakState peak;
  peak.PeakStartIndex = 100;
  peak.PeakStartLevel = 150;
  peak.PeakEndIndex = 118;
  peak.PeakEndLevel = -0.5;
  // Point 0 is not written; the count is that of the series.
  const QStringList expected{
      "1", "4", "10", "12,5", "-3", "100", " 1.50000000000000E+0002", "118", "-5.00000000000000E-0001"};
  EXPECT_EQ(RawDataLines(TDeviceTyp::FPD, signal, {}, peak, {}, kGerman), expected);
}

TEST(RawData, TwoDetectorLayout) {
  const std::vector<double> fid{1, 2, 3.5}, fpd{4, 5, 6.25, 7};
  TPeakState peak;
  peak.FIDStart = 100;
  peak.FIDEnd = 118;
  peak.FIDStartLevel = 0;
  peak.FIDEndLevel = 100;
  TFpdResult f;
  f.FPDStart = 30;
  f.FPDEnd = 45.5;
  f.FPDStartLevel = 7;
  f.FPDEndLevel = -2;
  // Bounds are sample indices times ten; a German decimal comma makes a line of three commas.
  const QStringList expected{
      "2",
      "3,4",
      "2,5",
      "3,5,6,25",
      " 1.00000000000000E+0003, 3.00000000000000E+0002",
      " 0.00000000000000E+0000, 7.00000000000000E+0000",
      " 1.18000000000000E+0003, 4.55000000000000E+0002",
      " 1.00000000000000E+0002,-2.00000000000000E+0000",
  };
  EXPECT_EQ(RawDataLines(TDeviceTyp::FIDFPD, fid, fpd, peak, f, kGerman), expected);
}

TEST(RawData, PointCountsAndSlopeBounds) {
  struct Case {
    const char *name;
    QByteArray bytes;
    int channels;
    std::size_t points, slopes;
  } cases[] = {
      // Counts 2501,2501 read 2500 lines; slope windows end at i = 4 .. 2498.
      {"2501,2501", File("2", "2501,2501", Repeat("7,9", 2500)), 2, 2500, 2495},
      {"2501,2400", File("2", "2501,2400", Repeat("7,9", 2500)), 2, 2399, 2394},
      {"count 1", File("0", "1", {}), 1, 0, 0},
      {"count 0", File("0", "0", {}), 1, 0, 0},
      {"count -3", File("1", "-3", {}), 1, 0, 0},
      {"one slope", File("0", "7", Repeat("1", 6)), 1, 6, 1},  // i = 4 only
      {"no slope", File("0", "6", Repeat("1", 5)), 1, 5, 0},
      {"header 5 is one channel", File("5", "3", {"1", "2"}), 1, 2, 0},
  };
  for (const Case &c : cases) {
    const TImportResult r = ParseRawData(c.bytes, "f.txt");
    ASSERT_TRUE(r.Ok) << c.name << ": " << r.Message().toStdString();
    EXPECT_EQ(r.Data.Channels, c.channels) << c.name;
    EXPECT_EQ(r.Data.Fid.size(), c.points) << c.name;
    EXPECT_EQ(r.Data.Fpd.size(), c.channels == 2 ? c.points : 0) << c.name;
    EXPECT_EQ(r.Data.SlopeBegin, 4u) << c.name;
    EXPECT_EQ(r.Data.SlopeEnd > r.Data.SlopeBegin ? r.Data.SlopeEnd - r.Data.SlopeBegin : 0, c.slopes)
        << c.name;
  }
}

TEST(RawData, ValuesTakeEitherDecimalSeparatorInEveryLocale) {
  const QByteArray one = File("0", "7", {"12.5", "12,5", " -3 ", "+4", "1.5E+0002", "1,5e-1"});
  const QByteArray two = File("2", "5,5", {"1,5,2,5", "1.5,2.5", "-1,2", "3 , 4"});
  for (const QLocale &locale : {kGerman, QLocale(QLocale::English, QLocale::UnitedStates)}) {
    LocaleGuard guard(locale);
    const TImportResult a = ParseRawData(one);
    ASSERT_TRUE(a.Ok) << a.Message().toStdString();
    EXPECT_EQ(a.Data.Fid, (std::vector<double>{12.5, 12.5, -3, 4, 150, 0.15}));
    const TImportResult b = ParseRawData(two);
    ASSERT_TRUE(b.Ok) << b.Message().toStdString();
    EXPECT_EQ(b.Data.Fid, (std::vector<double>{1.5, 1.5, -1, 3}));
    EXPECT_EQ(b.Data.Fpd, (std::vector<double>{2.5, 2.5, 2, 4}));
  }
}

TEST(RawData, ErrorsNameTheLineAndGiveNoPoints) {
  struct Case {
    QByteArray bytes;
    int line;
  } cases[] = {
      {"x\r\n3\r\n1\r\n2\r\n", 1},
      {"", 1},
      {"0\r\n", 2},
      {"0\r\nabc\r\n", 2},
      {"2\r\n2501\r\n", 2},  // two channels need two counts
      {"0\r\n4\r\n1\r\nabc\r\n3\r\n", 4},
      {"0\r\n4\r\n1\r\n2\r\n", 5},      // the file ends before the third value
      {"0\r\n4\r\n1\r\n\r\n3\r\n", 4},  // empty line
      {"0\r\n4\r\n1\r\n1.2.3\r\n3\r\n", 4},
      {"0\r\n4\r\n1\r\ninf\r\n3\r\n", 4},
      {"2\r\n3,3\r\n1,2\r\n12\r\n", 4},     // one value where two belong
      {"2\r\n3,3\r\n1,2\r\n1,5,2\r\n", 4},  // 1.5 and 2, or 1 and 5.2: no guessing
  };
  for (const Case &c : cases) {
    const TImportResult r = ParseRawData(c.bytes, "/raw/t_1.txt");
    EXPECT_FALSE(r.Ok) << c.bytes.toStdString();
    EXPECT_EQ(r.Line, c.line) << c.bytes.toStdString();
    EXPECT_TRUE(r.Data.Fid.empty() && r.Data.Fpd.empty());
  }
  const TImportResult r = ParseRawData("0\r\n4\r\n1\r\nabc\r\n3\r\n", "/raw/t_1.txt");
  EXPECT_EQ(r.Message(), "Raw data file \"/raw/t_1.txt\", line 4: \"abc\" is not a number");

  const TImportResult missing = ReadRawDataFile("/nonexistent/t_1.txt");
  EXPECT_FALSE(missing.Ok);
  EXPECT_EQ(missing.Line, 0);
  EXPECT_TRUE(missing.Message().startsWith("Raw data file \"/nonexistent/t_1.txt\": "));
}

TEST(RawData, WrittenFileReadsBack) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::vector<double> fid{0, 10, -20, 30.5, 40, 50, 60, 70},
      fpd{1, 2, 3, 4.5, 5, 6, 7, 8};  // "30,5,4,5"
  for (TDeviceTyp typ : {TDeviceTyp::FID, TDeviceTyp::FIDFPD}) {
    const QString path = dir.filePath("t_1.txt");
    WriteTextLines(path, RawDataLines(typ, fid, fpd, {}, {}, kGerman));
    const TImportResult r = ReadRawDataFile(path);
    ASSERT_TRUE(r.Ok) << r.Message().toStdString();
    EXPECT_EQ(r.Data.Fid, std::vector<double>(fid.begin() + 1, fid.end()));
    if (typ == TDeviceTyp::FIDFPD) {
      EXPECT_EQ(r.Data.Fpd, std::vector<double>(fpd.begin() + 1, fpd.end()));
    }
  }
}
