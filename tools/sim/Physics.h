#pragma once
// The simulated instrument's physics as plain functions of time: the peak shape of one
// injection, the permeation curves, the concentration they give at the detector, and the
// first-order lag of the heated zones.
#include <optional>

#include "Scenario.h"

namespace zelvo::sim {

// Factors that turn a concentration at the detector into a permeation rate, as the program
// evaluates them: rate = k * ppm * flow / area (FID and FPD differ).
inline constexpr double kFidRateFactor = 0.00241;
inline constexpr double kFpdRateFactor = 0.00251;

// Exponentially modified Gaussian with unit area (per second), shifted so that its maximum
// lies at `apex` seconds. tail 0 gives a plain Gaussian.
class PeakShape {
 public:
  PeakShape(double apex, double sigma, double tail);
  double Density(double t) const;  // 1/s; integrates to 1 over t

 private:
  double Raw(double x) const;  // the shape with its Gaussian centre at 0
  double mu_ = 0, sigma_, lambda_;
};

// Rate in ug/cm2/min at t seconds after the run start.
double PermeationRate(const CurveParams &c, double t);
// First t at which the rate exceeds `limit`; empty when it never does.
std::optional<double> CrossingTime(const CurveParams &c, double limit);
// Concentration at the detector for a rate: rate * area / (k * flow).
double PpmForRate(double rate, double area_cm2, double flow, double k);

// The baseline's slow wander around its mean, t in seconds of signal: a main swing of period
// `period` and a slower one of 1.618 times that period, with amplitudes 3/4 and 1/4 of
// `amplitude`, both rising from 0 at t = 0. It never leaves +-amplitude, and it is smooth:
// over a peak of a few seconds it is a straight line to well below a microvolt, so areas
// above a straight baseline stay exact.
double Wander(double amplitude, double period, double t);
// Its slope at t = 0, in uV per second.
double WanderStartSlope(double amplitude, double period);

// A value that follows its target with a first-order lag.
double FirstOrderLag(double value, double target, double dt, double tau);

}  // namespace zelvo::sim
