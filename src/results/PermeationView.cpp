#include "results/PermeationView.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace zelvo {

namespace {
constexpr int kFirstCell = 4;  // gas position of sample cell 1
size_t DetectorIndex(TDetector d) { return d == TDetector::FID ? 0 : 1; }
}  // namespace

TPermeationView::TPermeationView(QObject *parent) : QObject(parent) { ClearCurves(); }

void TPermeationView::ClearCurves() {
  for (int c = 0; c < 3; ++c) {
    TCell &cell = fCells[static_cast<size_t>(c)];
    cell = TCell();
    cell.Curves[0].Cell = cell.Curves[1].Cell = c + 1;
    cell.Curves[0].Detector = TDetector::FID;
    cell.Curves[1].Detector = TDetector::FPD;
  }
  fEvaluations = 0;
  fSource.clear();
  fSourceRun = fSourceRuns = 0;
}

void TPermeationView::Touch() {
  ++fRevision;
  emit Changed();
}

void TPermeationView::Clear() {
  ClearCurves();
  fClock = TRunClock();
  Touch();
}

void TPermeationView::BeginRun(TDeviceTyp deviceTyp, double limitFID, double limitFPD) {
  ClearCurves();
  fClock = TRunClock();
  fDeviceTyp = deviceTyp;
  fLimitFID = limitFID;
  fLimitFPD = limitFPD;
  Touch();
}

bool TPermeationView::Add(const TMeasurementRecord &record) {
  // The line as the file gets it, in the C form: the report reads it back exactly.
  TResultLine line;
  if (ReadResultLine(MeasurementLine(record, fDeviceTyp, QLocale::c()), TwoDetectors(), 0, line)) return false;
  if (fClock.Take(line)) ClearCurves();
  ++fEvaluations;
  const int cellIndex = line.Position - kFirstCell;
  if (cellIndex >= 0 && cellIndex < 3) {
    TCell &cell = fCells[static_cast<size_t>(cellIndex)];
    if (!cell.Ended) {
      const TCurveStep step = CurveStep(line, TwoDetectors());
      if (step != TCurveStep::End) {
        for (TDetector d : {TDetector::FID, TDetector::FPD}) {
          if (d == TDetector::FPD && !TwoDetectors()) break;
          TPermeationCurve &curve = cell.Curves[DetectorIndex(d)];
          TRatePoint p = RatePoint(line, d);
          p.Line = 0;  // not a line of a file
          curve.Points.push_back(p);
          curve.Figures = ComputeFigures(curve.Points);
        }
      }
      if (step == TCurveStep::LastPoint) cell.Mark = TBreakthroughMark{line.Minutes, line.BreakTime.trimmed()};
      cell.Ended = step != TCurveStep::Point;
    }
  }
  Touch();
  return true;
}

std::optional<TReportError> TPermeationView::Load(const QStringList &lines, const QString &path) {
  return Show(ParseReport(lines, path, 0));
}

std::optional<TReportError> TPermeationView::LoadFile(const QString &path) { return Show(ReadReport(path, 0)); }

std::optional<TReportError> TPermeationView::Show(const TReportRead &read) {
  ClearCurves();
  fClock = TRunClock();
  if (!read.Ok()) {
    Touch();
    return read.Error;
  }
  const TReport &report = read.Report;
  fDeviceTyp = report.Header.DeviceTyp;
  fLimitFID = ReadResultNumber(report.Header.LimitFID).value_or(0);
  fLimitFPD = ReadResultNumber(report.Header.LimitFPD).value_or(0);
  for (const TCellReport &c : report.Cells) {
    if (c.Cell < 1 || c.Cell > 3) continue;
    TCell &cell = fCells[static_cast<size_t>(c.Cell - 1)];
    TPermeationCurve &curve = cell.Curves[DetectorIndex(c.Detector)];
    curve.Points = c.Curve;
    curve.Figures = c.Figures;
    cell.Ended = c.EndsAtBreakthrough;
    if (c.EndsAtBreakthrough && !c.Curve.empty())
      cell.Mark = TBreakthroughMark{c.Curve.back().Minutes, c.BreakTime.trimmed()};
  }
  if (report.Run > 0) fEvaluations = report.Runs[static_cast<size_t>(report.Run - 1)].Evaluations;
  fSource = report.File;
  fSourceRun = report.Run;
  fSourceRuns = static_cast<int>(report.Runs.size());
  Touch();
  return std::nullopt;
}

const TPermeationCurve *TPermeationView::Curve(int cell, TDetector detector) const {
  if (cell < 1 || cell > 3) return nullptr;
  const TPermeationCurve &c = fCells[static_cast<size_t>(cell - 1)].Curves[DetectorIndex(detector)];
  return c.Points.empty() ? nullptr : &c;
}

std::vector<const TPermeationCurve *> TPermeationView::Curves() const {
  std::vector<const TPermeationCurve *> out;
  for (int cell = 1; cell <= 3; ++cell)
    for (TDetector d : {TDetector::FID, TDetector::FPD})
      if (const TPermeationCurve *c = Curve(cell, d)) out.push_back(c);
  return out;
}

std::optional<TBreakthroughMark> TPermeationView::Breakthrough(int cell) const {
  if (cell < 1 || cell > 3) return std::nullopt;
  return fCells[static_cast<size_t>(cell - 1)].Mark;
}

double TPermeationView::Limit(TDetector detector) const {
  return detector == TDetector::FID ? fLimitFID : fLimitFPD;
}

std::vector<double> TPermeationView::OtherLimits() const {
  std::vector<double> out;
  for (double limit : kReportLimits)
    if (std::fabs(limit - fLimitFID) > 1e-9 * limit) out.push_back(limit);
  return out;
}

double TPermeationView::LastMinutes() const {
  double last = 0;
  for (const TPermeationCurve *c : Curves()) last = std::max(last, c->Points.back().Minutes);
  return last;
}

}  // namespace zelvo
