// Write-behind against the real Firebird driver (embedded, asked to send batches): full batches held until
// something reads, and a driver that misbehaves (a fault-injecting wrapper makes the faults no real server
// gives on demand).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "db/errors.h"
#include "framework_fixture.h"
#include "support/passthrough_driver.h"
#include "write_queue.h"

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

// The queue on a journal of the batches the driver sends.
class HeldBatches : public FirebirdFramework {
 protected:
  void SetUp() override {
    FirebirdFramework::SetUp();
    testsupport::RegisterWrappedDriver("FBHELD", "FB", {"Batches=1"},
                                       [this](std::unique_ptr<driver::Connection> real) {
                                         return std::make_unique<testsupport::JournalConnection>(
                                             std::move(real), journal_);
                                       });
    connection_->SetConnected(false);
    connection_->SetDriverName("FBHELD");
    connection_->TxOptions().SetAutoCommit(false);
    connection_->SetConnected(true);
  }

  // Runs `sql` on a query of its own and keeps the query, whose count may still be pending.
  TFDQuery& Exec(const std::string& sql) {
    queries_.push_back(Query(sql));
    queries_.back()->ExecSQL();
    return *queries_.back();
  }

  int RowsInTransaction(const std::string& table) {
    auto rows = Query("SELECT COUNT(*) AS N FROM " + table);
    rows->Open();
    const int n = rows->FieldByName("N").AsInteger();
    rows->Close();
    return n;
  }

  testsupport::DriverJournal journal_;
  std::vector<std::unique_ptr<TFDQuery>> queries_;
};

// 700 inserts fill three batches (a block takes 256 of them); the key 600 is taken already, so the third
// batch fails. The two before it stay applied, the third runs statement by statement up to the failure, and
// the primary key shows that nothing ran twice.
TEST_F(HeldBatches, FullBatchesWaitForTheReadAndAFailureKeepsTheBatchesBeforeIt) {
  Run("INSERT INTO ITEMS (ID, NAME) VALUES (600, 'já estava')");
  for (int id = 1; id <= 700; ++id) Exec("INSERT INTO ITEMS (ID) VALUES (" + std::to_string(id) + ")");
  EXPECT_TRUE(journal_.BatchesSent.empty()) << "full batches wait until something reads";
  EXPECT_TRUE(queries_.front()->RowsAffected().Pending());
  try {
    connection_->FlushWrites();
    FAIL() << "a duplicate key passed";
  } catch (const EQueuedStatementError& e) {
    EXPECT_THAT(e.what(), HasSubstr("PRIMARY"));
    EXPECT_EQ(e.Kind(), TDatabaseErrorKind::StatementFailed);
  }
  EXPECT_EQ(journal_.BatchesSent, (std::vector<int>{256, 256, 188})) << "in the order they were filled";
  struct Expect {
    int id;
    int64_t count;
  };
  for (const Expect e : {Expect{1, 1}, Expect{256, 1}, Expect{512, 1}, Expect{513, 1}, Expect{599, 1},
                         Expect{600, 0}, Expect{601, 0}, Expect{700, 0}}) {
    SCOPED_TRACE(e.id);
    const TFDRowCount count = queries_[static_cast<size_t>(e.id - 1)]->RowsAffected();
    ASSERT_FALSE(count.Pending());
    EXPECT_EQ(count.Value(), e.count);
  }
  EXPECT_EQ(RowsInTransaction("ITEMS"), 600);
  connection_->EndTransaction(false);
  EXPECT_EQ(CommittedRows("ITEMS"), 1);
}

TEST_F(HeldBatches, ACursorOverAWrittenTableSeesEveryHeldBatch) {
  for (int id = 1; id <= 600; ++id) Exec("INSERT INTO ITEMS (ID) VALUES (" + std::to_string(id) + ")");
  Exec("UPDATE ITEMS SET NAME = 'x' WHERE ID > 300");
  EXPECT_EQ(RowsInTransaction("ITEMS"), 600);
  EXPECT_EQ(queries_.back()->RowsAffected().Value(), 300);
  connection_->EndTransaction(false);
}

// Past the held batches, or past the text and values they may hold, the queue is sent before it takes more.
TEST_F(HeldBatches, TheQueueIsSentWhenItHoldsTooManyBatchesOrTooMuchText) {
  const int perBatch = 256;
  const int held = perBatch * static_cast<int>(detail::WriteQueue::kHeldBatches + 1);
  for (int id = 1; id <= held + 1; ++id) {
    if (id == held + 1) {
      EXPECT_TRUE(journal_.BatchesSent.empty()) << "up to here every batch is held";
    }
    Exec("INSERT INTO LOG_ROWS (N) VALUES (" + std::to_string(id) + ")");
  }
  EXPECT_EQ(journal_.BatchesSent, std::vector<int>(detail::WriteQueue::kHeldBatches + 1, perBatch));
  EXPECT_EQ(queries_.front()->RowsAffected().Value(), 1);
  EXPECT_TRUE(queries_.back()->RowsAffected().Pending());
  connection_->EndTransaction(false);
  queries_.clear();
  journal_.BatchesSent.clear();

  // Long texts: 600 statements of 8,000 characters are far fewer than the batches may hold, but more text.
  const std::string text(8000, 'a');
  for (int i = 0; i < 600; ++i) Exec("UPDATE LOG_ROWS SET TXT = '" + text + "' WHERE N = -1");
  EXPECT_FALSE(journal_.BatchesSent.empty()) << "the queue stays within its text";
  EXPECT_LE(std::accumulate(journal_.BatchesSent.begin(), journal_.BatchesSent.end(), 0) * text.size(),
            detail::WriteQueue::kHeldBytes);
  connection_->EndTransaction(false);
}

}  // namespace
}  // namespace zr::db::testing
