#pragma once
// The parts of the SQL log that follow the machine it runs on.

#include <ctime>
#include <string>

namespace zr::data::detail {

// The entry's time stamp "dd/mm/yy hh:mm:ss", with "/" and ":" replaced by the date and time separators of the
// machine's regional settings on Windows; "/" and ":" elsewhere.
std::string LogTimeStamp(const std::tm& now);

// A line of the log as the file holds it. Windows: in the system's ANSI code page, so "ß" is one byte and a
// character the code page lacks becomes its best fit or "?". Elsewhere: unchanged, UTF-8.
std::string InLogEncoding(const std::string& line);

}  // namespace zr::data::detail
