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

// The shape of the statement, taking out the literals that have a use.
std::optional<LiteralShape> ShapeOf(const std::string& text, StatementLiterals found) {
  if (found.Markers) return std::nullopt;  // parameters of its own: the framework binds them
  LiteralShape shape;
  size_t copied = 0;  // text[copied..] is not yet in shape.Text
  for (StatementLiteral& literal : found.Literals) {
    const sql::Token& token = literal.Literal;
    const size_t at = token.At;
    // q'{...}' quotes by other rules: such a statement is left alone.
    if (at > 0 && (text[at - 1] == 'q' || text[at - 1] == 'Q') && (at < 2 || !IsWordChar(text[at - 2]))) {
      return std::nullopt;
    }
    if (!token.Closed) return std::nullopt;  // unterminated: the server reports it
    if (!literal.Use) continue;
    std::string value = sql::LiteralValue(token.Text);
    if (PlainAscii(value) && !TypedByPosition(text, at)) {
      if (shape.Text.empty()) shape.Text.reserve(text.size());
      shape.Text.append(text, copied, at - copied);
      shape.Markers.push_back(shape.Text.size());
      shape.Text += '?';
      shape.Values.push_back(std::move(value));
      shape.Uses.push_back(*literal.Use);
      copied = token.End();
    }
  }
  if (shape.Values.empty()) return std::nullopt;
  shape.Text.append(text, copied, std::string::npos);
  return shape;
}

}  // namespace

std::optional<LiteralShape> ShapeOfLiteralDml(const std::string& sql) {
  StatementLiterals found;
  sql::Scanner scanner(sql);
  sql::Token token;
  if (!scanner.NextCode(token) || token.Kind != sql::TokenKind::Word ||
      (!common::SameTextAscii(token.Text, "INSERT") && !common::SameTextAscii(token.Text, "UPDATE") &&
       !common::SameTextAscii(token.Text, "DELETE"))) {
    return std::nullopt;
  }
  // Every literal of a plain INSERT, UPDATE or DELETE is compared or stored as the parameter would be.
  do {
    if (token.Kind == sql::TokenKind::Marker) return std::nullopt;
    if (token.Kind == sql::TokenKind::Literal) found.Literals.push_back({token, LiteralUse::Compared});
  } while (scanner.NextCode(token));
  return ShapeOf(sql, std::move(found));
}

std::optional<LiteralShape> ShapeOfLiteralSelect(const std::string& sql) {
  sql::Scanner scanner(sql);
  sql::Token verb;
  if (!scanner.NextCode(verb) || verb.Kind != sql::TokenKind::Word ||
      !common::SameTextAscii(verb.Text, "SELECT"))
    return std::nullopt;
  return ShapeOf(sql, PredicateLiterals(sql));
}

}  // namespace zr::db::firebird
