#pragma once
// What the stand-in tests share: a framework connection to the Oracle stand-in through the "Ora" driver,
// statements run on it, and the skip when the stand-in is switched off (ZR_STANDIN=0).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/driver.h"
#include "db/query.h"

namespace zr::db::odbc::test {

// The data source written by scripts/pg-standin.sh.
inline constexpr const char* kStandinDsn = "zrstandin";

bool StandinDisabled();

// A connection to the stand-in through the "Ora" driver, not yet connected, with `database` as its
// "Database" entry.
std::unique_ptr<TFDConnection> NewConnection(const std::string& database = kStandinDsn);

// The driver's own connection to the stand-in, without the framework around it.
std::unique_ptr<driver::Connection> ConnectDriver();

// Installs the type-mapping rules of an Oracle connection (BCD to currency and to integer, date-time to
// date) on `connection`.
void InstallOracleRules(TFDConnection& connection);

// Runs each statement with ExecSQL on a fresh query of `connection`.
void Exec(TFDConnection& connection, const std::vector<std::string>& statements);

// Opens `sql` on `query` (its text replaced) and fetches every row.
void OpenAll(TFDQuery& query, const std::string& sql);

// The first column of the first row of `sql`, as text.
std::string Scalar(TFDConnection& connection, const std::string& sql);

// How many times the driver has called SQLExecute in this process (the test program wraps the function).
int SqlExecuteCalls();
// The driver's SQLExecute and SQLNumResultCols calls since the last call, in order ("SQLExecute ...").
std::string TakeOdbcCalls();

// Each test works on tables of its own, named after the test, dropped before and after it.
class StandinTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A table name unique to the running test and process (lower case, as the stand-in stores unquoted names).
  std::string Table(const std::string& suffix = "") const;
  // Creates the table Table(suffix) with the given column definitions.
  void CreateTable(const std::string& columns, const std::string& suffix = "");

  std::unique_ptr<TFDConnection> db_;

 private:
  std::vector<std::string> created_;
};

}  // namespace zr::db::odbc::test
