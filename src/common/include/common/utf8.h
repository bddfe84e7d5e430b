#pragma once
// UTF-8 text read and written byte by byte: what a character is, where it ends, and what takes the place of
// bytes that are not UTF-8. Valid UTF-8 here is the standard's: no overlong forms, no surrogates (U+D800 to
// U+DFFF), nothing above U+10FFFF.

#include <cstddef>
#include <string>
#include <string_view>

namespace zr::common {

// U+FFFD, the character that stands for text that could not be read.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// One character of UTF-8 text: its code point and its length in bytes; Length 0 when the bytes are not UTF-8.
struct Utf8Char {
  char32_t CodePoint = 0;
  std::size_t Length = 0;
};

constexpr bool IsUtf8Continuation(unsigned char byte) noexcept { return (byte & 0xC0) == 0x80; }

// The length of a character that starts with `lead`: 1 for ASCII, 2 for C2..DF, 3 for E0..EF, 4 for F0..F4;
// 0 for a byte no character starts with (a continuation byte, C0, C1, F5..FF).
constexpr std::size_t Utf8LeadLength(unsigned char lead) noexcept {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The length `lead` announces by its high bits alone (110xxxxx two, 1110xxxx three, 11110xxx four), 1 for any
// other byte. C0, C1 and F5..F7 announce sequences that are never UTF-8; Utf8At refuses them.
constexpr std::size_t Utf8AnnouncedLength(unsigned char lead) noexcept {
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

// How many continuation bytes follow one another from byte `from` of `text`, counting at most `most`.
constexpr std::size_t Utf8Continuations(std::string_view text, std::size_t from, std::size_t most) noexcept {
  std::size_t count = 0;
  while (count < most && from + count < text.size() &&
         IsUtf8Continuation(static_cast<unsigned char>(text[from + count]))) {
    ++count;
  }
  return count;
}

// The character at byte `at` of `text` (`at` < size); Length 0 when the bytes there are not UTF-8: a byte no
// character starts with, a sequence cut short by the end or by a byte that does not continue it, an overlong
// form, a surrogate, a code point beyond U+10FFFF.
constexpr Utf8Char Utf8At(std::string_view text, std::size_t at) noexcept {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = Utf8LeadLength(lead);
  if (length == 1) return {lead, 1};
  if (length == 0 || Utf8Continuations(text, at + 1, length - 1) != length - 1) return {};
  constexpr unsigned char kLeadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
  constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  char32_t c = lead & kLeadBits[length];
  for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3Fu);
  if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {};
  return {c, length};
}

// The code point at byte `at` of `text`, `at` moved past it. Bytes that are not UTF-8 give U+FFFD: the whole
// sequence when its lead's announced length is there in continuation bytes (an overlong form, a surrogate,
// a code point beyond U+10FFFF: one character, wrongly written), else the one byte.
constexpr char32_t NextCodePointOrReplacement(std::string_view text, std::size_t& at) noexcept {
  const Utf8Char c = Utf8At(text, at);
  if (c.Length > 0) {
    at += c.Length;
    return c.CodePoint;
  }
  const std::size_t announced = Utf8AnnouncedLength(static_cast<unsigned char>(text[at]));
  at += Utf8Continuations(text, at + 1, announced - 1) == announced - 1 ? announced : 1;
  return kReplacementCharacter;
}

// Appends code point `c` (at most U+10FFFF, not a surrogate) to `out` in UTF-8.
inline void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace zr::common
