#pragma once
// TFDConnection: a driver name, parameter entries, transaction options and mapping rules; connecting opens
// the driver's connection from the entries.

#include <cstddef>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "db/component.h"
#include "db/map_rules.h"
#include "db/options.h"
#include "db/plan.h"
#include "db/string_list.h"

namespace zr::db {

namespace driver {
class Connection;
class Statement;
}  // namespace driver
namespace detail {
class CatalogCache;
class StatementCache;
class WriteQueue;
struct ConnectionInternals;
}  // namespace detail
class TFDTransaction;
class TFDQuery;

class TFDConnection : public TComponent {
 public:
  explicit TFDConnection(TComponent* owner = nullptr);
  // Disconnects (applying the disconnect action) and detaches its queries and transactions.
  ~TFDConnection() override;

  // The driver name is the parameter entry "DriverID=..." of Params: clearing Params clears it.
  std::string DriverName() const;
  void SetDriverName(const std::string& name);
  TStringList& Params() noexcept { return params_; }
  const TStringList& Params() const noexcept { return params_; }

  bool Connected() const noexcept { return physical_ != nullptr; }
  // True: the driver named by DriverName opens from the entries (EDatabaseError on failure).
  // False: closes the queries, applies DisconnectAction to an open transaction and closes the driver's
  // connection. Overriders call TFDConnection::SetConnected to let the framework act.
  virtual void SetConnected(bool value);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }

  // Options of the connection's own default transaction (used when no transaction object is assigned).
  TFDTxOptions& TxOptions() noexcept { return txOptions_; }
  TFDFormatOptions& FormatOptions() noexcept { return formatOptions_; }
  const TFDFormatOptions& FormatOptions() const noexcept { return formatOptions_; }

  // Default transaction objects of the queries that have none of their own.
  TFDTransaction* Transaction() const noexcept { return transaction_; }
  void SetTransaction(TFDTransaction* transaction) { transaction_ = transaction; }
  TFDTransaction* UpdateTransaction() const noexcept { return updateTransaction_; }
  void SetUpdateTransaction(TFDTransaction* transaction) { updateTransaction_ = transaction; }

  bool InTransaction() const;

  // Write-behind, on by default: INSERT, UPDATE and DELETE statements without parameters, and parameter-array
  // INSERT ... VALUES, run by a query in an open transaction that the statement does not end itself, wait in
  // a queue and go to the server together, in order, as few requests as the driver allows. The queue is sent
  // before anything that could observe or depend on it: opening a statement that is not a SELECT, or one that
  // could read what a queued statement changes (a table it names, or, as the driver's catalog tells, what
  // its views and routines read meets what the queued statements' triggers and referential actions change;
  // what the catalog cannot tell counts as everything), fetching more rows of such a statement, reading a
  // pending count, any other statement run, commit, rollback and disconnect. A queued statement that fails is
  // reported as it would have been alone (EQueuedStatementError), wherever its failure comes to light.
  bool WriteBehind() const noexcept { return writeBehind_; }
  // Switching it off sends what waits first.
  void SetWriteBehind(bool on);
  // Sends the queue now (see above); does nothing when it is empty.
  void FlushWrites();
  // How many statements wait in the queue.
  size_t PendingWrites() const noexcept;
  // What the queue knows of the catalog (triggers, referential actions, views, routines), read once per name;
  // a statement that changes metadata makes it read again.
  void ForgetCatalog() noexcept;

  // `select`, the text of a SELECT of one table's rows, in the driver's form that also locks the rows it
  // reads until the transaction ends, changing nothing and firing no trigger (driver::Connection::
  // LockingSelect). EDatabaseError when not connected.
  std::string LockingSelect(const std::string& select) const;

  // How the server would run `sql` and the indexes a table has, as the driver reads them from the server
  // (driver::Connection::Explain and Indexes; db/plan.h). What waits in the write-behind queue is sent
  // first. Each costs a request or two to the server: they are for a check before work, not for a loop.
  // EDatabaseError when not connected, or with the server's message when it refuses.
  plan::StatementPlan Explain(const std::string& sql);
  std::vector<plan::IndexInfo> Indexes(const std::string& table);

  // Framework internals ------------------------------------------------------------------------------
  // The options that govern a statement run with `transaction` (or with none: the connection's
  // Transaction, else TxOptions).
  const TFDTxOptions& EffectiveTxOptions(const TFDTransaction* transaction) const;
  void AttachQuery(TFDQuery* query);
  void DetachQuery(TFDQuery* query);
  void AttachTransaction(TFDTransaction* transaction);
  // Also clears every reference to `transaction` held by the connection and its queries.
  void DetachTransaction(TFDTransaction* transaction);

  // A statement about to run with `transaction` (nullptr: the connection's defaults): when no transaction is
  // open and the effective AutoStart is set, one is started; with AutoStop it belongs to `owner`, which ends it
  // with EndAutoTransaction. EDatabaseError when not connected.
  void BeginAutoTransaction(const TFDTransaction* transaction, const void* owner);
  // Commits (success) or rolls back (failure; errors of the rollback are swallowed) the transaction that
  // BeginAutoTransaction started for `owner`; does nothing when `owner` holds none (or it has ended already).
  void EndAutoTransaction(const void* owner, bool success);
  // Explicit control. StartTransactionFor: EDatabaseError when not connected or a transaction is already open.
  // The others do nothing when no transaction is open.
  void StartTransactionFor(const TFDTransaction* transaction);
  void EndTransaction(bool commit);
  void EndTransactionRetaining(bool commit);
  bool OwnsAutoTransaction(const void* owner) const noexcept {
    return owner != nullptr && autoTxOwner_ == owner;
  }

 private:
  friend struct detail::ConnectionInternals;  // the driver's connection, kept statements and queue

  // Before a transaction ends: a commit needs the queue sent (its failure stops the commit); a rollback
  // sends it too, so that a queued statement's failure is still reported, and reports it after rolling back.
  std::exception_ptr SendWritesBeforeEnd(bool commit);
  // Before a commit or rollback ends the transaction: queries fetch (commit) or drop (rollback) the rest of
  // their open cursors, whose rows the ending transaction would take away.
  void PrepareQueriesForTransactionEnd(bool commit);
  TFDTxAction DisconnectActionOfOpenTransaction() const;

  TStringList params_;
  TFDTxOptions txOptions_;
  TFDFormatOptions formatOptions_;
  TFDTransaction* transaction_ = nullptr;
  TFDTransaction* updateTransaction_ = nullptr;
  std::unique_ptr<driver::Connection> physical_;
  bool writeBehind_ = true;
  // After physical_: statements and batches go before the driver's connection.
  std::unique_ptr<detail::StatementCache> statements_;
  std::unique_ptr<detail::CatalogCache> catalog_;
  std::unique_ptr<detail::WriteQueue> writes_;
  std::vector<TFDQuery*> queries_;
  std::vector<TFDTransaction*> transactions_;
  // The transaction object whose options govern the open transaction (nullptr: the connection's defaults).
  const TFDTransaction* openTxSource_ = nullptr;
  // The statement or cursor that must end the open transaction (AutoStop), or nullptr.
  const void* autoTxOwner_ = nullptr;
};

}  // namespace zr::db
