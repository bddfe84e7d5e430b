#include "odbc_connection.h"

#include <algorithm>

#include "connection_string.h"
#include "odbc_batch.h"
#include "odbc_error.h"
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

void Session::Connect(const std::string& connectionString) {
  WideText text = ToWide(connectionString);
  SQLSMALLINT outLength = 0;
  Check(SQLDriverConnectW(dbc_, nullptr, text.data(), static_cast<SQLSMALLINT>(text.size()), nullptr, 0,
                          &outLength, SQL_DRIVER_NOPROMPT),
        SQL_HANDLE_DBC, dbc_, "SQLDriverConnect");
  connected_ = true;
}

OdbcConnection::OdbcConnection(const TStringList& params) : session_(std::make_shared<Session>()) {
  session_->Connect(BuildConnectionString(params));
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

bool OdbcConnection::Lost(const std::string& failure) {
  if (failure.find("[SQLSTATE 08") != std::string::npos || failure.find("[SQLSTATE 57P0") != std::string::npos) {
    return true;
  }
  SQLUINTEGER dead = SQL_CD_FALSE;
  return Succeeded(SQLGetConnectAttr(session_->Dbc(), SQL_ATTR_CONNECTION_DEAD, &dead, SQL_IS_UINTEGER, nullptr)) &&
         dead == SQL_CD_TRUE;
}

std::unique_ptr<driver::Batch> OdbcConnection::CreateBatch() {
  if (!inTransaction_) return nullptr;
  if (dbmsName_.find("Oracle") != std::string::npos) return std::make_unique<OdbcBatch>(session_, BatchDialect::Oracle);
  if (dbmsName_ == "PostgreSQL") return std::make_unique<OdbcBatch>(session_, BatchDialect::PostgreSql);
  return nullptr;
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
