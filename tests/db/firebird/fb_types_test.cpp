// Values of every Firebird type the driver reads (their column descriptions are checked with the other
// drivers' in the conformance suite), parameters bound by their field type and converted by the server,
// nulls, CHAR trimming and UTF8 text (Portuguese accents) both in VARCHAR and in BLOB SUB_TYPE TEXT.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "db/datetime.h"
#include "db/errors.h"
#include "db/query.h"
#include "fb_test_support.h"

namespace zr::db::firebird::testing {
namespace {

using ::testing::HasSubstr;

TDateTime Date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
  return EncodeDateTime(TDateParts{year, month, day, hour, minute, second, ms});
}

class FbTypesTest : public FbDatabaseTest {
 protected:
  FbTypesTest()
      : FbDatabaseTest(
            {"CREATE TABLE ALLTYPES (ID INTEGER NOT NULL PRIMARY KEY, C_SMALL SMALLINT, C_INT INTEGER, "
             "C_BIG BIGINT, C_NUM NUMERIC(15,4), C_DEC DECIMAL(9,2), C_NUM4 NUMERIC(4,1), "
             "C_FLOAT FLOAT, C_DOUBLE DOUBLE PRECISION, C_CHAR CHAR(5), C_VARCHAR VARCHAR(40), "
             "C_DATE DATE, C_TIME TIME, C_STAMP TIMESTAMP, C_MEMO BLOB SUB_TYPE TEXT, "
             "C_BLOB BLOB SUB_TYPE BINARY, C_BOOL BOOLEAN)"}) {}
};

TEST_F(FbTypesTest, ValuesRoundTripThroughParametersOfTheirOwnTypes) {
  const std::string memo =
      "Produção de calçados: ação, coração, pé-de-moleque. " + std::string(70000, 'x') + " fim";
  ParamSet params;
  params.Add(ftInteger, {int64_t{1}})
      .Add(ftSmallint, {int64_t{-32768}})
      .Add(ftInteger, {int64_t{2147483647}})
      .Add(ftLargeint, {int64_t{-9223372036854775807LL}})
      .Add(ftBCD, {TFDBcd{-123456789012345LL, 4}})
      .Add(ftFloat, {1234567.891})
      .Add(ftFloat, {-12.3})
      .Add(ftFloat, {0.5})
      .Add(ftFloat, {1.0e300})
      .Add(ftString, {std::string("ção")})
      .Add(ftString, {std::string("Açúcar é doce, pão não")})
      .Add(ftDate, {TFDTimeStamp{Date(1850, 2, 28, 13, 0)}})  // the time part of a date is dropped
      .Add(ftTime, {TFDTimeStamp{Date(1899, 12, 30, 23, 59, 58, 123)}})
      .Add(ftDateTime, {TFDTimeStamp{Date(2024, 2, 29, 8, 30, 15, 250)}})
      .Add(ftMemo, {memo})
      .Add(ftBlob, {TFDBytes{{0, 1, 2, 255, 0, 128}}})
      .Add(ftBoolean, {true});
  Exec(*connection_, "INSERT INTO ALLTYPES VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
       params);

  const Rows rows = Query(*connection_, "SELECT * FROM ALLTYPES");
  ASSERT_EQ(rows.size(), 1u);
  const std::vector<TFDValue>& row = rows[0];
  EXPECT_EQ(row[0], TFDValue(int64_t{1}));
  EXPECT_EQ(row[1], TFDValue(int64_t{-32768}));
  EXPECT_EQ(row[2], TFDValue(int64_t{2147483647}));
  EXPECT_EQ(row[3], TFDValue(int64_t{-9223372036854775807LL}));
  EXPECT_EQ(row[4], TFDValue(TFDBcd{-123456789012345LL, 4}));
  EXPECT_EQ(row[5], TFDValue(TFDBcd{123456789, 2}));  // 1234567.891 rounded to the column's 2 decimals
  EXPECT_EQ(row[6], TFDValue(TFDBcd{-123, 1}));
  EXPECT_EQ(row[7], TFDValue(0.5));
  EXPECT_EQ(row[8], TFDValue(1.0e300));
  EXPECT_EQ(row[9], TFDValue(std::string("ção")));  // CHAR(5) read without its padding
  EXPECT_EQ(row[10], TFDValue(std::string("Açúcar é doce, pão não")));
  EXPECT_EQ(row[11], TFDValue(TFDTimeStamp{Date(1850, 2, 28)}));
  EXPECT_EQ(FormatTime(std::get<TFDTimeStamp>(row[12]).Value), "23:59:58");
  EXPECT_NEAR(std::get<TFDTimeStamp>(row[12]).Value, Date(1899, 12, 30, 23, 59, 58, 123), 1e-9);
  EXPECT_NEAR(std::get<TFDTimeStamp>(row[13]).Value, Date(2024, 2, 29, 8, 30, 15, 250), 1e-9);
  EXPECT_EQ(row[14], TFDValue(memo));
  EXPECT_EQ(row[15], TFDValue(TFDBytes{{0, 1, 2, 255, 0, 128}}));
  EXPECT_EQ(row[16], TFDValue(true));
  // The server stored characters, not bytes: the accents count once each.
  EXPECT_EQ(ValueAsInteger(Scalar(*connection_, "SELECT CHAR_LENGTH(C_VARCHAR) FROM ALLTYPES")), 22);
}

TEST_F(FbTypesTest, NullsTravelBothWays) {
  ParamSet params;
  params.Add(ftInteger, {int64_t{7}});
  for (TFieldType type : {ftSmallint, ftInteger, ftLargeint, ftFloat, ftFloat, ftFloat, ftFloat, ftFloat,
                          ftString, ftString, ftDate, ftTime, ftDateTime, ftMemo, ftBlob, ftBoolean}) {
    params.Add(type, {std::monostate{}});
  }
  Exec(*connection_, "INSERT INTO ALLTYPES VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
       params);
  const Rows rows = Query(*connection_, "SELECT * FROM ALLTYPES");
  ASSERT_EQ(rows.size(), 1u);
  for (size_t i = 1; i < rows[0].size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(IsNullValue(rows[0][i]));
  }
  // An untyped null parameter (no value ever set) keeps the column's type.
  ParamSet untyped;
  untyped.Add(ftUnknown, {std::monostate{}});
  EXPECT_EQ(ValueAsInteger(Scalar(*connection_, "SELECT COUNT(*) FROM ALLTYPES WHERE C_INT IS NULL")), 1);
  Exec(*connection_, "UPDATE ALLTYPES SET C_VARCHAR = ?", untyped);
}

TEST_F(FbTypesTest, TheServerConvertsParametersToTheDescribedType) {
  struct Case {
    const char* name;
    const char* column;
    TFieldType type;
    TFDValue value;
    TFDValue stored;
  };
  const Case cases[] = {
      {"text into NUMERIC", "C_NUM", ftString, std::string("12.3456"), TFDBcd{123456, 4}},
      {"float into NUMERIC rounds half away from zero", "C_NUM", ftFloat, 2.00005, TFDBcd{20001, 4}},
      {"integer into NUMERIC", "C_NUM", ftInteger, int64_t{42}, TFDBcd{420000, 4}},
      {"integer into VARCHAR", "C_VARCHAR", ftInteger, int64_t{-5}, std::string("-5")},
      {"text into INTEGER", "C_INT", ftString, std::string("77"), int64_t{77}},
      {"text into DATE", "C_DATE", ftString, std::string("2018-01-31"), TFDTimeStamp{Date(2018, 1, 31)}},
      {"date-time into DATE keeps the day", "C_DATE", ftDateTime, TFDTimeStamp{Date(2018, 1, 31, 18, 0)},
       TFDTimeStamp{Date(2018, 1, 31)}},
      {"a date before 1899 into TIMESTAMP", "C_STAMP", ftDateTime, TFDTimeStamp{Date(1800, 6, 1, 6, 0)},
       TFDTimeStamp{Date(1800, 6, 1, 6, 0)}},
      {"short text into BLOB SUB_TYPE TEXT", "C_MEMO", ftString, std::string("nó"), std::string("nó")},
  };
  int id = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ParamSet params;
    params.Add(ftInteger, {int64_t{++id}}).Add(c.type, {c.value});
    Exec(*connection_, std::string("INSERT INTO ALLTYPES (ID, ") + c.column + ") VALUES (?, ?)", params);
    const Rows rows = Query(
        *connection_, std::string("SELECT ") + c.column + " FROM ALLTYPES WHERE ID = " + std::to_string(id));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], c.stored) << ValueAsString(rows[0][0]);
  }
}

