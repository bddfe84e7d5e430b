#pragma once
// Array execution on Firebird 3 (no batch interface): one EXECUTE BLOCK holds one copy of the statement
// per element, the elements' values being the block's input parameters.
//
//   INSERT INTO T (A, B) VALUES (?, ?)   x2  ->
//   EXECUTE BLOCK (p0_0 INTEGER = ?, p0_1 VARCHAR(10) CHARACTER SET UTF8 = ?, p1_0 ..., p1_1 ...)
//   RETURNS (ROWS_AFFECTED BIGINT) AS BEGIN ROWS_AFFECTED = 0;
//   INSERT INTO T (A, B) VALUES (:p0_0, :p0_1); ROWS_AFFECTED = ROWS_AFFECTED + ROW_COUNT; ... SUSPEND; END
//
// Counting the rows makes the block a selectable one, which costs the server noticeably more per request;
// an INSERT without SELECT stores exactly one row per element, so its blocks leave the count out
// ("EXECUTE BLOCK (...) AS BEGIN INSERT ...; INSERT ...; END").

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fb_api.h"

namespace zr::db::firebird {

// The engine allows 256 contexts per request; one statement per element keeps a block within them.
inline constexpr int kMaxElementsPerBlock = 255;

// The statement with its "?" markers (outside literals, quoted names and comments) replaced by
// ":p<element>_<n>", n counting from 0; comments and a trailing ";" are dropped.
std::string NameMarkers(std::string_view sql, int element);

// The declaration of an input of `metadata` as PSQL writes it ("VARCHAR(20) CHARACTER SET UTF8",
// "NUMERIC(18, 4)"...); nothing when the type cannot be declared (an untyped NULL marker, arrays).
std::optional<std::string> DeclaredType(Firebird::IMessageMetadata* metadata, unsigned index);
// The declarations of every input of `metadata`, in order; nothing when one of them cannot be declared.
std::optional<std::vector<std::string>> DeclaredTypes(Firebird::IMessageMetadata* metadata);

// True when the word SELECT occurs in `sql` outside literals, quoted names and comments.
bool HasSelect(std::string_view sql);

// The block for `elements` copies of `sql`, whose single-element input metadata is `input`, returning the
// rows affected in one row when `countRows`; nothing when an input cannot be declared.
std::optional<std::string> BuildExecuteBlock(std::string_view sql, Firebird::IMessageMetadata* input,
                                             int elements, bool countRows);

}  // namespace zr::db::firebird
