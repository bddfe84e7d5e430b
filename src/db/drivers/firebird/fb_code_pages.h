#pragma once
// The single-byte code pages a legacy database's text may be written in, as Firebird names and numbers
// them, and the conversions between them and UTF-8. Bytes below 0x80 are ASCII in every one of them.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zr::db::firebird {

struct CodePage {
  std::string_view Name;  // Firebird's name: "WIN1252"
  unsigned CharSet = 0;   // Firebird's character set number (RDB$CHARACTER_SET_ID)
  // The character of each byte from 0x80 on. A byte the code page leaves undefined stands for the code
  // point of the same number (0x81 is U+0081), as Windows reads it, so that every byte reads back as
  // written.
  const std::array<char16_t, 128>* High = nullptr;
};

// The code page of a Firebird name, letter case ignored; nullptr for a name not known here.
const CodePage* FindCodePage(std::string_view name);
// The code page of a Firebird character set number; nullptr for any other character set.
const CodePage* CodePageOf(unsigned charSet);
// The names known here, separated by ", ", for messages.
std::string CodePageNames();

// `bytes` read in `page`, as UTF-8. Never fails: every byte stands for a character.
std::string DecodeCodePage(const CodePage& page, std::string_view bytes);

// Where `utf8` could not be written in the code page: the byte offset and length of the character (or of
// the byte that is not UTF-8) and its code point (0 for a byte that is not UTF-8).
struct EncodeFailure {
  size_t At = 0;
  size_t Length = 0;
  char32_t CodePoint = 0;
};
// Writes `utf8` in `page` into `out` (replacing its contents); the first character the page cannot hold,
// or the first byte that is not UTF-8, stops it and is returned. Nothing is ever replaced.
std::optional<EncodeFailure> EncodeCodePage(const CodePage& page, std::string_view utf8, std::string& out);

}  // namespace zr::db::firebird
