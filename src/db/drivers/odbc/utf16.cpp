#include "utf16.h"

#include "common/utf8.h"

namespace zr::db::odbc {

WideText ToWide(std::string_view utf8) {
  WideText out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const char32_t cp = common::NextCodePointOrReplacement(utf8, i);
    if (cp >= 0x10000) {
      const char32_t v = cp - 0x10000;
      out += static_cast<SQLWCHAR>(0xD800 + (v >> 10));
      out += static_cast<SQLWCHAR>(0xDC00 + (v & 0x3FF));
    } else {
      out += static_cast<SQLWCHAR>(cp);
    }
  }
  return out;
}

std::string FromWide(const SQLWCHAR* text, size_t length) {
  std::string out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = common::kReplacementCharacter;
    }
    common::AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace zr::db::odbc
