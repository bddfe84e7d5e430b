// What the ODBC driver adds to the execution contract that every driver keeps (tests/db/conformance):
// parameter arrays in one request, the server's diagnostics of a failed element, statement time-outs on the
// server's clock and in whole seconds, and the point where a statement is described.

#include <gtest/gtest.h>

#include "db/errors.h"
#include "standin.h"

namespace zr::db::odbc::test {
namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class ArrayExecution : public StandinTest {
 protected:
  void SetUp() override {
    StandinTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    CreateTable("id integer CHECK (id <> 999), nome varchar(40), valor numeric(15,4), dt date");
    insert_.SetConnection(db_.get());
    insert_.SQL().Add("INSERT INTO " + Table() + " (id, nome, valor, dt) VALUES (:ID, :NOME, :VALOR, :DT)");
  }

  // Fills elements 0 .. size-1: id = first + i.
  void Fill(int size, int first = 0) {
    insert_.Params().SetArraySize(size);
    for (int i = 0; i < size; ++i) {
      insert_.Params().ParamByName("ID").AsIntegers[i] = first + i;
      insert_.Params().ParamByName("NOME").AsStrings[i] = "peça nº " + std::to_string(first + i);
      insert_.Params().ParamByName("VALOR").AsFloats[i] = (first + i) * 1.25;
      insert_.Params().ParamByName("DT").AsDates[i] = EncodeDateTime({2018, 1, 1 + i % 28, 0, 0, 0, 0});
    }
  }

  TFDQuery insert_;
};

TEST_F(ArrayExecution, TwentyFiveRowsGoInOneCall) {
  Fill(25);
  insert_.Params().ParamByName("NOME").ClearElement(4);
  const int callsBefore = SqlExecuteCalls();
  insert_.Execute(25, 0);
  EXPECT_EQ(SqlExecuteCalls() - callsBefore, 1);
  EXPECT_EQ(insert_.RowsAffected(), 25);
  EXPECT_EQ(Scalar(*db_, "SELECT count(*) FROM " + Table()), "25");
  EXPECT_EQ(Scalar(*db_, "SELECT nome || '|' || valor || '|' || to_char(dt, 'DD/MM/YYYY') FROM " + Table() +
                             " WHERE id = 24"),
            "peça nº 24|30.0000|25/01/2018");
  EXPECT_EQ(Scalar(*db_, "SELECT count(*) FROM " + Table() + " WHERE nome IS NULL AND id = 4"), "1");
}

TEST_F(ArrayExecution, AnElementsFailureFailsTheWholeCallWithTheServersMessage) {
  Fill(25);
  insert_.Params().ParamByName("ID").AsIntegers[13] = 999;  // breaks the CHECK constraint
  try {
    insert_.Execute(25, 0);
    FAIL() << "the array went in";
  } catch (const EDatabaseError& e) {
    EXPECT_TRUE(Contains(e.what(), "[SQLSTATE 23514]")) << e.what();
    EXPECT_TRUE(Contains(e.what(), "check constraint")) << e.what();
  }
  // The stand-in takes none of the rows of a failed array; the connection goes on.
  EXPECT_EQ(Scalar(*db_, "SELECT count(*) FROM " + Table()), "0");
  insert_.Params().ParamByName("ID").AsIntegers[13] = 13;
  insert_.Execute(25, 0);
  EXPECT_EQ(Scalar(*db_, "SELECT count(*) FROM " + Table()), "25");
}

TEST_F(ArrayExecution, AParameterisedQueryOpensItsResultSet) {
  Fill(25);
  insert_.Execute(10, 0);
  TFDQuery q;
  q.SetConnection(db_.get());
  q.SQL().Add("SELECT id, nome FROM " + Table() + " WHERE id >= :LOW AND nome <> :NOME ORDER BY id");
  q.Params().ParamByName("LOW").SetAsInteger(7);
  q.Params().ParamByName("NOME").SetAsString("peça nº 8");
  q.Open();
  q.FetchAll();
  ASSERT_EQ(q.RecordCount(), 2);
  q.First();
  EXPECT_EQ(q.FieldByName("NOME").AsString(), "peça nº 7");
  q.Next();
  EXPECT_EQ(q.FieldByName("ID").AsInteger(), 9);
}

// Describing a prepared statement costs psqlODBC (and Oracle's driver) a round trip to the server; after the
// execution it costs nothing. A statement that is only executed is therefore described after it ran.
TEST_F(ArrayExecution, AStatementThatIsOnlyExecutedIsDescribedAfterItRuns) {
  Fill(3);
  TakeOdbcCalls();
  insert_.Execute(3, 0);
  TFDQuery update;
  update.SetConnection(db_.get());
  update.SQL().Add("UPDATE " + Table() + " SET nome = 'x' WHERE id = 1");
  update.ExecSQL();
  EXPECT_EQ(TakeOdbcCalls(), "SQLExecute SQLNumResultCols SQLExecute SQLNumResultCols ");
  EXPECT_EQ(update.RowsAffected(), 1);
}

class TimeOut : public StandinTest {};

TEST_F(TimeOut, AStatementOverItsTimeOutFailsWithTimeoutExpired) {
  struct Case {
    const char* name;
    bool open;  // Open a result set, or ExecSQL
  };
  for (const Case& c :
       {Case{"a query that opens a cursor", true}, Case{"a statement run by ExecSQL", false}}) {
    SCOPED_TRACE(c.name);
    TFDQuery q;
    q.SetConnection(db_.get());
    q.ResourceOptions().CmdExecTimeout = 1000;
    q.SQL().Add("SELECT pg_sleep(5)");
    try {
      c.open ? q.Open() : q.ExecSQL();
      ADD_FAILURE() << "no time-out";
    } catch (const EDatabaseError& e) {
      EXPECT_TRUE(Contains(e.what(), "Timeout expired")) << e.what();
      EXPECT_TRUE(Contains(e.what(), "[SQLSTATE 57014]"))
          << "the driver's own diagnostic stays: " << e.what();
    }
    EXPECT_EQ(Scalar(*db_, "SELECT 'still connected' FROM dual"), "still connected");
  }
}

TEST_F(TimeOut, MillisecondsAreRoundedUpToWholeSeconds) {
  TFDQuery q;
  q.SetConnection(db_.get());
  q.ResourceOptions().CmdExecTimeout = 1001;  // two seconds, not one
  q.SQL().Add("SELECT pg_sleep(1.3)");
  EXPECT_NO_THROW(q.ExecSQL());
}

}  // namespace
}  // namespace zr::db::odbc::test
