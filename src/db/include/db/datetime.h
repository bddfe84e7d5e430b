#pragma once
// TDateTime: days since 30 December 1899, the fraction being the time of day (the zero date is 0.0).

#include <string>

namespace zr::db {

using TDateTime = double;

struct TDateParts {
  int Year = 1899, Month = 12, Day = 30, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// EDatabaseError "Invalid argument to date encode" for parts outside the calendar (31/02, hour 24, year 0...).
TDateTime EncodeDateTime(const TDateParts& parts);
TDateParts DecodeDateTime(TDateTime value);
// The current local date and time.
TDateTime Now();
// "dd/mm/yyyy", "hh:mm:ss" and "dd/mm/yyyy hh:mm:ss" (the time left out when it is midnight).
std::string FormatDate(TDateTime value);
std::string FormatTime(TDateTime value);
std::string FormatDateTime(TDateTime value);

}  // namespace zr::db
