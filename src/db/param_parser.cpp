#include <string>
#include <string_view>

#include "db/params.h"

namespace zr::db {

namespace {

bool IsNameChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
         u >= 0x80;
}

// Index just past the run that starts at `i` and ends with `close` (or the end of the text).
size_t SkipUntil(std::string_view sql, size_t i, std::string_view close) {
  const size_t end = sql.find(close, i);
  return end == std::string_view::npos ? sql.size() : end + close.size();
}

}  // namespace

// ":NAME" -> "?" outside '...' literals, "..." identifiers, -- and /* */ comments; "::" stays as written.
TFDParsedSql ParseParams(std::string_view sql) {
  TFDParsedSql out;
  out.Sql.reserve(sql.size());
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    size_t next = i + 1;
    if (c == '\'' || c == '"') {
      next = SkipUntil(sql, i + 1, std::string_view(&sql[i], 1));
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      next = sql.find_first_of("\r\n", i);
      if (next == std::string_view::npos) next = sql.size();
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      next = SkipUntil(sql, i + 2, "*/");
    } else if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
      next = i + 2;
    } else if (c == ':' && i + 1 < sql.size() && IsNameChar(sql[i + 1])) {
      next = i + 1;
      while (next < sql.size() && IsNameChar(sql[next])) ++next;
      out.Names.emplace_back(sql.substr(i + 1, next - i - 1));
      out.Sql += '?';
      i = next;
      continue;
    }
    out.Sql.append(sql.substr(i, next - i));
    i = next;
  }
  return out;
}

}  // namespace zr::db
