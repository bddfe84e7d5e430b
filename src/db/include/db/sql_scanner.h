#pragma once
// Statement text cut into tokens, for every part of the framework and its drivers that must tell code from
// string literals, quoted names and comments: parameter parsing, write-behind's look at a statement, the
// drivers' batches and literal shapes. Tokens are views of the text: nothing is copied.
//
//   'it''s'        a literal; a doubled quote stays inside it
//   "Pedidos"      a quoted name; a doubled double quote stays inside it
//   $$ ... $$      a dollar-quoted string (PostgreSQL bodies), also $tag$ ... $tag$
//   -- ...         a comment up to the line break (the break itself is a blank)
//   /* ... */      a comment
//   :NOME          a named parameter ("::" is a cast, not a parameter)
//   ?              a parameter marker
//   NUMERO, 10     a word: letters, digits, '_' and '$'
//   <>, >=, ||     an operator: a run of = < > ! ^ ~, a run of |, or ::
//
// A literal, quoted name or comment left open runs to the end of the text, with Closed false.

#include <cstddef>
#include <string>
#include <string_view>

namespace zr::db::sql {

enum class TokenKind {
  Blank,         // blanks, tabs, line breaks, form feeds
  Word,          // a keyword, a name or a number's digits
  Literal,       // '...'
  DollarQuoted,  // $$...$$ or $tag$...$tag$
  QuotedName,    // "..."
  Comment,       // -- ... or /* ... */
  Parameter,     // :NAME
  Marker,        // ?
  Symbol,        // anything else: one character, or an operator run
};

struct Token {
  TokenKind Kind = TokenKind::Blank;
  std::string_view Text;  // the token as written, quotes and comment marks included
  size_t At = 0;          // where it starts in the text
  bool Closed = true;     // false for a literal, quoted name or comment that runs off the end

  size_t End() const noexcept { return At + Text.size(); }
};

constexpr bool IsWordChar(char c) noexcept {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
}

constexpr bool IsBlank(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

class Scanner {
 public:
  explicit Scanner(std::string_view sql) noexcept : sql_(sql) {}

  // The next token; false at the end of the text.
  bool Next(Token& token) noexcept;
  // The next token that is neither a blank nor a comment; false when none is left.
  bool NextCode(Token& token) noexcept;

 private:
  size_t Through(std::string_view close, size_t from) const noexcept;

  std::string_view sql_;
  size_t at_ = 0;
};

// The value of a literal token: its quotes taken off and each doubled quote read as one.
std::string LiteralValue(std::string_view literal);

// The first word of a statement in ASCII upper case, blanks, comments and opening parentheses skipped; empty
// when the statement begins with anything else.
std::string FirstWord(std::string_view sql);

}  // namespace zr::db::sql
