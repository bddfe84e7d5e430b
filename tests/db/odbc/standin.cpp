#include "standin.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <utility>

#include <sql.h>

#include "db/driver.h"
#include "db/errors.h"
#include "db/odbc/driver.h"
#include "support/targets.h"

namespace {
int sqlExecuteCalls = 0;
std::string odbcCalls;
}  // namespace

// The test program is linked with --wrap for these functions: the driver's calls come here and go on to
// unixODBC.
extern "C" SQLRETURN __real_SQLExecute(SQLHSTMT statement);
extern "C" SQLRETURN __wrap_SQLExecute(SQLHSTMT statement) {
  ++sqlExecuteCalls;
  odbcCalls += "SQLExecute ";
  return __real_SQLExecute(statement);
}
extern "C" SQLRETURN __real_SQLNumResultCols(SQLHSTMT statement, SQLSMALLINT* count);
extern "C" SQLRETURN __wrap_SQLNumResultCols(SQLHSTMT statement, SQLSMALLINT* count) {
  odbcCalls += "SQLNumResultCols ";
  return __real_SQLNumResultCols(statement, count);
}

// Under the leak sanitizer: psqlODBC itself leaks a few strings on failed statements and per connection;
// those are not this project's to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:psqlodbcw.so\n"; }

namespace zr::db::odbc::test {

int SqlExecuteCalls() { return sqlExecuteCalls; }

std::string TakeOdbcCalls() { return std::exchange(odbcCalls, std::string()); }

bool StandinDisabled() { return !testsupport::UnavailableReason(testsupport::Target::Standin).empty(); }

std::unique_ptr<TFDConnection> NewConnection(const std::string& database) {
  if (!driver::IsDriverRegistered("Ora")) RegisterDriver();
  auto connection = std::make_unique<TFDConnection>();
  connection->SetDriverName("Ora");
  connection->Params().Add("Database=" + database);
  return connection;
}

std::unique_ptr<driver::Connection> ConnectDriver() {
  if (!driver::IsDriverRegistered("Ora")) RegisterDriver();
  TStringList params;
  params.Add(std::string("Database=") + kStandinDsn);
  return driver::Connect("Ora", params);
}

void InstallOracleRules(TFDConnection& connection) {
  auto& rules = connection.FormatOptions().MapRules;
  rules.Clear();
  connection.FormatOptions().OwnMapRules = true;
  auto add = [&](TFDDataType from, TFDDataType to) -> TFDMapRule& {
    TFDMapRule& r = rules.Add();
    r.SourceDataType = from;
    r.TargetDataType = to;
    return r;
  };
  TFDMapRule& bcdCurrency = add(dtBCD, dtCurrency);
  bcdCurrency.PrecMin = 0, bcdCurrency.PrecMax = 18, bcdCurrency.ScaleMin = 2, bcdCurrency.ScaleMax = 4;
  bcdCurrency.SizeMin = 2, bcdCurrency.SizeMax = 8;
  TFDMapRule& fmtCurrency = add(dtFmtBCD, dtCurrency);
  fmtCurrency.PrecMin = 0, fmtCurrency.PrecMax = 38, fmtCurrency.ScaleMin = 0, fmtCurrency.ScaleMax = 38;
  fmtCurrency.SizeMin = 2, fmtCurrency.SizeMax = 8;
  TFDMapRule& bcdInteger = add(dtBCD, dtInt32);
  bcdInteger.PrecMin = 0, bcdInteger.PrecMax = 9, bcdInteger.ScaleMin = 0, bcdInteger.ScaleMax = 0;
  bcdInteger.SizeMin = 0, bcdInteger.SizeMax = 0;
  add(dtDateTime, dtDate);
  add(dtDateTimeStamp, dtTime);
}

void Exec(TFDConnection& connection, const std::vector<std::string>& statements) {
  for (const auto& sql : statements) {
    TFDQuery q;
    q.SetConnection(&connection);
    q.SQL().Add(sql);
    q.ExecSQL();
  }
}

void OpenAll(TFDQuery& query, const std::string& sql) {
  query.Close();
  query.SQL().Clear();
  query.SQL().Add(sql);
  query.Open();
  query.FetchAll();
}

std::string Scalar(TFDConnection& connection, const std::string& sql) {
  TFDQuery q;
  q.SetConnection(&connection);
  OpenAll(q, sql);
  return q.IsEmpty() ? std::string() : q.Fields(0).AsString();
}

void StandinTest::SetUp() {
  if (StandinDisabled()) GTEST_SKIP() << testsupport::UnavailableReason(testsupport::Target::Standin);
  db_ = NewConnection();
  try {
    db_->Open();
  } catch (const EDatabaseError& e) {
    FAIL() << "cannot reach the Oracle stand-in (start it with scripts/pg-standin.sh start; outside ctest "
              "also run eval $(scripts/pg-standin.sh env); or set ZR_STANDIN=0 to skip these tests): "
           << e.what();
  }
}

void StandinTest::TearDown() {
  if (db_ == nullptr || created_.empty()) return;
  db_->Close();
  auto cleanup = NewConnection();
  cleanup->Open();
  // A connection the test left in a transaction must not make the clean-up wait for ever.
  Exec(*cleanup, {"SET lock_timeout = '10s'"});
  for (const auto& table : created_) Exec(*cleanup, {"DROP TABLE IF EXISTS " + table});
}

std::string StandinTest::Table(const std::string& suffix) const {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  // Every program and worktree shares the stand-in's database: the process id keeps two runs of one test
  // apart, and the test's name is cut so that the whole name stays within the server's 63 characters.
  std::string name =
      "zt_" + std::to_string(getpid()) + "_" + std::string(info->name()).substr(0, 40) + suffix;
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return std::isalnum(c) ? static_cast<char>(std::tolower(c)) : '_'; });
  return name;
}

void StandinTest::CreateTable(const std::string& columns, const std::string& suffix) {
  const std::string table = Table(suffix);
  Exec(*db_, {"DROP TABLE IF EXISTS " + table, "CREATE TABLE " + table + " (" + columns + ")"});
  created_.push_back(table);
}

}  // namespace zr::db::odbc::test
