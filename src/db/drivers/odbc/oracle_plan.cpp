#include "common/ascii.h"
#include "db/catalog.h"
#include "db/driver.h"
#include "odbc_plan.h"

namespace zr::db::odbc {

namespace {

// The statement's own rows in PLAN_TABLE, apart from what other programs explain in the same session.
constexpr const char* kStatementId = "'ZEMBRA_INDICES'";

// "MAT_MOV@SEL$2" and "\"MAT_MOV\"@\"SEL$2\"" name the alias MAT_MOV.
std::string AliasOf(const std::string& objectAlias) {
  std::string alias = objectAlias.substr(0, objectAlias.find('@'));
  std::string out;
  for (char ch : alias) {
    if (ch != '"') out += ch;
  }
  return out;
}

std::string Fold(std::string_view name) { return common::UpperAscii(name); }

std::string Column(const std::vector<TFDValue>& row, size_t at) {
  return IsNullValue(row.at(at)) ? std::string() : ValueAsString(row.at(at));
}

}  // namespace

plan::StatementPlan OraclePlan(const std::vector<OraclePlanRow>& rows) {
  plan::StatementPlan result;
  result.Known = true;
  for (const OraclePlanRow& row : rows) {
    if (!result.Text.empty()) result.Text += '\n';
    result.Text += row.Operation + (row.Options.empty() ? "" : " " + row.Options) +
                   (row.ObjectName.empty() ? "" : " " + row.ObjectName);
    const std::string alias = AliasOf(row.ObjectAlias.empty() ? row.ObjectName : row.ObjectAlias);
    if (row.ObjectType.rfind("INDEX", 0) == 0 && !alias.empty()) {
      result.Reads(alias, row.ObjectName);
    } else if (row.Operation == "TABLE ACCESS" && !alias.empty()) {
      result.Reads(alias);
    }
  }
  return result;
}

plan::StatementPlan ExplainOracle(driver::Connection& connection, const std::string& sql) {
  const auto run = [&connection](const std::string& statement) {
    std::unique_ptr<driver::Statement> s = connection.CreateStatement();
    s->Prepare(statement);
    s->Execute({}, 1, 0);
  };
  const std::string mine = std::string(" WHERE STATEMENT_ID = ") + kStatementId;
  run("DELETE FROM PLAN_TABLE" + mine);
  run(std::string("EXPLAIN PLAN SET STATEMENT_ID = ") + kStatementId + " FOR " + sql);
  const auto rows = catalog::QueryRows(
      connection, "SELECT OPERATION, OPTIONS, OBJECT_NAME, OBJECT_ALIAS, OBJECT_TYPE FROM PLAN_TABLE" + mine +
                      " ORDER BY ID");
  run("DELETE FROM PLAN_TABLE" + mine);
  std::vector<OraclePlanRow> planRows;
  for (const auto& row : rows) {
    planRows.push_back({Column(row, 0), Column(row, 1), Column(row, 2), Column(row, 3), Column(row, 4)});
  }
  return OraclePlan(planRows);
}

std::vector<plan::IndexInfo> OracleIndexes(const std::vector<OracleIndexRow>& rows) {
  std::vector<plan::IndexKeyRow> keys;
  for (const OracleIndexRow& row : rows) {
    const bool usable = row.Status != "UNUSABLE" && row.FuncIdxStatus != "DISABLED";
    keys.push_back({row.Index, usable, row.Expression.empty() ? row.Column : row.Expression});
  }
  return plan::GroupIndexKeys(keys);
}

std::vector<plan::IndexInfo> OracleIndexes(driver::Connection& connection, const std::string& table) {
  const auto rows = catalog::QueryRows(
      connection,
      "SELECT I.INDEX_NAME, I.STATUS, I.FUNCIDX_STATUS, C.COLUMN_NAME, E.COLUMN_EXPRESSION "
      "FROM ALL_INDEXES I JOIN ALL_IND_COLUMNS C ON C.INDEX_OWNER = I.OWNER AND C.INDEX_NAME = I.INDEX_NAME "
      "LEFT JOIN ALL_IND_EXPRESSIONS E ON E.INDEX_OWNER = C.INDEX_OWNER AND E.INDEX_NAME = C.INDEX_NAME "
      "AND E.COLUMN_POSITION = C.COLUMN_POSITION "
      "WHERE I.TABLE_OWNER = USER AND I.TABLE_NAME = " +
          common::QuotedStr(catalog::Spelling(table, Fold)) + " ORDER BY I.INDEX_NAME, C.COLUMN_POSITION");
  std::vector<OracleIndexRow> indexRows;
  for (const auto& row : rows) {
    indexRows.push_back({Column(row, 0), Column(row, 1), Column(row, 2), Column(row, 3), Column(row, 4)});
  }
  return OracleIndexes(indexRows);
}

}  // namespace zr::db::odbc
