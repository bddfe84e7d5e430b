#pragma once
// TFDConnection: a driver name, parameter entries, transaction options and mapping rules; connecting opens
// the driver's connection from the entries.

#include <memory>
#include <string>
#include <vector>

#include "db/component.h"
#include "db/map_rules.h"
#include "db/options.h"
#include "db/string_list.h"

namespace zr::db {

namespace driver {
class Connection;
}
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

  // Framework internals ------------------------------------------------------------------------------
  // The driver's connection; EDatabaseError when not connected.
  driver::Connection& Physical() const;
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

 private:
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
  std::vector<TFDQuery*> queries_;
  std::vector<TFDTransaction*> transactions_;
  // The transaction object whose options govern the open transaction (nullptr: the connection's defaults).
  const TFDTransaction* openTxSource_ = nullptr;
  // The statement or cursor that must end the open transaction (AutoStop), or nullptr.
  const void* autoTxOwner_ = nullptr;
};

}  // namespace zr::db
