// The in-house components on an "Ora" connection to the stand-in: statements translated to Oracle SQL
// before they are sent, column lists expanded from the live dictionary, the Oracle mapping rules and field
// classes, and the deadlock message of a statement blocked by another connection's lock.

#include <gtest/gtest.h>

#include "common/ascii.h"
#include "data/database.h"
#include "data/query.h"
#include "db/errors.h"
#include "standin.h"

namespace zr::db::odbc::test {
namespace {

using common::UpperAscii;

// A query whose ExecSQL time-out is shortened to one second.
class ShortTimeoutQuery : public data::TZRQuery {
 public:
  ShortTimeoutQuery() { SetTemposLimite(1000, 1000); }
};

class ComponentsOnOracle : public StandinTest {
 protected:
  void SetUp() override {
    StandinTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    CreateTable(
        "id numeric(9) NOT NULL, nome varchar(30), obs clob, valor numeric(15,4), foto bytea, dt timestamp(0)");
    Exec(*db_,
         {"INSERT INTO " + Table() +
          " VALUES (1, 'um', 'texto longo', 12.5, '\\x01', '30/01/2018 10:00:00'),"
          " (2, 'dois', NULL, 3.25, NULL, '31/01/2018'), (3, 'três', 'x', 0, NULL, '01/02/2018 23:59:59')"});
    database_.SetDriverName("Ora");
    database_.SetDatabase(kStandinDsn);
    database_.SetConnected(true);
  }

  void TearDown() override {
    database_.SetConnected(false);  // its open transaction would keep the table from being dropped
    StandinTest::TearDown();
  }

  // The field names of `query`, upper case, joined by ",".
  static std::string FieldNames(const data::TZRQuery& query) {
    std::string names;
    for (int i = 0; i < query.FieldCount(); ++i)
      names += (i ? "," : "") + UpperAscii(query.Fields(i).FieldName());
    return names;
  }

  data::TZRDatabase database_;
};

TEST_F(ComponentsOnOracle, DistinctAliasStarIsExpandedFromTheDictionaryWithoutLobs) {
  data::TZRQuery q;
  q.SetDatabase(&database_);
  q.SQL().Add("SELECT DISTINCT t.* FROM " + UpperAscii(Table()) + " t WHERE t.ID > 0");
  q.Open();
  q.FetchAll();
  EXPECT_EQ(FieldNames(q), "ID,NOME,VALOR,DT");
  EXPECT_EQ(q.RecordCount(), 3);
  EXPECT_EQ(q.SQL().Text(), "SELECT DISTINCT t.ID, T.NOME, T.VALOR, T.DT  FROM " + UpperAscii(Table()) +
                                " t WHERE t.ID > 0\r\n");
}

TEST_F(ComponentsOnOracle, GroupByAliasStarIsExpandedInBothPlaces) {
  data::TZRQuery q;
  q.SetDatabase(&database_);
  q.SQL().Add("SELECT t.*, COUNT(*) AS N FROM " + UpperAscii(Table()) + " t GROUP BY t.*");
  q.Open();
  q.FetchAll();
  EXPECT_EQ(FieldNames(q), "ID,NOME,VALOR,DT,N");
  EXPECT_EQ(q.RecordCount(), 3);
}

TEST_F(ComponentsOnOracle, MonthFirstDateLiteralsReachTheServerDayFirst) {
  data::TZRQuery q;
  q.SetDatabase(&database_);
  q.SQL().Add("SELECT COUNT(*) AS N FROM " + Table() + " WHERE DT >= '01/31/2018'");
  q.Open();
  EXPECT_EQ(q.FieldByName("N").AsInteger(), 2) << q.SQL().Text();
}

TEST_F(ComponentsOnOracle, OracleRulesGiveTheComponentsFieldClasses) {
  data::TZRQuery q;
  q.SetDatabase(&database_);
  q.SQL().Add("SELECT id, valor, obs FROM " + Table() + " WHERE id = 1");
  q.Open();
  EXPECT_STREQ(FieldTypeName(q.FieldByName("ID").DataType()), FieldTypeName(ftInteger));
  EXPECT_STREQ(q.FieldByName("VALOR").ClassName(), "TZRFloatField") << "NUMBER(15,4) maps to currency";
  EXPECT_DOUBLE_EQ(q.FieldByName("VALOR").AsFloat(), 12.5);
  EXPECT_STREQ(q.FieldByName("OBS").ClassName(), "TZRBlobField");
  EXPECT_STREQ(FieldTypeName(q.FieldByName("OBS").DataType()), FieldTypeName(ftMemo))
      << "a CLOB reads as a memo";
  EXPECT_EQ(q.FieldByName("OBS").AsString(), "texto longo");
}

TEST_F(ComponentsOnOracle, AStatementBlockedByAnotherConnectionsLockReportsAProbableDeadlock) {
  auto holder = NewConnection();
  holder->TxOptions().SetAutoCommit(false);
  holder->TxOptions().DisconnectAction = xdRollback;
  holder->SetWriteBehind(false);  // the lock is taken as the statement is executed
  holder->Open();
  Exec(*holder, {"UPDATE " + Table() + " SET nome = 'preso' WHERE id = 2"});

  ShortTimeoutQuery q;
  q.SetDatabase(&database_);
  database_.SetWriteBehind(false);  // the statement runs, and fails, as it is executed
  q.SQL().Add("UPDATE " + Table() + " SET NOME = 'livre'");
  q.SQL().Add("WHERE ID = 2");
  try {
    q.ExecSQL();
    FAIL() << "the update went through a locked row";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(std::string(e.what()),
              "ERRO PROVÁVEL DE DEADLOCK :\r\rUPDATE " + Table() + " SET NOME = 'livre'\r\nWHERE ID = 2\r\n");
  }
  holder->Close();
}

}  // namespace
}  // namespace zr::db::odbc::test
