#include "param_binding.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "db/datetime.h"
#include "db/errors.h"
#include "odbc_error.h"
#include "utf16.h"

namespace zr::db::odbc {
namespace {

enum class ParamKind { Text, Integer, Double, Decimal, Date, Time, DateTime, Binary };

ParamKind KindOfFieldType(TFieldType type) {
  switch (type) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: case ftLongWord:
    case ftShortint: case ftByte: case ftBoolean:
      return ParamKind::Integer;
    case ftFloat: case ftCurrency: case ftExtended: case ftSingle:
      return ParamKind::Double;
    case ftBCD: case ftFMTBcd:
      return ParamKind::Decimal;
    case ftDate:
      return ParamKind::Date;
    case ftTime:
      return ParamKind::Time;
    case ftDateTime: case ftTimeStamp: case ftOraTimeStamp:
      return ParamKind::DateTime;
    case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftTypedBinary: case ftOraBlob:
      return ParamKind::Binary;
    default:
      return ParamKind::Text;
  }
}

ParamKind KindOfValue(const TFDValue& v) {
  if (std::holds_alternative<bool>(v) || std::holds_alternative<int64_t>(v)) return ParamKind::Integer;
  if (std::holds_alternative<double>(v)) return ParamKind::Double;
  if (std::holds_alternative<TFDBcd>(v)) return ParamKind::Decimal;
  if (std::holds_alternative<TFDTimeStamp>(v)) return ParamKind::DateTime;
  if (std::holds_alternative<TFDBytes>(v)) return ParamKind::Binary;
  return ParamKind::Text;
}

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

template <typename T>
void Put(std::vector<unsigned char>& data, size_t index, const T& value) {
  std::memcpy(data.data() + index * sizeof(T), &value, sizeof(T));
}

}  // namespace

ParamArrays::ParamArrays(const std::vector<driver::ParamColumn>& params, int times, int offset) {
  columns_.reserve(params.size());
  for (const auto& p : params) columns_.push_back(Convert(p, times, offset));
}

