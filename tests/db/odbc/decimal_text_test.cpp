// Decimal column values arrive as text; they become exact scaled decimals.

#include <gtest/gtest.h>

#include "value_reader.h"

namespace zr::db::odbc {
namespace {

struct Case {
  const char* name;
  const char* text;
  std::optional<TFDBcd> expected;
};

TEST(DecimalText, ReadsAsScaledDecimal) {
  const Case cases[] = {
      {"plain value keeps its scale", "12.3400", TFDBcd{123400, 4}},
      {"negative value", "-0.5", TFDBcd{-5, 1}},
      {"no digit before the point (Oracle writes .5)", "-.5", TFDBcd{-5, 1}},
      {"comma as decimal separator (Oracle under a Portuguese NLS)", "1234,56", TFDBcd{123456, 2}},
      {"integer", "42", TFDBcd{42, 0}},
      {"leading zeros and blanks", "  007.10 ", TFDBcd{710, 2}},
      {"fraction digits beyond 18 in all are rounded off", "123456789012345.6789",
       TFDBcd{123456789012345679, 3}},
      {"an integer part over 18 digits does not fit", "1234567890123456789", std::nullopt},
      {"exponent form is no plain decimal", "1E+20", std::nullopt},
      {"empty text", "", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ParseDecimal(c.text), c.expected);
  }
}

}  // namespace
}  // namespace zr::db::odbc
