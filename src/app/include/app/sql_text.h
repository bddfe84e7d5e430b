#pragma once
// Values spliced into statements as text.

#include <string>
#include <string_view>

#include "common/ascii.h"
#include "db/datetime.h"

namespace zr::app {

// `Value` in single quotes, every inner single quote doubled.
using common::QuotedStr;

// The quoted date literal of `Date`, month first: 31 January 2018 gives '01/31/2018'.
std::string DateLiteral(db::TDateTime Date);

// `Value` without leading and trailing blanks and control characters.
inline std::string Trim(std::string_view Value) { return std::string(common::TrimBlanks(Value)); }

}  // namespace zr::app
