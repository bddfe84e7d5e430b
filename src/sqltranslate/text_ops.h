#pragma once
// Text operations shared by the passes: ASCII upper-casing, case-insensitive search and
// replacement, trimming. Positions are 0-based here; the passes speak 1-based where their
// contract does.

#include <cstddef>
#include <string>
#include <string_view>

#include "common/ascii.h"

namespace zr::sqlt::text {

inline constexpr std::size_t npos = std::string_view::npos;

constexpr char Upper(char c) { return common::UpperChar(c); }

// Blanks and control characters, as trimming removes them.
constexpr bool IsTrim(char c) { return common::IsBlankOrControl(c); }

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

using common::UpperAscii;

bool EqualsCI(std::string_view a, std::string_view b);

// First occurrence of `needle` in `hay` at or after `from`, letters compared without regard to
// ASCII case; npos when none (an empty needle is found at `from`).
std::size_t FindCI(std::string_view hay, std::string_view needle, std::size_t from = 0);

inline bool ContainsCI(std::string_view hay, std::string_view needle) { return FindCI(hay, needle) != npos; }

// Replaces every occurrence of `from` (case ignored), left to right, by `to`; inserted text is
// not searched again. An occurrence directly followed by `unlessFollowedBy` (case ignored) is
// left as it is. Returns false, leaving `s` untouched, when nothing was replaced.
bool ReplaceAllCI(std::string& s, std::string_view from, std::string_view to,
                  std::string_view unlessFollowedBy = {});

// The same with letters compared exactly.
bool ReplaceAll(std::string& s, std::string_view from, std::string_view to);

constexpr std::string_view TrimLeft(std::string_view s) { return common::TrimLeftBlanks(s); }
constexpr std::string_view Trim(std::string_view s) { return common::TrimBlanks(s); }

// A quoted literal: `value` in single quotes, every inner single quote doubled.
using common::QuotedStr;

}  // namespace zr::sqlt::text
