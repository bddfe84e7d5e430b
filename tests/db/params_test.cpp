// Named parameters: ":NAME" markers outside literals, quoted identifiers and comments; parameter arrays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/errors.h"
#include "db/param_kind.h"
#include "db/params.h"

namespace zr::db {
namespace {

TEST(ParseParams, ReplacesMarkersOutsideQuotesAndComments) {
  struct Case {
    const char* name;
    std::string sql;
    std::string parsed;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"markers in a values list, in order",
       "VALUES (:NUMERO, :tipo,:COR_I)",
       "VALUES (?, ?,?)",
       {"NUMERO", "tipo", "COR_I"}},
      {"a repeated name gives one marker per use",
       "WHERE A = :X OR B = :X",
       "WHERE A = ? OR B = ?",
       {"X", "X"}},
      {"a marker inside a literal stays",
       "WHERE T = '10:30' AND A = :A",
       "WHERE T = '10:30' AND A = ?",
       {"A"}},
      {"a doubled quote does not end the literal",
       "WHERE T = 'it''s :no' AND A = :A",
       "WHERE T = 'it''s :no' AND A = ?",
       {"A"}},
      {"a marker inside a quoted identifier stays",
       "SELECT \"A:B\" FROM T WHERE C = :C",
       "SELECT \"A:B\" FROM T WHERE C = ?",
       {"C"}},
      {"a line comment hides markers to the end of its line",
       "SELECT 1 -- :NO\r\nFROM T WHERE A = :A",
       "SELECT 1 -- :NO\r\nFROM T WHERE A = ?",
       {"A"}},
      {"a block comment hides markers",
       "SELECT /* :NO\r\n :NO2 */ :A FROM T",
       "SELECT /* :NO\r\n :NO2 */ ? FROM T",
       {"A"}},
      {"a double colon is a cast, not a marker",
       "SELECT X::date, :A FROM T",
       "SELECT X::date, ? FROM T",
       {"A"}},
      {"a colon followed by no name stays",
       "SELECT ': ' || A FROM T WHERE B = : C",
       "SELECT ': ' || A FROM T WHERE B = : C",
       {}},
      {"an unterminated literal runs to the end", "WHERE A = 'x :B", "WHERE A = 'x :B", {}},
      {"an unterminated comment runs to the end", "WHERE A = 1 /* :B", "WHERE A = 1 /* :B", {}},
      {"a name may hold digits, underscores and dollars", "WHERE A = :P_1$x+1", "WHERE A = ?+1", {"P_1$x"}},
      {"a marker at the very end", "WHERE A=:A", "WHERE A=?", {"A"}},
      {"a single minus is no comment", "SELECT 1-:A FROM T", "SELECT 1-? FROM T", {"A"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TFDParsedSql parsed = ParseParams(c.sql);
    EXPECT_EQ(parsed.Sql, c.parsed);
    EXPECT_EQ(parsed.Names, c.names);
  }
}

TEST(Params, RebuildKeepsOneParameterPerNameAndTheValuesOfNamesThatRemain) {
  TFDParams params;
  params.Rebuild({"A", "B", "a"});
  ASSERT_EQ(params.Count(), 2);
  EXPECT_EQ(params[0].Name(), "A");
  params.ParamByName("b").SetAsString("kept");
  params.Rebuild({"C", "B"});
  ASSERT_EQ(params.Count(), 2);
  EXPECT_EQ(params[0].Name(), "C");
  EXPECT_EQ(params[0].DataType(), ftUnknown);
  EXPECT_TRUE(IsNullValue(params[0].Value()));
  EXPECT_EQ(params[1].DataType(), ftString);
  EXPECT_EQ(std::get<std::string>(params[1].Value()), "kept");
}

TEST(Params, ParamByNameIgnoresCaseAndNamesTheMissingParameter) {
  TFDParams params;
  params.Rebuild({"NUMERO"});
  EXPECT_EQ(&params.ParamByName("numero"), &params[0]);
  EXPECT_EQ(params.FindParam("NUM"), nullptr);
  try {
    params.ParamByName("PARTE");
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("PARTE"), std::string::npos);
  }
}

TEST(Params, ElementSettersSetTheValueAndTheType) {
  TFDParams params;
  params.Rebuild({"S", "F", "I", "D", "T"});
  params.SetArraySize(3);
  params.ParamByName("S").AsStrings[2] = "produção";
  params.ParamByName("F").AsFloats[0] = 1.5;
  params.ParamByName("I").AsIntegers[1] = 42;
  params.ParamByName("D").AsDates[0] = 43131.75;  // the time of day is dropped
  params.ParamByName("T").AsDateTimes[0] = 43131.75;
  const TFDParam& s = params.ParamByName("S");
  EXPECT_EQ(s.DataType(), ftString);
  EXPECT_TRUE(IsNullValue(s.Value(0)));
  EXPECT_EQ(std::get<std::string>(s.Value(2)), "produção");
  EXPECT_EQ(params.ParamByName("F").DataType(), ftFloat);
  EXPECT_EQ(std::get<double>(params.ParamByName("F").Value(0)), 1.5);
  EXPECT_EQ(params.ParamByName("I").DataType(), ftInteger);
  EXPECT_EQ(std::get<int64_t>(params.ParamByName("I").Value(1)), 42);
  EXPECT_EQ(params.ParamByName("D").DataType(), ftDate);
  EXPECT_EQ(std::get<TFDTimeStamp>(params.ParamByName("D").Value(0)).Value, 43131.0);
  EXPECT_EQ(params.ParamByName("T").DataType(), ftDateTime);
  EXPECT_EQ(std::get<TFDTimeStamp>(params.ParamByName("T").Value(0)).Value, 43131.75);
  params.ParamByName("S").ClearElement(2);
  EXPECT_TRUE(IsNullValue(s.Value(2)));
  EXPECT_EQ(s.DataType(), ftString);
}

TEST(Params, ArraySizeAppliesToEveryParameterIncludingLaterOnes) {
  TFDParams params;
  params.Rebuild({"A"});
  params.SetArraySize(25);
  params.Rebuild({"A", "B"});
  EXPECT_EQ(params.ArraySize(), 25);
  EXPECT_EQ(params[0].ArraySize(), 25);
  EXPECT_EQ(params[1].ArraySize(), 25);
  params.SetArraySize(2);
  EXPECT_EQ(params[1].Values().size(), 2u);
}

TEST(Params, ElementOutsideTheArrayOrAnEmptyArrayIsAnError) {
  TFDParams params;
  params.Rebuild({"A"});
  params.SetArraySize(2);
  EXPECT_THROW(params[0].AsStrings[2] = "x", EDatabaseError);
  EXPECT_THROW(params[0].AsIntegers[-1] = 1, EDatabaseError);
  EXPECT_THROW(params[0].ClearElement(2), EDatabaseError);
  EXPECT_EQ(params[0].DataType(), ftUnknown);  // a refused element leaves the type alone
  EXPECT_THROW(params.SetArraySize(0), EDatabaseError);
}

TEST(ParamKind, AColumnTravelsInOneKindTheTypeOrElseItsFirstValueDecides) {
  struct Case {
    const char* name;
    TFieldType type;
    std::vector<TFDValue> values;
    TParamKind kind;
  };
  const Case cases[] = {
      {"a typed column ignores its values", ftString, {int64_t{1}, 2.5}, TParamKind::Text},
      {"a currency column stays currency", ftCurrency, {TFDValue{TFDBcd{100, 2}}}, TParamKind::Currency},
      {"an untyped column takes its first non-null value's kind",
       ftUnknown,
       {TFDValue{}, int64_t{3}, 2.0, std::string("x")},
       TParamKind::Integer},
      {"a double first", ftUnknown, {2.0, int64_t{3}}, TParamKind::Float},
      {"an untyped column of nulls tells nothing", ftUnknown, {TFDValue{}, TFDValue{}}, TParamKind::ByValue},
      {"an empty column tells nothing", ftUnknown, {}, TParamKind::ByValue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ParamKindOfColumn(c.type, c.values), c.kind);
  }
}

}  // namespace
}  // namespace zr::db
