// ConverteSQL as a whole: the translation vocabulary, the Oracle-only steps, the one-entry cache and
// the log, on queries made of SQL lines.
#include <gtest/gtest.h>

#include <stdexcept>

#include "sqltranslate/pipeline.h"
#include "test_support.h"

namespace zr::sqlt {
namespace {

// A query on a connection with one driver name, its cache, its log and a dictionary.
class PipelineTest : public ::testing::Test {
 protected:
  explicit PipelineTest(const char* driver = "Ora") : query(std::string(driver)) {
    dictionary.AttachTo(query);
    query.SetLog([this](const std::string& text) { log.push_back(text); });
  }
  std::string Run(const std::string& text) {
    query.SetSqlText(text);
    ConverteSQL(query, cache);
    return query.SqlText();
  }
  std::string RunAgain() {
    ConverteSQL(query, cache);
    return query.SqlText();
  }

  testing::MemoryDictionary dictionary = testing::ExampleDictionary();
  TextQuery query;
  TranslationCache cache;
  std::vector<std::string> log;
};

struct PipelineCase {
  const char* name;
  const char* driver;
  std::string input;
  std::string expected;  // without the final CR LF
};

TEST_F(PipelineTest, TranslatesForTheDriver) {
  const std::vector<PipelineCase> cases = {
      {"Firebird: udf_len to its built-in and DESCENDING shortened, nothing else", "FB",
       "SELECT udf_len(NOME) FROM T ORDER BY 1 DESCENDING",
       "SELECT char_length(NOME) FROM T ORDER BY 1 DESC"},
      {"Oracle: udf_len through char_length to length, COALESCE to nvl", "Ora",
       "SELECT udf_len(NOME), COALESCE(X,0) FROM T", "SELECT length(NOME), nvl(X,0) FROM T"},
      {"DESCENDING inside an identifier is shortened too", "FB", "SELECT XDESCENDINGY FROM T",
       "SELECT XDESCY FROM T"},
      {"UDF_DAY( takes the parenthesis; UDF_DAYNAME is left to the TO_CHAR rewrite", "FB",
       "SELECT UDF_DAY(D), UDF_DAYNAME(D) FROM T", "SELECT EXTRACT(DAY FROM D), UDF_DAYNAME(D) FROM T"},
      {"the other UDF_ functions with a Firebird built-in, on every server", "FB",
       "udf_trim(A) udf_replace(B) UDF_MONTH(C) UDF_YEAR(D) UDF_TRUNC(E) UDF_UPPER(F)",
       "trim(A) replace(B) EXTRACT(MONTH FROM C) EXTRACT(YEAR FROM D) TRUNC(E) UPPER(F)"},
      {"current_date, char_length and ASCII_CHAR under their Oracle names", "Ora",
       "current_date char_length(A) ASCII_CHAR(65)", "sysdate length(A) CHR(65)"},
      {"current_time becomes current_timestamp", "Ora", "WHERE T < current_time",
       "WHERE T < current_timestamp"},
      {"current_timestamp is left alone", "Ora", "WHERE T < CURRENT_TIMESTAMP",
       "WHERE T < CURRENT_TIMESTAMP"},
      {"Oracle: the first UDF_HOUR is rewritten, the second stays", "Ora", "UDF_HOUR(A) + UDF_HOUR(B)",
       "(TO_CHAR((A),'HH24')) + UDF_HOUR(B)"},
      {"Oracle: two of three UDF_DAYNAME calls are rewritten", "Ora",
       "UDF_DAYNAME(A), UDF_DAYNAME(B), UDF_DAYNAME(C)",
       "(TO_CHAR((A),'DAY')), (TO_CHAR((B),'DAY')), UDF_DAYNAME(C)"},
      {"UDF_MINUTE", "Ora", "UDF_MINUTE(H)", "(TO_CHAR((H),'MI'))"},
      {"UDF_MINUTESBETWEEN keeps the blank before the second argument", "Ora",
       "UDF_MINUTESBETWEEN(A.INI, A.FIM)", "(extract(MINUTE FROM A.INI -  A.FIM ))"},
      {"a second UDF_MINUTESBETWEEN is no UDF_MINUTE call", "Ora",
       "UDF_MINUTESBETWEEN(A, B) + UDF_MINUTESBETWEEN(C, D)",
       "(extract(MINUTE FROM A -  B )) + UDF_MINUTESBETWEEN(C, D)"},
      {"UDF_NVL keeps its inner parentheses", "Ora", "UDF_NVL(SUM(QTDE))", "NVL(SUM(QTDE),0)"},
      {"UDF_STRIP, UDF_ROUNDDEC and udf_copy under their Oracle names", "Ora",
       "UDF_STRIP(A) UDF_ROUNDDEC(B) udf_copy(C)", "REPLACE(A) ROUND(B) substr(C)"},
      {"a blank before the parenthesis leaves UDF_NVL as written", "Ora", "UDF_NVL (A)", "UDF_NVL (A)"},
      {"POSITION(a IN b)", "Ora", "WHERE POSITION('A' IN NOME) > 0", "WHERE INSTR(NOME,'A') > 0"},
      {"POSITION(a, b) keeps the blank of the second argument", "Ora", "WHERE POSITION('A', NOME) > 0",
       "WHERE INSTR( NOME,'A') > 0"},
      {"position( in lower case stays", "Ora", "WHERE position('A' IN NOME) > 0",
       "WHERE position('A' IN NOME) > 0"},
      {"position ( with one blank is first written POSITION( and then rewritten", "Ora",
       "WHERE position ('A' IN NOME) > 0", "WHERE INSTR(NOME,'A') > 0"},
      {"a POSITION call ends at the first )", "Ora", "WHERE POSITION('A' IN UPPER(NOME)) > 0",
       "WHERE INSTR(UPPER(NOME,'A')) > 0"},
      {"a lower-case call equal to a later upper-case one is replaced first", "Ora",
       "position(A IN B) + POSITION(A IN B)", "INSTR(B,A) + INSTR(B,A)"},
      {"a POSITION call without IN or comma stays and the loop moves on", "Ora",
       "POSITION(A) + POSITION(B IN C)", "POSITION(A) + INSTR(C,B)"},
      {"SELECT anywhere sends the text through ConverteCast", "Ora",
       "INSERT INTO T SELECT MAX(A) AS M FROM U", "INSERT INTO T SELECT MAX(A)  M FROM U"},
      {"no SELECT, no ConverteCast", "Ora", "UPDATE T SET A = (B) AS", "UPDATE T SET A = (B) AS"},
      {"the Oracle passes in their order", "Ora",
       "SELECT DISTINCT t.*, SUBSTRING(t.NOME FROM 1 FOR 2) AS S FROM TABELA t WHERE t.OBS <> '' AND t.DATA > '12/31/2023'",
       "SELECT DISTINCT t.ID, T.NOME, T.DATA , SUBSTR(t.NOME,1,2)  S FROM TABELA t WHERE t.OBS  IS NOT NULL  AND "
       "t.DATA > '31/12/2023'"},
      {"Firebird keeps Oracle-only forms", "FB", "SELECT COALESCE(A,0) AS X FROM T WHERE B <> ''",
       "SELECT COALESCE(A,0) AS X FROM T WHERE B <> ''"},
      {"PostgreSQL gets the every-server steps and its date form", "PG",
       "SELECT A FROM T WHERE D = '01/31/2018'", "SELECT A FROM T WHERE D = '2018-1-31'"},
      {"a driver name containing Ora counts as Oracle for the dialect", "Oracle",
       "SELECT COALESCE(A,0) FROM T", "SELECT nvl(A,0) FROM T"},
  };
  for (const PipelineCase& c : cases) {
    SCOPED_TRACE(c.name);
    TextQuery q{std::string(c.driver)};
    dictionary.AttachTo(q);
    TranslationCache fresh;
    q.SetSqlText(c.input);
    ConverteSQL(q, fresh);
    EXPECT_EQ(q.SqlText(), c.expected + "\r\n");
  }
}

TEST_F(PipelineTest, TheDialectComesFromDatabaseOrElseConnection) {
  TextQuery q;
  q.SetConnectionDriver("Ora");  // Database absent: Oracle steps run, the date pass sees no driver
  q.SetSqlText("SELECT COALESCE(A,0) FROM T WHERE D = '01/31/2018'");
  TranslationCache fresh;
  ConverteSQL(q, fresh);
  EXPECT_EQ(q.SqlText(), "SELECT nvl(A,0) FROM T WHERE D = '01/31/2018'\r\n");

  TextQuery lower("ora");
  lower.SetSqlText("SELECT COALESCE(A,0) FROM T");
  TranslationCache other;
  ConverteSQL(lower, other);
  EXPECT_EQ(lower.SqlText(), "SELECT COALESCE(A,0) FROM T\r\n");
}

TEST_F(PipelineTest, WritesTheResultThroughTheSqlLines) {
  EXPECT_EQ(Run("SELECT A\nFROM T\rWHERE 1 = 1"), "SELECT A\r\nFROM T\r\nWHERE 1 = 1\r\n");
  EXPECT_EQ(query.SQL().Lines().size(), 3u);
}

TEST_F(PipelineTest, TheSameSourceAgainIsACacheHitAndIsLogged) {
  const std::string source = "SELECT DISTINCT t.* FROM TABELA t WHERE t.D = '01/31/2018'";
  const std::string first = Run(source);
  EXPECT_EQ(first, "SELECT DISTINCT t.ID, T.NOME, T.DATA  FROM TABELA t WHERE t.D = '31/01/2018'\r\n");
  EXPECT_EQ(Run("select distinct T.* from tabela T where T.D = '01/31/2018'"), first)
      << "the key ignores case";
  EXPECT_EQ(dictionary.LookUps(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{first, first}));
  EXPECT_EQ(cache.FSQLOriginal, source + "\r\n");
  EXPECT_EQ(cache.FSQLAnterior, first);
}

TEST_F(PipelineTest, RunningAgainOnItsOwnOutputTranslatesNothing) {
  const std::string first = Run("SELECT DISTINCT t.* FROM TABELA t WHERE t.D = '05/03/2024'");
  EXPECT_EQ(RunAgain(), first) << "a day-first date must not flip back";
  EXPECT_EQ(RunAgain(), first);
  EXPECT_EQ(dictionary.LookUps(), 1);
  EXPECT_EQ(log.size(), 3u);
}

TEST_F(PipelineTest, AStatementAlternatingWithAnotherIsTranslatedEachTime) {
  Run("SELECT DISTINCT t.* FROM TABELA t WHERE 1 = 1");
  Run("SELECT 1 FROM T");
  Run("SELECT DISTINCT t.* FROM TABELA t WHERE 1 = 1");
  EXPECT_EQ(dictionary.LookUps(), 2);
}

TEST_F(PipelineTest, AnEmptyTextStaysEmptyAndIsLogged) {
  EXPECT_EQ(Run(""), "");
  EXPECT_EQ(log, (std::vector<std::string>{""}));
}

TEST_F(PipelineTest, AFailedPassEmptiesTheCacheAndKeepsTheLastCompletedStep) {
  Run("SELECT A FROM T");  // cache: another statement's translation
  bool failing = true;
  query.SetDictionary([&](const std::vector<std::string>&, const std::string&) -> std::vector<std::string> {
    if (failing) throw std::runtime_error("ORA-00942");
    return {"ID"};
  });
  const std::string source = "SELECT DISTINCT t.*, MAX(X) AS M FROM TABELA t GROUP BY t.ID";
  query.SetSqlText(source);
  EXPECT_THROW(ConverteSQL(query, cache), std::runtime_error);
  EXPECT_EQ(query.SqlText(), "SELECT DISTINCT t.*, MAX(X)  M FROM TABELA t GROUP BY t.ID\r\n")
      << "the lines hold the text of ConverteCast, the last completed step";
  EXPECT_EQ(cache.FSQLOriginal, "");
  EXPECT_EQ(cache.FSQLAnterior, "");
  EXPECT_EQ(log.size(), 1u) << "a failed run logs nothing";

  failing = false;
  EXPECT_EQ(Run(source), "SELECT DISTINCT t.ID , MAX(X)  M FROM TABELA t GROUP BY t.ID\r\n")
      << "the same source translates afresh, never with another statement's translation";
}

}  // namespace
}  // namespace zr::sqlt