ParamArrays::Column ParamArrays::Convert(const driver::ParamColumn& param, int times, int offset) {
  if (param.Values == nullptr || offset < 0 || times < 1 ||
      static_cast<size_t>(offset) + static_cast<size_t>(times) > param.Values->size()) {
    throw EDatabaseError("Parameter array holds fewer elements than the execution asks for");
  }
  const auto first = param.Values->begin() + offset;
  const std::vector<TFDValue> values(first, first + times);
  const auto n = static_cast<size_t>(times);

  ParamKind kind = KindOfFieldType(param.DataType);
  if (param.DataType == ftUnknown) {
    const auto known = std::find_if(values.begin(), values.end(), [](const TFDValue& v) { return !IsNullValue(v); });
    if (known != values.end()) kind = KindOfValue(*known);
  }

  Column c;
  c.Indicators.assign(n, 0);
  for (size_t i = 0; i < n; ++i) {
    if (IsNullValue(values[i])) c.Indicators[i] = SQL_NULL_DATA;
  }
  auto fixed = [&](SQLSMALLINT cType, SQLSMALLINT sqlType, size_t size, auto put) {
    c.CType = cType;
    c.SqlType = sqlType;
    c.Stride = static_cast<SQLLEN>(size);
    c.Data.assign(n * size, 0);
    for (size_t i = 0; i < n; ++i) {
      if (!IsNullValue(values[i])) put(i, values[i]);
    }
  };
  auto timestamp = [](const TFDValue& v) { return DecodeDateTime(ValueAsDateTime(v)); };

  switch (kind) {
    case ParamKind::Integer:
      fixed(SQL_C_SBIGINT, SQL_BIGINT, sizeof(SQLBIGINT), [&](size_t i, const TFDValue& v) {
        Put<SQLBIGINT>(c.Data, i, ValueAsInteger(v));
      });
      c.ColumnSize = 19;
      break;
    case ParamKind::Double:
      fixed(SQL_C_DOUBLE, SQL_DOUBLE, sizeof(double), [&](size_t i, const TFDValue& v) {
        Put<double>(c.Data, i, ValueAsFloat(v));
      });
      c.ColumnSize = 15;
      break;
    case ParamKind::Date:
      fixed(SQL_C_TYPE_DATE, SQL_TYPE_DATE, sizeof(SQL_DATE_STRUCT), [&](size_t i, const TFDValue& v) {
        const TDateParts p = timestamp(v);
        Put(c.Data, i, SQL_DATE_STRUCT{static_cast<SQLSMALLINT>(p.Year), static_cast<SQLUSMALLINT>(p.Month),
                                       static_cast<SQLUSMALLINT>(p.Day)});
      });
      c.ColumnSize = 10;
      break;
    case ParamKind::Time:
      fixed(SQL_C_TYPE_TIME, SQL_TYPE_TIME, sizeof(SQL_TIME_STRUCT), [&](size_t i, const TFDValue& v) {
        const TDateParts p = timestamp(v);
        Put(c.Data, i, SQL_TIME_STRUCT{static_cast<SQLUSMALLINT>(p.Hour), static_cast<SQLUSMALLINT>(p.Minute),
                                       static_cast<SQLUSMALLINT>(p.Second)});
      });
      c.ColumnSize = 8;
      break;
    case ParamKind::DateTime:
      fixed(SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, sizeof(SQL_TIMESTAMP_STRUCT),
            [&](size_t i, const TFDValue& v) {
              const TDateParts p = timestamp(v);
              SQL_TIMESTAMP_STRUCT ts{};
              ts.year = static_cast<SQLSMALLINT>(p.Year);
              ts.month = static_cast<SQLUSMALLINT>(p.Month);
              ts.day = static_cast<SQLUSMALLINT>(p.Day);
              ts.hour = static_cast<SQLUSMALLINT>(p.Hour);
              ts.minute = static_cast<SQLUSMALLINT>(p.Minute);
              ts.second = static_cast<SQLUSMALLINT>(p.Second);
              ts.fraction = static_cast<SQLUINTEGER>(p.Millisecond) * 1000000u;
              Put(c.Data, i, ts);
            });
      c.ColumnSize = 23;
      c.DecimalDigits = 3;
      break;
    case ParamKind::Decimal:
    case ParamKind::Binary: {
      // Variable-length bytes: narrow decimal text, or binary data.
      std::vector<std::vector<unsigned char>> items(n);
      size_t longest = 0;
      SQLSMALLINT scale = 0;
      for (size_t i = 0; i < n; ++i) {
        if (IsNullValue(values[i])) continue;
        if (kind == ParamKind::Decimal) {
          const std::string text = DecimalText(values[i]);
          const auto dot = text.find('.');
          if (dot != std::string::npos) scale = std::max(scale, static_cast<SQLSMALLINT>(text.size() - dot - 1));
          items[i].assign(text.begin(), text.end());
        } else {
          items[i] = BinaryOf(values[i]);
        }
        longest = std::max(longest, items[i].size());
        c.Indicators[i] = static_cast<SQLLEN>(items[i].size());
      }
      const bool decimal = kind == ParamKind::Decimal;
      c.CType = decimal ? SQL_C_CHAR : SQL_C_BINARY;
      c.SqlType = decimal ? SQL_DECIMAL : SQL_LONGVARBINARY;
      c.ColumnSize = decimal ? 38 : std::max<size_t>(longest, 1);
      c.DecimalDigits = decimal ? scale : 0;
      c.Stride = static_cast<SQLLEN>(std::max<size_t>(longest, 1) + (decimal ? 1 : 0));
      c.Data.assign(n * static_cast<size_t>(c.Stride), 0);
      for (size_t i = 0; i < n; ++i) {
        std::copy(items[i].begin(), items[i].end(), c.Data.begin() + static_cast<std::ptrdiff_t>(i * static_cast<size_t>(c.Stride)));
      }
      break;
    }
    case ParamKind::Text: {
      std::vector<WideText> items(n);
      size_t longest = 0;
      for (size_t i = 0; i < n; ++i) {
        if (IsNullValue(values[i])) continue;
        items[i] = ToWide(ValueAsString(values[i]));
        longest = std::max(longest, items[i].size());
        c.Indicators[i] = static_cast<SQLLEN>(items[i].size() * sizeof(SQLWCHAR));
      }
      const bool isLong = param.DataType == ftMemo || param.DataType == ftWideMemo ||
                          param.DataType == ftFmtMemo || param.DataType == ftOraClob || longest > 4000;
      c.CType = SQL_C_WCHAR;
      c.SqlType = isLong ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
      c.ColumnSize = std::max<size_t>(longest, 1);
      c.Stride = static_cast<SQLLEN>((longest + 1) * sizeof(SQLWCHAR));
      c.Data.assign(n * static_cast<size_t>(c.Stride), 0);
      for (size_t i = 0; i < n; ++i) {
        std::memcpy(c.Data.data() + i * static_cast<size_t>(c.Stride), items[i].data(),
                    items[i].size() * sizeof(SQLWCHAR));
      }
      break;
    }
  }
  return c;
}

void ParamArrays::Bind(SQLHSTMT stmt) {
  for (size_t i = 0; i < columns_.size(); ++i) {
    Column& c = columns_[i];
    Check(SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, c.CType, c.SqlType,
                           c.ColumnSize, c.DecimalDigits, c.Data.data(), c.Stride, c.Indicators.data()),
          SQL_HANDLE_STMT, stmt, "SQLBindParameter");
  }
}

}  // namespace zr::db::odbc
