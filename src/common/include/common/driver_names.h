#pragma once
// The framework's driver names, as connections carry them and components compare them: exactly, letter case
// included (only the translator's Oracle test looks for "Ora" inside a name).

#include <string_view>

namespace zr::common {

inline constexpr std::string_view kDriverFirebird = "FB";
inline constexpr std::string_view kDriverOracle = "Ora";
inline constexpr std::string_view kDriverPostgreSql = "PG";
inline constexpr std::string_view kDriverSQLite = "SQLite";

}  // namespace zr::common
