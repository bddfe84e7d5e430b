#pragma once
// Character set and BLOB sub-type numbers of the Firebird catalogue that the driver relies on.

namespace zr::db::firebird {

inline constexpr unsigned kCharSetNone = 0;
inline constexpr unsigned kCharSetOctets = 1;
inline constexpr unsigned kCharSetAscii = 2;
inline constexpr unsigned kCharSetUnicodeFss = 3;
inline constexpr unsigned kCharSetUtf8 = 4;
inline constexpr int kBlobSubTypeText = 1;

// Bytes one character of a character set takes at most.
constexpr unsigned BytesPerCharacter(unsigned charSet) {
  return charSet == kCharSetUtf8 ? 4 : charSet == kCharSetUnicodeFss ? 3 : 1;
}

}  // namespace zr::db::firebird
