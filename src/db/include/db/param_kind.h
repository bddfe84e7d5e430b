#pragma once
// How the values of a parameter travel to the server, as the framework sees them: one mapping from field
// type to kind that every driver starts from. A driver without a native form for a kind narrows it in its
// own binder (an ODBC driver sends a Boolean as an integer and a currency as a double).

#include <span>

#include "db/data_types.h"
#include "db/value.h"

namespace zr::db {

enum class TParamKind {
  ByValue,  // the field type says nothing: the values decide (ParamKindOfValue)
  Text,     // character data, memos and character LOBs included
  Binary,   // bytes and binary LOBs
  Integer,
  Boolean,
  Float,
  Currency,  // a money column
  Decimal,   // an exact number with a scale (BCD)
  Date,
  Time,
  DateTime,
};

TParamKind ParamKindOf(TFieldType type) noexcept;

// The kind a value carries by itself: ByValue for a null, otherwise the kind of its alternative (a bool is a
// Boolean, a TFDBcd a Decimal, a TFDTimeStamp a DateTime).
TParamKind ParamKindOfValue(const TFDValue& value) noexcept;

// The kind every element of one parameter travels as, decided once for the whole column: its type's kind, or,
// when the type says nothing, the kind of its first non-null element (ByValue when every element is null).
TParamKind ParamKindOfColumn(TFieldType type, std::span<const TFDValue> values) noexcept;

}  // namespace zr::db
