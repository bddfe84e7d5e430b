#include "fb_error.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "common/utf8.h"
#include "fb_text.h"

namespace zr::db::firebird {

namespace {

// The engine cuts some arguments of its messages to a number of bytes (the token of "Token unknown" is one
// byte), which can split a character of UTF-8 text; such a cut character is dropped, so that the message
// stays valid UTF-8.
std::string WithoutCutCharacters(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    // A byte no character starts with is kept as it is: only cut characters go.
    const size_t length = std::max<size_t>(1, common::Utf8LeadLength(static_cast<unsigned char>(text[i])));
    const size_t whole = 1 + common::Utf8Continuations(text, i + 1, length - 1);
    if (whole == length) out.append(text, i, length);
    i += whole;
  }
  return out;
}

std::string StatusTexts(Firebird::IStatus* status) {
  std::array<char, 16384> buffer{};
  const unsigned length = Util()->formatStatus(buffer.data(), static_cast<unsigned>(buffer.size()), status);
  // A connection in a legacy code page receives the messages' values and names in that code page.
  std::string text = WithoutCutCharacters(MessageFromServer(
      std::string_view(buffer.data(), length < buffer.size() ? length : buffer.size() - 1)));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

}  // namespace

std::string StatusMessage(Firebird::IStatus* status) {
  std::string message = StatusTexts(status);
  std::array<char, 6> sqlstate{};
  fb_sqlstate(sqlstate.data(), status->getErrors());
  // "HY000" is the client's "no particular state"; it adds nothing to the message.
  if (sqlstate[0] != '\0' && std::string(sqlstate.data()) != "HY000") {
    message += "\nSQLSTATE = ";
    message += sqlstate.data();
  }
  return message.empty() ? std::string("Firebird client error without a message") : message;
}

bool IsCancelled(Firebird::IStatus* status) {
  // The primary code stands first; a cancelled request reports isc_cancelled there.
  const intptr_t* errors = status->getErrors();
  return errors[0] == isc_arg_gds && errors[1] == isc_cancelled;
}

TDatabaseErrorKind KindOf(Firebird::IStatus* status) {
  // Any code of the vector may tell it: the engine puts the general code first ("connection shutdown",
  // "deadlock") and the particular one after it.
  for (const intptr_t* at = status->getErrors(); *at != isc_arg_end; at += *at == isc_arg_cstring ? 3 : 2) {
    if (*at != isc_arg_gds) continue;
    switch (at[1]) {
      case isc_network_error:
      case isc_net_read_err:
      case isc_net_write_err:
      case isc_conn_lost:
      case isc_lost_db_connection:
      case isc_att_shutdown:
      case isc_shutdown:
      case isc_bad_db_handle:
        return TDatabaseErrorKind::LinkLost;
      case isc_deadlock:
      case isc_lock_conflict:
      case isc_update_conflict:
      case isc_lock_timeout:
      case isc_concurrent_transaction:
        return TDatabaseErrorKind::LockConflict;
      case isc_no_priv:
        return TDatabaseErrorKind::NoPermission;
      default:
        break;
    }
  }
  return TDatabaseErrorKind::StatementFailed;
}

EDatabaseError StatusError(Firebird::IStatus* status) {
  return EDatabaseError(StatusMessage(status), KindOf(status));
}

EDatabaseError TimeoutError(uint32_t milliseconds, Firebird::IStatus* status) {
  return EDatabaseError("Timeout expired: the statement was cancelled after " + std::to_string(milliseconds) +
                            " ms (" + StatusTexts(status) + ")",
                        TDatabaseErrorKind::NoAnswer);
}

EDatabaseError ConnectTimeoutError(const std::string& address, int seconds, Firebird::IStatus* status) {
  TDatabaseErrorFacts facts;
  facts.Server = address;
  facts.Product = "Firebird";
  facts.Seconds = seconds;
  facts.Cause = StatusMessage(status);
  return EDatabaseError("The server " + address + " did not answer within " + std::to_string(seconds) +
                            " s\n(" + facts.Cause + ")",
                        TDatabaseErrorKind::ConnectTimedOut, std::move(facts));
}

EDatabaseError LostServerError(const std::string& address) {
  TDatabaseErrorFacts facts;
  facts.Server = address;
  return EDatabaseError(
      "The server " + address +
          " stopped answering and the connection was closed; the server undoes the work that "
          "was not committed",
      TDatabaseErrorKind::LinkLost, std::move(facts));
}

}  // namespace zr::db::firebird
