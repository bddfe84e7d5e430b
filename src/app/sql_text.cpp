#include "app/sql_text.h"

#include <cstdio>

namespace zr::app {

std::string QuotedStr(std::string_view Value) {
  std::string out;
  out.reserve(Value.size() + 2);
  out += '\'';
  for (char ch : Value) {
    out += ch;
    if (ch == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

std::string DateLiteral(db::TDateTime Date) {
  const db::TDateParts parts = db::DecodeDateTime(Date);
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", parts.Month % 100, parts.Day % 100, parts.Year % 10000);
  return QuotedStr(text);
}

std::string Trim(std::string_view Value) {
  auto blank = [](char ch) { return static_cast<unsigned char>(ch) <= ' '; };
  size_t begin = 0;
  size_t end = Value.size();
  while (begin < end && blank(Value[begin])) ++begin;
  while (end > begin && blank(Value[end - 1])) --end;
  return std::string(Value.substr(begin, end - begin));
}

}  // namespace zr::app
