#pragma once
// The two exception classes of the data-access layers.

#include <cstdint>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

namespace zr::db {

// What kind of failure a database error is, as the driver that raised it tells from its native error (never
// from the message): callers decide by it whether the link is still usable, whether the statement waited
// for a lock, and so on. The message stays the whole native text whatever the kind.
enum class TDatabaseErrorKind {
  StatementFailed,     // the server refused or could not run the statement; the link goes on
  LinkLost,            // the link to the server is gone: every further request fails for that reason alone
  NoAnswer,            // no answer in time: the statement was cancelled for its time-out
  LockConflict,        // another transaction holds what the statement needs (a lock conflict or a deadlock)
  NoPermission,        // the user lacks the right the statement needs (to read, write or change the metadata)
  ConnectTimedOut,     // the server did not answer an attempt to connect within the connection's time-out
  TextNotConvertible,  // a text to send has a character the database's code page lacks, or is not UTF-8
  InvalidSetting,      // a connection entry has a value the driver does not accept
};

// What a driver knows of a failure beyond its kind, for whoever puts it into words for the user. Each field
// says for which kinds it is filled; the others stay empty.
struct TDatabaseErrorFacts {
  // ConnectTimedOut; LinkLost when the driver closed the link itself because the server stopped answering:
  // the server's address ("host" or "host:port"); empty when the driver knows none.
  std::string Server;
  // ConnectTimedOut without a server address: the ODBC data source the connection went through, if any.
  std::string DataSource;
  // ConnectTimedOut: the database program the driver expects at the address ("Firebird"), when it knows.
  std::string Product;
  int Seconds = 0;    // ConnectTimedOut: how long the attempt waited
  std::string Cause;  // ConnectTimedOut: the client's own message
  // TextNotConvertible: the text is a statement's (the character stands outside any literal of it), else a
  // value's.
  bool InStatement = false;
  std::string Text;        // TextNotConvertible: the value or statement, each byte that is not UTF-8 as \xNN
  std::string Character;   // TextNotConvertible: the character; empty when a byte is not UTF-8
  uint32_t CodePoint = 0;  // TextNotConvertible: the character's code point, or the byte that is not UTF-8
  std::string CodePage;    // TextNotConvertible: the code page the database keeps its text in
  std::string Setting;     // InvalidSetting: the entry
  std::string Value;       // InvalidSetting: its value as given
  std::string Choices;     // InvalidSetting: the values it takes, separated by ", "; empty when not a list
};

// A database failure: carries the whole message (for a driver failure, the server's or client's text), its
// kind and, for some kinds, its facts.
class EDatabaseError : public std::runtime_error {
 public:
  explicit EDatabaseError(const std::string& message,
                          TDatabaseErrorKind kind = TDatabaseErrorKind::StatementFailed)
      : std::runtime_error(message), kind_(kind) {}
  explicit EDatabaseError(const char* message, TDatabaseErrorKind kind = TDatabaseErrorKind::StatementFailed)
      : std::runtime_error(message), kind_(kind) {}
  EDatabaseError(const std::string& message, TDatabaseErrorKind kind, TDatabaseErrorFacts facts)
      : std::runtime_error(message),
        kind_(kind),
        facts_(std::make_shared<const TDatabaseErrorFacts>(std::move(facts))) {}
  // The failure `from` told with `message`: its kind stays; its facts stay only with its own message, since
  // they describe that message and not another wording.
  EDatabaseError(const std::string& message, const EDatabaseError& from)
      : std::runtime_error(message),
        kind_(from.kind_),
        facts_(message == from.what() ? from.facts_ : nullptr) {}

  TDatabaseErrorKind Kind() const noexcept { return kind_; }
  // Empty facts when the driver gave none.
  const TDatabaseErrorFacts& Facts() const noexcept {
    static const TDatabaseErrorFacts none;
    return facts_ ? *facts_ : none;
  }

 private:
  TDatabaseErrorKind kind_;
  std::shared_ptr<const TDatabaseErrorFacts> facts_;  // shared: copying an exception never throws
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
