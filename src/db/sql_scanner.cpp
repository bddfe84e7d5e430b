#include "db/sql_scanner.h"

#include "common/ascii.h"

namespace zr::db::sql {

std::string LiteralValue(std::string_view literal) {
  std::string value;
  if (literal.empty()) return value;
  const char quote = literal.front();
  size_t last = literal.size();
  // The closing quote: the last one, unless it is the second half of a doubled quote (the literal is open).
  size_t quotes = 0;
  while (quotes < literal.size() - 1 && literal[literal.size() - 1 - quotes] == quote) ++quotes;
  if (quotes % 2 == 1) --last;
  value.reserve(last);
  for (size_t i = 1; i < last; ++i) {
    value += literal[i];
    if (literal[i] == quote && i + 1 < last && literal[i + 1] == quote) ++i;
  }
  return value;
}

std::string FirstWord(std::string_view sql) {
  Scanner scanner(sql);
  Token token;
  while (scanner.NextCode(token)) {
    if (token.Kind == TokenKind::Symbol && token.Text == "(") continue;
    return token.Kind == TokenKind::Word ? common::UpperAscii(token.Text) : std::string();
  }
  return {};
}

}  // namespace zr::db::sql
