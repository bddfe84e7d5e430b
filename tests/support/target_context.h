#pragma once
// One context per database target (support/targets.h): a fresh database for one test and what a test needs
// to know of the engine behind it. A test written against a TargetDatabase runs unchanged on embedded
// Firebird, the Firebird server and the Oracle stand-in; adding a target means adding one context here.
//
//   auto db = testsupport::CreateTargetDatabase();        // the current target's, for this test
//   const std::string t = db->Table("T");                 // the test's own table name
//   db->Exec({"CREATE TABLE " + t + " (ID INTEGER NOT NULL PRIMARY KEY)"});
//   auto connection = db->Connect();                      // a framework connection, connected
//   auto raw = db->Open();                                // a driver connection, opened directly
//
// Column types: INTEGER, BIGINT, SMALLINT, VARCHAR(n), NUMERIC(p,s), DOUBLE PRECISION, DATE and TIMESTAMP
// are written the same on every target; the context names what differs (large objects, the phrase a
// native message uses).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/driver.h"
#include "db/string_list.h"
#include "support/targets.h"

namespace zr::testsupport {

class TargetDatabase {
 public:
  virtual ~TargetDatabase() = default;

  Target Which() const { return target_; }
  const std::string& DriverName() const { return driverName_; }
  // The driver's entries that open this database.
  const db::TStringList& Params() const { return params_; }

  // A framework connection to this database, connected (auto-commit, the framework's defaults).
  std::unique_ptr<db::TFDConnection> Connect() const;
  // The driver's own connection, opened directly.
  std::unique_ptr<db::driver::Connection> Open() const;
  // The same with write-behind batches, on every target (the embedded engine sends none by default).
  std::unique_ptr<db::driver::Connection> OpenWithBatches() const;
  // Runs each statement through a framework connection of its own, committed.
  void Exec(const std::vector<std::string>& statements) const;
  // The first column of the first row of `sql` as text ("" for none or NULL), read through the framework.
  std::string Scalar(const std::string& sql) const;

  // The name under which this test's table `name` lives. On Firebird the database is the test's own and
  // the name is kept; on the stand-in the tests share one database and the name gets the process id.
  // Tables named here are dropped when the database object goes away.
  virtual std::string Table(const std::string& name) = 0;
  // Column types that differ between engines.
  virtual std::string TextLobType() const = 0;    // a character large object
  virtual std::string BinaryLobType() const = 0;  // a binary large object
  // A phrase of the native message for a duplicate primary key.
  virtual std::string DuplicateKeyPhrase() const = 0;
  // A query whose one value names the session (attachment, backend) it runs in.
  virtual std::string SessionIdQuery() const = 0;
  // Ends the session `id` from another connection, as when the link to the server is cut, and returns once
  // the server has ended it.
  virtual void EndSession(const std::string& id) const = 0;

 protected:
  TargetDatabase(Target target, std::string driverName)
      : target_(target), driverName_(std::move(driverName)) {}
  db::TStringList params_;
  // Entries added to params_ by OpenWithBatches.
  std::vector<std::string> batchEntries_;

 private:
  Target target_;
  std::string driverName_;
};

// A fresh database of the current target; the caller must have skipped first when the target is switched
// off (ZR_SKIP_UNLESS_TARGET_AVAILABLE, or TargetTest below). Test failures, not exceptions, report a target
// that cannot be reached.
std::unique_ptr<TargetDatabase> CreateTargetDatabase();
// A fresh Firebird database on `target` (EmbeddedFirebird or FirebirdServer) with the given page size,
// whatever the current target; for tests of the Firebird driver itself. `entries` are added to its driver
// entries before it is created ("DefaultCharSet=NONE" makes a legacy database).
std::unique_ptr<TargetDatabase> CreateFirebirdDatabase(Target target, int pageSize = 4096,
                                                       const std::vector<std::string>& entries = {});

// A test on a fresh database of the current target, skipped when the target is switched off.
class TargetTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::unique_ptr<TargetDatabase> db_;
};

}  // namespace zr::testsupport
