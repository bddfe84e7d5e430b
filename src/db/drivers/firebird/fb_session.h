#pragma once
// One attachment and its one open transaction, shared by the connection and its statements. Statements
// listen for the end of the transaction (their cursors close) and of the attachment (their handles go).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/errors.h"
#include "db/options.h"
#include "fb_api.h"
#include "fb_prepared.h"
#include "fb_shapes.h"
#include "fb_text.h"
#include "fb_watchdog.h"

namespace zr::db::firebird {

class SessionListener {
 public:
  virtual void TransactionEnding(Firebird::ITransaction* transaction) noexcept = 0;
  virtual void AttachmentClosing() noexcept = 0;

 protected:
  ~SessionListener() = default;
};

class Session {
 public:
  // Takes the attachment over; `watch` configures its watchdog; `text` says how its text is converted.
  Session(Firebird::IAttachment* attachment, WatchSettings watch, ConnectionText text = {});
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Frees the statements' handles, rolls back an open transaction and detaches. Never throws.
  void Close() noexcept;
  // EDatabaseError when the session is closed.
  Firebird::IAttachment* Attachment() const;
  // The attachment's watchdog; EDatabaseError when the session is closed.
  Watchdog& Dog() const;
  // Runs `call(status)`, one client call, under the watchdog with `timeout` (kNoTimeout: no limit; the
  // server is probed while it waits). A failure comes out as EDatabaseError: the time-out error when the
  // watchdog cancelled the call for its time-out; the lost-server error when it closed the attachment because
  // the server stopped answering; the client's status otherwise. A cancel that came just as the call ended
  // is taken by a harmless round trip, so that the next call does not meet it. EDatabaseError when closed.
  template <typename Call>
  void Watched(uint32_t timeout, Call&& call);
  // Ends the object behind `ref` with `close(object, status)` (a rollback, a cursor's close), a call that
  // releases it, under the watchdog without a time-out: a server that stopped answering cannot hold it up. A
  // failure (a broken link, a closed session) only drops the reference. Never throws.
  template <typename T, typename Ending>
  void Release(Ref<T>& ref, Ending close) noexcept;
  // Prepares `sql` (UTF-8, converted as Text() says) in `tra` under the watchdog with `timeout`, and reads
  // what the server describes of it. The server's failure comes out as Watched tells.
  // `withPlan` also brings the server's plan back with the prepare (getPlan then asks nothing more).
  PreparedRequest Prepare(Firebird::ITransaction* tra, const std::string& sql, uint32_t timeout,
                          bool withPlan = false);
  // How text crosses between the program (UTF-8) and this attachment.
  const ConnectionText& Text() const noexcept { return text_; }
  // True when `failure` came from a cut link or a time-out: any other request would fail the same way.
  bool Unanswered(const EDatabaseError& failure) const;

  // The open transaction, nullptr when there is none.
  Firebird::ITransaction* Transaction() const noexcept { return transaction_.get(); }
  bool InTransaction() const noexcept { return static_cast<bool>(transaction_); }
  // Wait mode, read committed (record version), read-write.
  void StartTransaction();
  void Commit();
  void Rollback();
  void CommitRetaining();
  void RollbackRetaining();
  // A transaction of the same kind for a statement that runs outside the open one, started under the
  // watchdog; the caller owns it.
  Firebird::ITransaction* StartOwnTransaction();

  // The attachment's literal shapes (fb_shapes.h), cleared at every transaction's start and end.
  ShapeRequests& Shapes() noexcept { return shapes_; }
  // Prepares a shape's or a block's text in `tra` under the watchdog with `timeout`: nothing when the server
  // refuses the text; a cut link or a time-out throws.
  ShapeRequests::Prepare ShapePreparer(Firebird::ITransaction* tra, uint32_t timeout);

  void Listen(SessionListener* listener);
  void StopListening(SessionListener* listener) noexcept;

 private:
  void NotifyTransactionEnding() noexcept;
  EDatabaseError WatchedFailure(bool fired, uint32_t timeout, Firebird::IStatus* status) const;
  void AbsorbLateCancel() noexcept;

  Ref<Firebird::IAttachment> attachment_;
  std::unique_ptr<Watchdog> watchdog_;
  Ref<Firebird::ITransaction> transaction_;
  std::vector<SessionListener*> listeners_;
  ShapeRequests shapes_;
  ConnectionText text_;
};

template <typename Call>
void Session::Watched(uint32_t timeout, Call&& call) {
  WatchScope watch(Dog(), timeout);
  try {
    Status status;
    call(status.get());
  } catch (const Firebird::FbException& e) {
    throw WatchedFailure(watch.Finish(), timeout, e.getStatus());
  }
  if (watch.Finish()) AbsorbLateCancel();
}

template <typename T, typename Ending>
void Session::Release(Ref<T>& ref, Ending close) noexcept {
  if (!ref) return;
  try {
    Watched(kNoTimeout,
            [&](Firebird::ThrowStatusWrapper* status) { ref.Take([&](T* o) { close(o, status); }); });
  } catch (...) {
    ref.reset();
  }
}

}  // namespace zr::db::firebird
