#include "fb_literal_shape.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "common/ascii.h"
#include "db/sql_scanner.h"

namespace zr::db::firebird {

namespace {

using sql::IsWordChar;

// The statement's first word (upper case): INSERT, UPDATE, DELETE, SELECT...; blanks and comments skipped.
bool VerbIs(const std::string& text, std::string_view verb) {
  sql::Scanner scanner(text);
  sql::Token token;
  return scanner.NextCode(token) && token.Kind == sql::TokenKind::Word &&
         common::SameTextAscii(token.Text, verb);
}

// The word that ends just before `end`, blanks between them skipped (comments are not: a literal after a
// comment keeps its place in the text).
std::string_view WordBefore(std::string_view text, size_t end) {
  while (end > 0 && sql::IsBlank(text[end - 1])) --end;
  size_t start = end;
  while (start > 0 && IsWordChar(text[start - 1])) --start;
  return text.substr(start, end - start);
}

// A literal's value may travel as a parameter: printable ASCII only (the same bytes in every character set).
bool PlainAscii(const std::string& value) {
  for (const char c : value) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

// The literal stays in the text when its position gives it a type or a character set of its own.
bool TypedByPosition(const std::string& text, size_t quote) {
  if (quote > 0 && IsWordChar(text[quote - 1])) return true;  // X'41', N'..', _UTF8'..'
  const std::string_view word = WordBefore(text, quote);
  return common::SameTextAscii(word, "DATE") || common::SameTextAscii(word, "TIME") ||
         common::SameTextAscii(word, "TIMESTAMP") || (!word.empty() && word[0] == '_');
}

// The shape of the statement, taking out the literals for which `use` tells a use; `use` is asked about each
// literal in the order of the text.
template <typename Use>
std::optional<LiteralShape> ShapeOf(const std::string& text, Use&& use) {
  LiteralShape shape;
  shape.Text.reserve(text.size());
  size_t copied = 0;  // text[copied..] is not yet in shape.Text
  sql::Scanner scanner(text);
  sql::Token token;
  while (scanner.Next(token)) {
    if (token.Kind == sql::TokenKind::Marker)
      return std::nullopt;  // parameters of its own: the framework binds them
    if (token.Kind != sql::TokenKind::Literal) continue;
    const size_t at = token.At;
    // q'{...}' quotes by other rules: such a statement is left alone.
    if (at > 0 && (text[at - 1] == 'q' || text[at - 1] == 'Q') && (at < 2 || !IsWordChar(text[at - 2]))) {
      return std::nullopt;
    }
    if (!token.Closed) return std::nullopt;  // unterminated: the server reports it
    std::string value = sql::LiteralValue(token.Text);
    const std::optional<LiteralUse> how = use(at);
    if (how && PlainAscii(value) && !TypedByPosition(text, at)) {
      shape.Text.append(text, copied, at - copied);
      shape.Markers.push_back(shape.Text.size());
      shape.Text += '?';
      shape.Values.push_back(std::move(value));
      shape.Uses.push_back(*how);
      copied = token.End();
    }
  }
  if (shape.Values.empty()) return std::nullopt;
  shape.Text.append(text, copied, std::string::npos);
  return shape;
}

}  // namespace

std::optional<LiteralShape> ShapeOfLiteralDml(const std::string& sql) {
  if (!VerbIs(sql, "INSERT") && !VerbIs(sql, "UPDATE") && !VerbIs(sql, "DELETE")) return std::nullopt;
  return ShapeOf(sql, [](size_t) -> std::optional<LiteralUse> { return LiteralUse::Compared; });
}

std::optional<LiteralShape> ShapeOfLiteralSelect(const std::string& sql) {
  if (!VerbIs(sql, "SELECT")) return std::nullopt;
  const std::vector<std::pair<size_t, LiteralUse>> predicates = PredicateLiterals(sql);
  if (predicates.empty()) return std::nullopt;
  // Literals are asked for in the order of the statement, as they are listed.
  auto next = predicates.begin();
  return ShapeOf(sql, [&](size_t at) -> std::optional<LiteralUse> {
    while (next != predicates.end() && next->first < at) ++next;
    if (next == predicates.end() || next->first != at) return std::nullopt;
    return next->second;
  });
}

}  // namespace zr::db::firebird
