#pragma once
// The system's connection and transaction components.

#include <cstdint>
#include <memory>
#include <string>

#include "db/connection.h"
#include "db/transaction.h"

namespace zr::data {

class TZRGravaLog;
class TZRDatabase;

class TZRCustomDatabase : public db::TFDConnection {
 public:
  explicit TZRCustomDatabase(db::TComponent* AOwner = nullptr);
  ~TZRCustomDatabase() override;

  // True rebuilds the parameter entries and the mapping rules from the properties, then connects;
  // False switches the log off (the GravaLog field only), then disconnects.
  void SetConnected(bool Value) override;

  const std::string& DatabaseName() const noexcept { return FDatabaseName; }
  // Stores the combined name "host:database" and splits it into HostName and Database.
  void SetDatabaseName(const std::string& Value);
  const std::string& HostName() const noexcept { return FHostName; }
  void SetHostName(std::string Value) { FHostName = std::move(Value); }
  const std::string& Database() const noexcept { return FDatabase; }
  void SetDatabase(std::string Value) { FDatabase = std::move(Value); }
  const std::string& User() const noexcept { return FUser; }
  void SetUser(std::string Value) { FUser = std::move(Value); }
  const std::string& Password() const noexcept { return FPassword; }
  void SetPassword(std::string Value) { FPassword = std::move(Value); }
  const std::string& NmUsuario() const noexcept { return FNmUsuario; }
  void SetNmUsuario(std::string Value) { FNmUsuario = std::move(Value); }
  const std::string& NmMaquina() const noexcept { return FNmMaquina; }
  const std::string& NrIP() const noexcept { return FNrIP; }
  int32_t Port() const noexcept { return FPort; }
  void SetPort(int32_t Value) noexcept { FPort = Value; }
  // Firebird only: the code page ("WIN1252", "WIN1250", "ISO8859_1"...) in which a legacy database, one whose
  // default character set is NONE, holds its text; empty leaves the driver's default, WIN1252. Passed as the
  // entry "CharsetLegado" when set.
  const std::string& CharsetLegado() const noexcept { return FCharsetLegado; }
  void SetCharsetLegado(std::string Value) { FCharsetLegado = std::move(Value); }

  // The log switch as a property: reading and writing touch the field only.
  bool GravaLog() const noexcept { return FGravaLog; }
  void SetGravaLogProperty(bool Value) noexcept { FGravaLog = Value; }
  // The log switch as an operation: also creates, refreshes or frees DadosGravaLog.
  void SetGravaLog(bool Value);
  TZRGravaLog* DadosGravaLog() const noexcept { return FDadosGravaLog.get(); }

  // Copies the parent's connection settings onto this connection and connects it.
  void GetDatabase(TZRDatabase* ADatabase);

 private:
  std::string FDatabaseName;
  std::string FHostName;
  std::string FDatabase;
  std::string FUser;
  std::string FPassword;
  std::string FNmUsuario;
  std::string FNmMaquina;
  std::string FNrIP;
  bool FGravaLog = false;
  int32_t FPort = 0;
  std::unique_ptr<TZRGravaLog> FDadosGravaLog;
  std::string FCharsetLegado;
};

class TZRDatabase : public TZRCustomDatabase {
 public:
  using TZRCustomDatabase::TZRCustomDatabase;
};

class TZRCustomTransaction : public db::TFDTransaction {
 public:
  explicit TZRCustomTransaction(db::TComponent* AOwner = nullptr);
};

class TZRTransaction : public TZRCustomTransaction {
 public:
  using TZRCustomTransaction::TZRCustomTransaction;
};

}  // namespace zr::data
