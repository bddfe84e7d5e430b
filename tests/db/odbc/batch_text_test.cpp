// How a write-behind batch is written for PostgreSQL (the stand-in) and for Oracle, checked without a server.
// The Oracle block has not yet been run against a real Oracle server.

#include <gtest/gtest.h>

#include <span>

#include "odbc_batch.h"
#include "param_binding.h"

namespace zr::db::odbc {
namespace {

TEST(BatchText, ValuesAreWrittenAsTheBindingWouldSendThem) {
  struct Case {
    const char* name;
    TFieldType type;
    TFDValue value;
    std::optional<std::string> postgres;
    std::optional<std::string> oracle;
  };
  const Case cases[] = {
      {"a null is NULL", ftString, TFDValue{}, "NULL", "NULL"},
      {"text is quoted, inner quotes doubled", ftString, std::string("D'Ouro"), "'D''Ouro'", "'D''Ouro'"},
      {"a backslash is left to the binding on PostgreSQL", ftString, std::string("a\\b"), std::nullopt,
       "'a\\b'"},
      {"integers", ftInteger, int64_t{-42}, "'-42'", "-42"},
      {"a double keeps all its digits", ftFloat, 0.9401, "'0.94010000000000005'::float8",
       "TO_BINARY_DOUBLE('0.94010000000000005')"},
      {"a date", ftDate, TFDValue{TFDTimeStamp{43101.75}}, "'2018-01-01'::date", "DATE '2018-01-01'"},
      {"a date and time to the millisecond", ftDateTime, TFDValue{TFDTimeStamp{43101.5}},
       "'2018-01-01 12:00:00.000'::timestamp", "TIMESTAMP '2018-01-01 12:00:00.000'"},
      {"decimals are left to the binding", ftBCD, TFDValue{TFDBcd{12345, 2}}, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ParamKind kind = KindOfParam(c.type, std::span(&c.value, 1));
    EXPECT_EQ(BatchLiteral(BatchDialect::PostgreSql, kind, c.value), c.postgres);
    EXPECT_EQ(BatchLiteral(BatchDialect::Oracle, kind, c.value), c.oracle);
  }
}

TEST(BatchText, ArrayElementsBecomeOneStatementEachAndEachBatchStatementOneCount) {
  const std::vector<TFDValue> numbers = {std::string("1"), std::string("2"), std::string("3")};
  const std::vector<TFDValue> names = {std::string("a?"), std::string("b"), TFDValue{}};
  driver::BatchStatement insert{
      "INSERT INTO T (K, V) VALUES (?, ?)", {{ftString, &numbers}, {ftString, &names}}, 2, 1};
  const auto texts = BatchStatementTexts(BatchDialect::Oracle, insert);
  ASSERT_TRUE(texts.has_value());
  EXPECT_EQ(*texts, (std::vector<std::string>{"INSERT INTO T (K, V) VALUES ('2', 'b')",
                                              "INSERT INTO T (K, V) VALUES ('3', NULL)"}));

  const std::vector<std::vector<std::string>> groups = {{"DELETE FROM T WHERE K = '?'"}, *texts};
  EXPECT_EQ(PostgreSqlBatchText(groups),
            "DELETE FROM T WHERE K = '?';\nINSERT INTO T (K, V) VALUES ('2', 'b');\n"
            "INSERT INTO T (K, V) VALUES ('3', NULL)");
  EXPECT_EQ(OraclePlsqlBatchText(groups),
            "DECLARE C NUMBER; BEGIN\n"
            "C := 0;\nDELETE FROM T WHERE K = '?';\nC := C + SQL%ROWCOUNT;\n? := C;\n"
            "C := 0;\nINSERT INTO T (K, V) VALUES ('2', 'b');\nC := C + SQL%ROWCOUNT;\n"
            "INSERT INTO T (K, V) VALUES ('3', NULL);\nC := C + SQL%ROWCOUNT;\n? := C;\n"
            "END;");
}

TEST(BatchText, AParameterOfUnknownTypeIsWrittenInTheKindOfItsFirstValueAsTheBindingSendsIt) {
  // The binding decides once per column, from the elements it runs: an integer first makes every element an
  // integer, a later double included.
  const std::vector<TFDValue> mixed = {std::string("skipped"), TFDValue{}, int64_t{3}, 2.0};
  driver::BatchStatement insert{"INSERT INTO T (K) VALUES (?)", {{ftUnknown, &mixed}}, 3, 1};
  EXPECT_EQ(KindOfParam(ftUnknown, std::span(mixed).subspan(1, 3)), ParamKind::Integer);
  EXPECT_EQ(BatchStatementTexts(BatchDialect::Oracle, insert),
            (std::vector<std::string>{"INSERT INTO T (K) VALUES (NULL)", "INSERT INTO T (K) VALUES (3)",
                                      "INSERT INTO T (K) VALUES (2)"}));
  EXPECT_EQ(BatchStatementTexts(BatchDialect::PostgreSql, insert),
            (std::vector<std::string>{"INSERT INTO T (K) VALUES (NULL)", "INSERT INTO T (K) VALUES ('3')",
                                      "INSERT INTO T (K) VALUES ('2')"}));
  // Every element null: text, as the binding sends it.
  const std::vector<TFDValue> nulls = {TFDValue{}, TFDValue{}};
  EXPECT_EQ(KindOfParam(ftUnknown, std::span(nulls)), ParamKind::Text);
}

TEST(BatchText, AStatementWhoseValuesCannotBeWrittenStaysOutOfTheBatch) {
  const std::vector<TFDValue> blobs = {TFDValue{TFDBytes{{1, 2, 3}}}};
  driver::BatchStatement insert{"INSERT INTO T (B) VALUES (?)", {{ftBlob, &blobs}}, 1, 0};
  EXPECT_FALSE(BatchStatementTexts(BatchDialect::PostgreSql, insert).has_value());
  const std::vector<TFDValue> one = {int64_t{1}};
  driver::BatchStatement commented{"INSERT INTO T (K) VALUES (?) -- ?", {{ftInteger, &one}}, 1, 0};
  EXPECT_FALSE(BatchStatementTexts(BatchDialect::PostgreSql, commented).has_value());
}

}  // namespace
}  // namespace zr::db::odbc
