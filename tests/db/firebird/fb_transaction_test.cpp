// Transactions: commit and rollback, their retaining forms (the transaction stays open and cursors live on),
// rollback when the connection goes away, statements outside a transaction, and the command time-out on a
// statement blocked by a row that a second attachment holds locked.

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
  FbTransactionTest() : FbDatabaseTest({"CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(10))",
                                        "INSERT INTO T VALUES (1, 'one')"}) {}

  // Rows of T as another attachment sees them (committed work only).
  int64_t CommittedCount() {
    auto other = db_->Open();
    return ValueAsInteger(Scalar(*other, "SELECT COUNT(*) FROM T"));
  }
};

ZR_FB_TEST(FbTransactionTest, EndingTheWorkWithEachCall) {
  struct Case {
    const char* name;
    void (driver::Connection::*end)();
    bool kept;
    bool stillOpen;
  };
  const Case cases[] = {
      {"Commit keeps the work and closes", &driver::Connection::Commit, true, false},
      {"Rollback drops the work and closes", &driver::Connection::Rollback, false, false},
      {"CommitRetaining keeps the work and stays open", &driver::Connection::CommitRetaining, true, true},
      {"RollbackRetaining drops the work and stays open", &driver::Connection::RollbackRetaining, false, true},
  };
  int id = 10;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int64_t before = CommittedCount();
    connection_->StartTransaction();
    Exec(*connection_, "INSERT INTO T VALUES (" + std::to_string(++id) + ", 'x')");
    EXPECT_EQ(CommittedCount(), before);  // not visible before it ends
    ((*connection_).*c.end)();
    EXPECT_EQ(CommittedCount(), before + (c.kept ? 1 : 0));
    EXPECT_EQ(connection_->InTransaction(), c.stillOpen);
    if (c.stillOpen) {
      // The same transaction goes on: more work, then a real end.
      Exec(*connection_, "INSERT INTO T VALUES (" + std::to_string(++id) + ", 'y')");
      connection_->Commit();
      EXPECT_EQ(CommittedCount(), before + (c.kept ? 2 : 1));
    }
  }
}

ZR_FB_TEST(FbTransactionTest, ACursorLivesOnAcrossCommitRetaining) {
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

ZR_FB_TEST(FbTransactionTest, DisconnectingRollsBackTheOpenTransaction) {
  connection_->StartTransaction();
  Exec(*connection_, "INSERT INTO T VALUES (2, 'lost')");
  connection_.reset();
  EXPECT_EQ(CommittedCount(), 1);

  // Through the framework: DisconnectAction xdRollback.
  auto connection = db_->Connect();
  connection->TxOptions().DisconnectAction = xdRollback;
  connection->TxOptions().SetAutoCommit(false);
  TFDQuery query;
  query.SetConnection(connection.get());
  query.SQL().Add("INSERT INTO T VALUES (3, 'lost too')");
  query.ExecSQL();
  EXPECT_TRUE(connection->InTransaction());
  connection->SetConnected(false);
  EXPECT_EQ(CommittedCount(), 1);
}

ZR_FB_TEST(FbTransactionTest, StatementsOutsideATransactionCommitByThemselves) {
  // No transaction open: the statement runs in one of its own, committed when it is done.
  Exec(*connection_, "INSERT INTO T VALUES (2, 'auto')");
  EXPECT_FALSE(connection_->InTransaction());
  EXPECT_EQ(CommittedCount(), 2);
  // A cursor keeps its own transaction until it is closed; a failing statement leaves nothing open.
  EXPECT_EQ(Query(*connection_, "SELECT ID FROM T").size(), 2u);
  EXPECT_THROW(Exec(*connection_, "INSERT INTO T VALUES (2, 'dup')"), EDatabaseError);
  EXPECT_FALSE(connection_->InTransaction());
  EXPECT_EQ(CommittedCount(), 2);
}

ZR_FB_TEST(FbTransactionTest, FrameworkRetainingCallsOnATransactionObject) {
  auto connection = db_->Connect();
  TFDTransaction transaction;
  transaction.SetConnection(connection.get());
  transaction.Options().SetAutoCommit(false);
  connection->SetTransaction(&transaction);
  TFDQuery query;
  query.SetConnection(connection.get());
  query.SetTransaction(&transaction);
  query.SQL().Add("INSERT INTO T VALUES (2, 'kept')");
  query.ExecSQL();
  EXPECT_TRUE(transaction.Active());
  transaction.CommitRetaining();
  EXPECT_TRUE(transaction.Active());
  query.SQL().Clear();
  query.SQL().Add("INSERT INTO T VALUES (3, 'dropped')");
  query.ExecSQL();
  transaction.RollbackRetaining();
  EXPECT_TRUE(transaction.Active());
  EXPECT_EQ(CommittedCount(), 2);
  transaction.Commit();
  EXPECT_FALSE(transaction.Active());
  EXPECT_EQ(CommittedCount(), 2);
  connection->SetTransaction(nullptr);
}

class FbTimeoutTest : public FbTransactionTest {};

ZR_FB_TEST(FbTimeoutTest, AStatementBlockedByALockedRowIsCancelledAndTheConnectionGoesOn) {
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

ZR_FB_TEST(FbTimeoutTest, FrameworkCommandTimeoutOnExecSQL) {
  auto holder = db_->Open();
  holder->StartTransaction();
  Exec(*holder, "DELETE FROM T WHERE ID = 1");

  auto connection = db_->Connect();
  TFDQuery query;
  query.SetConnection(connection.get());
  query.ResourceOptions().CmdExecTimeout = 1000;
  query.SQL().Add("DELETE FROM T WHERE ID = 1");
  try {
    query.ExecSQL();
    FAIL() << "the delete did not wait for the locked row";
  } catch (const EDatabaseError& e) {
    EXPECT_THAT(e.what(), HasSubstr("Timeout expired"));
  }
  holder->Commit();
  // A statement that finishes in time is not disturbed by the watchdog.
  query.SQL().Clear();
  query.SQL().Add("SELECT COUNT(*) AS N FROM T");
  query.Open();
  EXPECT_EQ(query.FieldByName("N").AsInteger(), 0);
}

}  // namespace
}  // namespace zr::db::firebird::testing
