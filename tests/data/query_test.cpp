// The query component on an embedded Firebird database: statement kinds, time-outs, the deadlock message,
// errors, the delete block, the field classes and the resolution of its link to the connection.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "data/fields.h"
#include "data/query.h"
#include "db/component.h"
#include "db/connection.h"
#include "db/errors.h"
#include "db/query.h"
#include "db/firebird/driver.h"
#include "support/passthrough_driver.h"
#include "support/recording_driver.h"
#include "support/scratch_database.h"

namespace zr::data {
namespace {

// A query whose time-outs a test can shorten, and whose field-class choice it can ask directly.
class TestQuery : public TZRQuery {
 public:
  using TZRQuery::GetFieldClass;
  using TZRQuery::SetTemposLimite;
  using TZRQuery::TZRQuery;
};

class QueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_.Run({"CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40))",
                  "INSERT INTO T (ID, NOME) VALUES (1, 'um')",
                  "INSERT INTO T (ID, NOME) VALUES (2, 'dois')"});
    scratch_.Configure(db_);
    db_.SetConnected(true);
  }

  int Count(const std::string& where = "1=1") {
    TZRQuery q;
    q.SetDatabase(&db_);
    q.SQL().Add("SELECT COUNT(*) AS N FROM T WHERE " + where);
    q.Open();
    return q.FieldByName("N").AsInteger();
  }

  // `holder`, a second connection, updates row 1 and keeps its transaction open (no automatic stop): the
  // row stays locked until it disconnects.
  void LockRowOne(TZRDatabase& holder) {
    scratch_.Configure(holder);
    holder.SetConnected(true);
    holder.SetWriteBehind(false);  // the lock is taken as the statement is executed
    TZRQuery lock;
    lock.SetDatabase(&holder);
    lock.SQL().Add("UPDATE T SET NOME = 'preso' WHERE ID = 1");
    lock.ExecSQL();
  }

  // What a statement blocked by that lock reports: the deadlock message and the statement as translated.
  static constexpr const char* kBlockedMessage =
      "ERRO PROVÁVEL DE DEADLOCK :\r\r"
      "UPDATE T SET NOME = 'esperando'\r\n"
      "WHERE ID = 1 AND char_length(NOME) > 0\r\n";

  testing::ScratchDatabase scratch_;
  TZRDatabase db_;
};

TEST(EhConsultaTest, OnlyUpdateInsertAndDeleteAtTheVeryStartAreStatementsWithoutRows) {
  struct Case {
    const char* name;
    const char* text;
    bool consulta;
  };
  const Case cases[] = {
      {"a SELECT returns rows", "SELECT * FROM T", true},
      {"an UPDATE returns none", "UPDATE T SET ID = 1", false},
      {"an update in lower case returns none", "update t set id = 1", false},
      {"an Insert in mixed case returns none", "Insert into T values (1)", false},
      {"a DELETE returns none", "DELETE FROM T", false},
      {"the six letters alone decide", "DELETED_ROWS", false},
      {"an UPDATE after a blank counts as rows", " UPDATE T SET ID = 1", true},
      {"an UPDATE after a line break counts as rows", "\r\nUPDATE T SET ID = 1", true},
      {"an UPDATE after a comment counts as rows", "/* x */ UPDATE T SET ID = 1", true},
      {"a MERGE counts as rows", "MERGE INTO T USING X ON 1=1", true},
      {"an EXECUTE PROCEDURE counts as rows", "EXECUTE PROCEDURE P", true},
      {"a text shorter than six characters counts as rows", "UPDAT", true},
      {"an empty text counts as rows", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TZRQuery::EhConsulta(c.text), c.consulta);
  }
}

TEST_F(QueryTest, ANewQueryHasTheComponentsDefaults) {
  TZRQuery q;
  EXPECT_EQ(q.Database(), nullptr);
  EXPECT_FALSE(q.Active());
  EXPECT_FALSE(q.ResourceOptions().EscapeExpand);
  EXPECT_FALSE(q.ResourceOptions().MacroCreate);
  EXPECT_FALSE(q.ResourceOptions().MacroExpand);
  EXPECT_FALSE(q.UpdateOptions().CheckReadOnly);
  EXPECT_TRUE(q.AutoTransacao());
  EXPECT_TRUE(q.TempoLimite());
  EXPECT_TRUE(q.BloqueiaDelete());
  EXPECT_FALSE(q.TimeOutOpen());
  EXPECT_EQ(TZRQuery::kTempoLimiteFB, 60000u);
  EXPECT_EQ(TZRQuery::kTempoLimiteOutros, 30000u);
}

