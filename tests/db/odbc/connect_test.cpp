// Connecting through the "Ora" driver: data source names, whole connection strings, failures.

#include <gtest/gtest.h>

#include <chrono>

#include "db/errors.h"
#include "silent_listener.h"
#include "standin.h"

namespace zr::db::odbc::test {
namespace {

class Connect : public ::testing::Test {
 protected:
  void SetUp() override {
    if (StandinDisabled()) GTEST_SKIP() << "Oracle stand-in switched off (ZR_STANDIN=0)";
  }
};

TEST_F(Connect, ADataSourceNameConnects) {
  auto db = NewConnection(kStandinDsn);
  db->Open();
  EXPECT_TRUE(db->Connected());
  EXPECT_EQ(Scalar(*db, "SELECT 1 FROM dual"), "1");
}

TEST_F(Connect, ADatabaseWithEqualsSignIsTheWholeConnectionString) {
  auto db = NewConnection(std::string("DSN=") + kStandinDsn +
                          ";ConnSettings=SET application_name='zr-whole-string'");
  db->Open();
  EXPECT_EQ(Scalar(*db, "SELECT current_setting('application_name')"), "zr-whole-string");
}

TEST_F(Connect, FailuresCarryTheDriverDiagnostics) {
  struct Case {
    const char* name;
    std::string database;
    std::vector<std::string> expectedParts;
  };
  const Case cases[] = {
      {"an unknown data source", "zr_no_such_dsn", {"[SQLSTATE IM002]", "Data source name not found"}},
      {"a server that does not listen", std::string("DSN=") + kStandinDsn + ";Port=1", {"[SQLSTATE 08001]"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto db = NewConnection(c.database);
    try {
      db->Open();
      ADD_FAILURE() << "connected";
    } catch (const EDatabaseError& e) {
      for (const auto& part : c.expectedParts)
        EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
    }
    EXPECT_FALSE(db->Connected());
  }
}

TEST_F(Connect, AServerThatNeverAnswersIsGivenUpAfterTheConnectTimeoutAndNamed) {
  const std::string address = db::testing::ProcessLoopback(4);
  db::testing::SilentListener listener(address, 55439);
  ASSERT_TRUE(listener.Listening()) << "cannot listen on " << address << ":55439";
  auto db = NewConnection(std::string("DSN=") + kStandinDsn + ";Servername=" + address + ";Port=55439");
  db->Params().Add("ConnectTimeout=2");
  const auto start = std::chrono::steady_clock::now();
  try {
    db->Open();
    ADD_FAILURE() << "connected to a server that never answered";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Kind(), TDatabaseErrorKind::ConnectTimedOut) << e.what();
    EXPECT_EQ(e.Facts().Server, address + ":55439");
    EXPECT_EQ(e.Facts().Seconds, 2);
  }
  // Without a login time-out the driver waits for ever.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
  EXPECT_FALSE(db->Connected());
}

}  // namespace
}  // namespace zr::db::odbc::test
