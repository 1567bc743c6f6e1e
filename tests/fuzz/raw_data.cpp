// The raw data file import. The input is a file's bytes. A failed import names a line and
// holds no points; a good one holds the points its count promises, finite, with slope bounds
// inside them, and goes through the re-evaluation (slope series, FID peak search, FPD search)
// as the evaluation tool does (with the search settings at their defaults or at extremes a
// damaged settings file could give). Written again by the program's writer, in an English and in a
// German locale, the points read back the same to the 15 digits the writer keeps.
#include <QByteArrayView>
#include <QLocale>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "core/NumberText.h"
#include "results/RawData.h"
#include "signal/Peak.h"

namespace {

using namespace zelvo;

bool Close(double a, double b) {
  return a == b || std::fabs(a - b) <= 1e-14 * std::fmax(std::fabs(a), std::fabs(b));
}

// Values the writer's 15 digits can carry both ways: zero, or a magnitude well inside the
// normal range of a double. (Detector signals are microvolts; nothing near the ends of the
// range ever reaches a raw data file.)
bool Writable(const std::vector<double> &values) {
  for (const double v : values)
    if (v != 0 && !(std::fabs(v) >= 1e-300 && std::fabs(v) <= 1e300)) return false;
  return true;
}

// A two-detector line with a decimal comma in one value only ("12,5,39") cannot be divided
// without guessing; the reader refuses it. Readings are whole microvolts, so the program
// never writes one; such points are left out of the German rewrite.
bool Divisible(const TRawImport &data, const QLocale &locale) {
  const QString sep = locale.decimalPoint();
  if (data.Channels != 2 || sep != QStringLiteral(",")) return true;
  for (std::size_t i = 0; i < data.Fid.size(); ++i)
    if (FloatToStr(data.Fid[i], locale).contains(sep) != FloatToStr(data.Fpd[i], locale).contains(sep))
      return false;
  return true;
}

void CheckRewrite(const TRawImport &data, const QLocale &locale) {
  if (!Divisible(data, locale)) return;
  std::vector<double> first{0}, second{0};  // point 0 is never written
  first.insert(first.end(), data.Fid.begin(), data.Fid.end());
  second.insert(second.end(), data.Fpd.begin(), data.Fpd.end());
  const TDeviceTyp typ = data.Channels == 2 ? TDeviceTyp::FIDFPD : TDeviceTyp::FID;
  const QString text = RawDataLines(typ, first, second, {}, {}, locale).join(QStringLiteral("\r\n"));
  const TImportResult again = ParseRawData(text.toLatin1());
  FUZZ_CHECK(again.Ok);
  FUZZ_CHECK(again.Data.Channels == data.Channels);
  FUZZ_CHECK(again.Data.Fid.size() == data.Fid.size() && again.Data.Fpd.size() == data.Fpd.size());
  for (std::size_t i = 0; i < data.Fid.size(); ++i) FUZZ_CHECK(Close(again.Data.Fid[i], data.Fid[i]));
  for (std::size_t i = 0; i < data.Fpd.size(); ++i) FUZZ_CHECK(Close(again.Data.Fpd[i], data.Fpd[i]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const TImportResult r = ParseRawData(
      QByteArrayView(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)), "f.txt");
  FUZZ_CHECK(!r.Message().isEmpty());
  if (!r.Ok) {
    FUZZ_CHECK(r.Line >= 1 && !r.Reason.isEmpty());
    FUZZ_CHECK(r.Data.Fid.empty() && r.Data.Fpd.empty());
    return 0;
  }
  const TRawImport &d = r.Data;
  FUZZ_CHECK(d.Channels == (d.Header == 2 ? 2 : 1));
  FUZZ_CHECK(d.Channels == 1 ? d.Fpd.empty() : d.Fpd.size() == d.Fid.size());
  for (const double v : d.Fid) FUZZ_CHECK(std::isfinite(v));
  for (const double v : d.Fpd) FUZZ_CHECK(std::isfinite(v));
  FUZZ_CHECK(d.SlopeBegin <= d.SlopeEnd);
  FUZZ_CHECK(d.SlopeEnd <= d.SlopeBegin || d.SlopeEnd <= d.Fid.size());

  std::vector<double> slopes;
  AppendSlopes(d.Fid, d.SlopeBegin, d.SlopeEnd, slopes);
  // The search settings come from the settings file, which may hold anything finite.
  const TPeakSettings peakSettings[] = {{}, {-5, 0}, {INT_MAX, 1e300}, {3, -1e300}};
  const TFpdSettings fpdSettings[] = {{}, {0, 1e300, 0}, {-1, -5, INT_MIN}, {1e300, 25, 1}};
  const std::size_t variant = size % 4;
  TPeakState peak;
  PeakAndArea(d.Fid, slopes, peakSettings[variant], peak);
  FUZZ_CHECK(!(peak.FIDArea < 0));
  if (!peak.NoPeak)
    FUZZ_CHECK(peak.PeakStartIndex >= 0 && peak.PeakEndIndex < std::max<int>(1, d.Fid.size()));
  if (d.Channels == 2) (void)FpdSearch(d.Fpd, fpdSettings[variant], peak);

  if (Writable(d.Fid) && Writable(d.Fpd)) {
    CheckRewrite(d, QLocale::c());
    CheckRewrite(d, QLocale(QLocale::German, QLocale::Germany));
  }
  return 0;
}
