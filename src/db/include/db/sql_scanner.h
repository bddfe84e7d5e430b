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

#include "common/ascii.h"

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

// Inline below: the drivers scan every statement they run.

namespace scanner_detail {

inline bool IsOperatorChar(char c) noexcept {
  return c == '=' || c == '<' || c == '>' || c == '!' || c == '^' || c == '~';
}

// A character that may follow ":" in a parameter's name: a word character or any byte of a UTF-8 letter.
inline bool IsNameChar(char c) noexcept { return IsWordChar(c) || static_cast<unsigned char>(c) >= 0x80; }

inline bool IsTagChar(char c) noexcept { return IsWordChar(c) && c != '$'; }

}  // namespace scanner_detail

inline size_t Scanner::Through(std::string_view close, size_t from) const noexcept {
  const size_t end = sql_.find(close, from);
  return end == std::string_view::npos ? std::string_view::npos : end + close.size();
}

inline bool Scanner::Next(Token& token) noexcept {
  using namespace scanner_detail;
  const size_t n = sql_.size();
  const size_t i = at_;
  if (i >= n) return false;
  const char c = sql_[i];
  const char next = i + 1 < n ? sql_[i + 1] : '\0';
  size_t end = i + 1;
  TokenKind kind = TokenKind::Symbol;
  bool closed = true;
  const auto closeWith = [&](size_t through) {
    closed = through != std::string_view::npos;
    end = closed ? through : n;
  };
  if (IsBlank(c)) {
    kind = TokenKind::Blank;
    while (end < n && IsBlank(sql_[end])) ++end;
  } else if (c == '\'' || c == '"') {
    kind = c == '\'' ? TokenKind::Literal : TokenKind::QuotedName;
    // A doubled quote keeps the literal open.
    size_t from = i + 1;
    while (true) {
      const size_t quote = sql_.find(c, from);
      if (quote == std::string_view::npos) {
        closeWith(std::string_view::npos);
        break;
      }
      if (quote + 1 < n && sql_[quote + 1] == c) {
        from = quote + 2;
        continue;
      }
      closeWith(quote + 1);
      break;
    }
  } else if (c == '-' && next == '-') {
    kind = TokenKind::Comment;
    const size_t lineEnd = sql_.find('\n', i + 2);
    end = lineEnd == std::string_view::npos ? n : lineEnd;
  } else if (c == '/' && next == '*') {
    kind = TokenKind::Comment;
    closeWith(Through("*/", i + 2));
  } else if (c == '$') {
    size_t tagEnd = i + 1;
    while (tagEnd < n && IsTagChar(sql_[tagEnd])) ++tagEnd;
    if (tagEnd < n && sql_[tagEnd] == '$') {
      kind = TokenKind::DollarQuoted;
      closeWith(Through(sql_.substr(i, tagEnd + 1 - i), tagEnd + 1));
    } else {
      kind = TokenKind::Word;
      while (end < n && IsWordChar(sql_[end])) ++end;
    }
  } else if (IsWordChar(c)) {
    kind = TokenKind::Word;
    while (end < n && IsWordChar(sql_[end])) ++end;
  } else if (c == ':' && next == ':') {
    end = i + 2;
  } else if (c == ':' && IsNameChar(next)) {
    kind = TokenKind::Parameter;
    while (end < n && IsNameChar(sql_[end])) ++end;
  } else if (c == '?') {
    kind = TokenKind::Marker;
  } else if (IsOperatorChar(c)) {
    while (end < n && IsOperatorChar(sql_[end])) ++end;
  } else if (c == '|') {
    while (end < n && sql_[end] == '|') ++end;
  }
  token.Kind = kind;
  token.Text = sql_.substr(i, end - i);
  token.At = i;
  token.Closed = closed;
  at_ = end;
  return true;
}

inline bool Scanner::NextCode(Token& token) noexcept {
  while (Next(token)) {
    if (token.Kind != TokenKind::Blank && token.Kind != TokenKind::Comment) return true;
  }
  return false;
}

// True when `token` is the word `word` (a keyword such as "SELECT"), ASCII letter case ignored.
inline bool IsKeyword(const Token& token, std::string_view word) noexcept {
  return token.Kind == TokenKind::Word && common::SameTextAscii(token.Text, word);
}

// The value of a literal token: its quotes taken off and each doubled quote read as one.
std::string LiteralValue(std::string_view literal);

// The first word of a statement in ASCII upper case, blanks, comments and opening parentheses skipped; empty
// when the statement begins with anything else.
std::string FirstWord(std::string_view sql);

}  // namespace zr::db::sql
