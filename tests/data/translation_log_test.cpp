// Statements pass through the translator and the SQL log before they reach a real database.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "data/query.h"
#include "data/sql_log.h"
#include "db/errors.h"
#include "support/log_folder.h"
#include "support/recording_driver.h"
#include "support/scratch_database.h"

namespace zr::data {
namespace {

namespace fs = std::filesystem;

class TranslationLogTest : public ::testing::Test {
 protected:
  TranslationLogTest() : log_(scratch_.Folder()) {}

  void SetUp() override {
    testing::ResetRecordingDrivers();
    scratch_.Run({"CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40))",
                  "INSERT INTO T VALUES (1, 'um')", "INSERT INTO T VALUES (2, 'dois')"});
  }

  // Connects `db` with its log on, under a fixed machine name and address.
  void ConnectWithLog(TZRDatabase& db, const std::string& driver) {
    scratch_.Configure(db, driver);
    db.SetConnected(true);
    db.SetGravaLog(true);
    db.DadosGravaLog()->NmMaquina = "PCTESTE";
    db.DadosGravaLog()->NrIP = "10.1.2.3";
    db.SetNmUsuario("maria");
  }

  // The statements of the log, without bars, address, user and time stamp.
  std::vector<std::string> LoggedStatements() {
    std::vector<std::string> statements;
    for (const std::string& line : testing::LogFolder::Lines(log_.TodaysFile("PCTESTE"))) {
      const std::string head = "|10.1.2.3|maria|";
      EXPECT_EQ(line.substr(0, head.size()), head);
      EXPECT_TRUE(testing::LooksLikeTimeStamp(line.substr(head.size(), 17)));
      const size_t from = head.size() + 18;
      statements.push_back(line.substr(from, line.size() - from - 3));
    }
    return statements;
  }

  testing::ScratchDatabase scratch_;
  testing::LogFolder log_;
};

TEST_F(TranslationLogTest, AnOpenedStatementIsTranslatedForFirebirdAndLoggedAsItIsSent) {
  TZRDatabase db;
  ConnectWithLog(db, "FB");
  TZRQuery q;
  q.SetDatabase(&db);
  q.SQL().Add("SELECT udf_len(NOME) AS L");
  q.SQL().Add("FROM T ORDER BY 1 DESCENDING");
  q.Open();  // Firebird knows neither udf_len nor this database's UDFs: only the translation runs
  EXPECT_EQ(q.SQL().Text(), "SELECT char_length(NOME) AS L\r\nFROM T ORDER BY 1 DESC\r\n");
  EXPECT_EQ(q.FieldByName("L").AsInteger(), 4);
  EXPECT_EQ(LoggedStatements(),
            std::vector<std::string>{"SELECT char_length(NOME) AS L FROM T ORDER BY 1 DESC"});
}

TEST_F(TranslationLogTest, ExecSQLLogsTheTranslatedStatementBeforeTheServerSeesIt) {
  struct Case {
    const char* name;
    const char* statement;
    bool rejected;
    const char* logged;
  };
  const Case cases[] = {
      {"an executed statement is logged as translated", "DELETE FROM T WHERE udf_len(NOME) = 4", false,
       "DELETE FROM T WHERE char_length(NOME) = 4"},
      {"a statement the server rejects is logged all the same", "UPDATE NAO_EXISTE SET X = 1", true,
       "UPDATE NAO_EXISTE SET X = 1"},
  };
  TZRDatabase db;
  ConnectWithLog(db, "FB");
  db.SetWriteBehind(false);  // each statement runs, and a rejected one fails, as it is executed
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TZRQuery q;
    q.SetDatabase(&db);
    q.SQL().Add(c.statement);
    if (c.rejected) {
      EXPECT_THROW(q.ExecSQL(), db::EDatabaseError);
    } else {
      EXPECT_NO_THROW(q.ExecSQL());
    }
    expected.push_back(c.logged);
    EXPECT_EQ(LoggedStatements(), expected);
  }
}

bool LogFolderIsEmpty(const std::string& base) {
  return !fs::exists(base + "Logs") || fs::is_empty(base + "Logs");
}

TEST_F(TranslationLogTest, WithTheLogSwitchedOffOrWithoutItsRecordNothingIsWritten) {
  TZRDatabase db;
  ConnectWithLog(db, "FB");
  db.SetGravaLog(false);
  db.SetGravaLogProperty(true);  // the switch alone: no record, so still silent
  TZRQuery q;
  q.SetDatabase(&db);
  q.SQL().Add("SELECT ID FROM T");
  q.Open();
  q.Close();

  db.SetGravaLog(true);
  db.SetConnected(false);  // disconnecting switches the log off and keeps the record
  db.SetConnected(true);
  q.Open();
  EXPECT_TRUE(LogFolderIsEmpty(log_.Base()));
}

TEST_F(TranslationLogTest, ALogThatCannotBeWrittenStopsTheStatementWithTheInputOutputError) {
  TZRDatabase db;
  ConnectWithLog(db, "FB");
  fs::create_directories(log_.TodaysFile("PCTESTE"));  // a folder where the day's file should be

  TZRQuery insert;
  insert.SetDatabase(&db);
  insert.SQL().Add("INSERT INTO T VALUES (3, 'tres')");
  EXPECT_THROW(insert.ExecSQL(), EInOutError);

  TZRQuery select;
  select.SetDatabase(&db);
  select.SQL().Add("SELECT ID FROM T");
  EXPECT_THROW(select.Open(), EInOutError);
  EXPECT_FALSE(select.Active());

  db.SetGravaLog(false);
  select.Open();
  select.FetchAll();
  EXPECT_EQ(select.RecordCount(), 2) << "the insert never reached the server";
}

// An Oracle stand-in on the same Firebird file: the "Ora" test driver forwards to it, and the file holds the
// dictionary view USER_TAB_COLUMNS and the functions LTRIM and RTRIM that the dictionary statement uses.
class DictionaryTest : public TranslationLogTest {
 protected:
  void SetUp() override {
    TranslationLogTest::SetUp();
    scratch_.Run({
        "CREATE TABLE TABELA (ID INTEGER, NOME VARCHAR(20), OBS BLOB SUB_TYPE TEXT, VALOR INTEGER)",
        "INSERT INTO TABELA VALUES (1, 'a', 'x', 10)",
        "INSERT INTO TABELA VALUES (1, 'a', 'y', 10)",
        "INSERT INTO TABELA VALUES (2, 'b', 'z', 20)",
        "CREATE FUNCTION LTRIM (S VARCHAR(100)) RETURNS VARCHAR(100) AS BEGIN RETURN TRIM(LEADING FROM S); END",
        "CREATE FUNCTION RTRIM (S VARCHAR(100)) RETURNS VARCHAR(100) AS BEGIN RETURN TRIM(TRAILING FROM S); END",
        "CREATE VIEW USER_TAB_COLUMNS (TABLE_NAME, COLUMN_NAME, DATA_TYPE, COLUMN_ID) AS "
        "SELECT TRIM(RF.RDB$RELATION_NAME), TRIM(RF.RDB$FIELD_NAME), "
        "CASE WHEN F.RDB$FIELD_TYPE = 261 AND F.RDB$FIELD_SUB_TYPE = 1 THEN 'CLOB' "
        "WHEN F.RDB$FIELD_TYPE = 261 THEN 'BLOB' ELSE 'OUTRO' END, RF.RDB$FIELD_POSITION "
        "FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE",
    });
  }

