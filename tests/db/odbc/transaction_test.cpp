// Transactions: manual commit, the retaining forms that go on in a new transaction, and rollback when the
// connection goes away.

#include <gtest/gtest.h>

#include "db/driver.h"
#include "db/transaction.h"
#include "standin.h"

namespace zr::db::odbc::test {
namespace {

class Transactions : public StandinTest {
 protected:
  void SetUp() override {
    StandinTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    CreateTable("id integer");
    observer_ = NewConnection();
    observer_->Open();
  }

  // The ids another connection sees as committed.
  std::string CommittedIds() {
    return Scalar(*observer_, "SELECT coalesce(string_agg(id::text, ',' ORDER BY id), '-') FROM " + Table());
  }

  void Insert(TFDTransaction* tx, int id) {
    TFDQuery q;
    q.SetConnection(db_.get());
    q.SetTransaction(tx);
    q.SQL().Add("INSERT INTO " + Table() + " VALUES (" + std::to_string(id) + ")");
    q.ExecSQL();
  }

  std::unique_ptr<TFDConnection> observer_;
};

TEST_F(Transactions, RetainingFormsEndTheWorkAndGoOn) {
  TFDTransaction tx;
  tx.SetConnection(db_.get());
  tx.Options().SetAutoCommit(false);
  Insert(&tx, 1);
  EXPECT_EQ(CommittedIds(), "-") << "work before a commit is not visible to others";
  tx.CommitRetaining();
  EXPECT_TRUE(tx.Active());
  EXPECT_EQ(CommittedIds(), "1");
  Insert(&tx, 2);
  tx.RollbackRetaining();
  EXPECT_TRUE(tx.Active());
  Insert(&tx, 3);
  tx.Commit();
  EXPECT_EQ(CommittedIds(), "1,3");
}

TEST_F(Transactions, DisconnectingRollsBackWhatWasNotCommitted) {
  db_->TxOptions().SetAutoCommit(false);
  db_->TxOptions().DisconnectAction = xdRollback;
  Insert(nullptr, 1);
  ASSERT_TRUE(db_->InTransaction());
  db_->Close();
  EXPECT_EQ(CommittedIds(), "-");
}

TEST_F(Transactions, TheDriverRollsBackWhenItsConnectionGoesAway) {
  auto connection = ConnectDriver();
  connection->StartTransaction();
  auto statement = connection->CreateStatement();
  statement->Prepare("INSERT INTO " + Table() + " VALUES (9)");
  statement->Execute({}, 1, 0);
  statement.reset();
  connection.reset();
  EXPECT_EQ(CommittedIds(), "-");
}

TEST_F(Transactions, OutsideATransactionEachStatementCommits) {
  auto connection = ConnectDriver();
  auto statement = connection->CreateStatement();
  statement->Prepare("INSERT INTO " + Table() + " VALUES (5)");
  statement->Execute({}, 1, 0);
  EXPECT_EQ(CommittedIds(), "5");
}

}  // namespace
}  // namespace zr::db::odbc::test
