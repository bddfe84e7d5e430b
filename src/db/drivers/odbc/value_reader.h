#pragma once
// Reads the current row's values of a result set, one column at a time, in the column's framework form.

#include <sql.h>
#include <sqlext.h>

#include <optional>
#include <string_view>

#include "column_types.h"
#include "db/value.h"

namespace zr::db::odbc {

// The value of column `number` (1-based) of the current row; a null is std::monostate. Character data of
// fixed-length columns loses its trailing blanks. Raises EDatabaseError on a driver failure.
TFDValue ReadColumnValue(SQLHSTMT stmt, SQLUSMALLINT number, const ResultColumn& column);

// A decimal text ("-12.3400", "12,34") as a scaled decimal; digits beyond what 64 bits hold are rounded off
// the fraction. Empty when the text is no plain decimal or its integer part does not fit.
std::optional<TFDBcd> ParseDecimal(std::string_view text);

}  // namespace zr::db::odbc
