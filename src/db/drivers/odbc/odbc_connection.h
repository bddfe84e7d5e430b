#pragma once
// A framework connection over one ODBC connection handle.

#include <sql.h>
#include <sqlext.h>

#include <memory>

#include "db/driver.h"
#include "db/errors.h"

namespace zr::db::odbc {

// The environment and connection handles. Statements share them with their connection, so a statement
// that outlives its connection object still frees its handle before the connection handle goes.
class Session {
 public:
  Session();
  ~Session();  // disconnects and frees the handles
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  SQLHDBC Dbc() const noexcept { return dbc_; }
  // Connects; a server that does not answer within `loginTimeoutSeconds` (0: the driver's own limit) fails
  // with EDatabaseError of kind ConnectTimedOut, with `destination` (where the connection went), the seconds
  // and the driver's message as its facts.
  void Connect(const std::string& connectionString, unsigned loginTimeoutSeconds,
               TDatabaseErrorFacts destination);

 private:
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  bool connected_ = false;
};

// Outside a transaction every statement commits by itself (auto-commit); StartTransaction switches to
// manual commit until Commit or Rollback. The retaining forms end the work with SQLEndTran and stay in
// manual commit. An open transaction is rolled back when the connection goes away.
// How long connecting waits for the server's answer unless the entry "ConnectTimeout" says otherwise.
inline constexpr unsigned kConnectTimeoutSeconds = 30;

class OdbcConnection : public driver::Connection {
 public:
  // Connects (EDatabaseError with the driver's diagnostics on failure), waiting at most "ConnectTimeout"
  // seconds (default kConnectTimeoutSeconds) for the server to answer. On an Oracle server the session's
  // date format becomes 'DD/MM/YYYY HH24:MI:SS', so that day-first date literals read as intended.
  explicit OdbcConnection(const TStringList& params);
  ~OdbcConnection() override;

  std::unique_ptr<driver::Statement> CreateStatement() override;
  bool InTransaction() const override { return inTransaction_; }
  void StartTransaction() override;
  void Commit() override;
  void Rollback() override;
  void CommitRetaining() override;
  void RollbackRetaining() override;
  // In an open transaction on PostgreSQL (the stand-in) or Oracle: statements sent together (odbc_batch.h).
  std::unique_ptr<driver::Batch> CreateBatch() override;
  // From PostgreSQL's or Oracle's catalog, by the server's DBMS name (odbc_catalog.h); another data source
  // answers every table.
  catalog::TableSet WriteReach(const std::string& table) override;
  std::vector<catalog::TableSet> ReadReach(const std::vector<std::string>& names) override;
  // The locking select is the interface's own SELECT ... FOR UPDATE, which Oracle and PostgreSQL both take.
  // EXPLAIN on PostgreSQL, EXPLAIN PLAN on Oracle, and their catalogs' indexes (odbc_plan.h); another data
  // source answers an unknown plan and no index.
  plan::StatementPlan Explain(const std::string& sql) override;
  std::vector<plan::IndexInfo> Indexes(const std::string& table) override;

 private:
  std::unique_ptr<catalog::Facts> Catalog();
  void EndTransaction(SQLSMALLINT completion);
  void SetAutoCommit(bool on);
  void PrepareOracleSession();

  std::shared_ptr<Session> session_;
  bool inTransaction_ = false;
  std::string dbmsName_;
};

}  // namespace zr::db::odbc
