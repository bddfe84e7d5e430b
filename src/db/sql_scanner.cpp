#include "db/sql_scanner.h"

#include "common/ascii.h"

namespace zr::db::sql {

namespace {

bool IsOperatorChar(char c) noexcept {
  return c == '=' || c == '<' || c == '>' || c == '!' || c == '^' || c == '~';
}

// A character that may follow ":" in a parameter's name: a word character or any byte of a UTF-8 letter.
bool IsNameChar(char c) noexcept { return IsWordChar(c) || static_cast<unsigned char>(c) >= 0x80; }

bool IsTagChar(char c) noexcept { return IsWordChar(c) && c != '$'; }

}  // namespace

size_t Scanner::Through(std::string_view close, size_t from) const noexcept {
  const size_t end = sql_.find(close, from);
  return end == std::string_view::npos ? std::string_view::npos : end + close.size();
}

bool Scanner::Next(Token& token) noexcept {
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

bool Scanner::NextCode(Token& token) noexcept {
  while (Next(token)) {
    if (token.Kind != TokenKind::Blank && token.Kind != TokenKind::Comment) return true;
  }
  return false;
}

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
