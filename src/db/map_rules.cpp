#include "db/map_rules.h"

namespace zr::db {

namespace {
bool Within(int value, const std::optional<int>& min, const std::optional<int>& max) {
  return (!min || value >= *min) && (!max || value <= *max);
}
}  // namespace

bool TFDMapRule::Matches(TFDDataType type, int precision, int scale, int size) const {
  return type == SourceDataType && Within(precision, PrecMin, PrecMax) && Within(scale, ScaleMin, ScaleMax) &&
         Within(size, SizeMin, SizeMax);
}

TFDMapRule& TFDMapRules::Add() { return rules_.emplace_back(); }

TFDDataType TFDMapRules::Map(TFDDataType type, int precision, int scale, int size) const {
  for (const TFDMapRule& rule : rules_) {
    if (rule.Matches(type, precision, scale, size)) return rule.TargetDataType;
  }
  return type;
}

}  // namespace zr::db
