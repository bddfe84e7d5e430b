#include "fb_predicate_literals.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "common/ascii.h"
#include "db/sql_scanner.h"

namespace zr::db::firebird {

namespace {

using sql::Token;
using sql::TokenKind;

// The statement's tokens, blanks and comments left out. Its literals and whether it holds markers go into
// `found`.
std::vector<Token> CodeTokens(const std::string& text, StatementLiterals& found) {
  std::vector<Token> tokens;
  sql::Scanner scanner(text);
  Token token;
  while (scanner.NextCode(token)) {
    if (token.Kind == TokenKind::Literal) found.Literals.push_back({token, std::nullopt});
    if (token.Kind == TokenKind::Marker) found.Markers = true;
    tokens.push_back(token);
  }
  return tokens;
}

bool IsWord(const Token* token, std::string_view word) { return token != nullptr && sql::IsKeyword(*token, word); }
bool IsSymbol(const Token* token, std::string_view symbol) {
  return token != nullptr && token->Kind == TokenKind::Symbol && token->Text == symbol;
}
template <size_t N>
bool IsWordOf(const Token* token, const std::string_view (&words)[N]) {
  if (token == nullptr || token->Kind != TokenKind::Word) return false;
  for (const std::string_view word : words) {
    if (common::SameTextAscii(token->Text, word)) return true;
  }
  return false;
}

bool IsComparison(const Token* token) {
  static constexpr std::string_view kOperators[] = {
      "=", "<>", "!=", "^=", "~=", "<", ">", "<=", ">=", "!<", "!>", "^<", "^>", "~<", "~>"};
  if (token == nullptr || token->Kind != TokenKind::Symbol) return false;
  for (const std::string_view op : kOperators) {
    if (token->Text == op) return true;
  }
  return false;
}

enum class Clause { Other, Select, Where, On, Having };

struct Frame {
  Clause Within = Clause::Other;
  bool List = false;  // the parenthesis of an IN list
};

// The clause a keyword begins; nothing for any other word. `prev` and `next` are the tokens around it.
std::optional<Clause> ClauseOf(const Token& word, const Token* prev, const Token* next) {
  if (IsWord(&word, "SELECT")) return Clause::Select;
  if (IsWord(&word, "WHERE")) return Clause::Where;
  if (IsWord(&word, "ON")) return Clause::On;
  if (IsWord(&word, "HAVING")) return Clause::Having;
  if (IsWord(&word, "WITH") && IsWord(prev, "STARTING")) return std::nullopt;  // STARTING WITH
  if (IsWord(&word, "FROM") && IsWord(prev, "DISTINCT")) return std::nullopt;  // IS [NOT] DISTINCT FROM
  if ((IsWord(&word, "LEFT") || IsWord(&word, "RIGHT")) && IsSymbol(next, "("))
    return std::nullopt;  // the functions
  static constexpr std::string_view kOthers[] = {"FROM",  "JOIN",  "INNER", "LEFT",  "RIGHT", "FULL", "OUTER",
                                                 "CROSS", "NATURAL", "GROUP", "ORDER", "UNION", "PLAN", "ROWS",
                                                 "FOR",   "WITH",  "FIRST", "SKIP",  "USING", "OFFSET", "FETCH"};
  if (IsWordOf(&word, kOthers)) return Clause::Other;
  return std::nullopt;
}

// A literal right after these is a whole operand only when one of these follows it.
bool EndsOperand(const Token* next) {
  static constexpr std::string_view kWords[] = {"AND",  "OR",    "THEN",  "ESCAPE", "GROUP", "ORDER",  "HAVING",
                                                "UNION", "PLAN", "ROWS",  "FOR",    "WITH",  "WHERE",  "JOIN",
                                                "INNER", "LEFT", "RIGHT", "FULL",   "CROSS", "NATURAL"};
  return next == nullptr || IsSymbol(next, ")") || IsSymbol(next, ",") || IsSymbol(next, ";") ||
         IsWordOf(next, kWords);
}

bool IsPatternWord(const Token* token) {
  return IsWord(token, "LIKE") || IsWord(token, "CONTAINING") || IsWord(token, "STARTING");
}

// How the literal between `prev` and `next` is used as a right-hand operand, or as an IN list's element.
std::optional<LiteralUse> RightOperand(const Token* before, const Token* prev, const Token* next,
                                       const Frame& frame) {
  if (!EndsOperand(next)) return std::nullopt;
  if (IsComparison(prev)) return LiteralUse::Compared;
  if (IsPatternWord(prev) || (IsWord(prev, "WITH") && IsWord(before, "STARTING"))) return LiteralUse::Pattern;
  if (frame.List && (IsSymbol(prev, "(") || IsSymbol(prev, ",")) &&
      (IsSymbol(next, ",") || IsSymbol(next, ")"))) {
    return LiteralUse::Compared;
  }
  return std::nullopt;
}

// How the literal is used as the left-hand operand of a condition ('A' = X, 'A' NOT IN (...)).
std::optional<LiteralUse> LeftOperand(const Token* prev, const Token* next, const Token* after) {
  static constexpr std::string_view kStarts[] = {"WHERE", "ON", "HAVING", "AND", "OR", "NOT", "WHEN"};
  if (!IsWordOf(prev, kStarts) && !IsSymbol(prev, "(")) return std::nullopt;
  const Token* op = IsWord(next, "NOT") ? after : next;
  if (IsPatternWord(op)) return LiteralUse::Pattern;
  if (IsWord(op, "IN") || (op == next && IsComparison(op))) return LiteralUse::Compared;
  return std::nullopt;
}

}  // namespace

StatementLiterals PredicateLiterals(const std::string& sql) {
  StatementLiterals literals;
  const std::vector<Token> tokens = CodeTokens(sql, literals);
  const auto at = [&](size_t i, int offset) -> const Token* {
    const auto k = static_cast<std::ptrdiff_t>(i) + offset;
    return k < 0 || k >= static_cast<std::ptrdiff_t>(tokens.size()) ? nullptr
                                                                    : &tokens[static_cast<size_t>(k)];
  };
  std::vector<Frame> frames(1);
  size_t literal = 0;  // the place of the next literal among the statement's literals
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    Frame& frame = frames.back();
    switch (token.Kind) {
      case TokenKind::Word:
        if (const std::optional<Clause> clause = ClauseOf(token, at(i, -1), at(i, 1))) {
          frame.Within = *clause;
          if (*clause == Clause::Select) frame.List = false;  // IN (SELECT ...)
        }
        break;
      case TokenKind::Symbol:
        if (token.Text == "(") {
          frames.push_back({frame.Within, IsWord(at(i, -1), "IN")});
        } else if (token.Text == ")" && frames.size() > 1) {
          frames.pop_back();
        }
        break;
      case TokenKind::Literal: {
        StatementLiteral& found = literals.Literals[literal++];
        if (frame.Within != Clause::Where && frame.Within != Clause::On && frame.Within != Clause::Having)
          break;
        found.Use = RightOperand(at(i, -2), at(i, -1), at(i, 1), frame);
        if (!found.Use) found.Use = LeftOperand(at(i, -1), at(i, 1), at(i, 2));
        break;
      }
      default:
        break;
    }
  }
  return literals;
}

}  // namespace zr::db::firebird
