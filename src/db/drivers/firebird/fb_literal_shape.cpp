#include "fb_literal_shape.h"

#include <cstddef>

#include "common/ascii.h"

namespace zr::db::firebird {

namespace {

bool IsWordChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// Skips blanks and comments from `at`; the position of the next token (or the end).
size_t SkipBlanks(const std::string& sql, size_t at) {
  while (at < sql.size()) {
    if (IsSpace(sql[at])) {
      ++at;
    } else if (sql.compare(at, 2, "--") == 0) {
      const size_t end = sql.find('\n', at);
      at = end == std::string::npos ? sql.size() : end + 1;
    } else if (sql.compare(at, 2, "/*") == 0) {
      const size_t end = sql.find("*/", at + 2);
      at = end == std::string::npos ? sql.size() : end + 2;
    } else {
      break;
    }
  }
  return at;
}

// The word that ends just before `end`, blanks between them skipped (comments are not: a literal after a
// comment keeps its place in the text).
std::string WordBefore(const std::string& sql, size_t end) {
  while (end > 0 && IsSpace(sql[end - 1])) --end;
  size_t start = end;
  while (start > 0 && IsWordChar(sql[start - 1])) --start;
  return sql.substr(start, end - start);
}

// A literal's value may travel as a parameter: printable ASCII only (the same bytes in every character set).
bool PlainAscii(const std::string& value) {
  for (const char c : value) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

// The literal stays in the text when its position gives it a type or a character set of its own.
bool TypedByPosition(const std::string& sql, size_t quote) {
  if (quote > 0 && IsWordChar(sql[quote - 1])) return true;  // X'41', N'..', _UTF8'..'
  const std::string word = common::UpperAscii(WordBefore(sql, quote));
  return word == "DATE" || word == "TIME" || word == "TIMESTAMP" || (!word.empty() && word[0] == '_');
}

}  // namespace

std::optional<LiteralShape> ShapeOfLiteralDml(const std::string& sql) {
  const size_t first = SkipBlanks(sql, 0);
  size_t wordEnd = first;
  while (wordEnd < sql.size() && IsWordChar(sql[wordEnd])) ++wordEnd;
  const std::string verb = common::UpperAscii(sql.substr(first, wordEnd - first));
  if (verb != "INSERT" && verb != "UPDATE" && verb != "DELETE") return std::nullopt;

  LiteralShape shape;
  shape.Text.reserve(sql.size());
  size_t copied = 0;  // sql[copied..] is not yet in shape.Text
  size_t at = wordEnd;
  while (at < sql.size()) {
    const char c = sql[at];
    if (sql.compare(at, 2, "--") == 0 || sql.compare(at, 2, "/*") == 0) {
      at = SkipBlanks(sql, at);
    } else if (c == '"') {
      // A quoted identifier: "" is a quote inside it.
      size_t end = at + 1;
      while (true) {
        end = sql.find('"', end);
        if (end == std::string::npos) return std::nullopt;
        if (end + 1 < sql.size() && sql[end + 1] == '"') {
          end += 2;
          continue;
        }
        break;
      }
      at = end + 1;
    } else if (c == '?') {
      return std::nullopt;  // parameters of its own: the framework binds them
    } else if (c == '\'') {
      // q'{...}' quotes by other rules: such a statement is left alone.
      if (at > 0 && (sql[at - 1] == 'q' || sql[at - 1] == 'Q') && (at < 2 || !IsWordChar(sql[at - 2]))) {
        return std::nullopt;
      }
      std::string value;
      size_t end = at + 1;
      while (true) {
        if (end >= sql.size()) return std::nullopt;  // unterminated: the server reports it
        if (sql[end] == '\'') {
          if (end + 1 < sql.size() && sql[end + 1] == '\'') {
            value += '\'';
            end += 2;
            continue;
          }
          break;
        }
        value += sql[end++];
      }
      if (PlainAscii(value) && !TypedByPosition(sql, at)) {
        shape.Text.append(sql, copied, at - copied);
        shape.Markers.push_back(shape.Text.size());
        shape.Text += '?';
        shape.Values.push_back(std::move(value));
        copied = end + 1;
      }
      at = end + 1;
    } else {
      ++at;
    }
  }
  if (shape.Values.empty()) return std::nullopt;
  shape.Text.append(sql, copied, std::string::npos);
  return shape;
}

}  // namespace zr::db::firebird
