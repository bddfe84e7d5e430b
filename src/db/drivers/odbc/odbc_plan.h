#pragma once
// How the server behind an ODBC data source will run a statement, and a table's indexes (db/plan.h):
//   PostgreSQL (the stand-in, pg_plan.cpp): EXPLAIN (COSTS OFF), and pg_index with pg_get_indexdef;
//   Oracle (oracle_plan.cpp): EXPLAIN PLAN into PLAN_TABLE, and ALL_INDEXES, ALL_IND_COLUMNS with
//     ALL_IND_EXPRESSIONS for function-based indexes. (Not yet run against a real Oracle server.)
// The readers of the servers' answers are separate from the queries that fetch them, so that they can be
// checked on answers written down.

#include <string>
#include <vector>

#include "db/plan.h"

namespace zr::db::driver {
class Connection;
}

namespace zr::db::odbc {

// EXPLAIN's lines, one plan node or detail per line:
//   Seq Scan on pcpftof01 pcpftof
//     ->  Bitmap Heap Scan on mat_mov01 mat_mov
//           ->  Bitmap Index Scan on ix_mat_mov01_doc6
//   ->  Index Scan using pk_pcpft201 on pcpft201 pcpft2
// A bitmap index scan belongs to the bitmap heap scan above it.
plan::StatementPlan PostgresPlan(const std::vector<std::string>& lines);
plan::StatementPlan ExplainPostgres(driver::Connection& connection, const std::string& sql);
std::vector<plan::IndexInfo> PostgresIndexes(driver::Connection& connection, const std::string& table);

// One row of PLAN_TABLE, in ID order.
struct OraclePlanRow {
  std::string Operation;    // "TABLE ACCESS", "INDEX", "SORT"...
  std::string Options;      // "FULL", "RANGE SCAN", "BY INDEX ROWID"...
  std::string ObjectName;   // the table or the index
  std::string ObjectAlias;  // the table's alias with its query block: "MAT_MOV@SEL$2"
  std::string ObjectType;   // "TABLE", "INDEX", "INDEX (UNIQUE)"...
};
// An index row reads its table (its alias) through OBJECT_NAME; TABLE ACCESS reads the table.
plan::StatementPlan OraclePlan(const std::vector<OraclePlanRow>& rows);
plan::StatementPlan ExplainOracle(driver::Connection& connection, const std::string& sql);

// One key position of an index, from ALL_INDEXES joined with ALL_IND_COLUMNS and ALL_IND_EXPRESSIONS, in
// index and position order.
struct OracleIndexRow {
  std::string Index;
  std::string Status;         // ALL_INDEXES.STATUS: VALID, UNUSABLE, N/A (partitioned)
  std::string FuncIdxStatus;  // ENABLED, DISABLED, or empty for an index on columns only
  std::string Column;         // ALL_IND_COLUMNS.COLUMN_NAME (a hidden SYS_NC...$ for an expression)
  std::string Expression;     // ALL_IND_EXPRESSIONS.COLUMN_EXPRESSION, or empty
};
std::vector<plan::IndexInfo> OracleIndexes(const std::vector<OracleIndexRow>& rows);
std::vector<plan::IndexInfo> OracleIndexes(driver::Connection& connection, const std::string& table);

}  // namespace zr::db::odbc
