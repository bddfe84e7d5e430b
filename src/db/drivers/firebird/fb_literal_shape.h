#pragma once
// The shape of a statement written with its values inline: the same text with its plain ASCII string
// literals replaced by "?" markers, and those literals' values in marker order. The actions write one such
// statement per order and part or per status row (a sheet query, a delete, an update), each a new text to
// compile; statements of one shape can share one prepared request and differ only in the values they bind.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "fb_predicate_literals.h"

namespace zr::db::firebird {

struct LiteralShape {
  std::string Text;                 // the statement with "?" in place of each literal taken out
  std::vector<std::string> Values;  // the literals' values (quotes undoubled), in marker order
  std::vector<size_t> Markers;      // where each of those "?" stands in Text
  std::vector<LiteralUse> Uses;     // how each marker's value is compared (SELECT; DML: Compared)
};

// Nothing when the statement is not a plain INSERT, UPDATE or DELETE, already holds "?" markers, or has no
// literal that can travel as a parameter. A literal stays in the text when it is not plain printable ASCII,
// or when something types it there: a prefix (X'..', q'..', _UTF8 '..') or a DATE, TIME or TIMESTAMP before
// it. Comments and quoted identifiers are kept as written.
std::optional<LiteralShape> ShapeOfLiteralDml(const std::string& sql);

// The same for a SELECT, whose literals are taken out only where a condition compares them as a whole
// operand (fb_predicate_literals.h): in WHERE, ON or HAVING, never in the select list, GROUP BY or ORDER BY,
// where a marker could change a result column or the grouping.
std::optional<LiteralShape> ShapeOfLiteralSelect(const std::string& sql);

}  // namespace zr::db::firebird
