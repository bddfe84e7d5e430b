#include "column_types.h"

#include <algorithm>
#include <climits>

namespace zr::db::odbc {
namespace {

int ClampToInt(SQLULEN value) { return static_cast<int>(std::min<SQLULEN>(value, INT_MAX)); }

}  // namespace

ResultColumn DescribeResultColumn(std::string name, SQLSMALLINT sqlType, SQLULEN columnSize,
                                  SQLSMALLINT decimalDigits, bool isUnsigned) {
  ResultColumn c;
  c.Info.Name = std::move(name);
  auto set = [&](TFDDataType type, ReadKind kind) {
    c.Info.DataType = type;
    c.Kind = kind;
  };
  auto text = [&](TFDDataType type, bool fixed) {
    set(type, ReadKind::Text);
    c.Info.Size = ClampToInt(columnSize);
    c.Info.FixedChar = fixed;
  };
  switch (sqlType) {
    case SQL_BIT:
      set(dtBoolean, ReadKind::Boolean);
      break;
    case SQL_TINYINT:
      set(isUnsigned ? dtByte : dtSByte, ReadKind::Integer);
      break;
    case SQL_SMALLINT:
      set(isUnsigned ? dtUInt16 : dtInt16, ReadKind::Integer);
      break;
    case SQL_INTEGER:
      set(isUnsigned ? dtUInt32 : dtInt32, ReadKind::Integer);
      break;
    case SQL_BIGINT:
      set(isUnsigned ? dtUInt64 : dtInt64, ReadKind::Integer);
      break;
    case SQL_REAL:
      set(dtSingle, ReadKind::Double);
      break;
    case SQL_FLOAT:
    case SQL_DOUBLE:
      set(dtDouble, ReadKind::Double);
      break;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      set(columnSize <= 18 ? dtBCD : dtFmtBCD, ReadKind::Decimal);
      c.Info.Precision = ClampToInt(columnSize);
      c.Info.Scale = std::max<int>(decimalDigits, 0);
      c.Info.Size = c.Info.Scale;
      break;
    case SQL_TYPE_DATE:
    case SQL_DATE:
      set(dtDate, ReadKind::Date);
      break;
    case SQL_TYPE_TIME:
    case SQL_TIME:
      set(dtTime, ReadKind::Time);
      break;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
      set(dtDateTime, ReadKind::DateTime);
      break;
    case SQL_CHAR:
      text(dtAnsiString, true);
      break;
    case SQL_VARCHAR:
      text(dtAnsiString, false);
      break;
    case SQL_WCHAR:
      text(dtWideString, true);
      break;
    case SQL_WVARCHAR:
      text(dtWideString, false);
      break;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
      set(dtHMemo, ReadKind::Text);
      break;
    case SQL_BINARY:
    case SQL_VARBINARY:
      set(dtByteString, ReadKind::Binary);
      c.Info.Size = ClampToInt(columnSize);
      break;
    case SQL_LONGVARBINARY:
      set(dtHBlob, ReadKind::Binary);
      break;
    case SQL_GUID:
      set(dtGUID, ReadKind::Text);
      break;
    default:
      text(dtWideString, false);
      break;
  }
  return c;
}

}  // namespace zr::db::odbc
