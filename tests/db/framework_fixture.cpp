#include "framework_fixture.h"

#include <stdlib.h>

#include <filesystem>

#include "db/firebird/driver.h"

namespace zr::db::testing {

std::string FirebirdFramework::directory_;
std::string FirebirdFramework::database_;

namespace {
const char* const kTables[] = {
    "CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), CODE CHAR(10), "
    "AMOUNT NUMERIC(15,2), RATE DOUBLE PRECISION, QTY BIGINT, DAY_DATE DATE, STAMP TIMESTAMP, "
    "NOTE BLOB SUB_TYPE TEXT)",
    "CREATE TABLE LOG_ROWS (N INTEGER, TXT VARCHAR(20))",
};
}  // namespace

void FirebirdFramework::SetUpTestSuite() {
  firebird::RegisterDriver();
  std::string pattern = (std::filesystem::temp_directory_path() / "zr_db_framework_XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  directory_ = pattern;
  database_ = directory_ + "/framework.fdb";
  TStringList params;
  params.Add("Database=" + database_);
  params.Add("User_name=SYSDBA");
  params.Add("PageSize=4096");
  firebird::CreateDatabase(params);
  for (const char* ddl : kTables) Run(ddl);
}

void FirebirdFramework::TearDownTestSuite() {
  std::error_code ignored;
  std::filesystem::remove_all(directory_, ignored);
}

void FirebirdFramework::Configure(TFDConnection& connection) {
  connection.Params().Clear();
  connection.SetDriverName("FB");
  connection.Params().Add("Database=" + database_);
  connection.Params().Add("User_name=SYSDBA");
}

void FirebirdFramework::SetUp() {
  Run("DELETE FROM ITEMS");
  Run("DELETE FROM LOG_ROWS");
  connection_ = std::make_unique<TFDConnection>();
  Configure(*connection_);
  connection_->SetConnected(true);
}

void FirebirdFramework::Run(const std::string& sql) {
  TFDConnection connection;
  Configure(connection);
  TFDQuery query;
  query.SetConnection(&connection);
  query.SQL().Add(sql);
  query.ExecSQL();
}

int FirebirdFramework::CommittedRows(const std::string& table) {
  TFDConnection connection;
  Configure(connection);
  TFDQuery query;
  query.SetConnection(&connection);
  query.SQL().Add("SELECT COUNT(*) AS N FROM " + table);
  query.Open();
  return query.FieldByName("N").AsInteger();
}

std::unique_ptr<TFDQuery> FirebirdFramework::Query(const std::string& sql) {
  auto query = std::make_unique<TFDQuery>();
  query->SetConnection(connection_.get());
  query->SQL().SetText(sql);
  return query;
}

}  // namespace zr::db::testing
