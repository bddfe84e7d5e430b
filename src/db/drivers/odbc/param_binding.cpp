#include "param_binding.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "db/datetime.h"
#include "db/errors.h"
#include "db/param_kind.h"
#include "odbc_error.h"
#include "utf16.h"

namespace zr::db::odbc {
namespace {

ParamKind OdbcKind(TParamKind kind) {
  switch (kind) {
    case TParamKind::Integer:
    case TParamKind::Boolean:
      return ParamKind::Integer;
    case TParamKind::Float:
    case TParamKind::Currency:
      return ParamKind::Double;
    case TParamKind::Decimal:
      return ParamKind::Decimal;
    case TParamKind::Date:
      return ParamKind::Date;
    case TParamKind::Time:
      return ParamKind::Time;
    case TParamKind::DateTime:
      return ParamKind::DateTime;
    case TParamKind::Binary:
      return ParamKind::Binary;
    case TParamKind::Text:
    case TParamKind::ByValue:
      break;
  }
  return ParamKind::Text;
}

}  // namespace

ParamKind KindOfParam(TFieldType type, std::span<const TFDValue> values) {
  return OdbcKind(ParamKindOfColumn(type, values));
}

namespace {

std::string DecimalText(const TFDValue& v) {
  if (const auto* bcd = std::get_if<TFDBcd>(&v)) return BcdToString(*bcd);
  if (const auto* i = std::get_if<int64_t>(&v)) return std::to_string(*i);
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", ValueAsFloat(v));
  return buffer;
}

std::vector<unsigned char> BinaryOf(const TFDValue& v) {
  if (const auto* bytes = std::get_if<TFDBytes>(&v)) return bytes->Data;
  const std::string text = ValueAsString(v);
  return {text.begin(), text.end()};
}

TDateParts PartsOf(const TFDValue& v) { return DecodeDateTime(ValueAsDateTime(v)); }

// A buffer of fixed-size elements of type T, `make` giving each non-null element.
template <typename T, typename Make>
void FillFixed(BoundParam& c, SQLSMALLINT cType, SQLSMALLINT sqlType, const std::vector<TFDValue>& values,
               Make make) {
  c.CType = cType;
  c.SqlType = sqlType;
  c.Stride = static_cast<SQLLEN>(sizeof(T));
  c.Data.assign(values.size() * sizeof(T), 0);
  for (size_t i = 0; i < values.size(); ++i) {
    if (IsNullValue(values[i])) continue;
    const T value = make(values[i]);
    std::memcpy(c.Data.data() + i * sizeof(T), &value, sizeof(T));
  }
}

// Variable-length elements, each `items[i]` padded to the longest plus `terminator` bytes.
template <typename Item>
void FillVariable(BoundParam& c, const std::vector<Item>& items, size_t longest, size_t terminator) {
  using Unit = typename Item::value_type;
  c.Stride = static_cast<SQLLEN>((longest + terminator) * sizeof(Unit));
  c.Data.assign(items.size() * static_cast<size_t>(c.Stride), 0);
  for (size_t i = 0; i < items.size(); ++i) {
    if (!items[i].empty()) {
      std::memcpy(c.Data.data() + i * static_cast<size_t>(c.Stride), items[i].data(),
                  items[i].size() * sizeof(Unit));
    }
  }
}

void BindInteger(BoundParam& c, const std::vector<TFDValue>& values) {
  FillFixed<SQLBIGINT>(c, SQL_C_SBIGINT, SQL_BIGINT, values,
                       [](const TFDValue& v) { return ValueAsInteger(v); });
  c.ColumnSize = 19;
}

void BindDouble(BoundParam& c, const std::vector<TFDValue>& values) {
  FillFixed<double>(c, SQL_C_DOUBLE, SQL_DOUBLE, values, [](const TFDValue& v) { return ValueAsFloat(v); });
  c.ColumnSize = 15;
}

void BindDate(BoundParam& c, const std::vector<TFDValue>& values) {
  FillFixed<SQL_DATE_STRUCT>(c, SQL_C_TYPE_DATE, SQL_TYPE_DATE, values, [](const TFDValue& v) {
    const TDateParts p = PartsOf(v);
    return SQL_DATE_STRUCT{static_cast<SQLSMALLINT>(p.Year), static_cast<SQLUSMALLINT>(p.Month),
                           static_cast<SQLUSMALLINT>(p.Day)};
  });
  c.ColumnSize = 10;
}

void BindTime(BoundParam& c, const std::vector<TFDValue>& values) {
  FillFixed<SQL_TIME_STRUCT>(c, SQL_C_TYPE_TIME, SQL_TYPE_TIME, values, [](const TFDValue& v) {
    const TDateParts p = PartsOf(v);
    return SQL_TIME_STRUCT{static_cast<SQLUSMALLINT>(p.Hour), static_cast<SQLUSMALLINT>(p.Minute),
                           static_cast<SQLUSMALLINT>(p.Second)};
  });
  c.ColumnSize = 8;
}

// Millisecond precision: three fraction digits.
void BindDateTime(BoundParam& c, const std::vector<TFDValue>& values) {
  FillFixed<SQL_TIMESTAMP_STRUCT>(c, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, values, [](const TFDValue& v) {
    const TDateParts p = PartsOf(v);
    SQL_TIMESTAMP_STRUCT ts{};
    ts.year = static_cast<SQLSMALLINT>(p.Year);
    ts.month = static_cast<SQLUSMALLINT>(p.Month);
    ts.day = static_cast<SQLUSMALLINT>(p.Day);
    ts.hour = static_cast<SQLUSMALLINT>(p.Hour);
    ts.minute = static_cast<SQLUSMALLINT>(p.Minute);
    ts.second = static_cast<SQLUSMALLINT>(p.Second);
    ts.fraction = static_cast<SQLUINTEGER>(p.Millisecond) * 1000000u;
    return ts;
  });
  c.ColumnSize = 23;
  c.DecimalDigits = 3;
}

// Exact numbers travel as narrow decimal text, NUL-terminated, with the largest scale among the values.
void BindDecimal(BoundParam& c, const std::vector<TFDValue>& values) {
  std::vector<std::string> items(values.size());
  size_t longest = 0;
  SQLSMALLINT scale = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    if (IsNullValue(values[i])) continue;
    items[i] = DecimalText(values[i]);
    const auto dot = items[i].find('.');
    if (dot != std::string::npos)
      scale = std::max(scale, static_cast<SQLSMALLINT>(items[i].size() - dot - 1));
    longest = std::max(longest, items[i].size());
    c.Indicators[i] = static_cast<SQLLEN>(items[i].size());
  }
  c.CType = SQL_C_CHAR;
  c.SqlType = SQL_DECIMAL;
  c.ColumnSize = 38;
  c.DecimalDigits = scale;
  FillVariable(c, items, std::max<size_t>(longest, 1), 1);
}

void BindBinary(BoundParam& c, const std::vector<TFDValue>& values) {
  std::vector<std::vector<unsigned char>> items(values.size());
  size_t longest = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    if (IsNullValue(values[i])) continue;
    items[i] = BinaryOf(values[i]);
    longest = std::max(longest, items[i].size());
    c.Indicators[i] = static_cast<SQLLEN>(items[i].size());
  }
  c.CType = SQL_C_BINARY;
  c.SqlType = SQL_LONGVARBINARY;
  c.ColumnSize = std::max<size_t>(longest, 1);
  FillVariable(c, items, std::max<size_t>(longest, 1), 0);
}

