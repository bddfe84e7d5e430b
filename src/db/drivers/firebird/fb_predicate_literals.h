#pragma once
// Where a SELECT's string literals stand: which of them are a whole operand of a condition in WHERE, ON or
// HAVING, so that a parameter in their place is compared exactly as the literal would be, and which of
// those are compared by a pattern (LIKE, STARTING WITH, CONTAINING).

#include <optional>
#include <string>
#include <vector>

#include "db/sql_scanner.h"

namespace zr::db::firebird {

enum class LiteralUse { Compared, Pattern };

// A string literal of a statement and, when it is a whole operand of a condition, how it is compared.
struct StatementLiteral {
  sql::Token Literal;
  std::optional<LiteralUse> Use;
};

struct StatementLiterals {
  bool Markers = false;                    // the statement holds "?" markers of its own
  std::vector<StatementLiteral> Literals;  // every string literal, in the order of the statement
};

// Every literal of `sql`, each with a use when it is a whole operand of a comparison (=, <>, !=, <, >, <=, >=
// and their ^ ~ ! forms), of LIKE, STARTING [WITH] or CONTAINING, or an element of an IN list, within a
// WHERE, ON or HAVING clause at any depth. Literals anywhere else (the select list, GROUP BY, ORDER BY, a
// function's argument, part of an expression such as 'a' || X, BETWEEN, ESCAPE) have none. Comments and
// quoted names are skipped.
StatementLiterals PredicateLiterals(const std::string& sql);

}  // namespace zr::db::firebird
