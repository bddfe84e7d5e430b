#include "db/datetime.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#include "db/errors.h"

namespace zr::db {

namespace {

constexpr int64_t kMsPerDay = 86400000;

// Days from 1 January 1970 of a proleptic Gregorian date (Howard Hinnant's civil-date algorithm).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

const int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return (m == 2 && IsLeapYear(y)) ? 29 : kDays[m - 1];
}

std::string TwoDigits(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

}  // namespace

TDateTime EncodeDateTime(const TDateParts& p) {
  if (p.Year < 1 || p.Year > 9999 || p.Month < 1 || p.Month > 12 || p.Day < 1 ||
      p.Day > DaysInMonth(p.Year, p.Month) || p.Hour < 0 || p.Hour > 23 || p.Minute < 0 || p.Minute > 59 ||
      p.Second < 0 || p.Second > 59 || p.Millisecond < 0 || p.Millisecond > 999) {
    throw EDatabaseError("Invalid argument to date encode");
  }
  const double days = static_cast<double>(DaysFromCivil(p.Year, p.Month, p.Day) - kEpochDays);
  const double time =
      static_cast<double>(((p.Hour * 60 + p.Minute) * 60 + p.Second) * 1000 + p.Millisecond) / kMsPerDay;
  // Before the zero date the whole part counts days back and the fraction is still the time of day.
  return days >= 0 ? days + time : days - time;
}

TDateParts DecodeDateTime(TDateTime value) {
  int64_t days = static_cast<int64_t>(std::trunc(value));
  int64_t ms = std::llround(std::fabs(value - static_cast<double>(days)) * kMsPerDay);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    days += value >= 0 ? 1 : -1;
  }
  TDateParts p;
  CivilFromDays(days + kEpochDays, p.Year, p.Month, p.Day);
  p.Hour = static_cast<int>(ms / 3600000);
  p.Minute = static_cast<int>(ms / 60000 % 60);
  p.Second = static_cast<int>(ms / 1000 % 60);
  p.Millisecond = static_cast<int>(ms % 1000);
  return p;
}

TDateTime Now() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                         local.tm_sec, static_cast<int>(ms)});
}

std::string FormatDate(TDateTime value) {
  const TDateParts p = DecodeDateTime(value);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", p.Day, p.Month, p.Year);
  return buf;
}

std::string FormatTime(TDateTime value) {
  const TDateParts p = DecodeDateTime(value);
  return TwoDigits(p.Hour) + ":" + TwoDigits(p.Minute) + ":" + TwoDigits(p.Second);
}

std::string FormatDateTime(TDateTime value) {
  const TDateParts p = DecodeDateTime(value);
  if (p.Hour == 0 && p.Minute == 0 && p.Second == 0 && p.Millisecond == 0) return FormatDate(value);
  return FormatDate(value) + " " + FormatTime(value);
}

}  // namespace zr::db
