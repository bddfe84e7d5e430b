// Date literals, the date functions and the BLOB marker, per driver, through the query's lines.
#include <gtest/gtest.h>

#include "sqltranslate/passes.h"
#include "test_support.h"

namespace zr::sqlt {
namespace {

struct DatasCase {
  const char* name;
  std::optional<std::string> driver;
  std::string input;     // one SQL line
  std::string expected;  // the line afterwards
};

std::string RunConverteDatas(const std::optional<std::string>& driver, const std::string& line) {
  TextQuery query(driver);
  query.SQL().Add(line);
  ConverteDatas(query);
  return query.SqlText();
}

TEST(ConverteDatas, RewritesForTheDriver) {
  const std::vector<DatasCase> cases = {
      {"FB keeps literals and date functions, only the BLOB marker goes", "FB",
       "WHERE D = '01/31/2018' AND UDF_DAYSPAN(A, B) > UDF_WEEKDAY(C) AND ZR_BLOB(P.OBS) = 'X'",
       "WHERE D = '01/31/2018' AND UDF_DAYSPAN(A, B) > UDF_WEEKDAY(C) AND P.OBS = 'X'"},
      {"Oracle: day first, day and month padded", "Ora", "WHERE D >= '01/31/2018'",
       "WHERE D >= '31/01/2018'"},
      {"Oracle: year, hour, minute and second unpadded", "Ora",
       "VALUES ('01/02/0099', '03/05/2024 08:07:09')", "VALUES ('02/01/99', '05/03/2024 8:7:9')"},
      {"PostgreSQL: year first, nothing padded", "PG", "VALUES ('01/31/2018', '03/05/2024 08:07:09')",
       "VALUES ('2018-1-31', '2024-3-5 8:7:9')"},
      {"another driver keeps the literals", "SQLite", "WHERE D = '01/31/2018'", "WHERE D = '01/31/2018'"},
      {"no Database counts as another driver", std::nullopt, "WHERE D = '01/31/2018' AND UDF_WEEKDAY(D) = 1",
       "WHERE D = '01/31/2018' AND CAST(TO_CHAR(D, 'D') AS INTEGER)-1 = 1"},
      {"the driver name is compared exactly", "ora", "WHERE D = '01/31/2018'", "WHERE D = '01/31/2018'"},
      {"the same literal twice", "Ora", "A = '01/31/2018' OR B = '01/31/2018'",
       "A = '31/01/2018' OR B = '31/01/2018'"},
      {"two literals that swap into each other are each converted once", "Ora",
       "A = '01/02/2024' OR B = '02/01/2024'", "A = '02/01/2024' OR B = '01/02/2024'"},
      {"a content is replaced wherever it stands", "Ora", "A = 'nota 01/02/2024' OR B = '01/02/2024'",
       "A = 'nota 02/01/2024' OR B = '02/01/2024'"},
      {"not dates: wrong separators, wrong length, invalid day", "Ora",
       "IN ('2024-01-02', '1/2/2024', '02/30/2024')", "IN ('2024-01-02', '1/2/2024', '02/30/2024')"},
      {"leap years follow the Gregorian rule", "Ora", "IN ('02/29/2024', '02/29/1900', '02/29/2000')",
       "IN ('29/02/2024', '02/29/1900', '29/02/2000')"},
      {"a day-first literal is read month-first again", "Ora", "IN ('05/03/2024', '15/03/2024')",
       "IN ('03/05/2024', '15/03/2024')"},
      {"empty literals and doubled quotes are short literals", "Ora", "WHERE A = '' AND B = 'it''s'",
       "WHERE A = '' AND B = 'it''s'"},
      {"24:00:00 is accepted", "Ora", "D = '03/05/2024 24:00:00'", "D = '05/03/2024 24:0:0'"},
      {"leading blanks inside the quotes are not part of the content", "Ora", "D = '  01/31/2018'",
       "D = '  31/01/2018'"},
      {"blank pieces read as numbers", "Ora", "D = '1 /2 /  24'", "D = '02/01/24'"},
      {"a piece that is not a number", "Ora", "D = '0x/02/2024'", "D = '0x/02/2024'"},
      {"a mark written before the pass stays", "Ora", "A = 'x@/@y' AND D = '01/31/2018'",
       "A = 'x@/@y' AND D = '31/01/2018'"},
      {"UDF_DAYSPAN: first argument minus the second", "Ora", "UDF_DAYSPAN(A.INICIO, A.FIM)",
       "CAST(A.INICIO- A.FIM AS INTEGER)"},
      {"UDF_DAYSBETWEEN with a literal already day-first", "Ora", "UDF_DAYSBETWEEN('03/15/2024', A.FIM)",
       "CAST(CAST('15/03/2024' AS DATE)- A.FIM AS INTEGER)"},
      {"the renaming ignores case", "PG", "udf_dayspan(a, b)", "CAST(a- b AS INTEGER)"},
      {"without UDF_ a DIFERENCAENTREDATAS call stays", "Ora", "DIFERENCAENTREDATAS(A, B)",
       "DIFERENCAENTREDATAS(A, B)"},
      {"with UDF_ anywhere it is rewritten", "Ora", "DIFERENCAENTREDATAS(A, B) + UDF_X",
       "CAST(A- B AS INTEGER) + UDF_X"},
      {"UDF_WEEKDAY", "Ora", "UDF_WEEKDAY(A.DATA)", "CAST(TO_CHAR(A.DATA, 'D') AS INTEGER)-1"},
      {"UDF_WEEKDAY of a literal wraps it in a CAST", "Ora", "UDF_WEEKDAY('03/15/2024')",
       "CAST(TO_CHAR(CAST('15/03/2024' AS DATE), 'D') AS INTEGER)-1"},
      {"two equal calls are both rewritten", "Ora", "UDF_WEEKDAY(A) = UDF_WEEKDAY(A)",
       "CAST(TO_CHAR(A, 'D') AS INTEGER)-1 = CAST(TO_CHAR(A, 'D') AS INTEGER)-1"},
      {"UDF_WEEKDAY is matched in upper case only", "Ora", "udf_weekday(A)", "udf_weekday(A)"},
      {"a call never closed stays", "Ora", "UDF_WEEKDAY(A", "UDF_WEEKDAY(A"},
      {"Oracle: both BLOB forms become dbms_lob.substr with a blank", "Ora",
       "ZR_BLOB(P.OBS) || DBMS_LOB.SUBSTR(P.OBS)", "dbms_lob.substr(P.OBS)  || dbms_lob.substr(P.OBS) "},
      {"Oracle: further arguments keep their commas", "Ora", "dbms_lob.substr(X, 4000, 1)",
       "dbms_lob.substr(X, 4000, 1) "},
      {"elsewhere: the argument alone", "PG", "dbms_lob.substr(X, 4000, 1) = ZR_BLOB(Y)", "X, 4000, 1 = Y"},
      {"ZR_BLOB is matched in upper case only", "FB", "zr_blob(X)", "zr_blob(X)"},
      {"literals are converted in their order, also where a conversion makes a later literal appear", "Ora",
       "'01/05/2024' '11/12/2005' 11/12/2001/05/2024", "'05/01/2024' '12/11/2005' 12/11/2005/01/2024"},
      {"calls are rewritten in their order, also where a rewrite makes a later call appear", "FB",
       "ZR_BLOB(ZR_B)LOB(Y) ZR_BLOB(Y)", "Y Y"},
  };
  for (const DatasCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunConverteDatas(c.driver, c.input), c.expected + "\r\n");
  }
}

TEST(ConverteDatas, WritesTheTextBackThroughTheLines) {
  TextQuery query("Ora");
  query.SQL().Add("SELECT 1\nFROM T\rWHERE D = '01/31/2018'");
  ConverteDatas(query);
  EXPECT_EQ(query.SQL().Lines(), (std::vector<std::string>{"SELECT 1", "FROM T", "WHERE D = '31/01/2018'"}));
  EXPECT_EQ(query.SqlText(), "SELECT 1\r\nFROM T\r\nWHERE D = '31/01/2018'\r\n");
}

TEST(DecodificaData, ReadsMonthFirstDates) {
  const struct {
    const char* name;
    const char* text;
    bool ok;
    std::uint16_t month, day, year;
  } cases[] = {
      {"a plain date", "01/31/2018", true, 1, 31, 2018},
      {"a leap day", "02/29/2024", true, 2, 29, 2024},
      {"not a leap year", "02/29/2023", false, 0, 0, 0},
      {"blank pieces", " 1/ 2/  24", true, 1, 2, 24},
      {"month 0", "00/10/2024", false, 0, 0, 0},
      {"an all-blank piece reads 0", "  /10/2024", false, 0, 0, 0},
      {"year 0", "01/01/0000", false, 0, 0, 0},
      {"a letter", "0a/02/2024", false, 0, 0, 0},
      {"a sign", "+1/02/2024", false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint16_t month = 0, day = 0, year = 0;
    ASSERT_EQ(DecodificaData(c.text, month, day, year), c.ok);
    if (c.ok) {
      EXPECT_EQ(month, c.month);
      EXPECT_EQ(day, c.day);
      EXPECT_EQ(year, c.year);
    }
  }
}

TEST(DecodificaDataHora, ReadsTheTimeToo) {
  std::uint16_t mo = 0, d = 0, y = 0, h = 0, mi = 0, s = 0;
  ASSERT_TRUE(DecodificaDataHora("03/05/2024 08:07:09", mo, d, y, h, mi, s));
  EXPECT_EQ((std::vector<int>{mo, d, y, h, mi, s}), (std::vector<int>{3, 5, 2024, 8, 7, 9}));
  EXPECT_TRUE(DecodificaDataHora("03/05/2024 24:00:00", mo, d, y, h, mi, s));
  EXPECT_FALSE(DecodificaDataHora("03/05/2024 24:00:01", mo, d, y, h, mi, s));
  EXPECT_FALSE(DecodificaDataHora("03/05/2024 23:60:00", mo, d, y, h, mi, s));
  EXPECT_FALSE(DecodificaDataHora("13/05/2024 10:00:00", mo, d, y, h, mi, s));
}

TEST(CompletaZeros, PadsToTheWidth) {
  EXPECT_EQ(CompletaZeros(5, 2), "05");
  EXPECT_EQ(CompletaZeros(123, 2), "123");
  EXPECT_EQ(CompletaZeros(0, 2), "00");
  EXPECT_EQ(CompletaZeros(7, 0), "7");
}

}  // namespace
}  // namespace zr::sqlt
