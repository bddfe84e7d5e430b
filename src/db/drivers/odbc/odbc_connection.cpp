#include "odbc_connection.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>

#include "connection_string.h"
#include "db/errors.h"
#include "odbc_batch.h"
#include "odbc_catalog.h"
#include "odbc_error.h"
#include "odbc_plan.h"
#include "odbc_statement.h"
#include "utf16.h"

namespace zr::db::odbc {
namespace {

// Values of SQLSetConnectAttr/SQLSetEnvAttr travel in a pointer-sized argument.
SQLPOINTER AttrValue(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

std::string DbmsName(SQLHDBC dbc) {
  SQLWCHAR name[256] = {};
  SQLSMALLINT length = 0;
  if (!Succeeded(SQLGetInfoW(dbc, SQL_DBMS_NAME, name, sizeof name, &length))) return {};
  return FromWide(name, std::min<size_t>(static_cast<size_t>(length) / sizeof(SQLWCHAR), 255));
}

// Seconds of the entry "ConnectTimeout", kConnectTimeoutSeconds when it is absent.
unsigned ConnectTimeout(const TStringList& params) {
  std::string text = params.Values("ConnectTimeout");
  text.erase(0, text.find_first_not_of(' '));
  text.erase(text.find_last_not_of(' ') + 1);
  if (text.empty()) return kConnectTimeoutSeconds;
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    TDatabaseErrorFacts facts;
    facts.Setting = "ConnectTimeout";
    facts.Value = text;
    throw EDatabaseError("Invalid value \"" + text + "\" for the connection parameter ConnectTimeout",
                         TDatabaseErrorKind::InvalidSetting, std::move(facts));
  }
  return value;
}

// The value of `key` in a connection string (letter case ignored), empty when it has none.
std::string ConnectionStringValue(const std::string& connectionString, std::string_view key) {
  size_t start = 0;
  while (start < connectionString.size()) {
    const size_t end = std::min(connectionString.find(';', start), connectionString.size());
    const std::string_view entry = std::string_view(connectionString).substr(start, end - start);
    const size_t equals = entry.find('=');
    if (equals == key.size() && std::equal(key.begin(), key.end(), entry.begin(), [](char a, char b) {
          return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
        })) {
      return std::string(entry.substr(equals + 1));
    }
    start = end + 1;
  }
  return {};
}

// Where the connection goes, as the facts of a connect time-out name it: the server, else the data source;
// never a password.
TDatabaseErrorFacts Destination(const TStringList& params, const std::string& connectionString) {
  TDatabaseErrorFacts facts;
  if (!params.Values("Server").empty()) {
    const std::string port = params.Values("Port");
    facts.Server = params.Values("Server") + (port.empty() || port == "0" ? "" : ":" + port);
    return facts;
  }
  for (std::string_view key : {"Servername", "Server", "Host", "DBQ"}) {
    const std::string value = ConnectionStringValue(connectionString, key);
    if (!value.empty()) {
      const std::string port = ConnectionStringValue(connectionString, "Port");
      facts.Server = value + (port.empty() ? "" : ":" + port);
      return facts;
    }
  }
  facts.DataSource = ConnectionStringValue(connectionString, "DSN");
  return facts;
}

}  // namespace

Session::Session() {
  Check(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_), SQL_HANDLE_ENV, env_, "SQLAllocHandle");
  Check(SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, AttrValue(SQL_OV_ODBC3), 0), SQL_HANDLE_ENV, env_,
        "SQLSetEnvAttr");
  Check(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_), SQL_HANDLE_ENV, env_, "SQLAllocHandle");
}