  static int DictionaryReads() {
    const auto& prepared = testing::Recorded().Prepared;
    return static_cast<int>(std::count_if(prepared.begin(), prepared.end(), [](const std::string& sql) {
      return sql.find("USER_TAB_COLUMNS") != std::string::npos;
    }));
  }
};

TEST_F(DictionaryTest, AliasStarUnderDistinctIsExpandedThroughATemporaryQueryOnTheSameConnection) {
  TZRDatabase db;
  ConnectWithLog(db, "Ora");
  TZRQuery q;
  q.SetDatabase(&db);
  q.SQL().Add("SELECT DISTINCT t.* FROM TABELA t WHERE t.ID > 0");
  q.Open();
  q.FetchAll();
  EXPECT_EQ(q.SQL().Text(), "SELECT DISTINCT t.ID, T.NOME, T.VALOR  FROM TABELA t WHERE t.ID > 0\r\n");
  EXPECT_EQ(q.RecordCount(), 2) << "the CLOB column left out, DISTINCT folds the two equal rows";
  EXPECT_EQ(DictionaryReads(), 1);

  const auto logged = LoggedStatements();
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_NE(logged[0].find("FROM USER_TAB_COLUMNS t WHERE t.TABLE_NAME = 'TABELA'"), std::string::npos)
      << "the temporary query is logged like any other, before the statement it serves";
  EXPECT_EQ(logged[1], "SELECT DISTINCT t.ID, T.NOME, T.VALOR  FROM TABELA t WHERE t.ID > 0");
}

TEST_F(DictionaryTest, TheSameSourceAssignedAgainIsTakenFromTheCacheAndStillLogged) {
  TZRDatabase db;
  ConnectWithLog(db, "Ora");
  TZRQuery q;
  q.SetDatabase(&db);
  for (int run = 0; run < 2; ++run) {
    q.Close();
    q.SQL().Clear();
    q.SQL().Add("select distinct t.* from TABELA t where t.ID > 0");
    q.Open();
    EXPECT_EQ(q.SQL().Text(), "select distinct t.ID, T.NOME, T.VALOR  from TABELA t where t.ID > 0\r\n");
  }
  EXPECT_EQ(DictionaryReads(), 1) << "the second run read no dictionary";
  const auto logged = LoggedStatements();
  ASSERT_EQ(logged.size(), 3u);
  EXPECT_EQ(logged[1], "select distinct t.ID, T.NOME, T.VALOR  from TABELA t where t.ID > 0");
  EXPECT_EQ(logged[2], logged[1]);
}

TEST_F(DictionaryTest, AFailingDictionaryReadReachesTheCallerAndNothingIsExecuted) {
  scratch_.Run({"DROP VIEW USER_TAB_COLUMNS"});
  TZRDatabase db;
  ConnectWithLog(db, "Ora");
  TZRQuery q;
  q.SetDatabase(&db);
  q.SQL().Add("DELETE FROM TABELA WHERE ID IN (SELECT DISTINCT t.ID FROM TABELA t GROUP BY t.*)");
  EXPECT_THROW(q.ExecSQL(), db::EDatabaseError);
  const auto& prepared = testing::Recorded().Prepared;
  EXPECT_TRUE(std::none_of(prepared.begin(), prepared.end(),
                           [](const std::string& sql) { return sql.rfind("DELETE", 0) == 0; }));
}

}  // namespace
}  // namespace zr::data
