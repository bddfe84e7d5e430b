#pragma once
// The translation vocabulary of ConverteSQL: every occurrence of `from`, letter case ignored, is
// replaced by `to` written exactly as here. Kept as data so that one test pins it.

#include <array>
#include <string_view>

namespace zr::sqlt {

struct Replacement {
  std::string_view id;
  std::string_view from;
  std::string_view to;
  // An occurrence directly followed by this text (case ignored) is left alone.
  std::string_view unlessFollowedBy = {};
};

// Every server.
inline constexpr std::array<Replacement, 1> kEveryServer{{{"A1", "DESCENDING", "DESC"}}};

// Every server, when the text contains "UDF_".
inline constexpr std::array<Replacement, 8> kUdfBuiltins{{
    {"B1", "udf_len", "char_length"},
    {"B2", "udf_trim", "trim"},
    {"B3", "udf_replace", "replace"},
    {"B4", "UDF_DAY(", "EXTRACT(DAY FROM "},
    {"B5", "UDF_MONTH(", "EXTRACT(MONTH FROM "},
    {"B6", "UDF_YEAR(", "EXTRACT(YEAR FROM "},
    {"B7", "UDF_TRUNC", "TRUNC"},
    {"B8", "UDF_UPPER", "UPPER"},
}};

// Oracle. C2 leaves current_timestamp alone: it would otherwise grow a second "stamp".
inline constexpr std::array<Replacement, 5> kOracleFunctions{{
    {"C1", "current_date", "sysdate"},
    {"C2", "current_time", "current_timestamp", "stamp"},
    {"C3", "char_length", "length"},
    {"C4", "coalesce", "nvl"},
    {"C5", "ASCII_CHAR", "CHR"},
}};

// Oracle, when the text contains "UDF_": before the UDF_MINUTESBETWEEN and UDF_NVL rewrites...
inline constexpr std::array<Replacement, 2> kOracleUdfFirst{{
    {"D1", "UDF_STRIP", "REPLACE"},
    {"D2", "UDF_ROUNDDEC", "ROUND"},
}};
// ...and after the TO_CHAR calls.
inline constexpr std::array<Replacement, 1> kOracleUdfLast{{{"D9", "udf_copy", "substr"}}};

// Oracle, when the text contains "POSITION(" or "POSITION (".
inline constexpr std::array<Replacement, 1> kOraclePosition{{{"E1", "POSITION (", "POSITION("}}};

// Oracle, "UDF_" date-part calls rewritten to TO_CHAR, each on its first call only, in this order.
struct ToCharCall {
  std::string_view id;
  std::string_view name;
  std::string_view format;
};
inline constexpr std::array<ToCharCall, 4> kToCharCalls{{
    {"D5", "UDF_HOUR", "HH24"},
    {"D6", "UDF_MINUTE", "MI"},
    {"D7", "UDF_DAYNAME", "DAY"},
    {"D8", "UDF_DAYNAME", "DAY"},
}};

}  // namespace zr::sqlt
