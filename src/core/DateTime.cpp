#include "core/DateTime.h"

#include <cmath>

namespace zelvo {

namespace {
const QDate kEpoch(1899, 12, 30);
}

TDateTime ToDateTime(const QDateTime &dt) {
  const double days = static_cast<double>(kEpoch.daysTo(dt.date()));
  const double ms = static_cast<double>(dt.time().msecsSinceStartOfDay());
  return days + ms / kMsPerDay;
}

QDateTime FromDateTime(TDateTime value) {
  const double dayPart = std::floor(value);
  long long ms = std::llround((value - dayPart) * kMsPerDay);
  long long days = static_cast<long long>(dayPart);
  if (ms >= static_cast<long long>(kMsPerDay)) {  // rounding up to midnight
    ms -= static_cast<long long>(kMsPerDay);
    ++days;
  }
  return QDateTime(kEpoch.addDays(days), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

long long WholeSecondsBetween(TDateTime later, TDateTime earlier) {
  // Round to the millisecond first so that 3 s stored as days does not come back as 2.999999.
  const long long ms = std::llround((later - earlier) * kMsPerDay);
  return ms / 1000;
}

QString TimeText(TDateTime value) {
  return FromDateTime(value).time().toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace zelvo
