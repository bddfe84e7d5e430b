// Value conversions between the column and parameter values and what fields read; dates and number text.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "db/datetime.h"
#include "db/errors.h"
#include "db/fields.h"
#include "db/value.h"

namespace zr::db {
namespace {

TEST(Values, NullReadsAsEmptyTextOrZero) {
  const TFDValue null;
  EXPECT_EQ(ValueAsString(null), "");
  EXPECT_EQ(ValueAsFloat(null), 0.0);
  EXPECT_EQ(ValueAsInteger(null), 0);
  EXPECT_EQ(ValueAsDateTime(null), 0.0);
}

TEST(Values, TextOfEachKindOfValue) {
  struct Case {
    const char* name;
    TFDValue value;
    std::string text;
  };
  const Case cases[] = {
      {"true", true, "True"},
      {"a negative whole number", int64_t{-42}, "-42"},
      {"a fraction", 2.5, "2.5"},
      {"text as it is", std::string("produção "), "produção "},
      {"a decimal drops trailing fraction zeros", TFDBcd{1250, 2}, "12.5"},
      {"a whole decimal", TFDBcd{1200, 2}, "12"},
      {"a negative decimal below one", TFDBcd{-5, 3}, "-0.005"},
      {"a decimal of zero", TFDBcd{0, 4}, "0"},
      {"a date at midnight shows the date only", TFDTimeStamp{43131.0}, "31/01/2018"},
      {"a date with a time", TFDTimeStamp{43131.5}, "31/01/2018 12:00:00"},
      {"bytes as their characters", TFDBytes{{'a', 'b'}}, "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ValueAsString(c.value), c.text);
  }
}

TEST(Values, NumbersFromEachKindOfValue) {
  EXPECT_EQ(ValueAsFloat(TFDBcd{-1234567, 4}), -123.4567);
  EXPECT_EQ(ValueAsFloat(std::string(" 1.25 ")), 1.25);
  EXPECT_EQ(ValueAsInteger(TFDBcd{123456789012345678, 0}), 123456789012345678);
  EXPECT_EQ(ValueAsInteger(TFDBcd{4200, 2}), 42);
  EXPECT_EQ(ValueAsInteger(std::string("-17")), -17);
  EXPECT_EQ(ValueAsInteger(2.5), 2);  // half-way goes to the even neighbour
  EXPECT_EQ(ValueAsInteger(3.5), 4);
  EXPECT_EQ(ValueAsInteger(-2.6), -3);
  EXPECT_EQ(ValueAsDateTime(std::string("31/01/2018 10:30")), 43131.4375);
  EXPECT_EQ(ValueAsDateTime(TFDTimeStamp{1.5}), 1.5);
}

template <class F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const EDatabaseError& e) {
    return e.what();
  }
  return "no error";
}

TEST(Values, TextThatIsNotANumberOrDateIsAnErrorNamingTheValue) {
  EXPECT_EQ(ErrorOf([] { ValueAsFloat(std::string("12,5")); }), "'12,5' is not a valid floating point value");
  EXPECT_EQ(ErrorOf([] { ValueAsInteger(std::string("1.5")); }), "'1.5' is not a valid integer value");
  EXPECT_EQ(ErrorOf([] { ValueAsDateTime(std::string("31/02/2018")); }),
            "'31/02/2018' is not a valid date and time");
  EXPECT_THROW(ValueAsInteger(1e300), EDatabaseError);
}

TEST(DateTime, EncodeAndDecodeAroundTheZeroDate) {
  struct Case {
    const char* name;
    TDateParts parts;
    TDateTime value;
  };
  const Case cases[] = {
      {"the zero date", {1899, 12, 30, 0, 0, 0, 0}, 0.0},
      {"the day after", {1899, 12, 31, 0, 0, 0, 0}, 1.0},
      {"a day of 2018", {2018, 1, 31, 0, 0, 0, 0}, 43131.0},
      {"noon", {2018, 1, 31, 12, 0, 0, 0}, 43131.5},
      {"a leap day", {2000, 2, 29, 0, 0, 0, 0}, 36585.0},
      {"before the zero date the fraction still counts forward", {1899, 12, 29, 6, 0, 0, 0}, -1.25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_DOUBLE_EQ(EncodeDateTime(c.parts), c.value);
    const TDateParts back = DecodeDateTime(c.value);
    EXPECT_EQ(back.Year, c.parts.Year);
    EXPECT_EQ(back.Month, c.parts.Month);
    EXPECT_EQ(back.Day, c.parts.Day);
    EXPECT_EQ(back.Hour, c.parts.Hour);
  }
  const TDateParts ms = DecodeDateTime(EncodeDateTime({2026, 12, 10, 23, 59, 59, 999}));
  EXPECT_EQ(ms.Day, 10);
  EXPECT_EQ(ms.Second, 59);
  EXPECT_EQ(ms.Millisecond, 999);
  EXPECT_THROW(EncodeDateTime({2019, 2, 29, 0, 0, 0, 0}), EDatabaseError);
  EXPECT_THROW(EncodeDateTime({2019, 1, 1, 24, 0, 0, 0}), EDatabaseError);
}

TEST(DateTime, FormatsDayFirst) {
  const TDateTime t = EncodeDateTime({2018, 1, 5, 7, 8, 9, 0});
  EXPECT_EQ(FormatDate(t), "05/01/2018");
  EXPECT_EQ(FormatTime(t), "07:08:09");
  EXPECT_EQ(FormatDateTime(t), "05/01/2018 07:08:09");
  EXPECT_EQ(FormatDateTime(EncodeDateTime({2018, 1, 5, 0, 0, 0, 0})), "05/01/2018");
  EXPECT_EQ(FormatDate(EncodeDateTime({999, 3, 1, 0, 0, 0, 0})), "01/03/0999");
}

TEST(FloatField, TextHasUpTo15SignificantDigitsWithAPoint) {
  struct Case {
    const char* name;
    double value;
    const char* text;
  };
  const Case cases[] = {
      {"a whole number", 100.0, "100"},
      {"a fraction", 0.1, "0.1"},
      {"binary noise beyond 15 digits is rounded away", 0.1 + 0.2, "0.3"},
      {"a negative amount", -1234.5, "-1234.5"},
      {"15 digits stay fixed", 123456789012345.0, "123456789012345"},
      {"16 digits go scientific", 1234567890123456.0, "1.23456789012346E15"},
      {"a large power of ten", 1e20, "1E20"},
      {"the smallest fixed magnitude", 0.00001, "0.00001"},
      {"below it goes scientific", 0.000001234, "1.234E-6"},
      {"zero", 0.0, "0"},
      {"negative zero", -0.0, "0"},
  };
  TFloatField field(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    field.SetData(c.value);
    EXPECT_EQ(field.AsString(), c.text);
  }
  field.SetData(TFDValue{});
  EXPECT_EQ(field.AsString(), "");
  EXPECT_EQ(field.AsFloat(), 0.0);
}

TEST(FloatField, CurrencyDisplayFormatsMoneyAndPlainDisplayDoesNot) {
  TCurrencyField money(nullptr);
  money.SetData(1234567.5);
  EXPECT_TRUE(money.Currency());
  EXPECT_EQ(money.DisplayText(), "$1,234,567.50");
  EXPECT_EQ(money.AsString(), "1234567.5");
  money.SetData(-3.0);
  EXPECT_EQ(money.DisplayText(), "-$3.00");
  money.SetCurrency(false);
  EXPECT_EQ(money.DisplayText(), "-3");
}

TEST(Field, IntegerReadingChecksTheRange) {
  TField field(nullptr);
  field.SetData(int64_t{3000000000});
  EXPECT_EQ(field.AsLargeInt(), 3000000000);
  EXPECT_THROW(field.AsInteger(), EDatabaseError);
  field.SetData(std::string("12"));
  EXPECT_EQ(field.AsInteger(), 12);
  EXPECT_FALSE(field.IsNull());
}

}  // namespace
}  // namespace zr::db
