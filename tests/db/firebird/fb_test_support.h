#pragma once
// Databases for the Firebird driver's tests. The same tests run embedded and through the server on loopback:
// the sources are built twice, with ZR_FB_TEST_ON_SERVER 0 and 1, and ZR_FB_TEST names the server's copies
// "...OnServer" so that every test has a name of its own. Server settings come
// from ZR_FB_HOST, ZR_FB_PORT, ZR_FB_USER, ZR_FB_PASSWORD (127.0.0.1, 3050, SYSDBA, masterkey) and
// ZR_FB_SERVER_DIR (/tmp/zr-fbserver, where the server may create files); ZR_FB_SERVER=0 skips the server
// runs. Every TestDatabase is a new database file, dropped at the end.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "db/connection.h"
#include "db/driver.h"
#include "db/string_list.h"
#include "db/value.h"

namespace zr::db::firebird::testing {

enum class Target { Embedded, Server };

#if ZR_FB_TEST_ON_SERVER
#define ZR_FB_TEST_NAME(name) name##OnServer
#else
#define ZR_FB_TEST_NAME(name) name
#endif
#define ZR_FB_TEST_(fixture, name) TEST_F(fixture, name)
// A test of `fixture` that runs on this build's target.
#define ZR_FB_TEST(fixture, name) ZR_FB_TEST_(fixture, ZR_FB_TEST_NAME(name))

Target CurrentTarget();
bool OnServer();
// The server's settings as entries (Server, Port, User_name, Password), without Database.
TStringList ServerEntries();

// Skips the current test when it runs against the server and ZR_FB_SERVER=0.
#define ZR_FB_SKIP_WITHOUT_SERVER()                                                         \
  do {                                                                                      \
    if (::zr::db::firebird::testing::OnServer() &&                                          \
        !::zr::db::firebird::testing::ServerTestsEnabled()) {                               \
      GTEST_SKIP() << "ZR_FB_SERVER=0: no Firebird server for this run";                    \
    }                                                                                       \
  } while (false)
bool ServerTestsEnabled();

class TestDatabase {
 public:
  // Creates a new database (UTF8, page size `pageSize`) on the current target.
  explicit TestDatabase(int pageSize = 4096);
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  // The driver's entries for this database (DriverID=FB first, then Server/Port when on the server...).
  const TStringList& Params() const { return params_; }
  // A framework connection, connected.
  std::unique_ptr<TFDConnection> Connect() const;
  // A driver connection, opened directly.
  std::unique_ptr<driver::Connection> Open() const;

 private:
  std::string dir_;
  TStringList params_;
};

// A test on a new database with one driver connection open and `schema` (statements run in turn) created.
class FbDatabaseTest : public ::testing::Test {
 protected:
  explicit FbDatabaseTest(std::vector<std::string> schema) : schema_(std::move(schema)) {}
  void SetUp() override;
  void TearDown() override;

  std::unique_ptr<TestDatabase> db_;
  std::unique_ptr<driver::Connection> connection_;

 private:
  std::vector<std::string> schema_;
};

// Parameter arrays for driver calls: each column keeps its values alive.
class ParamSet {
 public:
  ParamSet& Add(TFieldType type, std::vector<TFDValue> values);
  const std::vector<driver::ParamColumn>& Columns() const { return columns_; }

 private:
  std::deque<std::vector<TFDValue>> values_;
  std::vector<driver::ParamColumn> columns_;
};

using Rows = std::vector<std::vector<TFDValue>>;

// Prepares and runs `sql` on `connection` (in its open transaction, else in one of the statement's own).
void Exec(driver::Connection& connection, const std::string& sql, const ParamSet& params = {}, int times = 1,
          int offset = 0);
Rows Query(driver::Connection& connection, const std::string& sql, const ParamSet& params = {});
// The first value of the first row.
TFDValue Scalar(driver::Connection& connection, const std::string& sql);

}  // namespace zr::db::firebird::testing
