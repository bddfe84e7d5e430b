// Write-behind batches: a batch of statements of one literal shape runs as one prepared block with the literals
// as its inputs, any other as one block with its values written in, and each must count, match and fail
// exactly as the statements written out would; a block takes statements up to the engine's first limit.
// Embedded connections send no batches unless the entry "Batches" says so: these tests run on both.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
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
                        "EXCEPTION E_NO; END",
                        "CREATE TABLE L (K INTEGER, V1 VARCHAR(8000) CHARACTER SET UTF8, "
                        "V2 VARCHAR(8000) CHARACTER SET UTF8)",
                        Doubles()}) {}

  // D (X1 DOUBLE PRECISION, ..., X130 DOUBLE PRECISION)
  static std::string Doubles() {
    std::string ddl = "CREATE TABLE D (X1 DOUBLE PRECISION";
    for (int c = 2; c <= 130; ++c) ddl += ", X" + std::to_string(c) + " DOUBLE PRECISION";
    return ddl + ")";
  }

  void SetUp() override {
    FbDatabaseTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    connection_ = db_->Open({"Batches=1"});
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

// Past a limit a statement is refused and goes into the next batch: every statement runs once, with its count.
TEST_F(FbBatchTest, ABlockTakesStatementsUpToTheFirstLimitOfTheEngine) {
  std::string longText;  // 8,000 characters of three bytes each
  for (int i = 0; i < 8000; ++i) longText += "\xE2\x82\xAC";
  const std::vector<TFDValue> key{TFDValue(int64_t{1})}, text{TFDValue(longText)};
  std::vector<std::vector<TFDValue>> doubles;
  for (int c = 1; c <= 130; ++c) doubles.push_back({TFDValue(c + 0.25)});
  std::vector<driver::ParamColumn> doubleParams;
  for (const auto& values : doubles) doubleParams.push_back({ftFloat, &values});
  std::string insertDoubles = "INSERT INTO D VALUES (?";
  for (int c = 2; c <= 130; ++c) insertDoubles += ", ?";
  insertDoubles += ")";

  struct Case {
    const char* name;
    std::function<driver::BatchStatement(int)> statement;  // the i-th statement of the batch
    std::function<int64_t(int)> count;                     // its rows affected
    int atLeast, atMost;                                   // statements the first block takes
    std::string done;                                      // a query giving the statements done
  };
  const Case cases[] = {
      {"UPDATEs take two contexts and DELETEs one: 256",
       [&](int i) -> driver::BatchStatement {
         if (i < 100) return {"UPDATE T SET C = 'u' WHERE K = '" + Key(i % 40) + "'", {}, 1, 0};
         return {"DELETE FROM T WHERE K = 'none" + std::to_string(i) + "'", {}, 1, 0};
       },
       [](int i) { return i < 100 ? 1 : 0; }, 156, 156, "SELECT 117 + COUNT(*) FROM T WHERE C = 'u'"},
      {"long texts: 10,485,760 bytes of text",
       [&](int) -> driver::BatchStatement {
         return {"INSERT INTO L VALUES (?, ?, ?)",
                 {{ftInteger, &key}, {ftString, &text}, {ftString, &text}},
                 1,
                 0};
       },
       [](int) { return 1; }, 215, 218, "SELECT COUNT(*) FROM L WHERE CHAR_LENGTH(V2) = 8000 AND V1 = V2"},
      {"doubles travel as inputs: 32,767 inputs",
       [&](int) -> driver::BatchStatement {
         return {insertDoubles, doubleParams, 1, 0};
       },
       [](int) { return 1; }, 252, 252, "SELECT COUNT(*) FROM D WHERE X1 = 1.25 AND X130 = 130.25"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto batch = connection_->CreateBatch();
    int taken = 0;
    while (batch->Add(c.statement(taken))) ++taken;
    EXPECT_GE(taken, c.atLeast);
    EXPECT_LE(taken, c.atMost);
    std::vector<int64_t> expected;
    for (int i = 0; i < taken; ++i) expected.push_back(c.count(i));
    EXPECT_EQ(batch->Execute(kNoTimeout), expected);
    auto next = connection_->CreateBatch();
    ASSERT_TRUE(next->Add(c.statement(taken)));
    EXPECT_EQ(next->Execute(kNoTimeout), std::vector<int64_t>{c.count(taken)});
    EXPECT_EQ(ValueAsInteger(Scalar(*connection_, c.done)), taken + 1);
    connection_->Rollback();
    connection_->StartTransaction();
  }
}

// A batch of one shape runs in the smallest shaped block that holds it; the largest holds as many statements
// as the block's contexts allow (an UPDATE takes two, a DELETE one).
TEST_F(FbBatchTest, ShapedBlocksComeInAFewSizesUpToTheContextsLimit) {
  const int64_t attachment =
      ValueAsInteger(Scalar(*connection_, "SELECT CURRENT_CONNECTION FROM RDB$DATABASE"));
  struct Case {
    const char* statement;  // with the key's place as %
    int statements;
    int slots;
    bool full;  // one statement more is refused
  };
  const Case cases[] = {
      {"UPDATE T SET S = 'B' WHERE K = '%'", 8, 8, false},
      {"UPDATE T SET S = 'B' WHERE K = '%'", 9, 32, false},
      {"UPDATE T SET S = 'B' WHERE K = '%'", 33, 128, false},
      {"UPDATE T SET S = 'B' WHERE K = '%'", 128, 128, true},
      {"DELETE FROM T WHERE K = '%'", 129, 256, false},
      {"DELETE FROM T WHERE K = '%'", 256, 256, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.statement) + " x" + std::to_string(c.statements));
    const auto sql = [&](int i) {
      std::string text = c.statement;
      return text.replace(text.find('%'), 1, Key(i));
    };
    auto batch = connection_->CreateBatch();
    std::vector<int64_t> expected;
    for (int i = 0; i < c.statements; ++i) {
      ASSERT_TRUE(batch->Add({sql(i), {}, 1, 0}));
      expected.push_back(i < 40 ? 1 : 0);
    }
    if (c.full) {
      EXPECT_FALSE(batch->Add({sql(c.statements), {}, 1, 0}));
    }
    EXPECT_EQ(batch->Execute(kNoTimeout), expected);
    EXPECT_EQ(PreparedWords(*db_->Open(), std::to_string(attachment), "IF (Q >"),
              std::vector<int64_t>{c.slots});
    connection_->Rollback();
    connection_->StartTransaction();
  }
}

// The entries that switch one way of running batches off, for tests and benches.
TEST_F(FbBatchTest, EachWayOfRunningBatchesCanBeSwitchedOff) {
  connection_->Rollback();
  const auto updates = [&](driver::Batch& batch, int count) {
    for (int i = 0; i < count; ++i)
      if (!batch.Add({"UPDATE T SET S = 'B' WHERE K = '" + Key(i) + "'", {}, 1, 0})) return false;
    return true;
  };
  const std::vector<TFDValue> keys{TFDValue(Key(1))};
  const driver::BatchStatement parameterised{"UPDATE T SET S = 'P' WHERE K = ?", {{ftString, &keys}}, 1, 0};

  // Without shaped blocks, statements of one shape run as a literal block: nothing stays prepared.
  auto literal = db_->Open({"Batches=1", "ShapedBatches=0"});
  literal->StartTransaction();
  auto batch = literal->CreateBatch();
  ASSERT_TRUE(updates(*batch, 10));
  EXPECT_EQ(batch->Execute(kNoTimeout), std::vector<int64_t>(10, 1));
  const int64_t literalId = ValueAsInteger(Scalar(*literal, "SELECT CURRENT_CONNECTION FROM RDB$DATABASE"));
  EXPECT_TRUE(PreparedWords(*db_->Open(), std::to_string(literalId), "UPDATE").empty());
  literal->Rollback();

  // Without literal blocks, only statements of one literal shape are taken, and they run as a shaped block;
  // a batch too small for one fails before anything runs, so that its statements run one by one.
  auto shaped = db_->Open({"Batches=1", "LiteralBatches=0"});
  shaped->StartTransaction();
  batch = shaped->CreateBatch();
  EXPECT_FALSE(batch->Add(parameterised));
  EXPECT_EQ(batch->Count(), 0);
  ASSERT_TRUE(updates(*batch, 10));
  EXPECT_EQ(batch->Execute(kNoTimeout), std::vector<int64_t>(10, 1));
  const int64_t shapedId = ValueAsInteger(Scalar(*shaped, "SELECT CURRENT_CONNECTION FROM RDB$DATABASE"));
  EXPECT_EQ(PreparedWords(*db_->Open(), std::to_string(shapedId), "IF (Q >"), std::vector<int64_t>{32});
  batch = shaped->CreateBatch();
  ASSERT_TRUE(updates(*batch, 5));
  EXPECT_THROW(batch->Execute(kNoTimeout), EDatabaseError);
  EXPECT_EQ(ValueAsInteger(Scalar(*shaped, "SELECT COUNT(*) FROM T WHERE S = 'B'")), 10);
  shaped->Rollback();

  for (const auto& entries : {std::vector<std::string>{"Batches=0"},
                              std::vector<std::string>{"Batches=1", "ShapedBatches=0", "LiteralBatches=0"}}) {
    auto none = db_->Open(entries);
    none->StartTransaction();
    EXPECT_EQ(none->CreateBatch(), nullptr) << entries.back();
    none->Rollback();
  }
}

}  // namespace
}  // namespace zr::db::firebird::testing