Session::~Session() {
  if (connected_) SQLDisconnect(dbc_);
  if (dbc_ != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
  if (env_ != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

void Session::Connect(const std::string& connectionString, unsigned loginTimeoutSeconds,
                      TDatabaseErrorFacts destination) {
  if (loginTimeoutSeconds > 0) {
    Check(SQLSetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT, AttrValue(loginTimeoutSeconds), SQL_IS_UINTEGER),
          SQL_HANDLE_DBC, dbc_, "SQLSetConnectAttr(SQL_ATTR_LOGIN_TIMEOUT)");
  }
  WideText text = ToWide(connectionString);
  SQLSMALLINT outLength = 0;
  const auto start = std::chrono::steady_clock::now();
  const SQLRETURN ret = SQLDriverConnectW(dbc_, nullptr, text.data(), static_cast<SQLSMALLINT>(text.size()),
                                          nullptr, 0, &outLength, SQL_DRIVER_NOPROMPT);
  if (!Succeeded(ret)) {
    const bool waitedItAll = loginTimeoutSeconds > 0 &&
                             std::chrono::steady_clock::now() - start >=
                                 std::chrono::seconds(loginTimeoutSeconds) - std::chrono::milliseconds(500);
    throw ConnectFailure(ReadDiagnostics(SQL_HANDLE_DBC, dbc_), std::move(destination), loginTimeoutSeconds,
                         waitedItAll);
  }
  connected_ = true;
}

OdbcConnection::OdbcConnection(const TStringList& params) : session_(std::make_shared<Session>()) {
  const std::string connectionString = BuildConnectionString(params);
  session_->Connect(connectionString, ConnectTimeout(params), Destination(params, connectionString));
  SetAutoCommit(true);
  dbmsName_ = DbmsName(session_->Dbc());
  if (dbmsName_.find("Oracle") != std::string::npos) PrepareOracleSession();
}

OdbcConnection::~OdbcConnection() {
  if (inTransaction_) SQLEndTran(SQL_HANDLE_DBC, session_->Dbc(), SQL_ROLLBACK);
}

void OdbcConnection::PrepareOracleSession() {
  OdbcStatement statement(session_);
  statement.Prepare("ALTER SESSION SET NLS_DATE_FORMAT = 'DD/MM/YYYY HH24:MI:SS'");
  statement.Execute({}, 1, 0);
}

std::unique_ptr<driver::Statement> OdbcConnection::CreateStatement() {
  return std::make_unique<OdbcStatement>(session_);
}

std::unique_ptr<driver::Batch> OdbcConnection::CreateBatch() {
  if (!inTransaction_) return nullptr;
  if (dbmsName_.find("Oracle") != std::string::npos)
    return std::make_unique<OdbcBatch>(session_, BatchDialect::Oracle);
  if (dbmsName_ == "PostgreSQL") return std::make_unique<OdbcBatch>(session_, BatchDialect::PostgreSql);
  return nullptr;
}

std::unique_ptr<catalog::Facts> OdbcConnection::Catalog() {
  if (dbmsName_.find("Oracle") != std::string::npos) return std::make_unique<OracleCatalog>(*this);
  if (dbmsName_ == "PostgreSQL") return std::make_unique<PgCatalog>(*this);
  return nullptr;
}

catalog::TableSet OdbcConnection::WriteReach(const std::string& table) {
  const std::unique_ptr<catalog::Facts> facts = Catalog();
  return facts ? catalog::WriteReach(*facts, table) : catalog::TableSet::All();
}

std::vector<catalog::TableSet> OdbcConnection::ReadReach(const std::vector<std::string>& names) {
  const std::unique_ptr<catalog::Facts> facts = Catalog();
  return facts ? catalog::ReadReach(*facts, names)
               : std::vector<catalog::TableSet>(names.size(), catalog::TableSet::All());
}

plan::StatementPlan OdbcConnection::Explain(const std::string& sql) {
  if (dbmsName_.find("Oracle") != std::string::npos) return ExplainOracle(*this, sql);
  if (dbmsName_ == "PostgreSQL") return ExplainPostgres(*this, sql);
  return {};
}

std::vector<plan::IndexInfo> OdbcConnection::Indexes(const std::string& table) {
  if (dbmsName_.find("Oracle") != std::string::npos) return OracleIndexes(*this, table);
  if (dbmsName_ == "PostgreSQL") return PostgresIndexes(*this, table);
  return {};
}

void OdbcConnection::SetAutoCommit(bool on) {
  Check(SQLSetConnectAttr(session_->Dbc(), SQL_ATTR_AUTOCOMMIT,
                          AttrValue(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER),
        SQL_HANDLE_DBC, session_->Dbc(), "SQLSetConnectAttr");
}

void OdbcConnection::EndTransaction(SQLSMALLINT completion) {
  Check(SQLEndTran(SQL_HANDLE_DBC, session_->Dbc(), completion), SQL_HANDLE_DBC, session_->Dbc(),
        "SQLEndTran");
}

void OdbcConnection::StartTransaction() {
  if (inTransaction_) return;
  SetAutoCommit(false);
  inTransaction_ = true;
}

void OdbcConnection::Commit() {
  if (!inTransaction_) return;
  EndTransaction(SQL_COMMIT);
  inTransaction_ = false;
  SetAutoCommit(true);
}

void OdbcConnection::Rollback() {
  if (!inTransaction_) return;
  EndTransaction(SQL_ROLLBACK);
  inTransaction_ = false;
  SetAutoCommit(true);
}

void OdbcConnection::CommitRetaining() {
  if (inTransaction_) EndTransaction(SQL_COMMIT);
}

void OdbcConnection::RollbackRetaining() {
  if (inTransaction_) EndTransaction(SQL_ROLLBACK);
}

}  // namespace zr::db::odbc
