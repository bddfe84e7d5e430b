#pragma once
// Text crosses the ODBC boundary as SQLWCHAR (UTF-16 with unixODBC and on Windows); the framework's text is
// UTF-8. Invalid UTF-8 bytes and lone surrogates become U+FFFD.

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <string_view>

namespace zr::db::odbc {

static_assert(sizeof(SQLWCHAR) == 2, "the driver expects 16-bit SQLWCHAR (unixODBC, Windows)");

using WideText = std::basic_string<SQLWCHAR>;

WideText ToWide(std::string_view utf8);
std::string FromWide(const SQLWCHAR* text, size_t length);
inline std::string FromWide(const WideText& text) { return FromWide(text.data(), text.size()); }

}  // namespace zr::db::odbc
