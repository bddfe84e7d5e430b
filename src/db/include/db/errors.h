#pragma once
// The two exception classes of the data-access layers.

#include <exception>
#include <stdexcept>
#include <string>

namespace zr::db {

// What kind of failure a database error is, as the driver that raised it tells from its native error (never
// from the message): callers decide by it whether the link is still usable, whether the statement waited
// for a lock, and so on. The message stays the whole native text whatever the kind.
enum class TDatabaseErrorKind {
  StatementFailed,  // the server refused or could not run the statement; the link goes on
  LinkLost,         // the link to the server is gone: every further request fails for that reason alone
  NoAnswer,         // no answer in time: the statement was cancelled for its time-out
  LockConflict,     // another transaction holds what the statement needs (a lock conflict or a deadlock)
  NoPermission,     // the user lacks the right the statement needs (to read, write or change the metadata)
};

// A database failure: carries the whole message (for a driver failure, the server's or client's text) and
// its kind.
class EDatabaseError : public std::runtime_error {
 public:
  explicit EDatabaseError(const std::string& message,
                          TDatabaseErrorKind kind = TDatabaseErrorKind::StatementFailed)
      : std::runtime_error(message), kind_(kind) {}
  explicit EDatabaseError(const char* message, TDatabaseErrorKind kind = TDatabaseErrorKind::StatementFailed)
      : std::runtime_error(message), kind_(kind) {}

  TDatabaseErrorKind Kind() const noexcept { return kind_; }

 private:
  TDatabaseErrorKind kind_;
};

// A silent abort: ends the current operation; callers that report errors show nothing for it.
class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

// The failure of a statement that waited in the write-behind queue, raised where it came to light (a later
// statement, a commit, reading a count). Its message is already worded as the statement's own caller words
// its failures: pass it on unchanged. Its kind is that of the statement's own failure.
class EQueuedStatementError : public EDatabaseError {
 public:
  using EDatabaseError::EDatabaseError;
};

}  // namespace zr::db
