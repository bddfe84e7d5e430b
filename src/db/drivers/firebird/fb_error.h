#pragma once
// The one place where Firebird failures become EDatabaseError, with their kind.

#include <cstdint>
#include <string>
#include <utility>

#include "db/errors.h"
#include "fb_api.h"

namespace zr::db::firebird {

// The whole message of a status vector: every text of it, one per line, then its SQLSTATE when it has one.
std::string StatusMessage(Firebird::IStatus* status);

// True when the status says the operation was cancelled (isc_cancelled).
bool IsCancelled(Firebird::IStatus* status);

// What the status's codes say of the failure: a lost link, a lock conflict, or a statement that failed.
TDatabaseErrorKind KindOf(Firebird::IStatus* status);

// The error for a failed call: EDatabaseError with the whole message and the kind KindOf tells.
EDatabaseError StatusError(Firebird::IStatus* status);

// The error for a statement cancelled by the watchdog after `milliseconds` (kind NoAnswer).
EDatabaseError TimeoutError(uint32_t milliseconds, Firebird::IStatus* status);

// The error for an attachment to the server at `address` that got no answer within `seconds` (kind
// ConnectTimedOut; the address, the seconds and the client's message among its facts).
EDatabaseError ConnectTimeoutError(const std::string& address, int seconds, Firebird::IStatus* status);

// The error for calls on an attachment closed because the server at `address` stopped answering (kind
// LinkLost; the address among its facts).
EDatabaseError LostServerError(const std::string& address);

// Runs `work`, turning a Firebird failure into StatusError. Only for calls that never wait on the server
// (reading metadata, building messages) and for attaching, creating and dropping a database, which have no
// session yet: every call of a session that can wait on the server goes through Session::Watched.
template <typename Work>
decltype(auto) Guarded(Work&& work) {
  try {
    return std::forward<Work>(work)();
  } catch (const Firebird::FbException& e) {
    throw StatusError(e.getStatus());
  }
}

}  // namespace zr::db::firebird
