#include "Physics.h"

#include <cmath>

namespace zelvo::sim {

namespace {
constexpr double kSqrt2 = 1.4142135623730951;
constexpr double kSqrtPi = 1.7724538509055159;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kGolden = 1.618033988749895;
constexpr double kMainShare = 0.75;  // of the wander's amplitude; the slow swing has the rest
}  // namespace

PeakShape::PeakShape(double apex, double sigma, double tail)
    : sigma_(sigma), lambda_(tail > 1e-6 ? 1.0 / tail : 0.0) {
  // The maximum of the shape centred at 0: the shape is log-concave, so a ternary search
  // over a range that surely holds it finds it.
  double lo = -5 * sigma, hi = 5 * sigma + 5 * tail;
  for (int i = 0; i < 200; ++i) {
    const double a = lo + (hi - lo) / 3, b = hi - (hi - lo) / 3;
    if (Raw(a) < Raw(b))
      lo = a;
    else
      hi = b;
  }
  mu_ = apex - (lo + hi) / 2;
}

double PeakShape::Raw(double x) const {
  const double g = x / sigma_;
  if (lambda_ == 0.0) return std::exp(-0.5 * g * g) / (sigma_ * kSqrt2 * kSqrtPi);
  const double z = (sigma_ * lambda_ - g) / kSqrt2;
  if (z < 5) {
    // Direct form; for z < 5 its exponent stays below about 25, so nothing overflows.
    return lambda_ / 2 * std::exp(lambda_ / 2 * (lambda_ * sigma_ * sigma_ - 2 * x)) * std::erfc(z);
  }
  // Far before the maximum: exp(A) * erfc(z) with the asymptotic series of erfc, where
  // A - z^2 = -x^2 / (2 sigma^2).
  const double z2 = z * z;
  return lambda_ / 2 * std::exp(-0.5 * g * g) * (1 - 1 / (2 * z2) + 3 / (4 * z2 * z2)) / (z * kSqrtPi);
}

double PeakShape::Density(double t) const { return Raw(t - mu_); }

double PermeationRate(const CurveParams &c, double t) {
  if (c.rate_ss <= 0 || t <= c.lag) return 0;
  if (c.tau <= 0) return c.rate_ss;
  return c.rate_ss * (1 - std::exp(-(t - c.lag) / c.tau));
}

std::optional<double> CrossingTime(const CurveParams &c, double limit) {
  if (c.rate_ss <= limit) return std::nullopt;
  if (c.tau <= 0) return c.lag;
  return c.lag - c.tau * std::log(1 - limit / c.rate_ss);
}

double PpmForRate(double rate, double area_cm2, double flow, double k) {
  return rate * area_cm2 / (k * flow);
}

double Wander(double amplitude, double period, double t) {
  const double w = kTwoPi * t / period;
  return amplitude * (kMainShare * std::sin(w) + (1 - kMainShare) * std::sin(w / kGolden));
}

double WanderStartSlope(double amplitude, double period) {
  return amplitude * kTwoPi / period * (kMainShare + (1 - kMainShare) / kGolden);
}

double FirstOrderLag(double value, double target, double dt, double tau) {
  return target + (value - target) * std::exp(-dt / tau);
}

}  // namespace zelvo::sim
