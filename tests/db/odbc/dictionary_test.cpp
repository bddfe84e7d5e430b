// The stand-in as an Oracle server: its USER_TAB_COLUMNS answers like Oracle's dictionary, it accepts the
// Oracle SQL the translator writes, and where it cannot behave like Oracle the difference is pinned here.

#include <gtest/gtest.h>

#include "common/ascii.h"
#include "db/errors.h"
#include "standin.h"

namespace zr::db::odbc::test {
namespace {

using common::UpperAscii;

class Dictionary : public StandinTest {
 protected:
  void SetUp() override {
    StandinTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    CreateTable(
        "id numeric(9) NOT NULL, nome varchar(30), obs clob, dt date, foto bytea, valor numeric(15,4),"
        " sigla char(3), gone integer, fator float8, emissao timestamp(0), momento timestamp");
    Exec(*db_, {"ALTER TABLE " + Table() + " DROP COLUMN gone"});
  }

  // "NAME TYPE ID" per row, rows joined by "; ".
  std::string Rows(const std::string& sql) {
    TFDQuery q;
    q.SetConnection(db_.get());
    OpenAll(q, sql);
    std::string out;
    for (q.First(); !q.Eof(); q.Next()) {
      if (!out.empty()) out += "; ";
      for (int i = 0; i < q.FieldCount(); ++i) out += (i ? " " : "") + q.Fields(i).AsString();
    }
    return out;
  }
};

TEST_F(Dictionary, ColumnsInTableOrderWithOracleNamesAndTypes) {
  EXPECT_EQ(Rows("SELECT COLUMN_NAME, DATA_TYPE, COLUMN_ID FROM USER_TAB_COLUMNS WHERE TABLE_NAME = '" +
                 UpperAscii(Table()) + "' ORDER BY COLUMN_ID"),
            "ID NUMBER 1; NOME VARCHAR2 2; OBS CLOB 3; DT DATE 4; FOTO BLOB 5; VALOR NUMBER 6; SIGLA CHAR 7; "
            "FATOR BINARY_DOUBLE 8; EMISSAO DATE 9; MOMENTO TIMESTAMP(6) 10")
      << "a dropped column leaves no gap in COLUMN_ID; LOB columns are listed";
}

TEST_F(Dictionary, SizesPrecisionAndScaleAsOracleGivesThem) {
  EXPECT_EQ(Rows("SELECT COLUMN_NAME, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, NULLABLE FROM USER_TAB_COLUMNS"
                 " WHERE TABLE_NAME = '" +
                 UpperAscii(Table()) +
                 "' AND COLUMN_NAME IN ('ID', 'NOME', 'VALOR', 'SIGLA')"
                 " ORDER BY COLUMN_ID"),
            "ID 22 9 0 N; NOME 30   Y; VALOR 22 15 4 Y; SIGLA 3   Y");
}

TEST_F(Dictionary, TheColumnExpansionQueryLeavesOutBlobAndClob) {
  const std::string sql =
      "SELECT T.COLUMN_NAME AS NmCampo FROM USER_TAB_COLUMNS t\r\n"
      "WHERE t.TABLE_NAME = '" +
      UpperAscii(Table()) +
      "'\r\n"
      "AND Ltrim(Rtrim(T.DATA_TYPE)) NOT IN ('BLOB', 'CLOB')\r\n"
      "ORDER BY T.COLUMN_ID\r\n";
  TFDQuery q;
  q.SetConnection(db_.get());
  q.SQL().SetText(sql);
  q.Open();
  q.FetchAll();
  std::string names;
  for (q.First(); !q.Eof(); q.Next()) names += q.FieldByName("NmCampo").AsString() + ",";
  EXPECT_EQ(names, "ID,NOME,DT,VALOR,SIGLA,FATOR,EMISSAO,MOMENTO,");
}

TEST_F(Dictionary, OnlyTheApplicationsSchemaIsListed) {
  Exec(*db_, {"CREATE SCHEMA IF NOT EXISTS zt_other",
              "CREATE TABLE IF NOT EXISTS zt_other." + Table() + " (other_col integer)"});
  const std::string count = Scalar(*db_, "SELECT count(*) FROM USER_TAB_COLUMNS WHERE TABLE_NAME = '" +
                                             UpperAscii(Table()) + "' AND COLUMN_NAME = 'OTHER_COL'");
  Exec(*db_, {"DROP SCHEMA zt_other CASCADE"});
  EXPECT_EQ(count, "0");
  EXPECT_EQ(Scalar(*db_, "SELECT count(*) FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'PG_CLASS'"), "0");
  EXPECT_EQ(Scalar(*db_, "SELECT count(*) FROM USER_TAB_COLUMNS WHERE TABLE_NAME = '" + Table() + "'"), "0")
      << "names are stored in upper case, as Oracle stores unquoted names";
}

class OracleSql : public StandinTest {};

TEST_F(OracleSql, TheTranslatedFormsAreAccepted) {
  CreateTable("id integer, nome varchar(30), obs clob, dt date, momento timestamp");
  Exec(*db_, {"INSERT INTO " + Table() +
              " VALUES (1, 'ORD-2018/001', 'abcdefghij', '31/01/2018', "
              "'31/01/2018 14:5:0')"});
  struct Case {
    const char* name;
    std::string expression;
    std::string expected;
  };
  const Case cases[] = {
      {"NVL", "NVL(NULL, nome)", "ORD-2018/001"},
      {"INSTR", "INSTR(nome, '-')", "4"},
      {"SUBSTR", "SUBSTR(nome, 5, 4)", "2018"},
      {"TO_CHAR of a date, day first", "TO_CHAR(dt, 'DD/MM/YYYY')", "31/01/2018"},
      {"TO_CHAR hour of a date-time", "TO_CHAR(momento, 'HH24:MI')", "14:05"},
      {"CHR", "CHR(65)", "A"},
      {"dbms_lob.substr of a CLOB, amount then offset", "dbms_lob.substr(obs, 5, 3)", "cdefg"},
      {"a day-first date literal compared with a date", "CASE WHEN dt >= '31/01/2018' THEN 'yes' END", "yes"},
      {"a day-first date-time literal with unpadded time",
       "CASE WHEN momento = '31/01/2018 14:5:0' THEN 'yes' END", "yes"},
      {"a date difference in days", "CAST(CAST('15/02/2018' AS DATE)- dt AS INTEGER)", "15"},
      {"AS left out after a parenthesis", "MAX(id)  CUSTO", "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      EXPECT_EQ(Scalar(*db_, "SELECT " + c.expression + " FROM " + Table()), c.expected);
    } catch (const EDatabaseError& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

// Where the stand-in differs from Oracle; the shared end-to-end scenarios stay clear of these cases.
TEST_F(OracleSql, AnEmptyLiteralInsideAnExpressionIsNotNullOnTheStandin) {
  // Oracle reads '' as NULL everywhere, so NVL('', 'null') gives 'null' there. The stand-in turns '' into NULL
  // only where it is stored (oracle_rules_test.cpp).
  EXPECT_EQ(Scalar(*db_, "SELECT NVL(CAST('' AS varchar), 'null') || '|' FROM dual"), "|");
}

TEST_F(OracleSql, BareSysdateIsUnknownOnTheStandin) {
  // Oracle's SYSDATE is a bare keyword; the stand-in only knows the function form sysdate().
  EXPECT_THROW(Scalar(*db_, "SELECT SYSDATE FROM dual"), EDatabaseError);
  EXPECT_FALSE(Scalar(*db_, "SELECT sysdate() FROM dual").empty());
}

}  // namespace
}  // namespace zr::db::odbc::test
