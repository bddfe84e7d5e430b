#include "fb_text.h"

#include <cstdio>
#include <optional>

#include "common/utf8.h"
#include "db/errors.h"
#include "db/sql_scanner.h"
#include "fb_charsets.h"

namespace zr::db::firebird {

namespace {

thread_local const ConnectionText* currentMessages = nullptr;

// `text` with each byte that is not part of a UTF-8 character written as "\xNN", so that a message naming it
// stays UTF-8 itself.
std::string Shown(std::string_view text) {
  std::string out;
  for (size_t at = 0; at < text.size();) {
    const size_t length = common::Utf8At(text, at).Length;
    if (length > 0) {
      out.append(text, at, length);
      at += length;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[at]));
      out += escaped;
      ++at;
    }
  }
  return out;
}

// What failed to convert: the character and its code point, or the byte that is not UTF-8; `inStatement`
// when the text is a statement's, outside any of its literals.
EDatabaseError NotInCodePage(const CodePage& page, bool inStatement, std::string_view whole,
                             const EncodeFailure& failure) {
  TDatabaseErrorFacts facts;
  facts.InStatement = inStatement;
  facts.Text = Shown(whole);
  facts.CodePage = std::string(page.Name);
  char number[16];
  std::string message =
      std::string(inStatement ? "The statement" : "The value") + " \"" + facts.Text + "\" has ";
  if (failure.CodePoint == 0) {
    facts.CodePoint = static_cast<unsigned char>(whole[failure.At]);
    std::snprintf(number, sizeof number, "0x%02X", static_cast<unsigned>(facts.CodePoint));
    message += std::string("the byte ") + number + ", which is not UTF-8 text";
  } else {
    facts.Character = std::string(whole.substr(failure.At, failure.Length));
    facts.CodePoint = failure.CodePoint;
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(failure.CodePoint));
    message += "the character \"" + facts.Character + "\" (" + number + "), which the code page " +
               facts.CodePage + " of the database's text lacks";
  }
  return EDatabaseError(message, TDatabaseErrorKind::TextNotConvertible, std::move(facts));
}

// The value of the quoted literal of `sql` that holds the byte at `at` (quotes undoubled); nothing when that
// byte stands outside a literal.
std::optional<std::string> LiteralAt(std::string_view sql, size_t at) {
  sql::Scanner scanner(sql);
  sql::Token token;
  while (scanner.Next(token)) {
    if (token.End() <= at) continue;
    if (token.Kind != sql::TokenKind::Literal) return std::nullopt;
    return sql::LiteralValue(token.Text);
  }
  return std::nullopt;
}

}  // namespace

unsigned ConnectionText::CharSet() const noexcept { return page_ != nullptr ? page_->CharSet : kCharSetUtf8; }

const std::string& ConnectionText::Value(const std::string& utf8, std::string& scratch) const {
  if (page_ == nullptr) return utf8;
  if (const std::optional<EncodeFailure> failure = EncodeCodePage(*page_, utf8, scratch)) {
    throw NotInCodePage(*page_, false, utf8, *failure);
  }
  return scratch;
}

const std::string& ConnectionText::Statement(const std::string& sql, std::string& scratch) const {
  if (page_ == nullptr) return sql;
  const std::optional<EncodeFailure> failure = EncodeCodePage(*page_, sql, scratch);
  if (!failure) return scratch;
  if (const std::optional<std::string> literal = LiteralAt(sql, failure->At)) {
    EncodeFailure inLiteral = *failure;
    // The same character, found again in the literal's own text.
    std::string ignored;
    if (const std::optional<EncodeFailure> own = EncodeCodePage(*page_, *literal, ignored)) inLiteral = *own;
    throw NotInCodePage(*page_, false, *literal, inLiteral);
  }
  throw NotInCodePage(*page_, true, sql, *failure);
}

std::string ConnectionText::FromServer(std::string_view bytes) const {
  return page_ == nullptr ? std::string(bytes) : DecodeCodePage(*page_, bytes);
}

MessagesIn::MessagesIn(const ConnectionText& text) noexcept : previous_(currentMessages) {
  currentMessages = &text;
}

MessagesIn::~MessagesIn() { currentMessages = previous_; }

std::string MessageFromServer(std::string_view bytes) {
  return currentMessages != nullptr ? currentMessages->FromServer(bytes) : std::string(bytes);
}

}  // namespace zr::db::firebird
