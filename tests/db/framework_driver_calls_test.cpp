// What the framework asks of its driver: the entries at connect, one prepare per distinct text, the time-out
// before each run, the parameter arrays in one call, and the retaining calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/transaction.h"
#include "framework_fixture.h"
#include "spy_driver.h"

namespace zr::db::testing {
namespace {

class FrameworkDriverCalls : public FirebirdFramework {
 protected:
  void SetUp() override {
    FirebirdFramework::SetUp();
    RegisterSpyDriver();
    connection_->SetConnected(false);
    connection_->SetDriverName("FBSPY");
    Spy() = SpyJournal{};
    connection_->SetConnected(true);
  }
};

TEST_F(FrameworkDriverCalls, TheDriverConnectsWithTheEntriesOfParams) {
  EXPECT_EQ(Spy().ConnectEntries, connection_->Params().Text());
  EXPECT_NE(Spy().ConnectEntries.find("DriverID=FBSPY\r\n"), std::string::npos);
  EXPECT_NE(Spy().ConnectEntries.find("User_name=SYSDBA\r\n"), std::string::npos);
}

TEST_F(FrameworkDriverCalls, TheStatementIsPreparedAgainOnlyWhenItsTextChanges) {
  auto query = Query("INSERT INTO LOG_ROWS (N) VALUES (:N)");
  query->Params().ParamByName("N").SetAsInteger(1);
  query->ExecSQL();
  query->ExecSQL();
  query->SQL().Clear();
  query->SQL().Add("INSERT INTO LOG_ROWS (N) VALUES (:N)");  // the same text again
  query->ExecSQL();
  EXPECT_EQ(Spy().Prepared, (std::vector<std::string>{"INSERT INTO LOG_ROWS (N) VALUES (?)\r\n"}));
  query->SQL().Add("-- changed");
  query->ExecSQL();
  EXPECT_EQ(Spy().Prepared.size(), 2u);
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 4);
}

TEST_F(FrameworkDriverCalls, ExecuteHandsTheChosenElementsOfEveryMarkerToTheDriverInOneCall) {
  auto query = Query("INSERT INTO LOG_ROWS (N, TXT) VALUES (:N, :T || :n)");
  query->Params().SetArraySize(10);
  for (int i = 0; i < 10; ++i) {
    query->Params().ParamByName("N").AsIntegers[i] = i;
    query->Params().ParamByName("T").AsStrings[i] = "t";
  }
  query->Execute(5, 3);
  ASSERT_EQ(Spy().Executions.size(), 1u);
  const SpyExecution& e = Spy().Executions[0];
  EXPECT_EQ(e.Times, 5);
  EXPECT_EQ(e.Offset, 3);
  EXPECT_EQ(e.ParamTypes, (std::vector<TFieldType>{ftInteger, ftString, ftInteger}));  // marker order
  ASSERT_EQ(e.ParamValues.size(), 3u);
  EXPECT_EQ(e.ParamValues[0].size(), 10u);
  EXPECT_EQ(e.ParamValues[2], e.ParamValues[0]);
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 5);
}

TEST_F(FrameworkDriverCalls, ExecSqlIsOneExecutionOfAllElementsOrOfOne) {
  auto query = Query("INSERT INTO LOG_ROWS (N) VALUES (:N)");
  query->Params().ParamByName("N").SetAsInteger(1);
  query->ExecSQL();
  query->Params().SetArraySize(4);
  for (int i = 0; i < 4; ++i) query->Params().ParamByName("N").AsIntegers[i] = i;
  query->ExecSQL();
  ASSERT_EQ(Spy().Executions.size(), 2u);
  EXPECT_EQ(Spy().Executions[0].Times, 1);
  EXPECT_EQ(Spy().Executions[1].Times, 4);
  EXPECT_EQ(Spy().Executions[1].Offset, 0);

  query->SQL().Clear();  // the array size stays, but a text without parameters runs once
  query->SQL().Add("DELETE FROM LOG_ROWS WHERE N = 1");
  query->ExecSQL();
  EXPECT_EQ(Spy().Executions.back().Times, 1);
  EXPECT_EQ(query->RowsAffected(), 2);
}

TEST_F(FrameworkDriverCalls, TheCommandTimeoutIsSetBeforeEachRun) {
  auto query = Query("SELECT 1 AS X FROM RDB$DATABASE");
  query->ResourceOptions().CmdExecTimeout = 60000;
  query->ExecSQL();
  query->ResourceOptions().CmdExecTimeout = kNoTimeout;
  query->Open();
  // Set before the statement is prepared (preparing waits for the server too), then before each run.
  EXPECT_EQ(Spy().Timeouts, (std::vector<uint32_t>{60000, 60000, 4294967295u}));
}

TEST_F(FrameworkDriverCalls, RetainingCallsReachTheDriverAndAutoStartBeginsTheTransactionOnce) {
  TFDTransaction transaction;
  transaction.SetConnection(connection_.get());
  transaction.Options().AutoStop = false;
  connection_->SetTransaction(&transaction);
  auto insert = Query("INSERT INTO LOG_ROWS (N) VALUES (1)");
  insert->ExecSQL();
  insert->ExecSQL();
  transaction.CommitRetaining();
  insert->ExecSQL();
  transaction.RollbackRetaining();
  EXPECT_EQ(Spy().TransactionCalls,
            (std::vector<std::string>{"Start", "CommitRetaining", "RollbackRetaining"}));
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 2);
}

TEST_F(FrameworkDriverCalls, StatementsQueuedInATransactionReachTheDriverAsOneBatchInTheirOrder) {
  // The embedded engine sends batches only when asked: the spy sits on a connection that does.
  testsupport::RegisterWrappedDriver("FBBATCHES", "FB", {"Batches=1"});
  testsupport::RegisterJournalDriver("FBSPYBATCHES", "FBBATCHES", Spy());
  connection_->SetConnected(false);
  connection_->SetDriverName("FBSPYBATCHES");
  connection_->TxOptions().SetAutoCommit(false);
  connection_->SetConnected(true);
  Spy() = SpyJournal{};
  const std::vector<std::string> statements = {"INSERT INTO LOG_ROWS (N) VALUES (1)\r\n",
                                               "INSERT INTO LOG_ROWS (N) VALUES (2)\r\n",
                                               "UPDATE LOG_ROWS SET TXT = 'x'\r\n"};
  for (const std::string& sql : statements) {
    auto query = Query(sql.substr(0, sql.size() - 2));
    query->ExecSQL();
  }
  EXPECT_TRUE(Spy().BatchesSent.empty()) << "nothing is sent before it must be";
  connection_->EndTransaction(true);
  EXPECT_EQ(Spy().BatchesSent, (std::vector<int>{3}));
  EXPECT_EQ(Spy().Executed, statements);
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 2);
}

}  // namespace
}  // namespace zr::db::testing
