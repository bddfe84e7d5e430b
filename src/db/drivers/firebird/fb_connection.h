#pragma once
// The driver's connection: one attachment, its transaction and the statements created on it.

#include <memory>

#include "db/driver.h"
#include "fb_batch.h"
#include "fb_session.h"

namespace zr::db::firebird {

class FbConnection final : public driver::Connection {
 public:
  // Takes the attachment over; `watch` configures the watchdog of its calls, `text` how its text is converted.
  FbConnection(Firebird::IAttachment* attachment, WatchSettings watch, ConnectionText text = {});
  // Rolls back an open transaction, frees the statements' handles and detaches.
  ~FbConnection() override;

  std::unique_ptr<driver::Statement> CreateStatement() override;
  bool InTransaction() const override { return session_->InTransaction(); }
  // The server's messages read in the connection's character set (fb_text.h).
  void StartTransaction() override { Run(&Session::StartTransaction); }
  void Commit() override { Run(&Session::Commit); }
  void Rollback() override { Run(&Session::Rollback); }
  void CommitRetaining() override { Run(&Session::CommitRetaining); }
  void RollbackRetaining() override { Run(&Session::RollbackRetaining); }
  // Batches need the open transaction and, unless SetBatches says otherwise, a server to talk to.
  std::unique_ptr<driver::Batch> CreateBatch() override;
  void SetBatches(BatchWays ways) noexcept { batches_ = ways; }
  // Whether statements run as the requests of their literal shapes (fb_shapes.h): INSERT, UPDATE and DELETE
  // (`dml`), SELECT (`select`). Both on unless switched off here.
  void SetShapes(bool dml, bool select) noexcept { session_->Shapes().Enable(dml, select); }
  // From RDB$TRIGGERS, RDB$DEPENDENCIES and the foreign keys (fb_catalog.h).
  catalog::TableSet WriteReach(const std::string& table) override;
  std::vector<catalog::TableSet> ReadReach(const std::vector<std::string>& names) override;
  // SELECT ... WITH LOCK: each row fetched is locked as an update would lock it.
  std::string LockingSelect(const std::string& select) const override { return select + "WITH LOCK\r\n"; }
  // The prepared request's plan, and RDB$INDICES with RDB$INDEX_SEGMENTS (fb_plan.h).
  plan::StatementPlan Explain(const std::string& sql) override;
  std::vector<plan::IndexInfo> Indexes(const std::string& table) override;

 private:
  void Run(void (Session::*call)()) {
    const MessagesIn messages(session_->Text());
    (session_.get()->*call)();
  }

  std::shared_ptr<Session> session_;
  BatchWays batches_;
};

}  // namespace zr::db::firebird
