#pragma once
// A date typed the ways people type it, read the same way by the window's date field and by zembra-cli.

#include <string>

namespace zr::app {

// How a typed text reads.
struct TypedDate {
  enum Kind { Empty, Date, Invalid } kind = Invalid;
  int Year = 0, Month = 0, Day = 0;  // set for Date
  std::string Problem;               // for Invalid: what was not understood, in the user's words
};

// Reads a typed text as day, month and year. Blanks around it are ignored; an empty text is Empty. Digits only
// are DDMMYYYY or DDMMYY; with separators ("/", "." or "-"), D/M/Y with one or two digits for day and month
// and two or four for the year, or D/M in `currentYear`. A two-digit year is 2000 to 2049 below 50 and 1950
// to 1999 from 50 on. A four-digit year is 0100 to 9999.
TypedDate ReadTypedDate(const std::string& text, int currentYear);

}  // namespace zr::app
