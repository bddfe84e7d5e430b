#pragma once
// Trimming as the components understand it: blanks and control characters (every byte up to the blank)
// are removed from both ends. Bytes of multi-byte UTF-8 characters are never touched.

#include <string>
#include <string_view>

namespace zr::data::detail {

inline bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

inline std::string Trim(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace zr::data::detail
