#include "odbc_error.h"

#include <algorithm>

#include "db/errors.h"
#include "utf16.h"

namespace zr::db::odbc {

bool Succeeded(SQLRETURN ret) noexcept { return ret == SQL_SUCCESS || ret == SQL_SUCCESS_WITH_INFO; }

bool IsTimeoutState(std::string_view state) noexcept {
  return state == "HYT00" || state == "HY008" || state == "57014";
}

std::string FailureMessage(const std::vector<DiagnosticRecord>& records, std::string_view action) {
  std::string message;
  for (const auto& r : records) {
    if (IsTimeoutState(r.State)) {
      message = "Timeout expired";
      break;
    }
  }
  for (const auto& r : records) {
    if (!message.empty()) message += '\n';
    message += "[SQLSTATE " + r.State + "] [native " + std::to_string(r.NativeError) + "] " + r.Text;
  }
  if (records.empty()) message = std::string(action) + " failed (the ODBC driver gave no diagnostic)";
  return message;
}

TDatabaseErrorKind KindOf(const std::vector<DiagnosticRecord>& records) {
  for (const auto& r : records) {
    if (IsTimeoutState(r.State)) return TDatabaseErrorKind::NoAnswer;
  }
  for (const auto& r : records) {
    // Class 08: connection exception; 57P01 to 57P03: PostgreSQL ended the session (administrator, crash,
    // shutdown).
    if (r.State.rfind("08", 0) == 0 || r.State == "57P01" || r.State == "57P02" || r.State == "57P03") {
      return TDatabaseErrorKind::LinkLost;
    }
    // 40001: serialization failure (Oracle's deadlock ORA-00060 too); 40P01: PostgreSQL's deadlock; 55P03:
    // a lock not available.
    if (r.State == "40001" || r.State == "40P01" || r.State == "55P03")
      return TDatabaseErrorKind::LockConflict;
    // 42501: insufficient privilege (PostgreSQL, also "must be owner of table"); Oracle's ORA-01031.
    if (r.State == "42501" || r.NativeError == 1031) return TDatabaseErrorKind::NoPermission;
  }
  return TDatabaseErrorKind::StatementFailed;
}

std::vector<DiagnosticRecord> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
  std::vector<DiagnosticRecord> records;
  if (handle == SQL_NULL_HANDLE) return records;
  for (SQLSMALLINT i = 1;; ++i) {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLRETURN ret = SQLGetDiagRecW(handleType, handle, i, state, &native, nullptr, 0, &length);
    if (!Succeeded(ret)) break;
    WideText text(static_cast<size_t>(length) + 1, 0);
    ret = SQLGetDiagRecW(handleType, handle, i, state, &native, text.data(),
                         static_cast<SQLSMALLINT>(text.size()), &length);
    if (!Succeeded(ret)) break;
    text.resize(std::min(static_cast<size_t>(length), text.size() - 1));
    DiagnosticRecord record{FromWide(state, 5), native, FromWide(text)};
    // Some drivers (psqlODBC) repeat a record without its text: it adds nothing to the message.
    const bool repeatsEarlier =
        record.Text.empty() && std::any_of(records.begin(), records.end(), [&](const auto& r) {
          return r.State == record.State && r.NativeError == record.NativeError;
        });
    if (!repeatsEarlier) records.push_back(std::move(record));
  }
  return records;
}

EDatabaseError ConnectFailure(const std::vector<DiagnosticRecord>& records, TDatabaseErrorFacts destination,
                              unsigned loginTimeoutSeconds, bool waitedItAll) {
  const std::string message = FailureMessage(records, "SQLDriverConnect");
  const TDatabaseErrorKind kind = KindOf(records);
  if (kind != TDatabaseErrorKind::NoAnswer && !(waitedItAll && kind == TDatabaseErrorKind::LinkLost)) {
    return EDatabaseError(message, kind);
  }
  const std::string where = !destination.Server.empty() ? "The server " + destination.Server
                            : !destination.DataSource.empty()
                                ? "The server of the data source " + destination.DataSource
                                : std::string("The database server");
  destination.Seconds = static_cast<int>(loginTimeoutSeconds);
  destination.Cause = message;
  return EDatabaseError(
      where + " did not answer within " + std::to_string(loginTimeoutSeconds) + " s\n(" + message + ")",
      TDatabaseErrorKind::ConnectTimedOut, std::move(destination));
}

void ThrowFailure(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view action) {
  const std::vector<DiagnosticRecord> records = ReadDiagnostics(handleType, handle);
  throw EDatabaseError(FailureMessage(records, action), KindOf(records));
}

}  // namespace zr::db::odbc
