#include "column_values.h"

#include <cmath>
#include <string>

namespace zr::db::detail {

namespace {

std::string TrimTrailingBlanks(std::string text) {
  const size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

TFDValue AsText(TFDValue value, bool fixedChar) {
  std::string text = std::holds_alternative<std::string>(value) ? std::get<std::string>(std::move(value))
                                                                : ValueAsString(value);
  return fixedChar ? TrimTrailingBlanks(std::move(text)) : text;
}

}  // namespace

TFDValue ConvertColumnValue(TFDValue value, TFDDataType target, bool fixedChar) {
  if (IsNullValue(value)) return value;
  switch (target) {
    case dtBoolean:
      if (std::holds_alternative<bool>(value)) return value;
      return ValueAsInteger(value) != 0;
    case dtSByte:
    case dtInt16:
    case dtInt32:
    case dtInt64:
    case dtByte:
    case dtUInt16:
    case dtUInt32:
    case dtUInt64:
      return ValueAsInteger(value);
    case dtSingle:
    case dtDouble:
    case dtExtended:
    case dtCurrency:
      return ValueAsFloat(value);
    case dtDate:
      return TFDTimeStamp{std::trunc(ValueAsDateTime(value))};
    case dtTime: {
      const TDateTime t = ValueAsDateTime(value);
      return TFDTimeStamp{std::fabs(t - std::trunc(t))};
    }
    case dtDateTime:
    case dtDateTimeStamp:
      return TFDTimeStamp{ValueAsDateTime(value)};
    case dtAnsiString:
    case dtWideString:
    case dtMemo:
    case dtWideMemo:
    case dtHMemo:
    case dtGUID:
      return AsText(std::move(value), fixedChar);
    default:
      return value;
  }
}

int FieldSizeOf(TFDDataType target, int columnSize) {
  switch (target) {
    case dtAnsiString:
    case dtWideString:
    case dtByteString:
    case dtBCD:
    case dtFmtBCD:
    case dtCurrency:
    case dtBlob:
    case dtMemo:
    case dtWideMemo:
    case dtHBlob:
    case dtHMemo:
    case dtGUID:
      return columnSize;
    default:
      return 0;
  }
}

}  // namespace zr::db::detail
