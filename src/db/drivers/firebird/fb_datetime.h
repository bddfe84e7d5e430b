#pragma once
// Firebird dates (days since 17 November 1858) and times (1/10000 s since midnight) to and from TDateTime
// (days since 30 December 1899; the fraction is the time of day, also for dates before 1899).

#include "db/datetime.h"
#include "fb_api.h"

namespace zr::db::firebird {

TDateTime FromIscDate(ISC_DATE date);
TDateTime FromIscTime(ISC_TIME time);
TDateTime FromIscTimestamp(const ISC_TIMESTAMP& stamp);

// The value rounded to the millisecond, split into Firebird's date and time.
ISC_TIMESTAMP ToIscTimestamp(TDateTime value);

}  // namespace zr::db::firebird
