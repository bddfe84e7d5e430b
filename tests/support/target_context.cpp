#include "support/target_context.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <thread>

#include "db/errors.h"
#include "db/query.h"
#include "fixtures/environment.h"

#if ZR_TEST_SUPPORT_FIREBIRD
#include "db/firebird/driver.h"
#endif
#if ZR_TEST_SUPPORT_ODBC
#include "db/odbc/driver.h"
#endif

namespace zr::testsupport {

namespace fs = std::filesystem;

std::unique_ptr<db::TFDConnection> TargetDatabase::Connect() const {
  auto connection = std::make_unique<db::TFDConnection>();
  connection->SetDriverName(driverName_);
  for (const std::string& entry : params_) {
    if (entry.rfind("DriverID=", 0) != 0) connection->Params().Add(entry);
  }
  connection->SetConnected(true);
  return connection;
}

std::unique_ptr<db::driver::Connection> TargetDatabase::Open() const {
  return db::driver::Connect(driverName_, params_);
}

std::unique_ptr<db::driver::Connection> TargetDatabase::OpenWithBatches() const {
  db::TStringList params = params_;
  for (const std::string& entry : batchEntries_) params.Add(entry);
  return db::driver::Connect(driverName_, params);
}

void TargetDatabase::Exec(const std::vector<std::string>& statements) const {
  auto connection = Connect();
  for (const std::string& sql : statements) {
    db::TFDQuery q;
    q.SetConnection(connection.get());
    q.SQL().Add(sql);
    q.ExecSQL();
  }
}

std::string TargetDatabase::Scalar(const std::string& sql) const {
  auto connection = Connect();
  db::TFDQuery q;
  q.SetConnection(connection.get());
  q.SQL().Add(sql);
  q.Open();
  return q.IsEmpty() ? std::string() : q.Fields(0).AsString();
}

namespace {

#if ZR_TEST_SUPPORT_FIREBIRD
// A new database file: in a folder of its own under the temporary folder (embedded), or where the server
// may create files. Dropped at the end.
class FirebirdDatabase final : public TargetDatabase {
 public:
  FirebirdDatabase(Target target, int pageSize, const std::vector<std::string>& entries)
      : TargetDatabase(target, "FB") {
    db::firebird::RegisterDriver();
    static std::atomic<int> counter{0};
    const std::string unique = "zr-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    params_.Add("DriverID=FB");
    std::string file;
    if (target == Target::FirebirdServer) {
      const fixtures::FbServerSettings server;
      file = server.Dir + "/" + unique + ".fdb";
      params_.Add("Server=" + server.Host);
      params_.Add("Port=" + server.Port);
      params_.Add("User_name=" + server.User);
      params_.Add("Password=" + server.Password);
      params_.Add("Protocol=TCPIP");
    } else {
      dir_ = (fs::temp_directory_path() / unique).string();
      fs::create_directories(dir_);
      file = dir_ + "/test.fdb";
      params_.Add("User_name=SYSDBA");
    }
    params_.Add("Database=" + file);
    params_.Add("PageSize=" + std::to_string(pageSize));
    batchEntries_.push_back("Batches=1");
    for (const std::string& entry : entries) params_.Add(entry);
    db::firebird::CreateDatabase(params_);
  }

  ~FirebirdDatabase() override {
    try {
      db::firebird::DropDatabase(params_);
    } catch (const db::EDatabaseError& e) {
      ADD_FAILURE() << "dropping the test database failed (an attachment left open?): " << e.what();
    }
    if (!dir_.empty()) {
      std::error_code ignored;
      fs::remove_all(dir_, ignored);
    }
  }

