#pragma once
// Number text of the framework: "." as the decimal separator whatever the machine's locale.

#include <cstdint>
#include <string>
#include <string_view>

namespace zr::db::detail {

// Up to 15 significant digits, no trailing zeros; scientific ("1.5E20", "1E-7") when more than 15 digits
// stand left of the point or the magnitude is below 0.00001.
std::string FormatFloat(double value);
// Fixed two decimals with thousands separators and a currency sign: "$1,234.50", "-$3.00".
std::string FormatMoney(double value);
// Whole text must be a number (surrounding blanks allowed); false otherwise.
bool ParseFloat(std::string_view text, double& value);
bool ParseInteger(std::string_view text, int64_t& value);

}  // namespace zr::db::detail
