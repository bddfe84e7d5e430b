#pragma once
// Databases for the Firebird driver's tests. The one test program runs embedded and through the server on
// loopback, as support/targets.h chooses (ctest names ".../embedded" and ".../server"); server settings
// come from fixtures/environment.h and ZR_FB_SERVER=0 skips the server runs. Every TestDatabase is a new
// database file, dropped at the end.

#include <cstdint>
#include <deque>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "db/connection.h"
#include "db/driver.h"
#include "db/string_list.h"
#include "db/value.h"
#include "support/target_context.h"
#include "support/targets.h"

namespace zr::db::firebird::testing {

using testsupport::CurrentTarget;
using testsupport::Target;

// True when this run is on the Firebird server (ZR_TEST_TARGET=server).
inline bool OnServer() { return CurrentTarget() == Target::FirebirdServer; }
// The server's settings as entries (Server, Port, User_name, Password), without Database.
TStringList ServerEntries();

class TestDatabase {
 public:
  // Creates a new database (UTF8, page size `pageSize`) on the current target; `entries` are added to its
  // driver entries first ("DefaultCharSet=NONE" makes a legacy database).
  explicit TestDatabase(int pageSize = 4096, const std::vector<std::string>& entries = {});
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  // The driver's entries for this database (DriverID=FB first, then Server/Port when on the server...).
  const TStringList& Params() const { return db_->Params(); }
  // A framework connection, connected.
  std::unique_ptr<TFDConnection> Connect() const;
  // A driver connection, opened directly, with `entries` added to the database's ("Batches=1"...).
  std::unique_ptr<driver::Connection> Open(const std::vector<std::string>& entries = {}) const;

 private:
  std::unique_ptr<testsupport::TargetDatabase> db_;  // made and dropped by the target's context
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

// A statement the attachment holds prepared, as the monitoring tables show it: how often a word occurs in its
// text, and the rows it has inserted over all its executions.
struct PreparedUse {
  int64_t Words;
  int64_t Inserted;
  bool operator==(const PreparedUse&) const = default;
};
std::ostream& operator<<(std::ostream& out, const PreparedUse& use);
// Read through `reader` (each of its statements outside a transaction sees a fresh snapshot): the statements of
// the attachment `attachment` ("CURRENT_CONNECTION" for the reader's own, or its number) whose text starts with
// `start`, shortest first, with the occurrences of `word`.
std::vector<PreparedUse> PreparedStatements(driver::Connection& reader, const std::string& attachment,
                                            const std::string& word,
                                            const std::string& start = "EXECUTE BLOCK");
// The same, the occurrences of `word` alone.
std::vector<int64_t> PreparedWords(driver::Connection& reader, const std::string& attachment,
                                   const std::string& word, const std::string& start = "EXECUTE BLOCK");

}  // namespace zr::db::firebird::testing
