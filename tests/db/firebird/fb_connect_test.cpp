// Opening databases: embedded and on the server, the attachment's character set and protocol, the page size
// at creation, and the client's whole message for each way a connect fails.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "db/errors.h"
#include "db/firebird/driver.h"
#include "fb_test_support.h"

namespace zr::db::firebird::testing {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;

class FbConnectTest : public ::testing::Test {
 protected:
  void SetUp() override { ZR_SKIP_UNLESS_TARGET_AVAILABLE(); }
};

TEST_F(FbConnectTest, AttachesThroughTheTargetWithTheUtf8CharacterSet) {
  TestDatabase db;
  auto connection = db.Open();
  const Rows rows = Query(*connection,
                          "SELECT COALESCE(A.MON$REMOTE_PROTOCOL, 'embedded'), C.RDB$CHARACTER_SET_NAME, "
                          "D.RDB$CHARACTER_SET_NAME FROM MON$ATTACHMENTS A "
                          "JOIN RDB$CHARACTER_SETS C ON C.RDB$CHARACTER_SET_ID = A.MON$CHARACTER_SET_ID "
                          "CROSS JOIN RDB$DATABASE D WHERE A.MON$ATTACHMENT_ID = CURRENT_CONNECTION");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(ValueAsString(rows[0][0]), OnServer() ? "TCPv4" : "embedded");
  EXPECT_EQ(ValueAsString(rows[0][1]), "UTF8");  // the attachment's character set
  EXPECT_EQ(ValueAsString(rows[0][2]), "UTF8");  // the database's default, set at creation
}

TEST_F(FbConnectTest, PageSizeAppliesWhenTheDatabaseIsCreated) {
  TestDatabase db(8192);
  auto connection = db.Open();
  EXPECT_EQ(ValueAsInteger(Scalar(*connection, "SELECT MON$PAGE_SIZE FROM MON$DATABASE")), 8192);
  EXPECT_EQ(ValueAsInteger(Scalar(*connection, "SELECT MON$FORCED_WRITES FROM MON$DATABASE")), 1);
  // Opening with another PageSize entry leaves the database as it is.
  TStringList params = db.Params();
  params.SetValue("PageSize", "16384");
  auto again = driver::Connect("FB", params);
  EXPECT_EQ(ValueAsInteger(Scalar(*again, "SELECT MON$PAGE_SIZE FROM MON$DATABASE")), 8192);
}

TEST_F(FbConnectTest, ForcedWritesFalseAtCreationLeavesWritesToTheSystemCache) {
  TestDatabase db;
  TStringList params = db.Params();
  params.SetValue("Database", params.Values("Database") + ".async.fdb");
  params.SetValue("ForcedWrites", "False");
  CreateDatabase(params);
  {
    auto connection = driver::Connect("FB", params);
    EXPECT_EQ(ValueAsInteger(Scalar(*connection, "SELECT MON$FORCED_WRITES FROM MON$DATABASE")), 0);
  }
  DropDatabase(params);
  params.SetValue("ForcedWrites", "sometimes");
  EXPECT_THROW(CreateDatabase(params), EDatabaseError);
}

TEST_F(FbConnectTest, FrameworkConnectsAndDisconnectsByDriverName) {
  TestDatabase db;
  auto connection = db.Connect();
  EXPECT_TRUE(connection->Connected());
  EXPECT_EQ(connection->DriverName(), "FB");
  connection->SetConnected(false);
  EXPECT_FALSE(connection->Connected());
  connection->SetConnected(true);
  EXPECT_TRUE(connection->Connected());
}

struct BadConnect {
  const char* name;
  Target target;
  void (*spoil)(TStringList& params);
  std::vector<const char*> messageParts;
};

TEST_F(FbConnectTest, FailuresCarryTheClientsWholeMessage) {
  const BadConnect cases[] = {
      {"a missing database file",
       Target::EmbeddedFirebird,
       [](TStringList& p) { p.SetValue("Database", "/nonexistent-dir/missing.fdb"); },
       {"I/O error", "/nonexistent-dir/missing.fdb", "No such file or directory", "SQLSTATE = 08001"}},
      {"a missing database file on the server",
       Target::FirebirdServer,
       [](TStringList& p) { p.SetValue("Database", "/nonexistent-dir/missing.fdb"); },
       {"I/O error", "/nonexistent-dir/missing.fdb", "SQLSTATE = 08001"}},
      {"a wrong password over the server",
       Target::FirebirdServer,
       [](TStringList& p) { p.SetValue("Password", "wrong-password"); },
       {"Your user name and password are not defined", "SQLSTATE = 28000"}},
      {"a port where no server listens",
       Target::FirebirdServer,
       [](TStringList& p) { p.SetValue("Port", "3059"); },
       {"Unable to complete network request to host", "Failed to establish a connection",
        "SQLSTATE = 08006"}},
      {"an empty Database entry",
       CurrentTarget(),
       [](TStringList& p) { p.SetValue("Database", ""); },
       {"Database is empty"}},
      {"a port that is not a number",
       CurrentTarget(),
       [](TStringList& p) { p.SetValue("Port", "30x"); },
       {"Invalid value \"30x\" for the connection parameter Port"}},
  };
  TestDatabase db;
  for (const BadConnect& c : cases) {
    if (c.target != CurrentTarget()) {
      continue;
    }
    SCOPED_TRACE(c.name);
    TStringList params = db.Params();
    c.spoil(params);
    TFDConnection connection;
    for (const std::string& entry : params) {
      connection.Params().Add(entry);
    }
    try {
      connection.SetConnected(true);
      ADD_FAILURE() << "connected although the settings are wrong";
    } catch (const EDatabaseError& e) {
      for (const char* part : c.messageParts) {
        EXPECT_THAT(e.what(), HasSubstr(part));
      }
    }
    EXPECT_FALSE(connection.Connected());
  }
}

TEST_F(FbConnectTest, CreatingADatabaseThatExistsFails) {
  TestDatabase db;
  try {
    CreateDatabase(db.Params());
    ADD_FAILURE() << "created a database over an existing one";
  } catch (const EDatabaseError& e) {
    EXPECT_THAT(e.what(), AllOf(HasSubstr("I/O error"), HasSubstr("create")));
  }
}

}  // namespace
}  // namespace zr::db::firebird::testing
