#include "fb_datetime.h"

#include <cmath>
#include <cstdint>

namespace zr::db::firebird {

namespace {

// 30 December 1899 as a Firebird date.
constexpr int64_t kTDateTimeEpoch = 15018;
constexpr int64_t kMillisecondsPerDay = 86400000;
constexpr int64_t kTicksPerMillisecond = 10;

TDateTime Compose(int64_t days, double dayFraction) {
  // Before the epoch the integral part counts days back and the fraction still runs forward in the day.
  return days >= 0 ? static_cast<double>(days) + dayFraction : static_cast<double>(days) - dayFraction;
}

}  // namespace

TDateTime FromIscDate(ISC_DATE date) { return Compose(static_cast<int64_t>(date) - kTDateTimeEpoch, 0.0); }

TDateTime FromIscTime(ISC_TIME time) {
  return static_cast<double>(time) / static_cast<double>(kMillisecondsPerDay * kTicksPerMillisecond);
}

TDateTime FromIscTimestamp(const ISC_TIMESTAMP& stamp) {
  return Compose(static_cast<int64_t>(stamp.timestamp_date) - kTDateTimeEpoch,
                 FromIscTime(stamp.timestamp_time));
}

ISC_TIMESTAMP ToIscTimestamp(TDateTime value) {
  double days = std::trunc(value);
  int64_t milliseconds = std::llround(std::fabs(value - days) * static_cast<double>(kMillisecondsPerDay));
  if (milliseconds >= kMillisecondsPerDay) {
    milliseconds -= kMillisecondsPerDay;
    days += 1.0;  // the next calendar day, before the epoch too
  }
  ISC_TIMESTAMP stamp{};
  stamp.timestamp_date = static_cast<ISC_DATE>(static_cast<int64_t>(days) + kTDateTimeEpoch);
  stamp.timestamp_time = static_cast<ISC_TIME>(milliseconds * kTicksPerMillisecond);
  return stamp;
}

}  // namespace zr::db::firebird