// Text travels as UTF-16; memo types and values longer than 4000 characters as long text.
void BindText(BoundParam& c, const std::vector<TFDValue>& values, TFieldType type) {
  std::vector<WideText> items(values.size());
  size_t longest = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    if (IsNullValue(values[i])) continue;
    items[i] = ToWide(ValueAsString(values[i]));
    longest = std::max(longest, items[i].size());
    c.Indicators[i] = static_cast<SQLLEN>(items[i].size() * sizeof(SQLWCHAR));
  }
  const bool isLong =
      type == ftMemo || type == ftWideMemo || type == ftFmtMemo || type == ftOraClob || longest > 4000;
  c.CType = SQL_C_WCHAR;
  c.SqlType = isLong ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
  c.ColumnSize = std::max<size_t>(longest, 1);
  FillVariable(c, items, longest, 1);
}

BoundParam Convert(const driver::ParamColumn& param, int times, int offset) {
  if (param.Values == nullptr || offset < 0 || times < 1 ||
      static_cast<size_t>(offset) + static_cast<size_t>(times) > param.Values->size()) {
    throw EDatabaseError("Parameter array holds fewer elements than the execution asks for");
  }
  const auto first = param.Values->begin() + offset;
  const std::vector<TFDValue> values(first, first + times);

  BoundParam c;
  c.Indicators.assign(values.size(), 0);
  for (size_t i = 0; i < values.size(); ++i) {
    if (IsNullValue(values[i])) c.Indicators[i] = SQL_NULL_DATA;
  }
  switch (KindOfParam(param.DataType, values)) {
    case ParamKind::Integer:
      BindInteger(c, values);
      break;
    case ParamKind::Double:
      BindDouble(c, values);
      break;
    case ParamKind::Date:
      BindDate(c, values);
      break;
    case ParamKind::Time:
      BindTime(c, values);
      break;
    case ParamKind::DateTime:
      BindDateTime(c, values);
      break;
    case ParamKind::Decimal:
      BindDecimal(c, values);
      break;
    case ParamKind::Binary:
      BindBinary(c, values);
      break;
    case ParamKind::Text:
      BindText(c, values, param.DataType);
      break;
  }
  return c;
}

}  // namespace

ParamArrays::ParamArrays(const std::vector<driver::ParamColumn>& params, int times, int offset) {
  columns_.reserve(params.size());
  for (const auto& p : params) columns_.push_back(Convert(p, times, offset));
}

void ParamArrays::Bind(SQLHSTMT stmt) {
  for (size_t i = 0; i < columns_.size(); ++i) {
    BoundParam& c = columns_[i];
    Check(SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, c.CType, c.SqlType,
                           c.ColumnSize, c.DecimalDigits, c.Data.data(), c.Stride, c.Indicators.data()),
          SQL_HANDLE_STMT, stmt, "SQLBindParameter");
  }
}

}  // namespace zr::db::odbc