TEST_F(FbTypesTest, ConversionFailuresCarryTheServersMessage) {
  ParamSet params;
  params.Add(ftInteger, {int64_t{1}}).Add(ftString, {std::string("doze")});
  try {
    Exec(*connection_, "INSERT INTO ALLTYPES (ID, C_INT) VALUES (?, ?)", params);
    FAIL() << "a word was stored in an INTEGER column";
  } catch (const EDatabaseError& e) {
    EXPECT_THAT(e.what(), HasSubstr("conversion error from string \"doze\""));
  }
  ParamSet tooLong;
  tooLong.Add(ftInteger, {int64_t{2}}).Add(ftString, {std::string("sábado")});
  try {
    Exec(*connection_, "INSERT INTO ALLTYPES (ID, C_CHAR) VALUES (?, ?)", tooLong);
    FAIL() << "a CHAR(5) took 6 characters";
  } catch (const EDatabaseError& e) {
    EXPECT_THAT(e.what(), HasSubstr("string right truncation"));
  }
}

TEST_F(FbTypesTest, FrameworkFieldsReadTheDriversValues) {
  Exec(*connection_,
       "INSERT INTO ALLTYPES (ID, C_NUM, C_CHAR, C_VARCHAR, C_DATE, C_STAMP, C_MEMO) VALUES "
       "(1, 1234.5678, 'ab', 'Ação', '2018-01-31', '2018-01-31 10:20:30', 'Observação com acentuação')");
  Exec(*connection_, "INSERT INTO ALLTYPES (ID) VALUES (2)");
  auto connection = db_->Connect();
  TFDQuery query;
  query.SetConnection(connection.get());
  query.SQL().Add(
      "SELECT ID, C_NUM, C_CHAR, C_VARCHAR, C_DATE, C_STAMP, C_MEMO, C_INT FROM ALLTYPES ORDER BY ID");
  query.Open();
  query.FetchAll();
  ASSERT_EQ(query.RecordCount(), 2);
  query.First();
  EXPECT_EQ(query.RecNo(), 1);
  EXPECT_EQ(query.FieldByName("c_char").AsString(), "ab");
  EXPECT_EQ(query.FieldByName("C_VARCHAR").AsString(), "Ação");
  EXPECT_DOUBLE_EQ(query.FieldByName("C_NUM").AsFloat(), 1234.5678);
  EXPECT_EQ(FormatDate(query.FieldByName("C_DATE").AsDateTime()), "31/01/2018");
  EXPECT_EQ(query.FieldByName("C_MEMO").AsString(), "Observação com acentuação");
  query.Next();
  EXPECT_EQ(query.RecNo(), 2);
  EXPECT_TRUE(query.FieldByName("C_INT").IsNull());
  EXPECT_EQ(query.FieldByName("C_INT").AsInteger(), 0);
  EXPECT_EQ(query.FieldByName("C_VARCHAR").AsString(), "");
  query.Next();
  EXPECT_TRUE(query.Eof());
}

