#include "db/connection.h"

#include <algorithm>
#include <exception>

#include "db/driver.h"
#include "db/errors.h"
#include "db/query.h"
#include "db/transaction.h"
#include "catalog_cache.h"
#include "connection_internals.h"
#include "statement_cache.h"
#include "write_queue.h"

namespace zr::db {

namespace {
constexpr const char* kDriverIdEntry = "DriverID";

template <class T>
void EraseValue(std::vector<T*>& items, const T* item) {
  items.erase(std::remove(items.begin(), items.end(), item), items.end());
}
}  // namespace

TFDConnection::TFDConnection(TComponent* owner)
    : TComponent(owner),
      statements_(std::make_unique<detail::StatementCache>()),
      catalog_(std::make_unique<detail::CatalogCache>()),
      writes_(std::make_unique<detail::WriteQueue>(*catalog_)) {}

TFDConnection::~TFDConnection() {
  try {
    TFDConnection::SetConnected(false);
  } catch (...) {
    // A destructor cannot report: the driver's connection is gone and its transaction rolled back.
  }
  for (TFDQuery* q : queries_) q->ConnectionDestroyed();
  for (TFDTransaction* t : transactions_) t->connection_ = nullptr;
}

std::string TFDConnection::DriverName() const { return params_.Values(kDriverIdEntry); }

void TFDConnection::SetDriverName(const std::string& name) { params_.SetValue(kDriverIdEntry, name); }

void TFDConnection::SetConnected(bool value) {
  if (value) {
    if (!physical_) physical_ = driver::Connect(DriverName(), params_);
    return;
  }
  if (!physical_) return;
  std::exception_ptr queued;
  try {
    writes_->Flush();
  } catch (...) {
    queued = std::current_exception();
  }
  writes_->Drop();
  for (TFDQuery* q : std::vector<TFDQuery*>(queries_)) {
    if (q->Active()) q->SetActive(false);
  }
  std::exception_ptr failure = queued;
  try {
    if (physical_->InTransaction()) {
      autoTxOwner_ = nullptr;
      switch (DisconnectActionOfOpenTransaction()) {
        case xdCommit:
          physical_->Commit();
          break;
        case xdRollback:
          physical_->Rollback();
          break;
        case xdNone:
          break;  // the driver rolls back when its connection closes
      }
    }
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  for (TFDQuery* q : queries_) q->DropStatement();
  statements_->Clear();
  catalog_->Forget();
  physical_.reset();
  openTxSource_ = nullptr;
  autoTxOwner_ = nullptr;
  if (failure) std::rethrow_exception(failure);
}

bool TFDConnection::InTransaction() const { return physical_ && physical_->InTransaction(); }

driver::Connection& detail::ConnectionInternals::Physical(const TFDConnection& connection) {
  if (!connection.physical_) throw EDatabaseError("Connection is not active");
  return *connection.physical_;
}

const TFDTxOptions& TFDConnection::EffectiveTxOptions(const TFDTransaction* transaction) const {
  if (transaction != nullptr) return transaction->Options();
  if (transaction_ != nullptr) return transaction_->Options();
  return txOptions_;
}

void TFDConnection::AttachQuery(TFDQuery* query) {
  if (std::find(queries_.begin(), queries_.end(), query) == queries_.end()) queries_.push_back(query);
}

void TFDConnection::DetachQuery(TFDQuery* query) {
  EraseValue(queries_, query);
  if (autoTxOwner_ == query) autoTxOwner_ = nullptr;
}

void TFDConnection::AttachTransaction(TFDTransaction* transaction) {
  if (std::find(transactions_.begin(), transactions_.end(), transaction) == transactions_.end()) {
    transactions_.push_back(transaction);
  }
}

void TFDConnection::DetachTransaction(TFDTransaction* transaction) {
  EraseValue(transactions_, transaction);
  if (transaction_ == transaction) transaction_ = nullptr;
  if (updateTransaction_ == transaction) updateTransaction_ = nullptr;
  if (openTxSource_ == transaction) openTxSource_ = nullptr;
  for (TFDQuery* q : queries_) q->TransactionDestroyed(transaction);
}

void TFDConnection::BeginAutoTransaction(const TFDTransaction* transaction, const void* owner) {
  driver::Connection& physical = detail::ConnectionInternals::Physical(*this);
  if (physical.InTransaction()) return;
  const TFDTxOptions& options = EffectiveTxOptions(transaction);
  if (!options.AutoStart) return;
  physical.StartTransaction();
  openTxSource_ = transaction != nullptr ? transaction : transaction_;
  autoTxOwner_ = options.AutoStop ? owner : nullptr;
}

void TFDConnection::EndAutoTransaction(const void* owner, bool success) {
  if (owner == nullptr || autoTxOwner_ != owner) return;
  if (!physical_ || !physical_->InTransaction()) {
    autoTxOwner_ = nullptr;
    return;
  }
  if (!success) {
    try {
      PrepareQueriesForTransactionEnd(false);
      physical_->Rollback();
    } catch (...) {
      // The statement's own failure is what the caller reports.
    }
    openTxSource_ = nullptr;
    return;
  }
  try {
    EndTransaction(true);
  } catch (...) {
    // A transaction whose commit failed must not stay open behind the caller's back.
    try {
      if (physical_->InTransaction()) physical_->Rollback();
    } catch (...) {
    }
    openTxSource_ = nullptr;
    throw;
  }
}

void TFDConnection::StartTransactionFor(const TFDTransaction* transaction) {
  driver::Connection& physical = detail::ConnectionInternals::Physical(*this);
  if (physical.InTransaction()) throw EDatabaseError("Transaction is already active");
  physical.StartTransaction();
  openTxSource_ = transaction;
  autoTxOwner_ = nullptr;
}

void TFDConnection::EndTransaction(bool commit) {
  if (!InTransaction()) return;
  const std::exception_ptr queued = SendWritesBeforeEnd(commit);
  PrepareQueriesForTransactionEnd(commit);
  if (commit) {
    physical_->Commit();
  } else {
    physical_->Rollback();
  }
  openTxSource_ = nullptr;
  if (queued) std::rethrow_exception(queued);
}

void TFDConnection::EndTransactionRetaining(bool commit) {
  if (!InTransaction()) return;
  const std::exception_ptr queued = SendWritesBeforeEnd(commit);
  if (commit) {
    physical_->CommitRetaining();
  } else {
    physical_->RollbackRetaining();
  }
  if (queued) std::rethrow_exception(queued);
}

std::exception_ptr TFDConnection::SendWritesBeforeEnd(bool commit) {
  if (commit) {
    writes_->Flush();
    return nullptr;
  }
  try {
    writes_->Flush();
  } catch (...) {
    writes_->Drop();
    return std::current_exception();
  }
  return nullptr;
}

void TFDConnection::SetWriteBehind(bool on) {
  if (!on) FlushWrites();
  writeBehind_ = on;
}

void TFDConnection::FlushWrites() { writes_->Flush(); }

size_t TFDConnection::PendingWrites() const noexcept { return writes_->Size(); }

void TFDConnection::ForgetCatalog() noexcept { catalog_->Forget(); }

std::string TFDConnection::LockingSelect(const std::string& select) const {
  return detail::ConnectionInternals::Physical(*this).LockingSelect(select);
}

plan::StatementPlan TFDConnection::Explain(const std::string& sql) {
  driver::Connection& physical = detail::ConnectionInternals::Physical(*this);
  FlushWrites();
  return physical.Explain(sql);
}

std::vector<plan::IndexInfo> TFDConnection::Indexes(const std::string& table) {
  driver::Connection& physical = detail::ConnectionInternals::Physical(*this);
  FlushWrites();
  return physical.Indexes(table);
}

void TFDConnection::PrepareQueriesForTransactionEnd(bool commit) {
  autoTxOwner_ = nullptr;
  for (TFDQuery* q : std::vector<TFDQuery*>(queries_)) q->TransactionEnding(commit);
}

TFDTxAction TFDConnection::DisconnectActionOfOpenTransaction() const {
  return (openTxSource_ != nullptr ? openTxSource_->Options() : EffectiveTxOptions(nullptr)).DisconnectAction;
}

}  // namespace zr::db
