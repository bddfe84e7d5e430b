#pragma once
// The shape of an INSERT, UPDATE or DELETE written with its values inline: the same text with its plain
// ASCII string literals replaced by "?" markers, and those literals' values in marker order. The actions
// write one such statement per order and part or per status row, each a new text to compile; statements
// of one shape can share one prepared request and differ only in the values they bind.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zr::db::firebird {

struct LiteralShape {
  std::string Text;                 // the statement with "?" in place of each literal taken out
  std::vector<std::string> Values;  // the literals' values (quotes undoubled), in marker order
  std::vector<size_t> Markers;      // where each of those "?" stands in Text
};

// Nothing when the statement is not a plain INSERT, UPDATE or DELETE, already holds "?" markers, or has no
// literal that can travel as a parameter. A literal stays in the text when it is not plain printable ASCII,
// or when something types it there: a prefix (X'..', q'..', _UTF8 '..') or a DATE, TIME or TIMESTAMP before
// it. Comments and quoted identifiers are kept as written.
std::optional<LiteralShape> ShapeOfLiteralDml(const std::string& sql);

}  // namespace zr::db::firebird
