#pragma once
// Date-time values as the instrument software has always stored them: days since
// 1899-12-30, the time of day as the fraction of a day.
#include <QDateTime>
#include <QString>

namespace zelvo {

using TDateTime = double;

constexpr double kSecondsPerDay = 86400.0;
constexpr double kMsPerDay = 86400000.0;

// Local date and time to days since 1899-12-30 and back.
TDateTime ToDateTime(const QDateTime &dt);
QDateTime FromDateTime(TDateTime value);

// A duration in seconds expressed as a fraction of a day, and back.
constexpr TDateTime SecondsToDays(double seconds) { return seconds / kSecondsPerDay; }
constexpr double DaysToSeconds(TDateTime days) { return days * kSecondsPerDay; }

// Whole seconds elapsed between two date-time values (later minus earlier, truncated).
long long WholeSecondsBetween(TDateTime later, TDateTime earlier);

// Time of day as "hh:nn:ss" (hours 00-23, leading zeros).
QString TimeText(TDateTime value);

}  // namespace zelvo
