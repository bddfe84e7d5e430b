#include "db/string_list.h"

#include "common/ascii.h"

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
  common::SplitLines(text, lines_);
  Changed();
}

int TStringList::IndexOfName(std::string_view name) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const std::string& line = lines_[i];
    const size_t eq = line.find('=');
    if (eq != std::string::npos && common::SameTextAscii(std::string_view(line).substr(0, eq), name)) {
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
