#include "support/scratch_database.h"

#include "db/connection.h"
#include "db/query.h"

namespace zr::data::testing {

namespace {

db::TStringList EntriesOf(const std::string& path) {
  db::TStringList params;
  params.Add("DriverID=FB");
  params.Add("Database=" + path);
  params.Add("User_name=SYSDBA");
  return params;
}
}  // namespace

ScratchDatabase::ScratchDatabase()
    : db_(testsupport::CreateFirebirdDatabase(testsupport::Target::EmbeddedFirebird)),
      path_(db_->Params().Values("Database")) {}

ScratchDatabase::~ScratchDatabase() = default;

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
