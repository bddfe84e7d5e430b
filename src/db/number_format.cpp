#include "number_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/ascii.h"

namespace zr::db::detail {

namespace {

void TrimFractionZeros(std::string& text) {
  const size_t dot = text.find('.');
  if (dot == std::string::npos) return;
  size_t end = text.size();
  while (end > dot + 1 && text[end - 1] == '0') --end;
  if (end == dot + 1) --end;
  text.erase(end);
}

}  // namespace

std::string FormatFloat(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0.0) return "0";
  char buf[64];
  // The decimal exponent after rounding to 15 significant digits.
  std::snprintf(buf, sizeof buf, "%.14e", value);
  const char* e = std::strchr(buf, 'e');
  const int exponent = std::atoi(e + 1);
  if (exponent >= 15 || std::fabs(value) < 0.00001) {
    std::string mantissa(static_cast<const char*>(buf), e);
    TrimFractionZeros(mantissa);
    return mantissa + "E" + std::to_string(exponent);
  }
  std::snprintf(buf, sizeof buf, "%.*f", exponent >= 14 ? 0 : 14 - exponent, value);
  std::string text = buf;
  TrimFractionZeros(text);
  if (text == "-0") text = "0";
  return text;
}

std::string FormatMoney(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", std::fabs(value));
  std::string digits = buf;
  const size_t dot = digits.find('.');
  std::string whole = digits.substr(0, dot);
  std::string grouped;
  for (size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) grouped += ',';
    grouped += whole[i];
  }
  const bool negative = value < 0 && digits != "0.00";
  return std::string(negative ? "-$" : "$") + grouped + digits.substr(dot);
}

bool ParseFloat(std::string_view text, double& value) {
  text = common::TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

bool ParseInteger(std::string_view text, int64_t& value) {
  text = common::TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace zr::db::detail
