#pragma once
// Cutting a statement's text into code, quoted literals or names, and comments, for the rewrites that must
// leave quoted text and comments alone.

#include <cstddef>
#include <string_view>

namespace zr::db::firebird {

enum class Piece { Code, Quoted, Comment };

// Cuts `sql` into code, quoted literals or names (quotes included) and comments, in order. A doubled quote
// inside a literal reads as two adjacent literals: the same pieces of code result. An unterminated literal
// or comment runs to the end.
template <typename Visit>
void ScanSql(std::string_view sql, Visit&& visit) {
  size_t i = 0;
  const auto through = [&](std::string_view terminator, size_t from) {
    const size_t end = sql.find(terminator, from);
    return end == std::string_view::npos ? sql.size() : end + terminator.size();
  };
  while (i < sql.size()) {
    const char c = sql[i];
    size_t end = i + 1;
    Piece piece = Piece::Code;
    if (c == '\'' || c == '"') {
      end = through(std::string_view(&c, 1), i + 1);
      piece = Piece::Quoted;
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      end = through("\n", i);
      piece = Piece::Comment;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      end = through("*/", i + 2);
      piece = Piece::Comment;
    } else {
      while (end < sql.size() && sql[end] != '\'' && sql[end] != '"' && sql[end] != '-' && sql[end] != '/') {
        ++end;
      }
    }
    visit(piece, sql.substr(i, end - i));
    i = end;
  }
}

inline bool IsWordChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
}

}  // namespace zr::db::firebird
