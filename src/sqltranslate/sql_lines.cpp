#include "sqltranslate/sql_lines.h"

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

void SqlLines::SetText(std::string_view text) {
  lines_.clear();
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines_.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines_.emplace_back(text.substr(start));
}

bool IsRoundTripStable(std::string_view text) {
  if (text.empty()) return true;
  if (text.size() < 2 || text[text.size() - 2] != '\r' || text.back() != '\n') return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
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
