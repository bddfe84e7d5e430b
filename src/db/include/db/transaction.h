#pragma once
// TFDTransaction: options and explicit control of its connection's transaction.

#include "db/component.h"
#include "db/options.h"

namespace zr::db {

class TFDConnection;

class TFDTransaction : public TComponent {
 public:
  explicit TFDTransaction(TComponent* owner = nullptr);
  ~TFDTransaction() override;

  TFDConnection* Connection() const noexcept { return connection_; }
  void SetConnection(TFDConnection* connection);
  TFDTxOptions& Options() noexcept { return options_; }
  const TFDTxOptions& Options() const noexcept { return options_; }

  bool Active() const;
  // EDatabaseError when not connected. Commit and Rollback end the transaction; the retaining forms end the
  // work so far and keep a transaction open (they do nothing when none is active).
  void StartTransaction();
  void Commit();
  void Rollback();
  void CommitRetaining();
  void RollbackRetaining();

 private:
  friend class TFDConnection;  // clears connection_ when the connection goes away
  TFDConnection* RequireConnection() const;

  TFDConnection* connection_ = nullptr;
  TFDTxOptions options_;
};

}  // namespace zr::db
