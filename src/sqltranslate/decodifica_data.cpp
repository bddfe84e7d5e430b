// 'MM/DD/YYYY[ HH:MM:SS]'  ->  month, day, year[, hour, minute, second]
#include "sqltranslate/passes.h"

namespace zr::sqlt {

namespace {

// A piece trimmed of blanks, "0" put in front, read as a decimal number.
bool ReadPiece(std::string_view text, std::size_t start, std::size_t length, std::uint16_t& value) {
  std::string_view piece = text.substr(start, length);
  while (!piece.empty() && piece.front() == ' ') piece.remove_prefix(1);
  while (!piece.empty() && piece.back() == ' ') piece.remove_suffix(1);
  unsigned v = 0;
  for (char c : piece) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<unsigned>(c - '0');
  }
  value = static_cast<std::uint16_t>(v);
  return true;
}

bool IsLeap(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(unsigned year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool ValidDate(unsigned month, unsigned day, unsigned year) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

bool ValidTime(unsigned hour, unsigned minute, unsigned second) {
  if (hour == 24) return minute == 0 && second == 0;
  return hour <= 23 && minute <= 59 && second <= 59;
}

}  // namespace

bool DecodificaData(std::string_view text, std::uint16_t& month, std::uint16_t& day, std::uint16_t& year) {
  if (text.size() < 10) return false;
  std::uint16_t m = 0, d = 0, y = 0;
  if (!ReadPiece(text, 0, 2, m) || !ReadPiece(text, 3, 2, d) || !ReadPiece(text, 6, 4, y)) return false;
  if (!ValidDate(m, d, y)) return false;
  month = m;
  day = d;
  year = y;
  return true;
}

bool DecodificaDataHora(std::string_view text, std::uint16_t& month, std::uint16_t& day, std::uint16_t& year,
                        std::uint16_t& hour, std::uint16_t& minute, std::uint16_t& second) {
  if (text.size() < 19) return false;
  std::uint16_t h = 0, mi = 0, s = 0;
  if (!DecodificaData(text, month, day, year)) return false;
  if (!ReadPiece(text, 11, 2, h) || !ReadPiece(text, 14, 2, mi) || !ReadPiece(text, 17, 2, s)) return false;
  if (!ValidTime(h, mi, s)) return false;
  hour = h;
  minute = mi;
  second = s;
  return true;
}

std::string CompletaZeros(unsigned value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

}  // namespace zr::sqlt
