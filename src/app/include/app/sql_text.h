#pragma once
// Values spliced into statements as text.

#include <string>
#include <string_view>

#include "db/datetime.h"

namespace zr::app {

// `Value` in single quotes, every inner single quote doubled.
std::string QuotedStr(std::string_view Value);

// The quoted date literal of `Date`, month first: 31 January 2018 gives '01/31/2018'.
std::string DateLiteral(db::TDateTime Date);

// `Value` without leading and trailing blanks and control characters.
std::string Trim(std::string_view Value);

}  // namespace zr::app
