#include "common/ascii.h"
#include "db/catalog.h"
#include "db/driver.h"
#include "odbc_plan.h"

namespace zr::db::odbc {

namespace {

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// The name a scan gives its table: the alias after the table's name, else the name. `words` start at it.
std::string ScannedName(const std::vector<std::string>& words, size_t table) {
  if (table >= words.size()) return {};
  return table + 1 < words.size() ? words[table + 1] : words[table];
}

}  // namespace

plan::StatementPlan PostgresPlan(const std::vector<std::string>& lines) {
  plan::StatementPlan result;
  result.Known = true;
  std::string bitmapTable;  // the bitmap heap scan whose index scans follow
  for (const std::string& line : lines) {
    if (!result.Text.empty()) result.Text += '\n';
    result.Text += line;
    std::string_view node = common::TrimBlanks(line);
    if (StartsWith(node, "->")) node = common::TrimBlanks(node.substr(2));
    const std::vector<std::string> words = common::Words(node);
    if (StartsWith(node, "Seq Scan on ")) {
      result.Reads(ScannedName(words, 3));
    } else if (StartsWith(node, "Bitmap Heap Scan on ")) {
      bitmapTable = ScannedName(words, 4);
      result.Reads(bitmapTable);
    } else if (StartsWith(node, "Bitmap Index Scan on ") && words.size() > 4 && !bitmapTable.empty()) {
      result.Reads(bitmapTable, words[4]);
    } else if (StartsWith(node, "Index Scan ") || StartsWith(node, "Index Only Scan ")) {
      // "Index [Only] Scan [Backward] using INDEX on TABLE [ALIAS]"
      for (size_t i = 0; i + 3 < words.size(); ++i) {
        if (words[i] == "using" && words[i + 2] == "on") {
          result.Reads(ScannedName(words, i + 3), words[i + 1]);
          break;
        }
      }
    }
  }
  return result;
}

plan::StatementPlan ExplainPostgres(driver::Connection& connection, const std::string& sql) {
  std::vector<std::string> lines;
  for (const auto& row : catalog::QueryRows(connection, "EXPLAIN (COSTS OFF) " + sql)) {
    lines.push_back(ValueAsString(row.at(0)));
  }
  return PostgresPlan(lines);
}

std::vector<plan::IndexInfo> PostgresIndexes(driver::Connection& connection, const std::string& table) {
  // The table as the session finds it by its search path, as the statements find it (to_regclass reads the
  // name as a statement does: unquoted, folded to lower case); one row per key position, its text as
  // PostgreSQL writes it back (a column's name, or the expression).
  const auto rows = catalog::QueryRows(
      connection,
      "SELECT c.relname, i.indisvalid AND i.indisready, pg_catalog.pg_get_indexdef(i.indexrelid, k.n, true) "
      "FROM pg_catalog.pg_index i JOIN pg_catalog.pg_class c ON c.oid = i.indexrelid "
      "CROSS JOIN LATERAL pg_catalog.generate_series(1, i.indnkeyatts) AS k(n) "
      "WHERE i.indrelid = pg_catalog.to_regclass(" +
          common::QuotedStr(table) + ") ORDER BY c.relname, k.n");
  std::vector<plan::IndexKeyRow> keys;
  for (const auto& row : rows) {
    const std::string active = common::UpperAscii(ValueAsString(row.at(1)));
    keys.push_back({ValueAsString(row.at(0)), active == "1" || active == "TRUE" || active == "T",
                    common::UpperAscii(ValueAsString(row.at(2)))});
  }
  return plan::GroupIndexKeys(keys);
}

}  // namespace zr::db::odbc
