// What the Firebird driver adds to the transaction contract that every driver keeps (tests/db/conformance): a
// cursor lives on across CommitRetaining, and a statement blocked by a row that a second attachment holds
// locked is cancelled by the watchdog with the client's own words, leaving the attachment's transaction open.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "db/errors.h"
#include "db/options.h"
#include "db/query.h"
#include "db/transaction.h"
#include "fb_test_support.h"

namespace zr::db::firebird::testing {
namespace {

using ::testing::HasSubstr;

class FbTransactionTest : public FbDatabaseTest {
 protected:
  FbTransactionTest()
      : FbDatabaseTest({"CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(10))",
                        "INSERT INTO T VALUES (1, 'one')"}) {}

  // Rows of T as another attachment sees them (committed work only).
  int64_t CommittedCount() {
    auto other = db_->Open();
    return ValueAsInteger(Scalar(*other, "SELECT COUNT(*) FROM T"));
  }
};

TEST_F(FbTransactionTest, ACursorLivesOnAcrossCommitRetaining) {
  Exec(*connection_, "INSERT INTO T VALUES (2, 'two')");
  connection_->StartTransaction();
  auto statement = connection_->CreateStatement();
  statement->Prepare("SELECT ID FROM T ORDER BY ID");
  statement->Execute({}, 1, 0);
  std::vector<TFDValue> row;
  ASSERT_TRUE(statement->Fetch(row));
  connection_->CommitRetaining();
  ASSERT_TRUE(statement->Fetch(row));
  EXPECT_EQ(row[0], TFDValue(int64_t{2}));
  // A real commit closes the cursor: fetching then reports no more rows rather than failing.
  connection_->Commit();
  EXPECT_FALSE(statement->Fetch(row));
}

class FbTimeoutTest : public FbTransactionTest {};

TEST_F(FbTimeoutTest, AStatementBlockedByALockedRowIsCancelledAndTheConnectionGoesOn) {
  // The second attachment updates the row and keeps its transaction open: the row stays locked.
  auto holder = db_->Open();
  holder->StartTransaction();
  Exec(*holder, "UPDATE T SET V = 'held' WHERE ID = 1");

  connection_->StartTransaction();
  Exec(*connection_, "INSERT INTO T VALUES (2, 'mine')");
  auto blocked = connection_->CreateStatement();
  blocked->Prepare("UPDATE T SET V = 'waiting' WHERE ID = 1");  // wait mode: blocks on the lock
  blocked->SetTimeout(1000);
  try {
    blocked->Execute({}, 1, 0);
    FAIL() << "the update did not wait for the locked row";
  } catch (const EDatabaseError& e) {
    EXPECT_THAT(e.what(), HasSubstr("Timeout expired"));
    EXPECT_THAT(e.what(), HasSubstr("1000 ms"));
    EXPECT_THAT(e.what(), HasSubstr("operation was cancelled"));
  }
  // The attachment and its transaction go on, with the work done before the time-out.
  ASSERT_TRUE(connection_->InTransaction());
  EXPECT_EQ(ValueAsString(Scalar(*connection_, "SELECT V FROM T WHERE ID = 2")), "mine");
  holder->Rollback();
  blocked->SetTimeout(kNoTimeout);
  blocked->Execute({}, 1, 0);  // the lock is gone: the same statement now runs
  EXPECT_EQ(blocked->RowsAffected(), 1);
  connection_->Commit();
  EXPECT_EQ(ValueAsString(Scalar(*holder, "SELECT V FROM T WHERE ID = 1")), "waiting");
}

}  // namespace
}  // namespace zr::db::firebird::testing
