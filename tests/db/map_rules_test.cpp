// Mapping rules: the first rule whose source type matches and whose inclusive bounds hold decides.
#include <gtest/gtest.h>

#include "db/map_rules.h"

namespace zr::db {
namespace {

// The rule set a connection installs for Oracle columns, in its order.
TFDMapRules OracleLikeRules() {
  TFDMapRules rules;
  auto add = [&](TFDDataType from, TFDDataType to) -> TFDMapRule& {
    TFDMapRule& r = rules.Add();
    r.SourceDataType = from;
    r.TargetDataType = to;
    return r;
  };
  TFDMapRule& bcdCurrency = add(dtBCD, dtCurrency);
  bcdCurrency.PrecMin = 0;
  bcdCurrency.PrecMax = 18;
  bcdCurrency.ScaleMin = 2;
  bcdCurrency.ScaleMax = 4;
  bcdCurrency.SizeMin = 2;
  bcdCurrency.SizeMax = 8;
  TFDMapRule& bcdInt = add(dtBCD, dtInt32);
  bcdInt.PrecMin = 0;
  bcdInt.PrecMax = 9;
  bcdInt.ScaleMin = 0;
  bcdInt.ScaleMax = 0;
  bcdInt.SizeMin = 0;
  bcdInt.SizeMax = 0;
  add(dtDateTime, dtDate);
  add(dtDateTimeStamp, dtTime);
  return rules;
}

TEST(MapRules, FirstMatchingRuleDecidesWithInclusiveBoundsAndUnsetBoundsMatchingAnything) {
  const TFDMapRules rules = OracleLikeRules();
  struct Case {
    const char* name;
    TFDDataType type;
    int precision, scale, size;
    TFDDataType expected;
  };
  const Case cases[] = {
      {"inside every bound", dtBCD, 15, 2, 2, dtCurrency},
      {"on the lower bounds", dtBCD, 0, 2, 2, dtCurrency},
      {"on the upper bounds", dtBCD, 18, 4, 8, dtCurrency},
      {"precision one above", dtBCD, 19, 2, 2, dtBCD},
      {"scale one above", dtBCD, 15, 5, 5, dtBCD},
      {"size one below, scale inside", dtBCD, 15, 2, 1, dtBCD},
      {"scale zero goes to the second rule", dtBCD, 9, 0, 0, dtInt32},
      {"scale zero, precision above the second rule", dtBCD, 10, 0, 0, dtBCD},
      {"a bound-less rule matches any numbers", dtDateTime, -5, 99, 12345, dtDate},
      {"only the source type selects bound-less rules", dtDateTimeStamp, 0, 0, 0, dtTime},
      {"a type without a rule keeps its type", dtFmtBCD, 15, 2, 2, dtFmtBCD},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(rules.Map(c.type, c.precision, c.scale, c.size), c.expected);
  }
}

TEST(MapRules, EarlierRuleWinsOverALaterMatchingOne) {
  TFDMapRules rules;
  TFDMapRule& first = rules.Add();
  first.SourceDataType = dtBCD;
  first.TargetDataType = dtDouble;
  first.ScaleMin = 2;
  TFDMapRule& second = rules.Add();
  second.SourceDataType = dtBCD;
  second.TargetDataType = dtCurrency;
  EXPECT_EQ(first.TargetDataType, dtDouble);  // the reference stays valid after another Add
  EXPECT_EQ(rules.Map(dtBCD, 15, 2, 2), dtDouble);
  EXPECT_EQ(rules.Map(dtBCD, 15, 1, 1), dtCurrency);
  rules.Clear();
  EXPECT_EQ(rules.Count(), 0);
  EXPECT_EQ(rules.Map(dtBCD, 15, 2, 2), dtBCD);
}

}  // namespace
}  // namespace zr::db