TEST_F(QueryTest, OpenSendsAnUpdateInLowerCaseToExecSQLUnderTheFirebirdTimeOut) {
  TZRQuery q;
  q.SetDatabase(&db_);
  q.SQL().Add("update T set NOME = 'novo'");
  q.SQL().Add("where ID = 1");
  q.Open();
  EXPECT_FALSE(q.Active());
  EXPECT_EQ(q.ResourceOptions().CmdExecTimeout, 60000u);
  EXPECT_EQ(Count("NOME = 'novo'"), 1);
}

TEST_F(QueryTest, OpenRemovesTheTimeOutUnlessTimeOutOpenKeepsTheOneOfTheLastExecSQL) {
  TZRQuery q;
  q.SetDatabase(&db_);
  q.SQL().Add("DELETE FROM T WHERE ID = 2");
  q.ExecSQL();
  ASSERT_EQ(q.ResourceOptions().CmdExecTimeout, 60000u);

  q.SetTimeOutOpen(true);
  q.SQL().Clear();
  q.SQL().Add("SELECT ID FROM T");
  q.Open();
  EXPECT_EQ(q.ResourceOptions().CmdExecTimeout, 60000u);
  EXPECT_EQ(q.RecordCount(), 1);

  q.Close();
  q.SetTimeOutOpen(false);
  q.Open();
  EXPECT_EQ(q.ResourceOptions().CmdExecTimeout, db::kNoTimeout);
}

TEST_F(QueryTest, ExecSQLSetsTheTimeOutOfTheDriverOrNoneWithoutTempoLimite) {
  testing::ResetRecordingDrivers();
  TZRDatabase other;
  scratch_.Configure(other, "PG");  // another driver name, forwarded to the same file
  other.SetConnected(true);

  TZRQuery q;
  q.SetDatabase(&other);
  q.SQL().Add("UPDATE T SET NOME = NOME WHERE ID = 1");
  q.ExecSQL();
  EXPECT_EQ(q.ResourceOptions().CmdExecTimeout, 30000u) << "any driver but FB";

  q.SetTempoLimite(false);
  q.ExecSQL();
  EXPECT_EQ(q.ResourceOptions().CmdExecTimeout, db::kNoTimeout);
}

TEST_F(QueryTest, AnExecutionErrorIsRaisedAgainAsEDatabaseErrorWithTheSameMessage) {
  const char* statement = "INSERT INTO T (ID, NOME) VALUES (1, 'repetido')";
  db_.SetWriteBehind(false);  // each statement runs, and fails, as it is executed
  std::string frameworkMessage;
  {
    db::TFDQuery plain;
    plain.SetConnection(&db_);
    plain.SQL().Add(statement);
    try {
      plain.ExecSQL();
    } catch (const std::exception& e) {
      frameworkMessage = e.what();
    }
  }
  ASSERT_FALSE(frameworkMessage.empty()) << "the duplicate key must fail";

  TZRQuery q;
  q.SetDatabase(&db_);
  q.SQL().Add(statement);
  try {
    q.ExecSQL();
    FAIL() << "duplicate key";
  } catch (const db::EDatabaseError& e) {
    EXPECT_EQ(e.what(), frameworkMessage);
  }
}

TEST_F(QueryTest, AStatementBlockedOnALockedRowEndsWithTheDeadlockMessageAndTheTranslatedStatement) {
  TZRDatabase holder;
  LockRowOne(holder);
  db_.SetWriteBehind(false);  // the blocked statement runs, and fails, as it is executed

  TestQuery q;
  q.SetTemposLimite(300, 300);
  q.SetDatabase(&db_);
  q.SQL().Add("UPDATE T SET NOME = 'esperando'");
  q.SQL().Add("WHERE ID = 1 AND udf_len(NOME) > 0");
  try {
    q.ExecSQL();
    FAIL() << "the row is locked by the other connection";
  } catch (const db::EDatabaseError& e) {
    EXPECT_EQ(std::string(e.what()), kBlockedMessage);
  }
  EXPECT_EQ(q.ResourceOptions().CmdExecTimeout, 300u) << "the time-out stays on the query";

  holder.SetConnected(false);  // rolls the lock back
  q.ExecSQL();
  EXPECT_EQ(Count("NOME = 'esperando'"), 1);
}

