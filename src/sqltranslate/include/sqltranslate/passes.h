#pragma once
// The translation passes of the Firebird-to-Oracle pipeline. The text passes are pure functions
// of the statement text (lines joined by CR LF); the two that need outside facts (the driver
// name, the data dictionary) reach the query through QueryAccess. Positions are 1-based where a
// pass's contract speaks of positions. No pass raises an error of its own, and every pass ends
// on every input: a call that is not well formed is left exactly as written.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sqltranslate/query_access.h"

namespace zr::sqlt {

// Comparisons with '' become NULL tests; in an UPDATE or DELETE only from WHERE onwards.
std::string TrataVazioOracle(std::string_view text);

// SUBSTRING(x FROM a FOR b)  ->  SUBSTR(x,a,b), every call.
std::string ConverteSubstring(std::string_view text);

// Position (1-based) of the ")" that closes the parenthesis taken to stand at the text's first
// character, counting every parenthesis from the second character on; 1 when none closes it.
std::size_t PosFechaParentese(std::string_view text);

// NAME(args) at 1-based `position`  ->  (TO_CHAR((args),'FORMAT')). Returns the whole text; it is
// returned unchanged when no "(" follows the name directly or the call is never closed.
std::string ConverteToChar(std::string_view text, std::string_view name, std::size_t position,
                           std::string_view format);

// ") AS alias"  ->  ")  alias", keeping the AS of CAST(... AS DECIMAL|INTEGER|VARCHAR|NUMERIC|DATE|TIME...).
std::string ConverteCast(std::string_view text);

// Under DISTINCT or GROUP BY: alias.*  ->  the table's non-BLOB/CLOB columns from the data
// dictionary; "@@@@@@@@"  ->  DISTINCT. Dictionary errors propagate.
std::string ExpandeColunas(std::string_view text, QueryAccess& query);

// Month-first date literals and the date and BLOB-marker functions, for the query's driver.
// Reads and writes the query's SQL text itself.
void ConverteDatas(QueryAccess& query);

// 'MM/DD/YYYY' -> month, day, year; false when a piece is not a number or the date is invalid.
bool DecodificaData(std::string_view text, std::uint16_t& month, std::uint16_t& day, std::uint16_t& year);

// 'MM/DD/YYYY HH:MM:SS' -> the six parts; false when a piece is not a number or the date or the
// time is invalid (24:00:00 is accepted).
bool DecodificaDataHora(std::string_view text, std::uint16_t& month, std::uint16_t& day, std::uint16_t& year,
                        std::uint16_t& hour, std::uint16_t& minute, std::uint16_t& second);

// Decimal text of `value` with "0" in front until it is `width` characters long.
std::string CompletaZeros(unsigned value, std::size_t width);

}  // namespace zr::sqlt
