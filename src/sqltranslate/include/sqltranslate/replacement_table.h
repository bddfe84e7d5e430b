#pragma once
// The translation vocabulary of ConverteSQL: every occurrence of `from`, letter case ignored, is
// replaced by `to` written exactly as here. Kept as data, in the order the pipeline applies it.

#include <array>
#include <string_view>

namespace zr::sqlt {

struct Replacement {
  std::string_view from;
  std::string_view to;
  // An occurrence directly followed by this text (case ignored) is left alone.
  std::string_view unlessFollowedBy = {};
};

// Every server.
inline constexpr std::array<Replacement, 1> kEveryServer{{{"DESCENDING", "DESC"}}};

// Every server, when the text contains "UDF_": the UDF_ functions that Firebird has built in.
inline constexpr std::array<Replacement, 8> kUdfBuiltins{{
    {"udf_len", "char_length"},
    {"udf_trim", "trim"},
    {"udf_replace", "replace"},
    {"UDF_DAY(", "EXTRACT(DAY FROM "},
    {"UDF_MONTH(", "EXTRACT(MONTH FROM "},
    {"UDF_YEAR(", "EXTRACT(YEAR FROM "},
    {"UDF_TRUNC", "TRUNC"},
    {"UDF_UPPER", "UPPER"},
}};

// Oracle: Firebird's functions under Oracle's names. current_time leaves current_timestamp
// alone: it would otherwise grow a second "stamp".
inline constexpr std::array<Replacement, 5> kOracleFunctions{{
    {"current_date", "sysdate"},
    {"current_time", "current_timestamp", "stamp"},
    {"char_length", "length"},
    {"coalesce", "nvl"},
    {"ASCII_CHAR", "CHR"},
}};

// Oracle, when the text contains "UDF_": before the UDF_MINUTESBETWEEN and UDF_NVL rewrites...
inline constexpr std::array<Replacement, 2> kOracleUdfFirst{{
    {"UDF_STRIP", "REPLACE"},
    {"UDF_ROUNDDEC", "ROUND"},
}};
// ...and after the TO_CHAR calls.
inline constexpr std::array<Replacement, 1> kOracleUdfLast{{{"udf_copy", "substr"}}};

// Oracle, when the text contains "POSITION(" or "POSITION (": one form for the POSITION rewrite.
inline constexpr std::array<Replacement, 1> kOraclePosition{{{"POSITION (", "POSITION("}}};

// Oracle, "UDF_" date-part calls rewritten to TO_CHAR, each on its first call only, in this order
// (UDF_DAYNAME twice: up to two of its calls per statement).
struct ToCharCall {
  std::string_view name;
  std::string_view format;
};
inline constexpr std::array<ToCharCall, 4> kToCharCalls{{
    {"UDF_HOUR", "HH24"},
    {"UDF_MINUTE", "MI"},
    {"UDF_DAYNAME", "DAY"},
    {"UDF_DAYNAME", "DAY"},
}};

}  // namespace zr::sqlt
