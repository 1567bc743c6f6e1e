#pragma once
// The live permeation view's data: per sample cell and detector the rate curve of the run so
// far, the cell's breakthrough mark, the limits, and the report's figures of the curve.
//
// It is fed one evaluated position at a time, as the record its result line is written from,
// and reads that record exactly as the report reads the written line (the same line text, the
// same run clock and the same rule where a cell's curve ends), so the view shows what the
// result file holds and its figures are the report's (ComputeFigures). A result file can be
// loaded instead: the view then shows the file's last run until a new run begins.
//
// Changed() is emitted once per change (an evaluation, a new run, a load), never on a timer.
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "core/DeviceTyp.h"
#include "results/Report.h"
#include "results/ResultFile.h"

namespace zelvo {

// The curve of one cell and detector with its figures.
struct TPermeationCurve {
  int Cell = 1;  // 1..3, gas positions 4..6
  TDetector Detector = TDetector::FID;
  std::vector<TRatePoint> Points;  // run time (min) and rate (µg/cm²/min); Line 0 while live
  TCellFigures Figures;            // the report's figures of Points
};

// A cell's breakthrough at the run's limit: its line marked "*", the cell's last point.
struct TBreakthroughMark {
  double Minutes = 0;
  QString Time;  // the line's break time text ("01:23")
};

class TPermeationView : public QObject {
  Q_OBJECT

 public:
  explicit TPermeationView(QObject *parent = nullptr);

  // A new run on `deviceTyp` with these breakthrough limits (µg/cm²/min): nothing is shown.
  void BeginRun(TDeviceTyp deviceTyp, double limitFID, double limitFPD);
  // One evaluated position of the run. A record whose measurement number does not follow the
  // last one begins a run of its own (the curves start again, the limits stay). False (and
  // nothing changes) when the record makes no readable line.
  bool Add(const TMeasurementRecord &record);

  // The last run of a result file (its decoded lines; `path` names it), or its file. On an
  // error the view is empty and the error comes back.
  std::optional<TReportError> Load(const QStringList &lines, const QString &path);
  std::optional<TReportError> LoadFile(const QString &path);
  void Clear();

  TDeviceTyp DeviceTyp() const { return fDeviceTyp; }
  bool TwoDetectors() const { return fDeviceTyp == TDeviceTyp::FIDFPD; }
  // The curve of a cell and detector; nothing when the cell has no point.
  const TPermeationCurve *Curve(int cell, TDetector detector) const;
  // Every curve with a point: cells in order, FID before FPD.
  std::vector<const TPermeationCurve *> Curves() const;
  std::optional<TBreakthroughMark> Breakthrough(int cell) const;
  // The run's breakthrough limit of a detector, and the limits of the other test standards
  // (those of the report, 0.1 and 1.0, that are not the run's FID limit).
  double Limit(TDetector detector) const;
  std::vector<double> OtherLimits() const;
  // Run time of the last point of any curve (0 without one).
  double LastMinutes() const;
  int Evaluations() const { return fEvaluations; }  // records of this run, every position
  // Where the data come from: empty while a run feeds the view; else the result file, the
  // run shown and the number of runs in it.
  QString Source() const { return fSource; }
  int SourceRun() const { return fSourceRun; }
  int SourceRuns() const { return fSourceRuns; }
  // Counts the changes; a drawing that saw the same number is current.
  quint64 Revision() const { return fRevision; }

 signals:
  void Changed();

 private:
  struct TCell {
    std::array<TPermeationCurve, 2> Curves;  // FID, FPD
    bool Ended = false;                      // closed: later lines are not the curve's
    std::optional<TBreakthroughMark> Mark;
  };
  void ClearCurves();
  void Touch();
  std::optional<TReportError> Show(const TReportRead &read);

  TDeviceTyp fDeviceTyp = TDeviceTyp::FID;
  double fLimitFID = 0, fLimitFPD = 0;
  std::array<TCell, 3> fCells;
  TRunClock fClock;
  int fEvaluations = 0;
  QString fSource;
  int fSourceRun = 0, fSourceRuns = 0;
  quint64 fRevision = 0;
};

}  // namespace zelvo
