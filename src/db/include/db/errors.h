#pragma once
// The two exception classes of the data-access layers.

#include <exception>
#include <stdexcept>
#include <string>

namespace zr::db {

// A database failure: carries the whole message (for a driver failure, the server's or client's text).
class EDatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A silent abort: ends the current operation; callers that report errors show nothing for it.
class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

}  // namespace zr::db

namespace zr::db {

// The failure of a statement that waited in the write-behind queue, raised where it came to light (a later
// statement, a commit, reading a count). Its message is already worded as the statement's own caller words
// its failures: pass it on unchanged.
class EQueuedStatementError : public EDatabaseError {
 public:
  using EDatabaseError::EDatabaseError;
};

}  // namespace zr::db
