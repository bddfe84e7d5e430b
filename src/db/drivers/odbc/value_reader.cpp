#include "value_reader.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "db/datetime.h"
#include "odbc_error.h"
#include "utf16.h"

namespace zr::db::odbc {
namespace {

constexpr int kMaxDigits = 18;  // every 18-digit unscaled value fits in int64_t

// Reads a fixed-size value; false for a null.
template <typename T>
bool GetFixed(SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT cType, T& value) {
  SQLLEN indicator = 0;
  Check(SQLGetData(stmt, number, cType, &value, sizeof(value), &indicator), SQL_HANDLE_STMT, stmt,
        "SQLGetData");
  return indicator != SQL_NULL_DATA;
}

// Reads variable-length data piece by piece; false for a null. `unit` is the size of one character (the
// driver keeps room for a terminator of that size in every piece of character data).
template <typename Unit>
bool GetVariable(SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT cType, std::vector<Unit>& out) {
  constexpr size_t kPiece = 8192;
  const size_t terminator = cType == SQL_C_BINARY ? 0 : 1;
  std::vector<Unit> buffer(kPiece);
  out.clear();
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN ret = SQLGetData(stmt, number, cType, buffer.data(),
                                     static_cast<SQLLEN>(buffer.size() * sizeof(Unit)), &indicator);
    if (ret == SQL_NO_DATA) break;  // everything was read by the previous piece
    Check(ret, SQL_HANDLE_STMT, stmt, "SQLGetData");
    if (indicator == SQL_NULL_DATA) return false;
    size_t units = buffer.size() - terminator;  // a full piece (more data follows)
    if (indicator != SQL_NO_TOTAL && static_cast<size_t>(indicator) / sizeof(Unit) <= units) {
      units = static_cast<size_t>(indicator) / sizeof(Unit);
    }
    out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(units));
    if (ret == SQL_SUCCESS) break;  // SQL_SUCCESS_WITH_INFO (01004): truncated, read on
  }
  return true;
}

TDateTime FromTimestamp(const SQL_TIMESTAMP_STRUCT& ts) {
  return EncodeDateTime(
      {ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second, static_cast<int>(ts.fraction / 1000000)});
}

TFDValue ReadText(SQLHSTMT stmt, SQLUSMALLINT number, bool fixedChar) {
  std::vector<SQLWCHAR> wide;
  if (!GetVariable(stmt, number, SQL_C_WCHAR, wide)) return {};
  std::string text = FromWide(wide.data(), wide.size());
  if (fixedChar) text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

TFDValue ReadDecimal(SQLHSTMT stmt, SQLUSMALLINT number) {
  std::vector<char> chars;
  if (!GetVariable(stmt, number, SQL_C_CHAR, chars)) return {};
  const std::string text(chars.begin(), chars.end());
  if (auto bcd = ParseDecimal(text)) return *bcd;
  return std::strtod(text.c_str(), nullptr);  // out of the exact range: the nearest double
}

}  // namespace

std::optional<TFDBcd> ParseDecimal(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::string integerDigits, fractionDigits;
  bool inFraction = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      (inFraction ? fractionDigits : integerDigits) += c;
    } else if ((c == '.' || c == ',') && !inFraction) {
      inFraction = true;
    } else {
      return std::nullopt;
    }
  }
  if (integerDigits.empty() && fractionDigits.empty()) return std::nullopt;
  integerDigits.erase(0, integerDigits.find_first_not_of('0'));
  if (integerDigits.size() > kMaxDigits) return std::nullopt;
  // Round off fraction digits that do not fit beside the integer part.
  const size_t room = kMaxDigits - integerDigits.size();
  bool roundUp = false;
  if (fractionDigits.size() > room) {
    roundUp = fractionDigits[room] >= '5';
    fractionDigits.resize(room);
  }
  TFDBcd bcd;
  for (char c : integerDigits + fractionDigits) bcd.Unscaled = bcd.Unscaled * 10 + (c - '0');
  if (roundUp) ++bcd.Unscaled;
  bcd.Scale = static_cast<int>(fractionDigits.size());
  if (negative) bcd.Unscaled = -bcd.Unscaled;
  return bcd;
}

TFDValue ReadColumnValue(SQLHSTMT stmt, SQLUSMALLINT number, const ResultColumn& column) {
  switch (column.Kind) {
    case ReadKind::Integer: {
      SQLBIGINT v = 0;
      if (!GetFixed(stmt, number, SQL_C_SBIGINT, v)) return {};
      return static_cast<int64_t>(v);
    }
    case ReadKind::Boolean: {
      unsigned char v = 0;
      if (!GetFixed(stmt, number, SQL_C_BIT, v)) return {};
      return v != 0;
    }
    case ReadKind::Double: {
      double v = 0;
      if (!GetFixed(stmt, number, SQL_C_DOUBLE, v)) return {};
      return v;
    }
    case ReadKind::Decimal:
      return ReadDecimal(stmt, number);
    case ReadKind::Date: {
      SQL_DATE_STRUCT d{};
      if (!GetFixed(stmt, number, SQL_C_TYPE_DATE, d)) return {};
      return TFDTimeStamp{EncodeDateTime({d.year, d.month, d.day, 0, 0, 0, 0})};
    }
    case ReadKind::Time: {
      SQL_TIME_STRUCT t{};
      if (!GetFixed(stmt, number, SQL_C_TYPE_TIME, t)) return {};
      return TFDTimeStamp{EncodeDateTime({1899, 12, 30, t.hour, t.minute, t.second, 0})};
    }
    case ReadKind::DateTime: {
      SQL_TIMESTAMP_STRUCT ts{};
      if (!GetFixed(stmt, number, SQL_C_TYPE_TIMESTAMP, ts)) return {};
      return TFDTimeStamp{FromTimestamp(ts)};
    }
    case ReadKind::Text:
      return ReadText(stmt, number, column.Info.FixedChar);
    case ReadKind::Binary: {
      std::vector<unsigned char> bytes;
      if (!GetVariable(stmt, number, SQL_C_BINARY, bytes)) return {};
      return TFDBytes{std::move(bytes)};
    }
  }
  return {};
}

}  // namespace zr::db::odbc
