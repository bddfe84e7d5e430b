// How ODBC diagnostic records become the message of an EDatabaseError. The stand-in produces 57014 only, so
// the other time-out states are checked here.

#include <gtest/gtest.h>

#include <vector>

#include "odbc_error.h"

namespace zr::db::odbc {
namespace {

TEST(Diagnostics, EveryTimeoutStateReadsTimeoutExpired) {
  for (const char* state : {"HYT00", "HY008", "57014"}) {
    SCOPED_TRACE(state);
    const std::string message =
        FailureMessage({{state, 1013, "ORA-01013: user requested cancel"}}, "SQLExecute");
    EXPECT_EQ(message.rfind("Timeout expired\n", 0), 0u) << message;
    EXPECT_NE(message.find("ORA-01013: user requested cancel"), std::string::npos);
  }
}

TEST(Diagnostics, EveryRecordIsKeptWithStateAndNativeCode) {
  const std::string message = FailureMessage(
      {{"23000", 1, "ORA-00001: unique constraint (ZR.PK) violated"}, {"01000", 0, "second record"}},
      "SQLExecute");
  EXPECT_EQ(message,
            "[SQLSTATE 23000] [native 1] ORA-00001: unique constraint (ZR.PK) violated\n"
            "[SQLSTATE 01000] [native 0] second record");
}

TEST(Diagnostics, OtherStatesAreNotTimeouts) {
  EXPECT_EQ(FailureMessage({{"40001", 60, "ORA-00060: deadlock detected"}}, "SQLExecute").find("Timeout"),
            std::string::npos);
}

TEST(Diagnostics, TheKindComesFromTheStatesOfTheRecords) {
  struct Case {
    const char* name;
    std::vector<DiagnosticRecord> records;
    TDatabaseErrorKind kind;
  };
  const Case cases[] = {
      {"Oracle's cancel for the time-out",
       {{"HY008", 1013, "ORA-01013: user requested cancel"}},
       TDatabaseErrorKind::NoAnswer},
      {"PostgreSQL's cancel, after a record of another state",
       {{"01000", 0, "note"}, {"57014", 7, "canceling"}},
       TDatabaseErrorKind::NoAnswer},
      {"a connection exception", {{"08S01", 35, "The connection is down"}}, TDatabaseErrorKind::LinkLost},
      {"a session the administrator ended",
       {{"57P01", 7, "terminating connection"}},
       TDatabaseErrorKind::LinkLost},
      {"Oracle's deadlock",
       {{"40001", 60, "ORA-00060: deadlock detected"}},
       TDatabaseErrorKind::LockConflict},
      {"PostgreSQL's deadlock", {{"40P01", 7, "deadlock detected"}}, TDatabaseErrorKind::LockConflict},
      {"a lock not available", {{"55P03", 7, "could not obtain lock"}}, TDatabaseErrorKind::LockConflict},
      {"PostgreSQL's refusal to a user who does not own the table",
       {{"42501", 7, "ERROR: must be owner of table mat_mov01"}},
       TDatabaseErrorKind::NoPermission},
      {"Oracle's insufficient privileges, under a general state",
       {{"HY000", 1031, "ORA-01031: insufficient privileges"}},
       TDatabaseErrorKind::NoPermission},
      {"a duplicate key",
       {{"23000", 1, "ORA-00001: unique constraint"}},
       TDatabaseErrorKind::StatementFailed},
      {"no record at all", {}, TDatabaseErrorKind::StatementFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(KindOf(c.records), c.kind);
  }
}

// A failed connect: a login time-out, told by its state or (psqlODBC's way) by a failure to connect that came
// only once the whole time-out had passed, is a connect time-out naming where the connection went; any other
// failure keeps the kind of its states.
TEST(Diagnostics, AConnectThatTimedOutIsToldFromAnyOtherRefusal) {
  TDatabaseErrorFacts server;
  server.Server = "db01:1521";
  TDatabaseErrorFacts dsn;
  dsn.DataSource = "ZR";
  struct Case {
    const char* name;
    std::vector<DiagnosticRecord> records;
    TDatabaseErrorFacts destination;
    bool waitedItAll;
    TDatabaseErrorKind kind;
  };
  const Case cases[] = {
      {"the login time-out's state",
       {{"HYT00", 0, "Login timeout expired"}},
       server,
       false,
       TDatabaseErrorKind::ConnectTimedOut},
      {"a failure to connect after the whole time-out",
       {{"08001", 101, "could not connect to server: timeout expired"}},
       dsn,
       true,
       TDatabaseErrorKind::ConnectTimedOut},
      {"a failure to connect before the time-out ran out",
       {{"08001", 101, "could not connect to server: Connection refused"}},
       server,
       false,
       TDatabaseErrorKind::LinkLost},
      {"a password refused after a long wait",
       {{"28P01", 7, "password authentication failed"}},
       server,
       true,
       TDatabaseErrorKind::StatementFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EDatabaseError e = ConnectFailure(c.records, c.destination, 3, c.waitedItAll);
    EXPECT_EQ(e.Kind(), c.kind);
    const std::string message = FailureMessage(c.records, "SQLDriverConnect");
    if (c.kind != TDatabaseErrorKind::ConnectTimedOut) {
      EXPECT_EQ(std::string(e.what()), message);
      continue;
    }
    EXPECT_EQ(e.Facts().Server, c.destination.Server);
    EXPECT_EQ(e.Facts().DataSource, c.destination.DataSource);
    EXPECT_EQ(e.Facts().Seconds, 3);
    EXPECT_EQ(e.Facts().Cause, message);
  }
}

TEST(Diagnostics, AFailureWithoutRecordsNamesTheCall) {
  EXPECT_EQ(FailureMessage({}, "SQLDriverConnect"),
            "SQLDriverConnect failed (the ODBC driver gave no diagnostic)");
}

}  // namespace
}  // namespace zr::db::odbc
