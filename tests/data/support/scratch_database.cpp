#include "support/scratch_database.h"

#include <unistd.h>

#include <atomic>

#include "db/connection.h"
#include "db/firebird/driver.h"
#include "db/query.h"

namespace zr::data::testing {

namespace {
std::atomic<int> counter{0};

db::TStringList EntriesOf(const std::string& path) {
  db::TStringList params;
  params.Add("DriverID=FB");
  params.Add("Database=" + path);
  params.Add("User_name=SYSDBA");
  return params;
}
}  // namespace

ScratchDatabase::ScratchDatabase() {
  db::firebird::RegisterDriver();
  folder_ = std::filesystem::temp_directory_path() /
            ("zr_data_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  path_ = (folder_ / "teste.fdb").string();
  db::firebird::CreateDatabase(EntriesOf(path_));
}

ScratchDatabase::~ScratchDatabase() {
  try {
    db::firebird::DropDatabase(EntriesOf(path_));
  } catch (...) {
    // still in use by a connection the test leaked: the folder goes anyway
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void ScratchDatabase::Configure(TZRDatabase& db, const std::string& driverName) const {
  db.SetDriverName(driverName);
  db.SetDatabase(path_);
  db.SetUser("SYSDBA");
}

void ScratchDatabase::Run(std::initializer_list<const char*> statements) const {
  db::TFDConnection connection;
  for (const std::string& entry : EntriesOf(path_)) connection.Params().Add(entry);
  connection.SetConnected(true);
  db::TFDQuery query;
  query.SetConnection(&connection);
  for (const char* statement : statements) {
    query.SQL().SetText(statement);
    query.ExecSQL();
  }
  connection.SetConnected(false);
}

}  // namespace zr::data::testing
