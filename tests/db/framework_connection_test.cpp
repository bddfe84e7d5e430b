// Connecting through the driver registry, the driver name entry, and what disconnecting does to an open
// transaction and to open queries.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "db/errors.h"
#include "db/transaction.h"
#include "framework_fixture.h"

namespace zr::db::testing {
namespace {

using FrameworkConnection = FirebirdFramework;

TEST_F(FrameworkConnection, DriverNameIsTheDriverIdEntryOfParams) {
  TFDConnection connection;
  connection.SetDriverName("FB");
  connection.Params().Add("Database=x");
  EXPECT_EQ(connection.Params().Text(), "DriverID=FB\r\nDatabase=x\r\n");
  connection.SetDriverName("Ora");
  EXPECT_EQ(connection.Params()[0], "DriverID=Ora");
  EXPECT_EQ(connection.DriverName(), "Ora");
  connection.Params().Clear();
  EXPECT_EQ(connection.DriverName(), "");
}

TEST_F(FrameworkConnection, ConnectingTwiceAndDisconnectingTwiceAreAllowed) {
  ASSERT_TRUE(connection_->Connected());
  connection_->SetConnected(true);
  EXPECT_TRUE(connection_->Connected());
  connection_->SetConnected(false);
  connection_->SetConnected(false);
  EXPECT_FALSE(connection_->Connected());
  connection_->Open();
  EXPECT_TRUE(connection_->Connected());
}

TEST_F(FrameworkConnection, FailedConnectCarriesTheClientsMessageAndLeavesTheConnectionClosed) {
  TFDConnection connection;
  connection.SetDriverName("FB");
  connection.Params().Add("Database=/nonexistent/dir/missing.fdb");
  try {
    connection.SetConnected(true);
    FAIL() << "connected to a missing file";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.fdb"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(connection.Connected());
}

TEST_F(FrameworkConnection, UnknownOrLowerCaseDriverNameIsAnError) {
  for (const char* name : {"fb", "NoSuchDriver", ""}) {
    SCOPED_TRACE(name);
    TFDConnection connection;
    Configure(connection);
    connection.SetDriverName(name);
    EXPECT_THROW(connection.SetConnected(true), EDatabaseError);
    EXPECT_FALSE(connection.Connected());
  }
}

TEST_F(FrameworkConnection, DisconnectAppliesTheDisconnectActionToTheOpenTransaction) {
  struct Case {
    const char* name;
    TFDTxAction action;
    int rowsKept;
  };
  const Case cases[] = {
      {"commit keeps the work", xdCommit, 1},
      {"rollback undoes the work", xdRollback, 0},
      {"no action leaves it to the server, which undoes it", xdNone, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Run("DELETE FROM LOG_ROWS");
    TFDConnection connection;
    Configure(connection);
    connection.TxOptions().SetAutoCommit(false);  // AutoStart only: the work stays open
    connection.TxOptions().DisconnectAction = c.action;
    TFDQuery insert;
    insert.SetConnection(&connection);
    insert.SQL().Add("INSERT INTO LOG_ROWS (N) VALUES (1)");
    insert.ExecSQL();
    ASSERT_TRUE(connection.InTransaction());
    connection.SetConnected(false);
    EXPECT_EQ(CommittedRows("LOG_ROWS"), c.rowsKept);
  }
}

TEST_F(FrameworkConnection, TheConnectionsTransactionObjectDecidesTheDisconnectAction) {
  TFDTransaction transaction;
  transaction.SetConnection(connection_.get());
  transaction.Options().AutoStop = false;
  transaction.Options().DisconnectAction = xdRollback;
  connection_->SetTransaction(&transaction);
  auto insert = Query("INSERT INTO LOG_ROWS (N) VALUES (1)");
  insert->ExecSQL();
  EXPECT_TRUE(transaction.Active());
  connection_->SetConnected(false);
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 0);
}

TEST_F(FrameworkConnection, DisconnectClosesOpenQueriesAndTheyReopenOnTheNextConnect) {
  Run("INSERT INTO LOG_ROWS (N) VALUES (7)");
  auto query = Query("SELECT N FROM LOG_ROWS");
  query->Open();
  ASSERT_TRUE(query->Active());
  connection_->SetConnected(false);
  EXPECT_FALSE(query->Active());
  EXPECT_EQ(query->FieldCount(), 0);
  query->Open();  // connects again by itself
  EXPECT_TRUE(connection_->Connected());
  EXPECT_EQ(query->FieldByName("N").AsInteger(), 7);
}

TEST_F(FrameworkConnection, FreeingTheConnectionDetachesItsQueriesAndTransactions) {
  auto query = Query("SELECT N FROM LOG_ROWS");
  TFDTransaction transaction;
  transaction.SetConnection(connection_.get());
  query->Open();
  connection_.reset();
  EXPECT_FALSE(query->Active());
  EXPECT_EQ(query->Connection(), nullptr);
  EXPECT_EQ(transaction.Connection(), nullptr);
  EXPECT_THROW(query->Open(), EDatabaseError);
  EXPECT_THROW(transaction.Commit(), EDatabaseError);
}

TEST_F(FrameworkConnection, AnOwnerFreesConnectionTransactionAndOpenQueriesInEitherOrder) {
  Run("INSERT INTO LOG_ROWS (N) VALUES (1)");
  for (bool connectionFirst : {true, false}) {
    SCOPED_TRACE(connectionFirst ? "connection created first" : "connection created last");
    auto form = std::make_unique<TComponent>();
    TFDQuery* early = connectionFirst ? nullptr : new TFDQuery(form.get());
    auto* connection = new TFDConnection(form.get());
    Configure(*connection);
    auto* transaction = new TFDTransaction(connection);  // owned by the connection itself
    transaction->Options().AutoStop = false;
    transaction->Options().DisconnectAction = xdRollback;
    transaction->SetConnection(connection);
    connection->SetTransaction(transaction);
    TFDQuery* query = early != nullptr ? early : new TFDQuery(form.get());
    query->SetConnection(connection);
    query->SQL().Add("SELECT N FROM LOG_ROWS");
    query->Open();
    TFDQuery insert(nullptr);
    insert.SetConnection(connection);
    insert.SQL().Add("INSERT INTO LOG_ROWS (N) VALUES (2)");
    insert.ExecSQL();
    form.reset();  // disconnects (rolling back) and frees everything exactly once
    EXPECT_EQ(insert.Connection(), nullptr);
    EXPECT_EQ(CommittedRows("LOG_ROWS"), 1);
  }
}

}  // namespace
}  // namespace zr::db::testing
