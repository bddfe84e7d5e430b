#include "fb_test_support.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "db/errors.h"
#include "db/firebird/driver.h"
#include "fixtures/environment.h"

namespace zr::db::firebird::testing {

namespace {

std::string UniqueName() {
  static std::atomic<int> counter{0};
  return "zr-fb-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

}  // namespace

TStringList ServerEntries() {
  const fixtures::FbServerSettings server;
  TStringList entries;
  entries.Add("Server=" + server.Host);
  entries.Add("Port=" + server.Port);
  entries.Add("User_name=" + server.User);
  entries.Add("Password=" + server.Password);
  return entries;
}

TestDatabase::TestDatabase(int pageSize) {
  RegisterDriver();
  params_.Add("DriverID=FB");
  std::string file;
  if (OnServer()) {
    // The server creates the file itself, as its own user, in a directory it may write.
    file = fixtures::FbServerSettings().Dir + "/" + UniqueName() + ".fdb";
    for (const std::string& entry : ServerEntries()) {
      params_.Add(entry);
    }
    params_.Add("Protocol=TCPIP");
  } else {
    dir_ = (std::filesystem::temp_directory_path() / UniqueName()).string();
    std::filesystem::create_directories(dir_);
    file = dir_ + "/test.fdb";
    params_.Add("User_name=SYSDBA");
  }
  params_.Add("Database=" + file);
  params_.Add("PageSize=" + std::to_string(pageSize));
  CreateDatabase(params_);
}

TestDatabase::~TestDatabase() {
  try {
    DropDatabase(params_);
  } catch (const EDatabaseError& e) {
    ADD_FAILURE() << "dropping the test database failed (an attachment left open?): " << e.what();
  }
  if (!dir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
}

std::unique_ptr<TFDConnection> TestDatabase::Connect() const {
  auto connection = std::make_unique<TFDConnection>();
  for (const std::string& entry : params_) {
    connection->Params().Add(entry);
  }
  connection->SetConnected(true);
  return connection;
}

std::unique_ptr<driver::Connection> TestDatabase::Open() const { return driver::Connect("FB", params_); }

void FbDatabaseTest::SetUp() {
  ZR_SKIP_UNLESS_TARGET_AVAILABLE();
  db_ = std::make_unique<TestDatabase>();
  connection_ = db_->Open();
  for (const std::string& statement : schema_) {
    Exec(*connection_, statement);
  }
}

void FbDatabaseTest::TearDown() {
  connection_.reset();
  db_.reset();
}

ParamSet& ParamSet::Add(TFieldType type, std::vector<TFDValue> values) {
  values_.push_back(std::move(values));
  columns_.push_back(driver::ParamColumn{type, &values_.back()});
  return *this;
}

void Exec(driver::Connection& connection, const std::string& sql, const ParamSet& params, int times, int offset) {
  std::unique_ptr<driver::Statement> statement = connection.CreateStatement();
  statement->Prepare(sql);
  statement->Execute(params.Columns(), times, offset);
}

Rows Query(driver::Connection& connection, const std::string& sql, const ParamSet& params) {
  std::unique_ptr<driver::Statement> statement = connection.CreateStatement();
  statement->Prepare(sql);
  statement->Execute(params.Columns(), 1, 0);
  Rows rows;
  std::vector<TFDValue> row;
  while (statement->Fetch(row)) {
    rows.push_back(row);
  }
  statement->CloseCursor();
  return rows;
}

TFDValue Scalar(driver::Connection& connection, const std::string& sql) {
  Rows rows = Query(connection, sql);
  if (rows.empty() || rows.front().empty()) {
    throw EDatabaseError("no value from: " + sql);
  }
  return rows.front().front();
}

}  // namespace zr::db::firebird::testing