TEST_F(FbTypesTest, MappingRulesDecideTheFieldOfAScaledColumn) {
  auto connection = db_->Connect();
  connection->FormatOptions().OwnMapRules = true;
  TFDMapRule& rule = connection->FormatOptions().MapRules.Add();
  rule.SourceDataType = dtBCD;
  rule.TargetDataType = dtDouble;
  rule.PrecMin = 2;
  rule.PrecMax = 21;
  rule.ScaleMin = 2;
  rule.ScaleMax = 15;
  Exec(*connection_, "INSERT INTO ALLTYPES (ID, C_NUM, C_NUM4) VALUES (1, 2.5, 2.5)");
  TFDQuery query;
  query.SetConnection(connection.get());
  query.SQL().Add("SELECT C_NUM, C_NUM4 FROM ALLTYPES");
  query.Open();
  EXPECT_EQ(query.FieldByName("C_NUM").DataType(), ftFloat);  // scale 4: the rule applies
  EXPECT_EQ(query.FieldByName("C_NUM4").DataType(), ftBCD);   // scale 1: outside the rule
  EXPECT_DOUBLE_EQ(query.FieldByName("C_NUM").AsFloat(), 2.5);
  EXPECT_DOUBLE_EQ(query.FieldByName("C_NUM4").AsFloat(), 2.5);
}

}  // namespace
}  // namespace zr::db::firebird::testing
