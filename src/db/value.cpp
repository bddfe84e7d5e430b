#include "db/value.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "db/errors.h"
#include "number_format.h"

namespace zr::db {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

std::string BytesAsText(const TFDBytes& b) { return std::string(b.Data.begin(), b.Data.end()); }

int64_t RoundToInteger(double v, const TFDValue& original) {
  // Half-way values go to the even neighbour, as the framework's rounding does.
  const double r = std::nearbyint(v);
  if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) {
    throw EDatabaseError("'" + ValueAsString(original) + "' is not a valid integer value");
  }
  return static_cast<int64_t>(r);
}

// "dd/mm/yyyy" with an optional " hh:mm[:ss]".
bool ParseDateTimeText(const std::string& text, TDateTime& out) {
  int d = 0, m = 0, y = 0, h = 0, mi = 0, s = 0, consumed = 0;
  TDateParts p;
  if (std::sscanf(text.c_str(), " %d/%d/%d%n", &d, &m, &y, &consumed) != 3) return false;
  std::string rest = text.substr(static_cast<size_t>(consumed));
  if (!rest.empty()) {
    int n = 0;
    const int got = std::sscanf(rest.c_str(), " %d:%d:%d%n", &h, &mi, &s, &n);
    if (got < 2) return false;
    if (got == 2) {
      s = 0;
      std::sscanf(rest.c_str(), " %d:%d%n", &h, &mi, &n);
    }
    for (size_t i = static_cast<size_t>(n); i < rest.size(); ++i) {
      if (rest[i] != ' ') return false;
    }
  }
  p.Year = y;
  p.Month = m;
  p.Day = d;
  p.Hour = h;
  p.Minute = mi;
  p.Second = s;
  try {
    out = EncodeDateTime(p);
  } catch (const EDatabaseError&) {
    return false;
  }
  return true;
}

}  // namespace

double BcdToDouble(const TFDBcd& v) { return static_cast<double>(v.Unscaled) / std::pow(10.0, v.Scale); }

std::string BcdToString(const TFDBcd& v) {
  // Exact digits; trailing zeros of the fraction are not shown ("12.50" reads "12.5").
  const bool negative = v.Unscaled < 0;
  std::string digits = std::to_string(v.Unscaled);
  if (negative) digits.erase(0, 1);
  if (v.Scale <= 0) {
    if (v.Unscaled != 0) digits.append(static_cast<size_t>(-v.Scale), '0');
    return (negative ? "-" : "") + digits;
  }
  const auto scale = static_cast<size_t>(v.Scale);
  if (digits.size() <= scale) digits.insert(0, scale - digits.size() + 1, '0');
  std::string whole = digits.substr(0, digits.size() - scale);
  std::string fraction = digits.substr(digits.size() - scale);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  std::string text = whole;
  if (!fraction.empty()) text += "." + fraction;
  return (negative ? "-" : "") + text;
}

std::string ValueAsString(const TFDValue& v) {
  return std::visit(Overloaded{
                        [](std::monostate) { return std::string(); },
                        [](bool b) { return std::string(b ? "True" : "False"); },
                        [](int64_t i) { return std::to_string(i); },
                        [](double d) { return detail::FormatFloat(d); },
                        [](const std::string& s) { return s; },
                        [](const TFDBcd& b) { return BcdToString(b); },
                        [](const TFDTimeStamp& t) { return FormatDateTime(t.Value); },
                        [](const TFDBytes& b) { return BytesAsText(b); },
                    },
                    v);
}

double ValueAsFloat(const TFDValue& v) {
  return std::visit(
      Overloaded{
          [](std::monostate) { return 0.0; },
          [](bool b) { return b ? 1.0 : 0.0; },
          [](int64_t i) { return static_cast<double>(i); },
          [](double d) { return d; },
          [](const std::string& s) {
            double d = 0;
            if (!detail::ParseFloat(s, d)) {
              throw EDatabaseError("'" + s + "' is not a valid floating point value");
            }
            return d;
          },
          [](const TFDBcd& b) { return BcdToDouble(b); },
          [](const TFDTimeStamp& t) { return t.Value; },
          [](const TFDBytes& b) -> double {
            throw EDatabaseError("'" + BytesAsText(b) + "' is not a valid floating point value");
          },
      },
      v);
}

int64_t ValueAsInteger(const TFDValue& v) {
  return std::visit(Overloaded{
                        [](std::monostate) -> int64_t { return 0; },
                        [](bool b) -> int64_t { return b ? 1 : 0; },
                        [](int64_t i) { return i; },
                        [&v](double d) { return RoundToInteger(d, v); },
                        [](const std::string& s) {
                          int64_t i = 0;
                          if (!detail::ParseInteger(s, i)) {
                            throw EDatabaseError("'" + s + "' is not a valid integer value");
                          }
                          return i;
                        },
                        [&v](const TFDBcd& b) {
                          // Exact for whole numbers; a fraction is rounded like a floating-point value.
                          if (b.Scale == 0) return b.Unscaled;
                          int64_t divisor = 1;
                          for (int s = 0; s < b.Scale && s < 18; ++s) divisor *= 10;
                          if (b.Scale > 0 && b.Scale <= 18 && b.Unscaled % divisor == 0)
                            return b.Unscaled / divisor;
                          return RoundToInteger(BcdToDouble(b), v);
                        },
                        [&v](const TFDTimeStamp& t) { return RoundToInteger(t.Value, v); },
                        [](const TFDBytes& b) -> int64_t {
                          throw EDatabaseError("'" + BytesAsText(b) + "' is not a valid integer value");
                        },
                    },
                    v);
}

TDateTime ValueAsDateTime(const TFDValue& v) {
  if (const auto* s = std::get_if<std::string>(&v)) {
    TDateTime t = 0;
    if (!ParseDateTimeText(*s, t)) throw EDatabaseError("'" + *s + "' is not a valid date and time");
    return t;
  }
  if (const auto* b = std::get_if<TFDBytes>(&v)) {
    throw EDatabaseError("'" + BytesAsText(*b) + "' is not a valid date and time");
  }
  return ValueAsFloat(v);
}

}  // namespace zr::db
