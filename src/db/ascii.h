#pragma once
// ASCII helpers of the framework: names (components, fields, parameters, list entries) are compared without
// regard to ASCII letter case, and values are trimmed of blanks.

#include <string>
#include <string_view>

namespace zr::db::detail {

bool SameTextAscii(std::string_view a, std::string_view b) noexcept;
std::string UpperAscii(std::string_view text);
// Removes leading and trailing blanks and control characters.
std::string_view TrimBlanks(std::string_view text) noexcept;

}  // namespace zr::db::detail