  std::string Table(const std::string& name) override { return name; }
  std::string TextLobType() const override { return "BLOB SUB_TYPE TEXT"; }
  std::string BinaryLobType() const override { return "BLOB SUB_TYPE BINARY"; }
  std::string DuplicateKeyPhrase() const override { return "violation of PRIMARY or UNIQUE KEY constraint"; }
  std::string SessionIdQuery() const override { return "SELECT CURRENT_CONNECTION FROM RDB$DATABASE"; }
  void EndSession(const std::string& id) const override {
    Exec({"DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = " + id});
    // The server may end it on its own schedule.
    for (int wait = 0; wait < 200; ++wait) {
      if (Scalar("SELECT COUNT(*) FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = " + id) == "0") return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << "the server did not end attachment " << id << " in 10 s";
  }

 private:
  std::string dir_;
};
#endif

#if ZR_TEST_SUPPORT_ODBC
// The stand-in's one database (the data source written by scripts/pg-standin.sh); the test's tables carry
// its name and are dropped before use and at the end.
class StandinDatabase final : public TargetDatabase {
 public:
  StandinDatabase() : TargetDatabase(Target::Standin, "Ora") {
    if (!db::driver::IsDriverRegistered("Ora")) db::odbc::RegisterDriver();
    params_.Add("Database=zrstandin");
  }

  ~StandinDatabase() override {
    if (tables_.empty()) return;
    try {
      auto connection = Connect();
      // A connection the test left in a transaction must not make the clean-up wait for ever.
      for (const std::string& sql : {std::string("SET lock_timeout = '10s'")}) Run(*connection, sql);
      for (const std::string& table : tables_) Run(*connection, "DROP TABLE IF EXISTS " + table);
    } catch (const db::EDatabaseError& e) {
      ADD_FAILURE() << "dropping the test's tables failed: " << e.what();
    }
  }

  std::string Table(const std::string& name) override {
    // The process id keeps runs of the same test in other programs or worktrees, which share the stand-in,
    // apart; a short name is never cut by the server's 63-character limit.
    std::string table = "zt_" + std::to_string(getpid()) + "_" + name;
    std::transform(table.begin(), table.end(), table.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (std::find(tables_.begin(), tables_.end(), table) == tables_.end()) {
      tables_.push_back(table);
      Exec({"DROP TABLE IF EXISTS " + table});  // left over from an interrupted run
    }
    return table;
  }
  std::string TextLobType() const override { return "text"; }
  std::string BinaryLobType() const override { return "bytea"; }
  std::string DuplicateKeyPhrase() const override { return "duplicate key value violates unique constraint"; }
  std::string SessionIdQuery() const override { return "SELECT pg_backend_pid()"; }
  void EndSession(const std::string& id) const override {
    Scalar("SELECT pg_terminate_backend(" + id + ")");
    for (int wait = 0; wait < 200; ++wait) {
      if (Scalar("SELECT COUNT(*) FROM pg_stat_activity WHERE pid = " + id) == "0") return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << "the server did not end backend " << id << " in 10 s";
  }

 private:
  static void Run(db::TFDConnection& connection, const std::string& sql) {
    db::TFDQuery q;
    q.SetConnection(&connection);
    q.SQL().Add(sql);
    q.ExecSQL();
  }

  std::vector<std::string> tables_;
};
#endif

}  // namespace

std::unique_ptr<TargetDatabase> CreateTargetDatabase() {
  const Target target = CurrentTarget();
  switch (target) {
    case Target::EmbeddedFirebird:
    case Target::FirebirdServer:
      return CreateFirebirdDatabase(target);
    case Target::Standin:
#if ZR_TEST_SUPPORT_ODBC
      return std::make_unique<StandinDatabase>();
#else
      break;
#endif
  }
  throw db::EDatabaseError(std::string("the driver for target ") + TargetName(target) + " was not built");
}

std::unique_ptr<TargetDatabase> CreateFirebirdDatabase(Target target, int pageSize,
                                                       const std::vector<std::string>& entries) {
#if ZR_TEST_SUPPORT_FIREBIRD
  if (target != Target::Standin) return std::make_unique<FirebirdDatabase>(target, pageSize, entries);
#else
  (void)pageSize;
  (void)entries;
#endif
  throw db::EDatabaseError(std::string("no Firebird database on target ") + TargetName(target));
}

void TargetTest::SetUp() {
  ZR_SKIP_UNLESS_TARGET_AVAILABLE();
  try {
    db_ = CreateTargetDatabase();
  } catch (const db::EDatabaseError& e) {
    FAIL() << "no database on target " << TargetName(CurrentTarget())
           << " (scripts/test.sh starts the Firebird server and the stand-in; outside ctest also run "
              "eval $(scripts/pg-standin.sh env)): "
           << e.what();
  }
}

void TargetTest::TearDown() { db_.reset(); }

}  // namespace zr::testsupport
