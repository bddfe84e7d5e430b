// One transaction per connection: started by the first statement that needs one (AutoStart), ended after the
// statement or cursor that started it (AutoStop), or ended by the application (commit/rollback, retaining).
#include <gtest/gtest.h>

#include <string>

#include "db/errors.h"
#include "db/transaction.h"
#include "framework_fixture.h"

namespace zr::db::testing {
namespace {

using FrameworkTransaction = FirebirdFramework;

TEST_F(FrameworkTransaction, FrameworkDefaultsCommitEachStatementByItself) {
  const TFDTxOptions defaults;
  EXPECT_TRUE(defaults.AutoStart);
  EXPECT_TRUE(defaults.AutoStop);
  EXPECT_TRUE(defaults.AutoCommit());
  EXPECT_EQ(defaults.DisconnectAction, xdCommit);

  auto insert = Query("INSERT INTO LOG_ROWS (N) VALUES (1)");
  insert->ExecSQL();
  EXPECT_FALSE(connection_->InTransaction());
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 1);
}

TEST_F(FrameworkTransaction, AutoCommitFalseOnlyClearsAutoStop) {
  TFDTxOptions options;
  options.SetAutoCommit(false);
  EXPECT_TRUE(options.AutoStart);
  EXPECT_FALSE(options.AutoStop);
  options.AutoStart = false;
  options.SetAutoCommit(true);
  EXPECT_TRUE(options.AutoStart && options.AutoStop);
}

TEST_F(FrameworkTransaction, ACursorKeepsItsTransactionUntilFullyFetchedOrClosed) {
  for (int i = 0; i < 3; ++i) Run("INSERT INTO LOG_ROWS (N) VALUES (" + std::to_string(i) + ")");
  auto query = Query("SELECT N FROM LOG_ROWS ORDER BY N");
  query->Open();
  EXPECT_TRUE(connection_->InTransaction());
  query->FetchAll();
  EXPECT_FALSE(connection_->InTransaction());
  EXPECT_EQ(query->RecordCount(), 3);

  query->Close();
  query->Open();
  EXPECT_TRUE(connection_->InTransaction());
  query->Close();
  EXPECT_FALSE(connection_->InTransaction());
}

TEST_F(FrameworkTransaction, WithoutAutoStopTheWorkStaysOpenUntilCommitRetainingOrRollbackRetaining) {
  TFDTransaction transaction;
  transaction.SetConnection(connection_.get());
  transaction.Options().AutoStop = false;
  transaction.Options().DisconnectAction = xdRollback;
  connection_->SetTransaction(&transaction);
  connection_->SetUpdateTransaction(&transaction);

  auto insert = Query("INSERT INTO LOG_ROWS (N) VALUES (1)");
  insert->ExecSQL();
  EXPECT_TRUE(transaction.Active());
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 0);
  transaction.CommitRetaining();
  EXPECT_TRUE(transaction.Active());
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 1);

  insert->ExecSQL();
  auto count = Query("SELECT COUNT(*) AS C FROM LOG_ROWS");
  count->Open();
  EXPECT_EQ(count->FieldByName("C").AsInteger(), 2);  // its own work is visible inside the transaction
  transaction.RollbackRetaining();
  EXPECT_TRUE(transaction.Active());
  count->Close();
  count->Open();
  EXPECT_EQ(count->FieldByName("C").AsInteger(), 1);
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 1);

  insert->ExecSQL();
  connection_->SetConnected(false);  // xdRollback
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 1);
}

TEST_F(FrameworkTransaction, AFailedStatementRollsBackTheTransactionItStarted) {
  Run("INSERT INTO ITEMS (ID) VALUES (1)");
  auto insert = Query(
      "EXECUTE BLOCK AS BEGIN INSERT INTO LOG_ROWS (N) VALUES (1); INSERT INTO ITEMS (ID) VALUES (1); END");
  EXPECT_THROW(insert->ExecSQL(), EDatabaseError);
  EXPECT_FALSE(connection_->InTransaction());
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 0);
}

TEST_F(FrameworkTransaction, AStatementInsideAnOpenTransactionDoesNotEndIt) {
  TFDTransaction transaction;
  transaction.SetConnection(connection_.get());
  transaction.StartTransaction();
  EXPECT_THROW(transaction.StartTransaction(), EDatabaseError);
  auto insert = Query("INSERT INTO LOG_ROWS (N) VALUES (1)");
  insert->ExecSQL();  // AutoStop applies only to a transaction the statement started
  EXPECT_TRUE(transaction.Active());
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 0);
  transaction.Commit();
  EXPECT_FALSE(transaction.Active());
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 1);
  transaction.Commit();  // nothing open: nothing to do
  transaction.CommitRetaining();
  EXPECT_FALSE(transaction.Active());
}

TEST_F(FrameworkTransaction, TheQuerysTransactionObjectGovernsItsStatements) {
  TFDTransaction manual;
  manual.SetConnection(connection_.get());
  manual.Options().AutoStop = false;
  auto insert = Query("INSERT INTO LOG_ROWS (N) VALUES (1)");
  insert->SetTransaction(&manual);
  insert->ExecSQL();
  EXPECT_TRUE(manual.Active());
  manual.Rollback();
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 0);

  insert->SetTransaction(nullptr);  // back to the connection's defaults: commit after the statement
  insert->ExecSQL();
  EXPECT_FALSE(connection_->InTransaction());
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 1);
}

TEST_F(FrameworkTransaction, CommitKeepsTheRowsOfAnOpenCursorReadable) {
  for (int i = 0; i < 4; ++i) Run("INSERT INTO LOG_ROWS (N) VALUES (" + std::to_string(i) + ")");
  TFDTransaction transaction;
  transaction.SetConnection(connection_.get());
  transaction.Options().AutoStop = false;
  connection_->SetTransaction(&transaction);
  auto query = Query("SELECT N FROM LOG_ROWS ORDER BY N");
  query->Open();
  transaction.Commit();
  EXPECT_EQ(query->RecordCount(), 4);
  int sum = 0;
  for (query->First(); !query->Eof(); query->Next()) sum += query->FieldByName("N").AsInteger();
  EXPECT_EQ(sum, 0 + 1 + 2 + 3);
}

TEST_F(FrameworkTransaction, ExplicitControlNeedsAConnectedConnection) {
  TFDTransaction transaction;
  EXPECT_THROW(transaction.StartTransaction(), EDatabaseError);
  transaction.SetConnection(connection_.get());
  connection_->SetConnected(false);
  EXPECT_THROW(transaction.CommitRetaining(), EDatabaseError);
  EXPECT_FALSE(transaction.Active());
}

TEST_F(FrameworkTransaction, FreeingATransactionClearsTheReferencesToIt) {
  auto transaction = std::make_unique<TFDTransaction>();
  transaction->SetConnection(connection_.get());
  connection_->SetTransaction(transaction.get());
  connection_->SetUpdateTransaction(transaction.get());
  auto query = Query("INSERT INTO LOG_ROWS (N) VALUES (1)");
  query->SetTransaction(transaction.get());
  query->SetUpdateTransaction(transaction.get());
  transaction.reset();
  EXPECT_EQ(connection_->Transaction(), nullptr);
  EXPECT_EQ(connection_->UpdateTransaction(), nullptr);
  EXPECT_EQ(query->Transaction(), nullptr);
  EXPECT_EQ(query->UpdateTransaction(), nullptr);
  query->ExecSQL();
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 1);
}

}  // namespace
}  // namespace zr::db::testing
