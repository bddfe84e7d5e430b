#include "fb_error.h"

#include <array>

namespace zr::db::firebird {

namespace {

std::string StatusTexts(Firebird::IStatus* status) {
  std::array<char, 16384> buffer{};
  const unsigned length = Util()->formatStatus(buffer.data(), static_cast<unsigned>(buffer.size()), status);
  std::string text(buffer.data(), length < buffer.size() ? length : buffer.size() - 1);
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

EDatabaseError StatusError(Firebird::IStatus* status) { return EDatabaseError(StatusMessage(status)); }

EDatabaseError TimeoutError(uint32_t milliseconds, Firebird::IStatus* status) {
  return EDatabaseError("Timeout expired: the statement was cancelled after " + std::to_string(milliseconds) +
                        " ms (" + StatusTexts(status) + ")");
}

}  // namespace zr::db::firebird
