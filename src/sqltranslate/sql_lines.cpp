#include "sqltranslate/sql_lines.h"

#include <cstring>

#include "common/ascii.h"

namespace zr::sqlt {

std::string SqlLines::Text() const {
  std::size_t size = 0;
  for (const auto& line : lines_) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void SqlLines::SetText(std::string_view text) { common::SplitLines(text, lines_); }

bool IsRoundTripStable(std::string_view text) {
  if (text.empty()) return true;
  if (text.size() < 2 || text[text.size() - 2] != '\r' || text.back() != '\n') return false;
  // Every LF has a CR before it and every CR an LF after it.
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  for (const char* p = begin;
       (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr;
       ++p) {
    if (p == begin || p[-1] != '\r') return false;
  }
  for (const char* p = begin;
       (p = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)))) != nullptr;
       ++p) {
    if (p + 1 == end || p[1] != '\n') return false;
  }
  return true;
}

std::string RoundTrip(std::string_view text) {
  if (IsRoundTripStable(text)) return std::string(text);
  SqlLines lines;
  lines.SetText(text);
  return lines.Text();
}

}  // namespace zr::sqlt
