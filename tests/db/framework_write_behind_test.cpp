// Write-behind against a driver that misbehaves: a fault-injecting wrapper around the real Firebird driver
// (embedded, asked to send batches) makes the faults no real server gives on demand.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/errors.h"
#include "framework_fixture.h"
#include "support/passthrough_driver.h"

namespace zr::db::testing {
namespace {

using ::testing::HasSubstr;

// A batch that runs every statement and then loses the last count, without raising.
class ShortCountBatch final : public testsupport::BatchWrapper {
 public:
  using BatchWrapper::BatchWrapper;
  std::vector<int64_t> Execute(uint32_t timeout) override {
    std::vector<int64_t> counts = BatchWrapper::Execute(timeout);
    if (!counts.empty()) counts.pop_back();
    return counts;
  }
};

class ShortCountConnection final : public testsupport::ConnectionWrapper {
 public:
  using ConnectionWrapper::ConnectionWrapper;
  std::unique_ptr<driver::Batch> CreateBatch() override {
    std::unique_ptr<driver::Batch> batch = ConnectionWrapper::CreateBatch();
    return batch ? std::make_unique<ShortCountBatch>(std::move(batch)) : nullptr;
  }
};

class FrameworkWriteBehind : public FirebirdFramework {
 protected:
  void SetUp() override {
    FirebirdFramework::SetUp();
    testsupport::RegisterWrappedDriver("FBSHORT", "FB", {"Batches=1"},
                                       [](std::unique_ptr<driver::Connection> real) {
                                         return std::make_unique<ShortCountConnection>(std::move(real));
                                       });
    connection_->SetConnected(false);
    connection_->SetDriverName("FBSHORT");
    connection_->TxOptions().SetAutoCommit(false);  // one transaction for the test: statements queue
    connection_->SetConnected(true);
  }
};

TEST_F(FrameworkWriteBehind, ABatchThatReturnsTooFewCountsFailsAndRunsNoStatementTwice) {
  auto first = Query("INSERT INTO LOG_ROWS (N) VALUES (1)");
  auto second = Query("INSERT INTO LOG_ROWS (N) VALUES (2)");
  auto third = Query("UPDATE LOG_ROWS SET TXT = 'x'");
  for (TFDQuery* query : {first.get(), second.get(), third.get()}) query->ExecSQL();
  ASSERT_TRUE(third->RowsAffected().Pending()) << "the statements wait in the queue";
  try {
    connection_->FlushWrites();
    FAIL() << "a batch without its counts passed";
  } catch (const EQueuedStatementError& e) {
    EXPECT_THAT(e.what(), HasSubstr("2 row counts for 3 statements"));
    EXPECT_EQ(e.Kind(), TDatabaseErrorKind::StatementFailed);
  }
  EXPECT_EQ(first->RowsAffected().Value(), 0);
  EXPECT_EQ(third->RowsAffected().Value(), 0);
  // What the batch did stays, once: the application rolls it back with the rest of its work.
  auto rows = Query("SELECT COUNT(*) AS N, COUNT(TXT) AS X FROM LOG_ROWS");
  rows->Open();
  EXPECT_EQ(rows->FieldByName("N").AsInteger(), 2);
  EXPECT_EQ(rows->FieldByName("X").AsInteger(), 2);
  rows->Close();
  connection_->EndTransaction(false);
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 0);
}

}  // namespace
}  // namespace zr::db::testing