// The same blocked statement with write-behind on, the embedded engine sending batches as a server
// connection does: it waits in the queue, and its time-out comes to light when the next statement sends the
// queue, with the same message, worded by the query it belongs to.
TEST_F(QueryTest, AQueuedStatementBlockedOnALockedRowEndsWithTheSameDeadlockMessageWhereItComesToLight) {
  db::firebird::RegisterDriver("FB real");
  testsupport::RegisterWrappedDriver("FB", "FB real", {"Batches=1"});
  struct RealDriverAgain {
    ~RealDriverAgain() { db::firebird::RegisterDriver(); }
  } realDriverAgain;
  db_.SetConnected(false);
  db_.SetConnected(true);
  TZRDatabase holder;
  LockRowOne(holder);

  TestQuery q;
  q.SetTemposLimite(300, 300);
  q.SetDatabase(&db_);
  q.SQL().Add("UPDATE T SET NOME = 'esperando'");
  q.SQL().Add("WHERE ID = 1 AND udf_len(NOME) > 0");
  q.ExecSQL();
  ASSERT_TRUE(q.RowsAffected().Pending()) << "the statement waits in the queue";
  try {
    Count();
    FAIL() << "the row is locked by the other connection";
  } catch (const db::EDatabaseError& e) {
    EXPECT_EQ(std::string(e.what()), kBlockedMessage);
    EXPECT_EQ(e.Kind(), db::TDatabaseErrorKind::NoAnswer);
  }

  holder.SetConnected(false);  // rolls the lock back
  q.ExecSQL();
  EXPECT_EQ(Count("NOME = 'esperando'"), 1);
}

TEST_F(QueryTest, ExecSQLThroughTheFrameworksQueryTypeStillTranslatesTimesOutAndReportsTheDeadlock) {
  TZRDatabase holder;
  LockRowOne(holder);

  TestQuery q;
  q.SetTemposLimite(300, 300);
  q.SetDatabase(&db_);
  db::TFDQuery& framework = q;  // as code written against the framework holds it
  framework.SQL().Add("UPDATE T SET NOME = 'esperando'");
  framework.SQL().Add("WHERE ID = 1 AND udf_len(NOME) > 0");
  try {
    framework.ExecSQL();
    FAIL() << "the row is locked by the other connection";
  } catch (const db::EDatabaseError& e) {
    EXPECT_EQ(std::string(e.what()), kBlockedMessage);
  }
  EXPECT_EQ(framework.ResourceOptions().CmdExecTimeout, 300u);

  holder.SetConnected(false);  // rolls the lock back
  TZRQuery plain;
  plain.SetDatabase(&db_);
  db::TFDQuery& asFramework = plain;
  asFramework.SQL().Add("UPDATE T SET NOME = 'traduzido' WHERE ID = 2 AND udf_len(NOME) > 0");
  asFramework.ExecSQL();
  EXPECT_EQ(asFramework.SQL().Text(),
            "UPDATE T SET NOME = 'traduzido' WHERE ID = 2 AND char_length(NOME) > 0\r\n");
  EXPECT_EQ(asFramework.ResourceOptions().CmdExecTimeout, TZRQuery::kTempoLimiteFB);
  EXPECT_EQ(Count("NOME = 'traduzido'"), 1);
}

TEST_F(QueryTest, ExecSQLWithoutAnyConnectionFailsWithAClearMessage) {
  TZRQuery q;
  q.SQL().Add("DELETE FROM T");
  try {
    q.ExecSQL();
    FAIL() << "no connection";
  } catch (const db::EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("Database"), std::string::npos) << e.what();
  }
  EXPECT_EQ(Count(), 2);
}

