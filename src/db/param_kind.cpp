#include "db/param_kind.h"

#include <algorithm>

namespace zr::db {

TParamKind ParamKindOf(TFieldType type) noexcept {
  switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
    case ftMemo:
    case ftWideMemo:
    case ftFmtMemo:
    case ftOraClob:
    case ftGuid:
      return TParamKind::Text;
    case ftBlob:
    case ftBytes:
    case ftVarBytes:
    case ftGraphic:
    case ftTypedBinary:
    case ftOraBlob:
      return TParamKind::Binary;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
    case ftAutoInc:
    case ftLongWord:
    case ftShortint:
    case ftByte:
      return TParamKind::Integer;
    case ftBoolean:
      return TParamKind::Boolean;
    case ftFloat:
    case ftSingle:
    case ftExtended:
      return TParamKind::Float;
    case ftCurrency:
      return TParamKind::Currency;
    case ftBCD:
    case ftFMTBcd:
      return TParamKind::Decimal;
    case ftDate:
      return TParamKind::Date;
    case ftTime:
      return TParamKind::Time;
    case ftDateTime:
    case ftTimeStamp:
    case ftOraTimeStamp:
      return TParamKind::DateTime;
    default:
      return TParamKind::ByValue;
  }
}

TParamKind ParamKindOfValue(const TFDValue& value) noexcept {
  if (std::holds_alternative<bool>(value)) return TParamKind::Boolean;
  if (std::holds_alternative<int64_t>(value)) return TParamKind::Integer;
  if (std::holds_alternative<double>(value)) return TParamKind::Float;
  if (std::holds_alternative<std::string>(value)) return TParamKind::Text;
  if (std::holds_alternative<TFDBcd>(value)) return TParamKind::Decimal;
  if (std::holds_alternative<TFDTimeStamp>(value)) return TParamKind::DateTime;
  if (std::holds_alternative<TFDBytes>(value)) return TParamKind::Binary;
  return TParamKind::ByValue;
}

TParamKind ParamKindOfColumn(TFieldType type, std::span<const TFDValue> values) noexcept {
  const TParamKind kind = ParamKindOf(type);
  if (kind != TParamKind::ByValue) return kind;
  const auto known =
      std::find_if(values.begin(), values.end(), [](const TFDValue& v) { return !IsNullValue(v); });
  return known != values.end() ? ParamKindOfValue(*known) : TParamKind::ByValue;
}

}  // namespace zr::db
