#pragma once
// The ODBC connection string for a connection's parameter entries.

#include <string>

#include "db/string_list.h"

namespace zr::db::odbc {

// "Database" with an "=" is taken as a whole connection string; otherwise it names a data source
// ("DSN=..."), unless "Server" is given: then the connection needs no data source and goes through the
// driver named by "ODBCDriver" (default "Oracle") to DBQ=Server[:Port]/Database. "User_name" and
// "Password", when given, are added as UID and PWD. Values that hold ";", "{" or "}" or blanks at either end
// are written in braces.
std::string BuildConnectionString(const TStringList& params);

}  // namespace zr::db::odbc
