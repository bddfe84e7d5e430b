#pragma once
// The one place where ODBC failures become EDatabaseError: the message holds every diagnostic record of the
// failing handle (SQLSTATE, native error code and text), one per line, and the kind comes from their
// SQLSTATEs. A statement cancelled for its
// time-out (SQLSTATE HYT00 or HY008, or 57014 from PostgreSQL) fails with a message that begins with
// "Timeout expired".

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <string_view>
#include <vector>

#include "db/errors.h"

namespace zr::db::odbc {

struct DiagnosticRecord {
  std::string State;
  SQLINTEGER NativeError = 0;
  std::string Text;
};

bool Succeeded(SQLRETURN ret) noexcept;
bool IsTimeoutState(std::string_view state) noexcept;

// What the records' SQLSTATEs say of the failure: a time-out, a lost link, a lock conflict, or a statement
// that failed.
TDatabaseErrorKind KindOf(const std::vector<DiagnosticRecord>& records);

// The message for a failure of `action` with these records.
std::string FailureMessage(const std::vector<DiagnosticRecord>& records, std::string_view action);

std::vector<DiagnosticRecord> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// The failure of a connect to `destination` (its server or data source) with these records. A login
// time-out, the records' state a time-out or, as psqlODBC reports it, a failure to connect that came once
// the whole `loginTimeoutSeconds` had passed (`waitedItAll`), has kind ConnectTimedOut, with the seconds and
// the records' message among its facts; any other failure is ThrowFailure's.
EDatabaseError ConnectFailure(const std::vector<DiagnosticRecord>& records, TDatabaseErrorFacts destination,
                              unsigned loginTimeoutSeconds, bool waitedItAll);

// Raises EDatabaseError from the handle's diagnostic records.
[[noreturn]] void ThrowFailure(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view action);

// Returns normally for SQL_SUCCESS, SQL_SUCCESS_WITH_INFO and SQL_NO_DATA; raises otherwise.
inline void Check(SQLRETURN ret, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view action) {
  if (!Succeeded(ret) && ret != SQL_NO_DATA) ThrowFailure(handleType, handle, action);
}

}  // namespace zr::db::odbc
