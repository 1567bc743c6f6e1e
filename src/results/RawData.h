#pragma once
// Raw data files: the detector signals of one injection with its peak bounds, one file per
// measurement, written after each evaluation and read back for re-evaluation and
// calibration.
//
// One detector (FID or FPD):       Two detectors (FIDFPD):
//   device type, 0 or 1              "2"
//   k                                k1 "," k2
//   k - 1 values (points 1..k-1)     min(k1, k2) - 1 lines "FID,FPD" (points 1..)
//   PeakStartIndex                   FIDStart x 10 "," FPDStart x 10
//   PeakStartLevel                   FIDStartLevel "," FPDStartLevel
//   PeakEndIndex                     FIDEnd x 10 "," FPDEnd x 10
//   PeakEndLevel                     FIDEndLevel "," FPDEndLevel
// Signal values are in the general format of the regional settings (so a German file may
// hold three commas in a two-detector line); the peak levels, and on FIDFPD all peak
// values, are scientific-23 with ".".
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <span>
#include <vector>

#include "core/DeviceTyp.h"
#include "signal/Peak.h"

namespace zelvo {

// The lines of a raw data file (without line ends). `first` is the chart's first signal
// series (the FID, or the FPD of an FPD instrument), `second` the FPD signal of an FIDFPD
// instrument. `peak` holds the peak fields the evaluation left, `fpd` the FPD search's bounds.
QStringList RawDataLines(TDeviceTyp deviceTyp, std::span<const double> first, std::span<const double> second,
                         const TPeakState &peak, const TFpdResult &fpd, const QLocale &locale = QLocale());

// The stem of the raw data files of a result file: its name part up to its first "."
// ("D:\data\test.run.csv" -> "test"; a name without "." gives the empty stem).
QString RawDataStem(const QString &resultFile);

// sDataDir + "/" + stem + "_" + runAktiv + ".txt".
QString RawDataFileName(const QString &dataDir, const QString &stem, int runAktiv);

// A raw data file read back.
struct TRawImport {
  int Header = 0;    // line 1: 2 for two channels, the device type otherwise
  int Channels = 1;  // 1 or 2
  // Series1 and Series2: value i belongs to time i x 0.1 s. Fpd stays empty with one channel.
  std::vector<double> Fid, Fpd;
  // The slope series takes the windows that end at Fid index i for SlopeBegin <= i < SlopeEnd
  // (AppendSlopes(Fid, SlopeBegin, SlopeEnd, slopes)); empty when SlopeEnd <= SlopeBegin.
  std::size_t SlopeBegin = 4, SlopeEnd = 4;
};

struct TImportResult {
  bool Ok = false;
  TRawImport Data;  // complete when Ok, empty otherwise
  QString Path;
  int Line = 0;    // 1-based line of the file that is wrong (0: the file itself)
  QString Reason;  // what is wrong with it
  // "Raw data file "<path>", line <n>: <reason>" (or without the line for the file itself).
  QString Message() const;
};

// Reads the whole text before it gives anything back: on any error the result says which
// line is wrong and holds no points. A count n gives n - 1 points (the smaller count of a
// two-channel file); lines after them (the peak bounds) are not read. A value may use "."
// or "," as its decimal separator, whatever the regional format.
TImportResult ParseRawData(QByteArrayView bytes, const QString &path = {});
TImportResult ReadRawDataFile(const QString &path);

}  // namespace zelvo
