#include "db/string_list.h"

#include "ascii.h"

namespace zr::db {

void TStringList::Clear() {
  lines_.clear();
  Changed();
}

void TStringList::Add(std::string line) {
  lines_.push_back(std::move(line));
  Changed();
}

std::string TStringList::Text() const {
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void TStringList::SetText(std::string_view text) {
  lines_.clear();
  size_t start = 0;
  size_t i = 0;
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
  Changed();
}

int TStringList::IndexOfName(std::string_view name) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const std::string& line = lines_[i];
    const size_t eq = line.find('=');
    if (eq != std::string::npos && detail::SameTextAscii(std::string_view(line).substr(0, eq), name)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::string TStringList::Values(std::string_view name) const {
  const int index = IndexOfName(name);
  if (index < 0) return {};
  const std::string& line = lines_[static_cast<size_t>(index)];
  return line.substr(line.find('=') + 1);
}

void TStringList::SetValue(std::string_view name, std::string_view value) {
  std::string entry(name);
  entry += '=';
  entry += value;
  const int index = IndexOfName(name);
  if (index < 0) {
    lines_.push_back(std::move(entry));
  } else {
    lines_[static_cast<size_t>(index)] = std::move(entry);
  }
  Changed();
}

void TStringList::Changed() {
  if (OnChange) OnChange();
}

}  // namespace zr::db
