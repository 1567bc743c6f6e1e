// Records: reading a raw data file back (the import), and writing a measurement durably.
//
// The import reads and checks every line before it gives anything back; its time should
// grow linearly with the points, and 100,000 points should take well under 20 ms. Each
// measurement line is appended with one write and an fdatasync before the call returns,
// so its time is mostly the disk's; the raw data file of an injection (2,500 points) is
// written to a temporary file, synced and renamed.
//
// Usage: bench_records [folder]   (the folder for the write figures; default: a new
// folder in the current one, which should be on the disk the program writes to)
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/TextFile.h"
#include "results/RawData.h"
#include "results/RecordWriter.h"

using namespace zelvo;

namespace {

// A raw data file of `points` values as the writer lays it out: detector signals of a few
// thousand µV, one channel or two.
QByteArray RawFile(int points, bool twoChannels) {
  QByteArray s;
  s.reserve(points * (twoChannels ? 12 : 6) + 200);
  s += twoChannels ? "2\r\n" : "0\r\n";
  s += QByteArray::number(points + 1);
  if (twoChannels) s += "," + QByteArray::number(points + 1);
  s += "\r\n";
  for (int i = 0; i < points; ++i) {
    s += QByteArray::number(1000 + (i * 7919) % 4000);
    if (twoChannels) s += "," + QByteArray::number(200 + (i * 104729) % 900);
    s += "\r\n";
  }
  s += "100\r\n 1.50000000000000E+0002\r\n118\r\n 1.00000000000000E+0002\r\n";
  return s;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

void ImportFigures() {
  std::printf("import (parse and check the whole text), median of runs\n");
  std::printf("%10s %9s %12s %12s %10s\n", "points", "channels", "ms", "ns/point", "MB/s");
  for (const bool two : {false, true}) {
    for (const int points : {10'000, 100'000, 1'000'000}) {
      const QByteArray file = RawFile(points, two);
      const int runs = points >= 1'000'000 ? 5 : 30;
      std::vector<double> ms;
      for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        const TImportResult result = ParseRawData(file);
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        if (!result.Ok || result.Data.Fid.size() != static_cast<std::size_t>(points)) {
          std::printf("import failed: %s\n", qPrintable(result.Message()));
          return;
        }
      }
      const double m = Median(ms);
      std::printf("%10d %9d %12.3f %12.1f %10.1f\n", points, two ? 2 : 1, m, m * 1e6 / points,
                  static_cast<double>(file.size()) / 1e6 / (m / 1e3));
    }
  }
}

void WriteFigures(const QString &folder) {
  std::printf("\ndurable writes in %s\n", qPrintable(folder));
  TRecordWriter writer(folder);
  const QString result = folder + "/bench.csv";
  writer.ChooseResultFile(result, {"header"}, 0);
  writer.BeginRun();
  constexpr int kLines = 300;
  const QString line =
      "5; ;--:--;Dichlormethan;1,00;100,0;01:02:03;1234,568;0,500;123456;PVC 0,5 mm;13.03.2023;14:05:09;";
  std::vector<double> ms;
  for (int i = 1; i <= kLines; ++i) {
    TMeasurementFiles m;
    m.Line = line + QString::number(i);
    QElapsedTimer t;
    t.start();
    const TWriterReport r = writer.WriteMeasurement(m, i);
    ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    if (!r.Ok()) {
      std::printf("write failed: %s\n", qPrintable(r.Failures[0].Message));
      return;
    }
  }
  std::printf("measurement line (append + fdatasync), %d lines: median %.3f ms, p99 %.3f ms, max %.3f ms\n",
              kLines, Median(ms), Percentile(ms, 0.99), *std::max_element(ms.begin(), ms.end()));

  // Line and raw data file of one injection of 2,500 points.
  QStringList raw{"0", "2501"};
  for (int i = 1; i < 2501; ++i) raw << QString::number(1000 + (i * 7919) % 4000);
  raw << "100"
      << " 1.50000000000000E+0002"
      << "118"
      << " 1.00000000000000E+0002";
  constexpr int kFiles = 50;
  ms.clear();
  for (int i = 1; i <= kFiles; ++i) {
    TMeasurementFiles m;
    m.Line = line + QString::number(i);
    m.RawData = true;
    m.RawLines = raw;
    m.runAktiv = i;
    QElapsedTimer t;
    t.start();
    writer.WriteMeasurement(m, kLines + i);
    ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
  }
  std::printf("line + raw data file of 2,500 points, %d measurements: median %.3f ms, p99 %.3f ms\n", kFiles,
              Median(ms), Percentile(ms, 0.99));
}

}  // namespace

int main(int argc, char **argv) {
  ImportFigures();
  if (argc > 1) {
    WriteFigures(QString::fromLocal8Bit(argv[1]));
  } else {
    QTemporaryDir dir(QDir::currentPath() + "/bench_records-XXXXXX");
    if (!dir.isValid()) {
      std::printf("cannot make a folder for the write figures\n");
      return 1;
    }
    WriteFigures(dir.path());
  }
  return 0;
}
