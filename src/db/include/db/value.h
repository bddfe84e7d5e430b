#pragma once
// One column or parameter value as it travels between the framework and a driver.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "db/datetime.h"

namespace zr::db {

// A scaled decimal: Unscaled / 10^Scale (NUMERIC and DECIMAL values, exact).
struct TFDBcd {
  int64_t Unscaled = 0;
  int Scale = 0;
  bool operator==(const TFDBcd&) const = default;
};

// A date, time or date-time value (which one is told by the column's or parameter's type).
struct TFDTimeStamp {
  TDateTime Value = 0.0;
  bool operator==(const TFDTimeStamp&) const = default;
};

// Binary data (BLOB contents).
struct TFDBytes {
  std::vector<unsigned char> Data;
  bool operator==(const TFDBytes&) const = default;
};

// std::monostate is SQL NULL. Text is UTF-8.
using TFDValue =
    std::variant<std::monostate, bool, int64_t, double, std::string, TFDBcd, TFDTimeStamp, TFDBytes>;

inline bool IsNullValue(const TFDValue& v) { return std::holds_alternative<std::monostate>(v); }

// Conversions used by fields and drivers. A null gives empty text, 0 or 0.0; a text that is not a number
// raises EDatabaseError naming the value.
std::string ValueAsString(const TFDValue& v);
double ValueAsFloat(const TFDValue& v);
int64_t ValueAsInteger(const TFDValue& v);
TDateTime ValueAsDateTime(const TFDValue& v);
double BcdToDouble(const TFDBcd& v);
std::string BcdToString(const TFDBcd& v);

}  // namespace zr::db
