#pragma once
// Where a SELECT's string literals stand: which of them are a whole operand of a condition in WHERE, ON or
// HAVING, so that a parameter in their place is compared exactly as the literal would be, and which of
// those are compared by a pattern (LIKE, STARTING WITH, CONTAINING).

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace zr::db::firebird {

enum class LiteralUse { Compared, Pattern };

// The literals of `sql` (by the position of their opening quote) that are a whole operand of a comparison
// (=, <>, !=, <, >, <=, >= and their ^ ~ ! forms), of LIKE, STARTING [WITH] or CONTAINING, or an element of
// an IN list, within a WHERE, ON or HAVING clause at any depth. Literals anywhere else (the select list,
// GROUP BY, ORDER BY, a function's argument, part of an expression such as 'a' || X, BETWEEN, ESCAPE) are
// not listed. Comments and quoted names are skipped. In the order of the statement.
std::vector<std::pair<size_t, LiteralUse>> PredicateLiterals(const std::string& sql);

}  // namespace zr::db::firebird
