#include "db/transaction.h"

#include "db/connection.h"
#include "db/errors.h"

namespace zr::db {

TFDTransaction::TFDTransaction(TComponent* owner) : TComponent(owner) {}

TFDTransaction::~TFDTransaction() {
  if (connection_ != nullptr) connection_->DetachTransaction(this);
}

void TFDTransaction::SetConnection(TFDConnection* connection) {
  if (connection == connection_) return;
  if (connection_ != nullptr) connection_->DetachTransaction(this);
  connection_ = connection;
  if (connection_ != nullptr) connection_->AttachTransaction(this);
}

TFDConnection* TFDTransaction::RequireConnection() const {
  if (connection_ == nullptr || !connection_->Connected()) throw EDatabaseError("Connection is not active");
  return connection_;
}

bool TFDTransaction::Active() const { return connection_ != nullptr && connection_->InTransaction(); }

void TFDTransaction::StartTransaction() { RequireConnection()->StartTransactionFor(this); }

void TFDTransaction::Commit() { RequireConnection()->EndTransaction(true); }

void TFDTransaction::Rollback() { RequireConnection()->EndTransaction(false); }

void TFDTransaction::CommitRetaining() { RequireConnection()->EndTransactionRetaining(true); }

void TFDTransaction::RollbackRetaining() { RequireConnection()->EndTransactionRetaining(false); }

}  // namespace zr::db
