#pragma once
// Data type mapping rules: the first rule whose source type matches and whose inclusive bounds hold decides
// the column's data type, and so the class of its field.

#include <deque>
#include <optional>

#include "db/data_types.h"

namespace zr::db {

struct TFDMapRule {
  TFDDataType SourceDataType = dtUnknown;
  TFDDataType TargetDataType = dtUnknown;
  // Inclusive bounds; an unset bound matches any value.
  std::optional<int> PrecMin, PrecMax, ScaleMin, ScaleMax, SizeMin, SizeMax;

  bool Matches(TFDDataType type, int precision, int scale, int size) const;
};

class TFDMapRules {
 public:
  // Appends a rule and returns it for filling in (the reference stays valid while the rule exists).
  TFDMapRule& Add();
  void Clear() { rules_.clear(); }
  int Count() const noexcept { return static_cast<int>(rules_.size()); }
  const TFDMapRule& operator[](int index) const { return rules_.at(static_cast<size_t>(index)); }
  auto begin() const noexcept { return rules_.begin(); }
  auto end() const noexcept { return rules_.end(); }

  // The target type of the first matching rule, or `type` itself when none matches.
  TFDDataType Map(TFDDataType type, int precision, int scale, int size) const;

 private:
  std::deque<TFDMapRule> rules_;
};

struct TFDFormatOptions {
  TFDMapRules MapRules;
  // When false the connection's rules are not applied (columns keep the driver's types).
  bool OwnMapRules = false;
};

}  // namespace zr::db
