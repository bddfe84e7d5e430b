#pragma once
// The driver's connection: one attachment, its transaction and the statements created on it.

#include <memory>

#include "db/driver.h"
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
  // Batches need the open transaction and a server to talk to; otherwise there is none.
  std::unique_ptr<driver::Batch> CreateBatch() override;
  void SetBatches(bool on) noexcept { batches_ = on; }
  // Asks the server (one round trip): only after a failure.
  bool Lost(const std::string& failure) override;

 private:
  void Run(void (Session::*call)()) {
    const MessagesIn messages(session_->Text());
    (session_.get()->*call)();
  }

  std::shared_ptr<Session> session_;
  bool batches_ = true;
};

}  // namespace zr::db::firebird
