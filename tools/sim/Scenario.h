#pragma once
// The physics of one simulated test, read from a small INI file. Every key has a default, so
// an empty file (or no file) gives the built-in demo: cell 1 breaks through within about ten
// minutes of run time, cell 2 later and weakly, cell 3 never.
//
// Numbers are written with "." as decimal separator whatever the locale (the file is the
// simulator's own, not one of the program's settings files). Section and key names are
// matched without regard to case; an unknown section or key, or a value that is not a number,
// is an error, so that a typo does not silently leave a default in place.
#include <QString>
#include <array>
#include <limits>

namespace zelvo::sim {

// A stop command that never takes effect (stop_delay=never).
inline constexpr double kNever = std::numeric_limits<double>::infinity();

struct DetectorParams {
  double cal_ppm;        // concentration of the calibration gas (reference gas, position 2)
  double cal_area;       // peak area of cal_ppm in uV x samples (10 samples per second)
  double baseline;       // mean signal offset, uV
  double wander;         // the baseline wanders slowly within baseline +- wander, uV
  double wander_period;  // period of the wander's main swing, seconds of signal
  double noise;          // standard deviation of the Gaussian noise, uV
  double apex;           // peak apex, seconds after the injection
  double sigma;          // Gaussian width of the peak, seconds
  double tail;           // exponential tail of the peak, seconds (0: a plain Gaussian)
  // How the converter ends its stream: the first `ignore_stops` stop commands of every
  // stream have no effect; the next one ends it `stop_delay` seconds (real time) later, or
  // never (kNever). Until then it keeps streaming and reports status 118.
  double stop_delay = 0;
  int ignore_stops = 0;
};

// A permeation curve: rate 0 before `lag`, then rate_ss * (1 - exp(-(t - lag) / tau)),
// t in seconds since the run start, rates in ug/cm2/min.
struct CurveParams {
  double lag;
  double tau;
  double rate_ss;  // 0: no breakthrough
};

struct Scenario {
  DetectorParams fid{100, 200000, 1000, 300, 3600, 3, 8, 0.3, 0.5};
  DetectorParams fpd{10, 50000, 500, 120, 3600, 2, 8, 0.4, 0.6};
  double area_cm2 = 19.6;                     // exposed sample area
  double default_flow = 100;                  // [Cells] flow: cells without a flow of their own,
                                              // and the flow reported when no cell is selected
  std::array<double, 3> flow{100, 100, 100};  // carrier flow through each cell, ml/min
  std::array<CurveParams, 3> cells{{{240, 300, 2.0}, {600, 900, 0.4}, {0, 60, 0}}};
  std::array<CurveParams, 3> fpd_cells{{{300, 300, 0.3}, {0, 60, 0}, {0, 60, 0}}};
  double refcell_ppm = 50;
  double fpd_refcell_ppm = 5;
  double garbage_per_min = 0;
  double malformed_per_min = 0;
  double drop_per_min = 0;
  // [Heating] on: the chamber and valve-block heatings are on from the start, as on a working
  // instrument, and the zones climb to their set points; 0 leaves them off at 22 °C.
  bool heating_on = true;
};

// Reads `path` over the defaults in `out`. False with a message in `error` on failure.
bool LoadScenario(const QString &path, Scenario &out, QString &error);

}  // namespace zelvo::sim
