// The pure text passes, each against typical statements and the edge cases that matter.
#include <gtest/gtest.h>

#include "sqltranslate/passes.h"
#include "test_support.h"

namespace zr::sqlt {
namespace {

using testing::TextCase;

void ExpectEach(const std::vector<TextCase>& cases, std::string (*pass)(std::string_view)) {
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(pass(c.input), c.expected);
  }
}

TEST(TrataVazioOracle, RewritesComparisonsWithTheEmptyString) {
  ExpectEach(
      {
          {"an equality becomes IS NULL, keeping the blank before the equals sign", "WHERE A = ''",
           "WHERE A  IS NULL "},
          {"unspaced and <> forms get their own blanks", "WHERE A='' AND B <> ''",
           "WHERE A IS NULL  AND B  IS NOT NULL "},
          {"<>'' without a blank", "WHERE B<>''", "WHERE B IS NOT NULL "},
          {">= takes the operator character with it", "WHERE A >= ''", "WHERE A  IS NOT NULL "},
          {"<= takes the operator character with it", "WHERE A <= ''", "WHERE A  IS NOT NULL "},
          {"an UPDATE keeps its assignment and rewrites after WHERE", "UPDATE T SET A = '' WHERE B = ''",
           "UPDATE T SET A = '' WHERE B  IS NULL "},
          {"a DELETE rewrites after WHERE", "DELETE FROM T WHERE A = ''", "DELETE FROM T WHERE A  IS NULL "},
          {"an UPDATE without WHERE is rewritten whole", "UPDATE T SET A = ''", "UPDATE T SET A  IS NULL "},
          {"an INSERT of an empty string is unchanged", "INSERT INTO T (A) VALUES ('')",
           "INSERT INTO T (A) VALUES ('')"},
          {"a SELECT is rewritten everywhere",
           "SELECT CASE WHEN A = '' THEN 1 END FROM T JOIN U ON (U.X = '') WHERE B=''",
           "SELECT CASE WHEN A  IS NULL  THEN 1 END FROM T JOIN U ON (U.X  IS NULL ) WHERE B IS NULL "},
          {"a SELECT whose names hold UPDATE and SET keeps comparisons before WHERE",
           "SELECT CASE WHEN A = '' THEN 1 END FROM SETOR_LASTUPDATE WHERE B = ''",
           "SELECT CASE WHEN A = '' THEN 1 END FROM SETOR_LASTUPDATE WHERE B  IS NULL "},
          {"<> is rewritten in the head of an UPDATE too",
           "UPDATE T SET A = CASE WHEN B <> '' THEN 1 END WHERE C = ''",
           "UPDATE T SET A = CASE WHEN B  IS NOT NULL  THEN 1 END WHERE C  IS NULL "},
          {"all spaced forms go first, then the unspaced ones see the rewritten text", "X<= ''=''",
           "X IS NOT NULL  IS NULL "},
          {"a comparison at the very start has no character before it", "= ''", " IS NULL "},
          {"a text without '' is unchanged", "WHERE A = 'X'", "WHERE A = 'X'"},
      },
      &TrataVazioOracle);
}

TEST(TrataVazioOracle, LeavesValuesThatBeginWithAQuote) {
  ExpectEach(
      {
          {"= '''X' is a value beginning with a quote, not an empty string", "AND INSUMO = '''BOTAO'",
           "AND INSUMO = '''BOTAO'"},
          {"unspaced, too", "AND INSUMO='''BOTAO'", "AND INSUMO='''BOTAO'"},
          {"<> before such a value stays", "WHERE A <> '''X' AND B<>'''Y'", "WHERE A <> '''X' AND B<>'''Y'"},
          {">= and <= before such a value stay", "WHERE A >= '''X' AND B <='''Y'",
           "WHERE A >= '''X' AND B <='''Y'"},
          {"the comparisons after such a value are still rewritten",
           "WHERE INSUMO = '''BOTAO' AND COR = '' AND X<>''",
           "WHERE INSUMO = '''BOTAO' AND COR  IS NULL  AND X IS NOT NULL "},
          {"and so is the one before it", "WHERE COR = '' AND INSUMO = '''BOTAO'",
           "WHERE COR  IS NULL  AND INSUMO = '''BOTAO'"},
          {"a value that is one quote ('''') stays", "WHERE A = ''''", "WHERE A = ''''"},
          {"the status update of a material whose code begins with a quote",
           "UPDATE PCPFTOF12 SET SITUACAO = 'B' WHERE SITUACAO = 'A' AND INSUMO = '''BOTAO' AND COR = ''",
           "UPDATE PCPFTOF12 SET SITUACAO = 'B' WHERE SITUACAO = 'A' AND INSUMO = '''BOTAO' AND COR  IS NULL "},
          {"in an UPDATE without WHERE, such a value stays and an empty string does not",
           "UPDATE T SET A = '''X', B = ''", "UPDATE T SET A = '''X', B  IS NULL "},
          {"a value that ends with a quote is no concern: its '' is not after =",
           "WHERE A = 'X''' AND B = ''", "WHERE A = 'X''' AND B  IS NULL "},
      },
      &TrataVazioOracle);
}

TEST(ConverteSubstring, RewritesEveryCallToSubstr) {
  ExpectEach(
      {
          {"the status query's condition", "WHERE SUBSTRING(MAT_MOV.NUM_DOCTO FROM 1 FOR 6) = PCPFTOF.NUMERO",
           "WHERE SUBSTR(MAT_MOV.NUM_DOCTO,1,6) = PCPFTOF.NUMERO"},
          {"lower case keywords, upper case name", "substring(x from 2 for 3)", "SUBSTR(x,2,3)"},
          {"a blank before the parenthesis stays", "SUBSTRING (X FROM 1 FOR 2)", "SUBSTR (X,1,2)"},
          {"a call nested in the source is rewritten next",
           "SUBSTRING(SUBSTRING(X FROM 1 FOR 5) FROM 2 FOR 3)", "SUBSTR(SUBSTR(X,1,5),2,3)"},
          {"parentheses in the length are balanced", "SUBSTRING(X FROM 1 FOR CHAR_LENGTH(Y)) = 'A'",
           "SUBSTR(X,1,CHAR_LENGTH(Y)) = 'A'"},
          {"several calls, first to last",
           "SUBSTRING(A FROM 1 FOR 2) || SUBSTRING(B FROM 3 FOR 4) || SUBSTRING(C FROM 5 FOR 6)",
           "SUBSTR(A,1,2) || SUBSTR(B,3,4) || SUBSTR(C,5,6)"},
          {"line breaks elsewhere in the call stay", "SUBSTRING(\r\nX FROM 1 FOR 2\r\n)",
           "SUBSTR(\r\nX,1,2\r\n)"},
          {"no SUBSTRING, no change", "SELECT A FROM T", "SELECT A FROM T"},
          {"the two-argument form stays as written", "SUBSTRING(X FROM 2)", "SUBSTRING(X FROM 2)"},
          {"a call never closed stays, and a later call is still rewritten",
           "SUBSTRING(A FROM 1 FOR ((2) || SUBSTRING(B FROM 3 FOR 4)",
           "SUBSTRING(A FROM 1 FOR ((2) || SUBSTR(B,3,4)"},
          {"a line break next to FROM makes no call", "SUBSTRING(X\r\nFROM 1 FOR 2)",
           "SUBSTRING(X\r\nFROM 1 FOR 2)"},
      },
      &ConverteSubstring);
}

TEST(PosFechaParentese, FindsTheClosingParenthesis) {
  const struct {
    const char* name;
    const char* text;
    std::size_t expected;
  } cases[] = {
      {"a single argument", "(A)", 3},
      {"nested calls", "(F(X), G(Y)) + Z", 12},
      {"never closed", "(A", 1},
      {"too few closing parentheses", "((A)", 1},
      {"the first character is not looked at", "XA)B", 3},
      {"parentheses in a literal count", "(')') + 1", 3},
      {"empty text", "", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PosFechaParentese(c.text), c.expected);
  }
}

TEST(ConverteToChar, RewritesTheCallAtThePosition) {
  const struct {
    const char* name;
    std::string text;
    std::size_t position;
    std::string expected;
  } cases[] = {
      {"a date-part call in a select list", "SELECT UDF_HOUR(A.HORA) AS H FROM T", 8,
       "SELECT (TO_CHAR((A.HORA),'HH24')) AS H FROM T"},
      {"nested parentheses stay whole", "UDF_HOUR(NVL(A.H, B.H))", 1, "(TO_CHAR((NVL(A.H, B.H)),'HH24'))"},
      {"only the call at the position changes", "UDF_HOUR(A) + UDF_HOUR(B)", 1,
       "(TO_CHAR((A),'HH24')) + UDF_HOUR(B)"},
      {"a lower-case name is replaced whole", "x udf_hour(a)", 3, "x (TO_CHAR((a),'HH24'))"},
      {"a blank before the parenthesis: left as written", "UDF_HOUR (A)", 1, "UDF_HOUR (A)"},
      {"a call never closed: left as written", "UDF_HOUR(A", 1, "UDF_HOUR(A"},
      {"a name at the end of the text: left as written", "X UDF_HOUR", 3, "X UDF_HOUR"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ConverteToChar(c.text, "UDF_HOUR", c.position, "HH24"), c.expected);
  }
  EXPECT_EQ(ConverteToChar("UDF_X(A)", "UDF_X", 1, "O'K"), "(TO_CHAR((A),'O''K'))");
}

TEST(ConverteCast, RemovesAsAfterAClosingParenthesis) {
  ExpectEach(
      {
          {"an alias after an aggregate", "SELECT MAX(P.PRECO) AS CUSTO FROM P",
           "SELECT MAX(P.PRECO)  CUSTO FROM P"},
          {"inside and after a sub-select", "COALESCE((SELECT SUM(M.QTDE) AS QTDE FROM M),0) AS QTDE_BAI",
           "COALESCE((SELECT SUM(M.QTDE)  QTDE FROM M),0)  QTDE_BAI"},
          {"a CAST to NUMERIC keeps its AS", "CAST((A.X) AS NUMERIC(15,2))", "CAST((A.X) AS NUMERIC(15,2))"},
          {"a CAST to DATE over a line break keeps its AS", "CAST((A.X)\r\nAS DATE)",
           "CAST((A.X)\r\nAS DATE)"},
          {"a type word after a line break keeps its AS", "CAST((A) AS\r\nINTEGER)",
           "CAST((A) AS\r\nINTEGER)"},
          {"TIMESTAMP is covered by TIME", "CAST((A) AS TIMESTAMP)", "CAST((A) AS TIMESTAMP)"},
          {"DECIMAL and VARCHAR keep it, in any case", "CAST((A) as decimal(5)) || CAST((B) AS VarChar(2))",
           "CAST((A) as decimal(5)) || CAST((B) AS VarChar(2))"},
          {"other types lose it", "CAST((A) AS SMALLINT)", "CAST((A)  SMALLINT)"},
          {"AS after a name, a literal or END stays",
           "SELECT A.NOME AS NOME, 'X' AS Y, CASE WHEN A THEN B END AS Z FROM T",
           "SELECT A.NOME AS NOME, 'X' AS Y, CASE WHEN A THEN B END AS Z FROM T"},
          {"words holding the letters stay as written", "(X) CASA, (Y) BaSe, (Z) das",
           "(X) CASA, (Y) BaSe, (Z) das"},
          {"a parenthesis right after the letters qualifies", "(A) AS(B)", "(A) (B)"},
          {"a letter right after does not", "(A) ASX", "(A) ASX"},
          {"a line break before AS counts as a blank", "MAX(A)\r\nAS M", "MAX(A)\r\n M"},
          {"a tab before AS does not", "MAX(A)\tAS M", "MAX(A)\tAS M"},
          {"lower case", "max(a) as m", "max(a)  m"},
          {"a text that begins with AS comes back unchanged", "AS (X) AS Y", "AS (X) AS Y"},
          {"the last two characters end the pass", "(A) AS B, (C) AS", "(A)  B, (C) AS"},
          {"no occurrence, no change", "SELECT 1 FROM T", "SELECT 1 FROM T"},
      },
      &ConverteCast);
}

}  // namespace
}  // namespace zr::sqlt
