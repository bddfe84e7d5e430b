#include "log_platform.h"

#ifdef _WIN32
#include <windows.h>

#include "host/wide_text.h"
#endif

namespace zr::data::detail {

namespace {

std::string Format(const char* pattern, const std::tm& t) {
  char text[64] = {};
  std::strftime(text, sizeof text, pattern, &t);
  return text;
}

#ifdef _WIN32

using host::detail::FromUtf8;
using host::detail::InCodePage;

// The user's separator of the given kind, one character as the date formatting uses it; `fallback` when the
// settings hold none.
std::string Separator(LCTYPE kind, const char* fallback) {
  wchar_t value[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, kind, value, 8) <= 1) return fallback;
  return InCodePage(CP_UTF8, std::wstring(1, value[0]));
}

#endif

}  // namespace

std::string LogTimeStamp(const std::tm& now) {
#ifdef _WIN32
  const std::string date = Separator(LOCALE_SDATE, "/");
  const std::string time = Separator(LOCALE_STIME, ":");
  return Format("%d", now) + date + Format("%m", now) + date + Format("%y", now) + " " + Format("%H", now) +
         time + Format("%M", now) + time + Format("%S", now);
#else
  return Format("%d/%m/%y %H:%M:%S", now);
#endif
}

std::string InLogEncoding(const std::string& line) {
#ifdef _WIN32
  return InCodePage(CP_ACP, FromUtf8(line));
#else
  return line;
#endif
}

}  // namespace zr::data::detail
