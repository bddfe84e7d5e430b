// Write-behind batches on the Firebird server: a batch of statements of one literal shape runs as one
// prepared block with the literals as its inputs, and must count, match and fail exactly as the statements
// written out would. Embedded connections send no batches; these tests run on the server.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/errors.h"
#include "db/options.h"
#include "fb_test_support.h"

namespace zr::db::firebird::testing {
namespace {

class FbBatchTest : public FbDatabaseTest {
 protected:
  FbBatchTest()
      : FbDatabaseTest({"CREATE TABLE T (K VARCHAR(6), C VARCHAR(10) CHARACTER SET UTF8 COLLATE UNICODE_CI, "
                        "S CHAR(1))",
                        "CREATE EXCEPTION E_NO 'refused'",
                        "CREATE TRIGGER TR_NO FOR T BEFORE UPDATE AS BEGIN IF (NEW.S = 'X') THEN "
                        "EXCEPTION E_NO; END"}) {}

  void SetUp() override {
    FbDatabaseTest::SetUp();
    for (int i = 0; i < 40; ++i) {
      Exec(*connection_, "INSERT INTO T VALUES ('" + Key(i) + "', 'Abc" + std::to_string(i % 3) + "', 'A')");
    }
    connection_->StartTransaction();
    batch_ = connection_->CreateBatch();
    if (!batch_) GTEST_SKIP() << "only a server connection sends batches";
  }

  static std::string Key(int i) {
    std::string key = std::to_string(i);
    return std::string(6 - key.size(), '0') + key;
  }
  void Add(const std::string& sql) { ASSERT_TRUE(batch_->Add({sql, {}, 1, 0})) << sql; }
  int64_t Count(const std::string& where) {
    return ValueAsInteger(Scalar(*connection_, "SELECT COUNT(*) FROM T WHERE " + where));
  }

  std::unique_ptr<driver::Batch> batch_;
};

TEST_F(FbBatchTest, StatementsOfOneShapeCountAndMatchAsWritten) {
  // Keys of every batch size class, a key that matches nothing, one longer than the column, and a
  // comparison under a case-insensitive collation.
  std::vector<int64_t> expected;
  for (int i = 0; i < 35; ++i) {
    Add("UPDATE T SET S = 'B' WHERE K = '" + Key(i) + "' AND S = 'A'");
    expected.push_back(1);
  }
  Add("UPDATE T SET S = 'B' WHERE K = '" + Key(35) + "' AND S = 'Z'");
  expected.push_back(0);
  EXPECT_EQ(batch_->Execute(kNoTimeout), expected);
  EXPECT_EQ(Count("S = 'B'"), 35);

  auto again = connection_->CreateBatch();
  std::vector<int64_t> counts;
  for (int i = 0; i < 9; ++i)
    ASSERT_TRUE(again->Add({"UPDATE T SET S = 'C' WHERE C = 'abc" + std::to_string(i % 3) + "'", {}, 1, 0}));
  counts = again->Execute(kNoTimeout);
  ASSERT_EQ(counts.size(), 9u);
  EXPECT_EQ(counts[0], 14);  // 'Abc0' for keys 0, 3, ..., 39
  EXPECT_EQ(counts[1], 13);
  EXPECT_EQ(Count("S = 'C'"), 40);

  auto longer = connection_->CreateBatch();
  for (int i = 0; i < 8; ++i)
    ASSERT_TRUE(longer->Add({"DELETE FROM T WHERE K = '" + Key(i) + "'", {}, 1, 0}));
  ASSERT_TRUE(longer->Add({"DELETE FROM T WHERE K = '0000009'", {}, 1, 0}));
  EXPECT_EQ(longer->Execute(kNoTimeout), (std::vector<int64_t>{1, 1, 1, 1, 1, 1, 1, 1, 0}));
  EXPECT_EQ(Count("1 = 1"), 32);
  connection_->Commit();
}

TEST_F(FbBatchTest, AStatementThatFailsFailsTheWholeBatchAndLeavesNothing) {
  for (int i = 0; i < 10; ++i)
    Add("UPDATE T SET S = '" + std::string(i == 7 ? "X" : "B") + "' WHERE K = '" + Key(i) + "'");
  EXPECT_THAT([&] { batch_->Execute(kNoTimeout); },
              ::testing::ThrowsMessage<EDatabaseError>(::testing::HasSubstr("refused")));
  EXPECT_EQ(Count("S <> 'A'"), 0);
  connection_->Rollback();
}

// The values of a parameterised statement are written into the block at its markers only: a literal that
// reads like a marker, or like the block's own name for one, is stored as written.
TEST_F(FbBatchTest, ValuesGoAtTheMarkersAndLiteralsThatReadLikeMarkersStayAsWritten) {
  const std::vector<TFDValue> keys{TFDValue(Key(1)), TFDValue(Key(2))};
  const driver::BatchStatement statement{"UPDATE T SET C = ':p0_0 ?' WHERE K = ?", {{ftString, &keys}}, 2, 0};
  ASSERT_TRUE(batch_->Add(statement));
  EXPECT_EQ(batch_->Execute(kNoTimeout), (std::vector<int64_t>{2}));
  EXPECT_EQ(Count("C = ':p0_0 ?'"), 2);
  EXPECT_EQ(Count("K IN ('" + Key(1) + "', '" + Key(2) + "') AND C = ':p0_0 ?'"), 2);
  connection_->Rollback();
}

// A batch and the statements of its shape take the same prepared request from the attachment's cache: the
// server lists one request of the shape, the same one before and after the batch, and one shaped block.
TEST_F(FbBatchTest, ABatchAndTheStatementsOfItsShapeShareOneRequest) {
  const int64_t attachment =
      ValueAsInteger(Scalar(*connection_, "SELECT CURRENT_CONNECTION FROM RDB$DATABASE"));
  // Read from another attachment: each of its statements sees a fresh snapshot of the monitoring tables.
  auto monitor = db_->Open();
  const auto requests = [&](const std::string& start) {
    std::vector<int64_t> ids;
    for (const auto& row :
         Query(*monitor, "SELECT MON$STATEMENT_ID FROM MON$STATEMENTS WHERE MON$ATTACHMENT_ID = " +
                             std::to_string(attachment) + " AND MON$SQL_TEXT STARTING WITH '" + start + "'"))
      ids.push_back(ValueAsInteger(row[0]));
    return ids;
  };
  const auto run = [&](const std::string& sql) {
    auto statement = connection_->CreateStatement();
    statement->Prepare(sql);
    statement->Execute({}, 1, 0);
    return statement->RowsAffected();
  };

  EXPECT_EQ(run("UPDATE T SET S = 'B' WHERE K = '" + Key(0) + "'"), 1);
  const std::vector<int64_t> shared = requests("UPDATE");
  ASSERT_EQ(shared.size(), 1u);

  for (int i = 1; i <= 10; ++i) Add("UPDATE T SET S = 'B' WHERE K = '" + Key(i) + "'");
  EXPECT_EQ(batch_->Execute(kNoTimeout), std::vector<int64_t>(10, 1));
  EXPECT_EQ(requests("UPDATE"), shared);
  EXPECT_EQ(requests("EXECUTE BLOCK").size(), 1u);

  EXPECT_EQ(run("UPDATE T SET S = 'B' WHERE K = '" + Key(11) + "'"), 1);
  EXPECT_EQ(requests("UPDATE"), shared);
  EXPECT_EQ(Count("S = 'B'"), 12);
  connection_->Commit();
}

}  // namespace
}  // namespace zr::db::firebird::testing
