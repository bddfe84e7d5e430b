#include "fb_predicate_literals.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/ascii.h"
#include "db/sql_scanner.h"

namespace zr::db::firebird {

namespace {

enum class Kind { Word, Literal, Name, Symbol };

struct Token {
  Kind Type;
  std::string_view Text;  // a word or symbol as written; empty for literals and names
  size_t At;              // where it starts in the statement
  size_t End;             // where it ends
  uint64_t Key = 0;       // a word's key (below); a literal's place among the statement's literals
};

// A word of up to ten letters, digits, '_' or '$' as one number, letter case aside, so that each keyword
// compares in one step; longer words, never a keyword, all share kLongWord. Each character takes six bits:
// its upper-case code modulo 64 is distinct for every word character and never 0.
constexpr uint64_t kLongWord = ~uint64_t{0};
constexpr uint64_t Key(std::string_view word) {
  if (word.size() > 10) return kLongWord;
  uint64_t key = 0;
  for (const char c : word) key = key * 64 + static_cast<unsigned char>(common::UpperChar(c)) % 64;
  return key;
}

// The statement as words, symbols, literals and quoted names; blanks and comments left out. Its literals and
// whether it holds markers go into `found`.
std::vector<Token> Tokens(const std::string& text, StatementLiterals& found) {
  std::vector<Token> tokens;
  sql::Scanner scanner(text);
  sql::Token token;
  while (scanner.NextCode(token)) {
    switch (token.Kind) {
      case sql::TokenKind::Word:
        tokens.push_back({Kind::Word, token.Text, token.At, token.End(), Key(token.Text)});
        break;
      case sql::TokenKind::Literal:
        tokens.push_back({Kind::Literal, {}, token.At, token.End(), found.Literals.size()});
        found.Literals.push_back({token, std::nullopt});
        break;
      case sql::TokenKind::Marker:
        found.Markers = true;
        tokens.push_back({Kind::Symbol, token.Text, token.At, token.End()});
        break;
      case sql::TokenKind::QuotedName:
      case sql::TokenKind::DollarQuoted:
        tokens.push_back({Kind::Name, {}, token.At, token.End()});
        break;
      default:
        tokens.push_back({Kind::Symbol, token.Text, token.At, token.End()});
        break;
    }
  }
  return tokens;
}

bool IsWord(const Token* token, std::string_view word) {
  return token != nullptr && token->Type == Kind::Word && token->Key == Key(word);
}
bool IsSymbol(const Token* token, std::string_view symbol) {
  return token != nullptr && token->Type == Kind::Symbol && token->Text == symbol;
}
template <size_t N>
bool IsWordOf(const Token* token, const uint64_t (&keys)[N]) {
  if (token == nullptr || token->Type != Kind::Word) return false;
  for (const uint64_t key : keys) {
    if (token->Key == key) return true;
  }
  return false;
}

bool IsComparison(const Token* token) {
  static constexpr std::string_view kOperators[] = {
      "=", "<>", "!=", "^=", "~=", "<", ">", "<=", ">=", "!<", "!>", "^<", "^>", "~<", "~>"};
  if (token == nullptr || token->Type != Kind::Symbol) return false;
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
  static constexpr uint64_t kOthers[] = {
      Key("FROM"),  Key("JOIN"),    Key("INNER"), Key("LEFT"),  Key("RIGHT"), Key("FULL"),   Key("OUTER"),
      Key("CROSS"), Key("NATURAL"), Key("GROUP"), Key("ORDER"), Key("UNION"), Key("PLAN"),   Key("ROWS"),
      Key("FOR"),   Key("WITH"),    Key("FIRST"), Key("SKIP"),  Key("USING"), Key("OFFSET"), Key("FETCH")};
  if (IsWordOf(&word, kOthers)) return Clause::Other;
  return std::nullopt;
}

// A literal right after these is a whole operand only when one of these follows it.
bool EndsOperand(const Token* next) {
  static constexpr uint64_t kWords[] = {
      Key("AND"),   Key("OR"),   Key("THEN"),  Key("ESCAPE"), Key("GROUP"), Key("ORDER"),  Key("HAVING"),
      Key("UNION"), Key("PLAN"), Key("ROWS"),  Key("FOR"),    Key("WITH"),  Key("WHERE"),  Key("JOIN"),
      Key("INNER"), Key("LEFT"), Key("RIGHT"), Key("FULL"),   Key("CROSS"), Key("NATURAL")};
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
  static constexpr uint64_t kStarts[] = {Key("WHERE"), Key("ON"),  Key("HAVING"), Key("AND"),
                                         Key("OR"),    Key("NOT"), Key("WHEN")};
  if (!IsWordOf(prev, kStarts) && !IsSymbol(prev, "(")) return std::nullopt;
  const Token* op = IsWord(next, "NOT") ? after : next;
  if (IsPatternWord(op)) return LiteralUse::Pattern;
  if (IsWord(op, "IN") || (op == next && IsComparison(op))) return LiteralUse::Compared;
  return std::nullopt;
}

}  // namespace

StatementLiterals PredicateLiterals(const std::string& sql) {
  StatementLiterals literals;
  const std::vector<Token> tokens = Tokens(sql, literals);
  const auto at = [&](size_t i, int offset) -> const Token* {
    const auto k = static_cast<std::ptrdiff_t>(i) + offset;
    return k < 0 || k >= static_cast<std::ptrdiff_t>(tokens.size()) ? nullptr
                                                                    : &tokens[static_cast<size_t>(k)];
  };
  std::vector<Frame> frames(1);
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    Frame& frame = frames.back();
    switch (token.Type) {
      case Kind::Word:
        if (const std::optional<Clause> clause = ClauseOf(token, at(i, -1), at(i, 1))) {
          frame.Within = *clause;
          if (*clause == Clause::Select) frame.List = false;  // IN (SELECT ...)
        }
        break;
      case Kind::Symbol:
        if (token.Text == "(") {
          frames.push_back({frame.Within, IsWord(at(i, -1), "IN")});
        } else if (token.Text == ")" && frames.size() > 1) {
          frames.pop_back();
        }
        break;
      case Kind::Literal: {
        if (frame.Within != Clause::Where && frame.Within != Clause::On && frame.Within != Clause::Having)
          break;
        std::optional<LiteralUse> use = RightOperand(at(i, -2), at(i, -1), at(i, 1), frame);
        if (!use) use = LeftOperand(at(i, -1), at(i, 1), at(i, 2));
        literals.Literals[token.Key].Use = use;
        break;
      }
      case Kind::Name:
        break;
    }
  }
  return literals;
}

}  // namespace zr::db::firebird
