#include "fb_session.h"

#include <algorithm>
#include <array>

#include "db/options.h"
#include "fb_error.h"

namespace zr::db::firebird {

namespace {

constexpr std::array<unsigned char, 5> kTransactionParameters = {
    isc_tpb_version3, isc_tpb_write, isc_tpb_wait, isc_tpb_read_committed, isc_tpb_rec_version};

}  // namespace

EDatabaseError Session::WatchedFailure(bool fired, uint32_t timeout, Firebird::IStatus* status) const {
  // A cancel the server never answered ends in a closed attachment, not in isc_cancelled.
  const bool aborted = watchdog_->Aborted();
  if (fired && (IsCancelled(status) || aborted)) return TimeoutError(timeout, status);
  if (aborted) return watchdog_->LostError();
  return StatusError(status);
}

// The watchdog fired just as the call ended: the engine may hold the cancel for the next call, which a
// harmless round trip takes instead. The round trip is watched too, without a time-out (so no cancel of its
// own comes late).
void Session::AbsorbLateCancel() noexcept {
  try {
    WatchScope watch(Dog(), kNoTimeout);
    Status status;
    Attachment()->ping(status.get());
  } catch (...) {
    // isc_cancelled (expected) or a broken link, which the next real call reports.
  }
}

Session::Session(Firebird::IAttachment* attachment, WatchSettings watch, ConnectionText text)
    : attachment_(attachment),
      watchdog_(std::make_unique<Watchdog>(attachment, std::move(watch))),
      text_(text) {}

Session::~Session() { Close(); }

void Session::Close() noexcept {
  if (!attachment_) {
    return;
  }
  for (SessionListener* listener : std::vector<SessionListener*>(listeners_)) {
    listener->AttachmentClosing();
  }
  shapes_.Clear();
  Release(transaction_,
          [](Firebird::ITransaction* t, Firebird::ThrowStatusWrapper* status) { t->rollback(status); });
  // The watchdog goes only once detaching, the last call, has ended.
  Release(attachment_,
          [](Firebird::IAttachment* a, Firebird::ThrowStatusWrapper* status) { a->detach(status); });
  watchdog_.reset();
}

Firebird::IAttachment* Session::Attachment() const {
  if (!attachment_) {
    throw EDatabaseError("The Firebird connection is closed");
  }
  return attachment_.get();
}

Watchdog& Session::Dog() const {
  Attachment();
  return *watchdog_;
}

PreparedRequest Session::Prepare(Firebird::ITransaction* tra, const std::string& sql, uint32_t timeout,
                                 bool withPlan) {
  std::string scratch;
  const std::string& text = text_.Statement(sql, scratch);
  Firebird::IAttachment* attachment = Attachment();
  PreparedRequest request;
  Watched(timeout, [&](Firebird::ThrowStatusWrapper* status) {
    request.Statement.reset(attachment->prepare(status, tra, static_cast<unsigned>(text.size()), text.c_str(),
                                                SQL_DIALECT_V6,
                                                Firebird::IStatement::PREPARE_PREFETCH_METADATA |
                                                    (withPlan ? Firebird::IStatement::PREPARE_PREFETCH_LEGACY_PLAN
                                                              : 0)));
    request.Type = request.Statement->getType(status);
    request.Input.reset(request.Statement->getInputMetadata(status));
    request.Output.reset(request.Statement->getOutputMetadata(status));
  });
  return request;
}

ShapeRequests::Prepare Session::ShapePreparer(Firebird::ITransaction* tra, uint32_t timeout) {
  return [this, tra, timeout](const std::string& sql) -> std::optional<PreparedRequest> {
    try {
      return Prepare(tra, sql, timeout);
    } catch (const EDatabaseError& e) {
      if (Unanswered(e)) throw;
      return std::nullopt;
    }
  };
}

bool Session::Unanswered(const EDatabaseError& failure) const {
  return (watchdog_ && watchdog_->Aborted()) || failure.Kind() == TDatabaseErrorKind::NoAnswer ||
         failure.Kind() == TDatabaseErrorKind::LinkLost;
}

Firebird::ITransaction* Session::StartOwnTransaction() {
  Firebird::IAttachment* attachment = Attachment();
  Firebird::ITransaction* started = nullptr;
  Watched(kNoTimeout, [&](Firebird::ThrowStatusWrapper* status) {
    started = attachment->startTransaction(status, static_cast<unsigned>(kTransactionParameters.size()),
                                           kTransactionParameters.data());
  });
  return started;
}

void Session::StartTransaction() {
  if (transaction_) {
    throw EDatabaseError("A transaction is already active on this connection");
  }
  transaction_.reset(StartOwnTransaction());
  shapes_.Clear();
}

void Session::Commit() {
  if (!transaction_) {
    return;
  }
  NotifyTransactionEnding();
  shapes_.Clear();
  Watched(kNoTimeout, [&](Firebird::ThrowStatusWrapper* status) {
    transaction_.Take([&](Firebird::ITransaction* t) { t->commit(status); });
  });
}

void Session::Rollback() {
  if (!transaction_) {
    return;
  }
  NotifyTransactionEnding();
  shapes_.Clear();
  Watched(kNoTimeout, [&](Firebird::ThrowStatusWrapper* status) {
    transaction_.Take([&](Firebird::ITransaction* t) { t->rollback(status); });
  });
}

void Session::CommitRetaining() {
  if (transaction_) {
    shapes_.Clear();
    Watched(kNoTimeout, [&](Firebird::ThrowStatusWrapper* status) { transaction_->commitRetaining(status); });
  }
}

void Session::RollbackRetaining() {
  if (transaction_) {
    shapes_.Clear();
    Watched(kNoTimeout,
            [&](Firebird::ThrowStatusWrapper* status) { transaction_->rollbackRetaining(status); });
  }
}

void Session::Listen(SessionListener* listener) { listeners_.push_back(listener); }

void Session::StopListening(SessionListener* listener) noexcept {
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void Session::NotifyTransactionEnding() noexcept {
  for (SessionListener* listener : std::vector<SessionListener*>(listeners_)) {
    listener->TransactionEnding(transaction_.get());
  }
}

}  // namespace zr::db::firebird
