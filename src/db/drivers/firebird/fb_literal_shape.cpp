#include "fb_literal_shape.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "common/ascii.h"
#include "fb_sql_scan.h"

namespace zr::db::firebird {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// One piece of the text (fb_sql_scan.h) and where it starts.
struct Part {
  Piece Kind;
  std::string_view Text;
  size_t At;
};

bool IsLiteral(const Part& part) { return part.Kind == Piece::Quoted && part.Text[0] == '\''; }

// The statement's first word: INSERT, UPDATE, DELETE... (upper case), comments skipped.
std::string Verb(const std::vector<Part>& parts) {
  for (const Part& part : parts) {
    if (part.Kind == Piece::Comment) continue;
    if (part.Kind != Piece::Code) return {};
    size_t start = 0;
    while (start < part.Text.size() && IsSpace(part.Text[start])) ++start;
    if (start == part.Text.size()) continue;
    size_t end = start;
    while (end < part.Text.size() && IsWordChar(part.Text[end])) ++end;
    return common::UpperAscii(part.Text.substr(start, end - start));
  }
  return {};
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

// The shape of the statement cut into `parts`, taking out the literals for which `use` tells a use.
template <typename Use>
std::optional<LiteralShape> ShapeOf(const std::string& sql, const std::vector<Part>& parts, Use&& use) {
  LiteralShape shape;
  shape.Text.reserve(sql.size());
  size_t copied = 0;  // sql[copied..] is not yet in shape.Text
  for (size_t k = 0; k < parts.size(); ++k) {
    const Part& part = parts[k];
    if (part.Kind == Piece::Code && part.Text.find('?') != std::string_view::npos) {
      return std::nullopt;  // parameters of its own: the framework binds them
    }
    if (!IsLiteral(part)) continue;
    const size_t at = part.At;
    // q'{...}' quotes by other rules: such a statement is left alone.
    if (at > 0 && (sql[at - 1] == 'q' || sql[at - 1] == 'Q') && (at < 2 || !IsWordChar(sql[at - 2]))) {
      return std::nullopt;
    }
    // A doubled quote splits one literal into adjacent pieces: they are joined, a quote between each two.
    std::string value;
    for (;; ++k) {
      const std::string_view text = parts[k].Text;
      if (text.size() < 2 || text.back() != '\'') return std::nullopt;  // unterminated: the server reports it
      value.append(text.substr(1, text.size() - 2));
      if (k + 1 == parts.size() || !IsLiteral(parts[k + 1])) break;
      value += '\'';
    }
    const size_t end = parts[k].At + parts[k].Text.size();
    const std::optional<LiteralUse> how = use(at);
    if (how && PlainAscii(value) && !TypedByPosition(sql, at)) {
      shape.Text.append(sql, copied, at - copied);
      shape.Markers.push_back(shape.Text.size());
      shape.Text += '?';
      shape.Values.push_back(std::move(value));
      shape.Uses.push_back(*how);
      copied = end;
    }
  }
  if (shape.Values.empty()) return std::nullopt;
  shape.Text.append(sql, copied, std::string::npos);
  return shape;
}

std::vector<Part> Parts(const std::string& sql) {
  std::vector<Part> parts;
  ScanSql(sql, [&](Piece piece, std::string_view text) {
    parts.push_back({piece, text, static_cast<size_t>(text.data() - sql.data())});
  });
  return parts;
}

}  // namespace

std::optional<LiteralShape> ShapeOfLiteralDml(const std::string& sql) {
  const std::vector<Part> parts = Parts(sql);
  const std::string verb = Verb(parts);
  if (verb != "INSERT" && verb != "UPDATE" && verb != "DELETE") return std::nullopt;
  return ShapeOf(sql, parts, [](size_t) -> std::optional<LiteralUse> { return LiteralUse::Compared; });
}

std::optional<LiteralShape> ShapeOfLiteralSelect(const std::string& sql) {
  const std::vector<Part> parts = Parts(sql);
  if (Verb(parts) != "SELECT") return std::nullopt;
  const std::vector<std::pair<size_t, LiteralUse>> predicates = PredicateLiterals(sql);
  if (predicates.empty()) return std::nullopt;
  // Literals are asked for in the order of the statement, as they are listed.
  auto next = predicates.begin();
  return ShapeOf(sql, parts, [&](size_t at) -> std::optional<LiteralUse> {
    while (next != predicates.end() && next->first < at) ++next;
    if (next == predicates.end() || next->first != at) return std::nullopt;
    return next->second;
  });
}

}  // namespace zr::db::firebird
