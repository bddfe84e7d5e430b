#include "map_rule_sets.h"

#include <optional>
#include <span>

namespace zr::data::detail {

namespace {

// One rule of a set; an empty bound matches any value.
struct RuleRow {
  db::TFDDataType Source;
  db::TFDDataType Target;
  std::optional<int> PrecMin, PrecMax, ScaleMin, ScaleMax, SizeMin, SizeMax;
};

constexpr std::nullopt_t kAny = std::nullopt;

// Firebird: scaled numerics read as doubles; time stamps as times (not date-times).
const RuleRow kFirebirdRules[] = {
    {db::dtBCD, db::dtDouble, 2, 21, 2, 15, kAny, kAny},
    {db::dtFmtBCD, db::dtDouble, 2, 21, 2, 15, kAny, kAny},
    {db::dtDateTimeStamp, db::dtTime, kAny, kAny, kAny, kAny, kAny, kAny},
};

// Oracle: money-like numbers as currency, small integers as 32-bit integers, DATE as date.
const RuleRow kOracleRules[] = {
    {db::dtBCD, db::dtCurrency, 0, 18, 2, 4, 2, 8},
    {db::dtFmtBCD, db::dtCurrency, 0, 38, 0, 38, 2, 8},
    {db::dtBCD, db::dtInt32, 0, 9, 0, 0, 0, 0},
    {db::dtDateTime, db::dtDate, kAny, kAny, kAny, kAny, kAny, kAny},
    {db::dtDateTimeStamp, db::dtTime, kAny, kAny, kAny, kAny, kAny, kAny},
};

void Install(std::span<const RuleRow> rows, db::TFDFormatOptions& options) {
  options.MapRules.Clear();
  options.OwnMapRules = true;
  for (const RuleRow& row : rows) {
    db::TFDMapRule& rule = options.MapRules.Add();
    rule.SourceDataType = row.Source;
    rule.TargetDataType = row.Target;
    rule.PrecMin = row.PrecMin;
    rule.PrecMax = row.PrecMax;
    rule.ScaleMin = row.ScaleMin;
    rule.ScaleMax = row.ScaleMax;
    rule.SizeMin = row.SizeMin;
    rule.SizeMax = row.SizeMax;
  }
}

}  // namespace

void InstallFirebirdRules(db::TFDFormatOptions& options) { Install(kFirebirdRules, options); }
void InstallOracleRules(db::TFDFormatOptions& options) { Install(kOracleRules, options); }

}  // namespace zr::data::detail