TEST_F(QueryTest, AQueryWhoseConnectionWasFreedFailsWithAClearMessageInsteadOfReachingIt) {
  TZRQuery q;
  {
    TZRDatabase shortLived;
    scratch_.Configure(shortLived);
    q.SetDatabase(&shortLived);
  }
  q.SQL().Add("DELETE FROM T");
  EXPECT_THROW(q.ExecSQL(), db::EDatabaseError);
  EXPECT_EQ(Count(), 2);
}

TEST_F(QueryTest, DeletingThroughTheDatasetIsRefusedSilentlyUnlessBloqueiaDeleteIsOff) {
  TZRQuery q;
  q.SetDatabase(&db_);
  q.SQL().Add("SELECT ID FROM T ORDER BY ID");
  q.Open();
  q.FetchAll();
  ASSERT_EQ(q.RecordCount(), 2);
  EXPECT_THROW(q.Delete(), db::EAbort);
  EXPECT_EQ(q.RecordCount(), 2) << "nothing deleted";

  q.SetBloqueiaDelete(false);
  q.Delete();
  EXPECT_EQ(q.RecordCount(), 1);
  EXPECT_EQ(Count(), 2) << "the dataset's delete never reaches the server";
}

TEST_F(QueryTest, TheFieldClassTableChangesOnlyCurrencyAndTheMemoTypes) {
  TestQuery q;
  struct Case {
    const char* name;
    db::TFieldType type;
    const db::TFieldClass* expected;
  };
  const Case cases[] = {
      {"currency becomes TZRFloatField", db::ftCurrency, db::FieldClassOf<TZRFloatField>()},
      {"memo becomes TZRBlobField", db::ftMemo, db::FieldClassOf<TZRBlobField>()},
      {"formatted memo becomes TZRBlobField", db::ftFmtMemo, db::FieldClassOf<TZRBlobField>()},
      {"Oracle CLOB becomes TZRBlobField", db::ftOraClob, db::FieldClassOf<TZRBlobField>()},
      {"a string keeps the standard class", db::ftString, db::DefaultFieldClass(db::ftString)},
      {"auto-increment keeps the standard class", db::ftAutoInc, db::DefaultFieldClass(db::ftAutoInc)},
      {"Oracle interval keeps the standard class", db::ftOraInterval,
       db::DefaultFieldClass(db::ftOraInterval)},
      {"Paradox OLE keeps the standard class", db::ftParadoxOle, db::DefaultFieldClass(db::ftParadoxOle)},
      {"wide memo keeps the standard class", db::ftWideMemo, db::DefaultFieldClass(db::ftWideMemo)},
      {"BCD keeps the standard class", db::ftBCD, db::DefaultFieldClass(db::ftBCD)},
      {"a cursor gets no class", db::ftCursor, nullptr},
      {"an unknown type gets no class", db::ftUnknown, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const db::TFieldClass* got = q.GetFieldClass(c.type);
    EXPECT_EQ(got, c.expected);
    if (got != nullptr && c.expected != nullptr) {
      EXPECT_STREQ(got->ClassName, c.expected->ClassName);
    }
  }
}

TEST(FieldClassTest, TheFloatFieldIsAPlainNumberThatToleratesSizesUpTo32) {
  db::TComponent owner;
  auto* field = new TZRFloatField(&owner);
  EXPECT_EQ(field->DataType(), db::ftCurrency);
  EXPECT_FALSE(field->Currency());
  EXPECT_STREQ(field->ClassName(), "TZRFloatField");
  field->SetSize(0);
  field->SetSize(32);
  EXPECT_EQ(field->Size(), 32);
  try {
    field->SetSize(33);
    FAIL() << "33 is too large";
  } catch (const db::EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Invalid field size");
  }
  EXPECT_EQ(field->Size(), 32);
}

TEST(FieldClassTest, TheBlobFieldReportsAnOracleCharacterLobAsMemo) {
  db::TComponent owner;
  auto* field = new TZRBlobField(&owner);
  EXPECT_EQ(field->DataType(), db::ftMemo);
  field->SetFieldType(db::ftOraClob);
  EXPECT_EQ(field->DataType(), db::ftMemo);
  field->SetFieldType(db::ftFmtMemo);
  EXPECT_EQ(field->DataType(), db::ftFmtMemo);
}

TEST_F(QueryTest, ResultColumnsGetTheComponentsFieldClasses) {
  scratch_.Run({"CREATE TABLE VALORES (PRECO NUMERIC(15,2), OBS BLOB SUB_TYPE TEXT, QTD INTEGER)",
                "INSERT INTO VALORES VALUES (12.5, 'texto longo', 3)"});
  testing::ResetRecordingDrivers();
  TZRDatabase oracleLike;
  scratch_.Configure(oracleLike, "Ora");  // the Oracle rules map NUMERIC(15,2) to currency
  oracleLike.SetConnected(true);
  TZRQuery q;
  q.SetDatabase(&oracleLike);
  q.SQL().Add("SELECT PRECO, OBS, QTD FROM VALORES");
  q.Open();
  EXPECT_STREQ(q.FieldByName("PRECO").ClassName(), "TZRFloatField");
  EXPECT_DOUBLE_EQ(q.FieldByName("PRECO").AsFloat(), 12.5);
  EXPECT_STREQ(q.FieldByName("OBS").ClassName(), "TZRBlobField");
  EXPECT_EQ(q.FieldByName("OBS").DataType(), db::ftMemo);
  EXPECT_EQ(q.FieldByName("OBS").AsString(), "texto longo");
  EXPECT_STREQ(q.FieldByName("QTD").ClassName(), db::DefaultFieldClass(db::ftInteger)->ClassName);
}

// Link resolution -------------------------------------------------------------------------------------------

TEST_F(QueryTest, SettingDatabaseBindsTheQueryToTheConnectionsDefaultTransactions) {
  TZRTransaction tx;
  TZRQuery q;
  q.SetTransaction(&tx);
  q.SetUpdateTransaction(&tx);
  q.SetDatabase(&db_);
  EXPECT_EQ(q.Database(), &db_);
  EXPECT_EQ(q.Connection(), &db_);
  EXPECT_EQ(q.Transaction(), nullptr);
  EXPECT_EQ(q.UpdateTransaction(), nullptr);

  q.SetDatabase(nullptr);
  EXPECT_EQ(q.Database(), nullptr);
  EXPECT_EQ(q.Connection(), &db_) << "clearing the link clears only the field";
}

TEST_F(QueryTest, AQueryWithOnlyAConnectionTakesItAsDatabaseAtItsFirstClose) {
  TZRQuery q;
  q.SetConnection(&db_);
  EXPECT_EQ(q.Database(), nullptr);
  q.Close();
  EXPECT_EQ(q.Database(), &db_);
  q.SQL().Add("DELETE FROM T WHERE ID = 1");
  q.ExecSQL();
  EXPECT_EQ(Count(), 1);
}

TEST_F(QueryTest, WithoutConnectionTheApplicationsTabelaAndItsIBDatabaseAreTaken) {
  auto tabela = std::make_unique<db::TComponent>(&db::Application());
  tabela->SetName("Tabela");
  auto* ib = new TZRDatabase(tabela.get());
  ib->SetName("IBDatabase");
  scratch_.Configure(*ib);
  ib->SetConnected(true);

  TZRQuery q;
  q.SQL().Add("SELECT ID FROM T");
  q.Open();
  EXPECT_EQ(q.Database(), ib);
  EXPECT_EQ(q.Connection(), ib);
  EXPECT_FALSE(q.IsEmpty());

  q.Close();
  tabela.reset();  // frees IBDatabase too
}

TEST_F(QueryTest, NoLinkIsFoundWhenTabelaHoldsNoIBDatabaseOrTheConnectionIsNotAComponentConnection) {
  auto tabela = std::make_unique<db::TComponent>(&db::Application());
  tabela->SetName("Tabela");
  TZRQuery q;
  q.Close();
  EXPECT_EQ(q.Database(), nullptr);

  db::TFDConnection plain;
  TZRQuery other;
  other.SetConnection(&plain);
  other.Close();
  EXPECT_EQ(other.Database(), nullptr);
  other.SQL().Add("DELETE FROM T");
  EXPECT_THROW(other.ExecSQL(), db::EDatabaseError);
}

}  // namespace
}  // namespace zr::data
