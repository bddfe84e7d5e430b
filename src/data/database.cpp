// TZRCustomDatabase: the connection component. Its own properties become the framework's parameter entries
// and mapping rules at every connect.

#include "data/database.h"

#include <exception>

#include "connection_params.h"
#include "data/sql_log.h"
#include "db/errors.h"
#include "host/host.h"
#include "map_rule_sets.h"
#include "common/ascii.h"
#include "common/driver_names.h"

namespace zr::data {

TZRCustomDatabase::TZRCustomDatabase(db::TComponent* AOwner) : db::TFDConnection(AOwner) {
  // Automatic start, no automatic stop: the application ends its transactions itself; whatever it did not
  // commit is rolled back when the connection closes.
  TxOptions().DisconnectAction = db::xdRollback;
  TxOptions().AutoStart = true;
  TxOptions().AutoStop = false;
  TxOptions().SetAutoCommit(false);
}

// Frees DadosGravaLog (held by a unique_ptr) also when the log is still on.
TZRCustomDatabase::~TZRCustomDatabase() = default;

void TZRCustomDatabase::SetConnected(bool Value) {
  if (!Value) {
    FGravaLog = false;  // the log's record stays; only the switch goes off
    db::TFDConnection::SetConnected(false);
    return;
  }

  FormatOptions().MapRules.Clear();
  FormatOptions().OwnMapRules = false;

  // The driver name lives among the entries: keep it across the clearing, so the list starts with it alone.
  const std::string driverName = DriverName();
  Params().Clear();
  SetDriverName(driverName);
  detail::AddConnectionEntries({driverName, FHostName, FDatabase, FUser, FPassword, FPort, FCharsetLegado},
                               Params());

  if (driverName == common::kDriverOracle) {
    detail::InstallOracleRules(FormatOptions());
  } else if (driverName == common::kDriverFirebird) {
    detail::InstallFirebirdRules(FormatOptions());
  }

  db::TFDConnection::SetConnected(true);
}

void TZRCustomDatabase::SetDatabaseName(const std::string& Value) {
  FDatabaseName = Value;
  if (common::TrimBlanks(Value).empty()) return;

  // Split at the first colon whatever follows it: "srv:C:\dados\erp.fdb" is host "srv". A SQLite name is a
  // file name, colon or not.
  const auto colon = Value.find(':');
  if (colon != std::string::npos && DriverName() != common::kDriverSQLite) {
    FHostName = Value.substr(0, colon);
    FDatabase = std::string(common::TrimBlanks(std::string_view(Value).substr(colon + 1)));
  } else {
    FDatabase = Value;
    FHostName.clear();
  }
}

void TZRCustomDatabase::GetDatabase(TZRDatabase* ADatabase) {
  if (ADatabase == nullptr) throw db::EDatabaseError("Conexão pai não existe.");
  if (Connected()) SetConnected(false);

  SetDriverName(ADatabase->DriverName());
  SetDatabaseName(ADatabase->DatabaseName());
  FDatabase = ADatabase->Database();
  FHostName = ADatabase->HostName();
  FPort = ADatabase->Port();
  FUser = ADatabase->User();
  FPassword = ADatabase->Password();
  // The same database read in the same code page.
  FCharsetLegado = ADatabase->CharsetLegado();

  try {
    SetConnected(true);
  } catch (const std::exception& e) {
    throw db::EDatabaseError(std::string("Erro ao abrir a base \r") + e.what());
  }
}

void TZRCustomDatabase::SetGravaLog(bool Value) {
  FGravaLog = Value;
  if (Value) {
    if (!FDadosGravaLog) {
      FDadosGravaLog = std::make_unique<TZRGravaLog>();
      FDadosGravaLog->NmMaquina = host::ComputerName();
      FDadosGravaLog->NrIP = host::LocalIP();
    } else if (!common::TrimBlanks(FDadosGravaLog->NmMaquina).empty()) {
      FDadosGravaLog->NmMaquina = host::ComputerName();
      FDadosGravaLog->NrIP = host::LocalIP();
    }
  } else {
    FDadosGravaLog.reset();
  }
}

}  // namespace zr::data
