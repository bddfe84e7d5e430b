// How the connection's entries become the ODBC connection string.

#include <gtest/gtest.h>

#include "connection_string.h"

namespace zr::db::odbc {
namespace {

struct Case {
  const char* name;
  std::vector<std::string> entries;
  std::string expected;
};

TEST(ConnectionString, FollowsTheEntries) {
  const Case cases[] = {
      {"a database without = names a data source", {"DriverID=Ora", "Database=zrstandin"}, "DSN=zrstandin"},
      {"user and password go in as UID and PWD",
       {"Database=ORA1", "User_name=scott", "Password=tiger"},
       "DSN=ORA1;UID=scott;PWD=tiger"},
      {"a database with = is the whole connection string",
       {"Database=Driver={PostgreSQL Unicode};Servername=127.0.0.1;Port=55432", "User_name=u"},
       "Driver={PostgreSQL Unicode};Servername=127.0.0.1;Port=55432;UID=u"},
      {"a server and port reach the service without a data source",
       {"Server=dbhost", "Database=ORCL", "User_name=zr", "Password=pw", "Port=1521", "AuthMode=NORMAL"},
       "DRIVER={Oracle};DBQ=dbhost:1521/ORCL;UID=zr;PWD=pw"},
      {"a server without port leaves the port to the listener's default",
       {"Server=dbhost", "Database=ORCL"},
       "DRIVER={Oracle};DBQ=dbhost/ORCL"},
      {"ODBCDriver names the registered driver",
       {"Server=dbhost", "Database=ORCL", "ODBCDriver=Oracle 21 ODBC driver"},
       "DRIVER={Oracle 21 ODBC driver};DBQ=dbhost/ORCL"},
      {"a password with a semicolon is written in braces, inner braces doubled",
       {"Database=ORA1", "User_name=zr", "Password=a;b}c"},
       "DSN=ORA1;UID=zr;PWD={a;b}}c}"},
      {"an empty database still names a data source", {"Database="}, "DSN="},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TStringList params;
    for (const auto& e : c.entries) params.Add(e);
    EXPECT_EQ(BuildConnectionString(params), c.expected);
  }
}

}  // namespace
}  // namespace zr::db::odbc
