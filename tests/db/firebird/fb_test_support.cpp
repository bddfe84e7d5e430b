#include "fb_test_support.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "db/errors.h"
#include "db/firebird/driver.h"

namespace zr::db::firebird::testing {

namespace {

std::string Env(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

std::string UniqueName() {
  static std::atomic<int> counter{0};
  return "zr-fb-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

}  // namespace

Target CurrentTarget() { return ZR_FB_TEST_ON_SERVER ? Target::Server : Target::Embedded; }

bool OnServer() { return CurrentTarget() == Target::Server; }

bool ServerTestsEnabled() { return Env("ZR_FB_SERVER", "1") != "0"; }

TStringList ServerEntries() {
  TStringList entries;
  entries.Add("Server=" + Env("ZR_FB_HOST", "127.0.0.1"));
  entries.Add("Port=" + Env("ZR_FB_PORT", "3050"));
  entries.Add("User_name=" + Env("ZR_FB_USER", "SYSDBA"));
  entries.Add("Password=" + Env("ZR_FB_PASSWORD", "masterkey"));
  return entries;
}

TestDatabase::TestDatabase(int pageSize) {
  RegisterDriver();
  params_.Add("DriverID=FB");
  std::string file;
  if (OnServer()) {
    // The server creates the file itself, as its own user, in a directory it may write.
    file = Env("ZR_FB_SERVER_DIR", "/tmp/zr-fbserver") + "/" + UniqueName() + ".fdb";
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
  ZR_FB_SKIP_WITHOUT_SERVER();
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
