#pragma once
// A fresh embedded Firebird database per test program, reached through the real "FB" driver, with the
// tables the framework's tests use. Each test starts with empty tables and a connected TFDConnection that has
// the framework's own default options.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "db/connection.h"
#include "db/query.h"

namespace zr::db::testing {

class FirebirdFramework : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;

  // Driver name "FB" and the entries of the test database.
  static void Configure(TFDConnection& connection);
  // Runs `sql` on its own connection (committed at once), so the test's connection is not involved.
  static void Run(const std::string& sql);
  // COUNT(*) of `table` as another attachment sees it (only committed rows).
  static int CommittedRows(const std::string& table);
  // A query on the test's connection holding `sql`.
  std::unique_ptr<TFDQuery> Query(const std::string& sql);

  std::unique_ptr<TFDConnection> connection_;

 private:
  static std::string directory_;
  static std::string database_;
};

}  // namespace zr::db::testing
