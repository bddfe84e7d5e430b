#pragma once
// How the server will run a statement, and the indexes a table has: what a driver reads from the server's
// plan and catalog, so that a caller can tell whether a lookup that runs once per row finds its rows through
// an index before it runs the statement thousands of times.

#include <string>
#include <string_view>
#include <vector>

namespace zr::db::plan {

// One table as the plan reaches it: the name the plan gives it (the statement's alias, else the table's own
// name), in upper case, and the indexes the server reads it through (none: the table is read whole).
struct TableAccess {
  std::string Name;
  std::vector<std::string> Indexes;
};

// A statement's plan. Known is false when the driver cannot ask its server; then nothing else is filled.
struct StatementPlan {
  bool Known = false;
  std::string Text;                   // the server's own words, for people to read
  std::vector<TableAccess> Accesses;  // in the plan's order; a table read twice appears twice

  // Every index through which the plan reads the table it calls `name` (letter case aside).
  std::vector<std::string> IndexesOf(std::string_view name) const;
  // Adds `index` to the access of `name` (a new access when it has none yet; no index: the table read whole).
  void Reads(const std::string& name, const std::string& index = {});
};

// An index as the catalog describes it. Names and column names in upper case as statements write them
// unquoted.
struct IndexInfo {
  std::string Name;
  // The key, one item per key position: a column name, or an expression as the catalog keeps its text.
  std::vector<std::string> Key;
  // False when the server keeps the index but does not use it: Firebird's INACTIVE, Oracle's UNUSABLE or
  // DISABLED, PostgreSQL's invalid index (a CREATE INDEX CONCURRENTLY that failed).
  bool Active = true;
};

// One key position of an index as a catalog query returns it, one row per position in key order.
struct IndexKeyRow {
  std::string Index;
  bool Active = true;
  std::string Item;  // the column name, or the expression's text
};

// The indexes of rows ordered by index and key position, each index once, in the order they come.
std::vector<IndexInfo> GroupIndexKeys(const std::vector<IndexKeyRow>& rows);

// A key item (a column or an expression) in one spelling whatever server wrote it, to compare two of them:
// upper case outside string literals, no double quotes around names, no PostgreSQL casts ("::text"), no
// parentheses around a lone name or around the whole, one blank between words and none beside punctuation.
// "(SUBSTRING(num_docto FROM 1 FOR 6))", "substr((num_docto)::text, 1, 6)" and 'SUBSTR("NUM_DOCTO",1,6)'
// become "SUBSTRING(NUM_DOCTO FROM 1 FOR 6)", "SUBSTR(NUM_DOCTO,1,6)" and "SUBSTR(NUM_DOCTO,1,6)".
std::string KeyText(std::string_view item);

}  // namespace zr::db::plan
