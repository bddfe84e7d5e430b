#pragma once
// How a result column's values and size reach its field once the mapping rules have chosen its data type.

#include "db/data_types.h"
#include "db/value.h"

namespace zr::db::detail {

// `value` (of the column's reported type) converted to the representation of `target`: whole numbers for the
// integer types, floating point for Single/Double/Extended/Currency, the date only for dtDate, the time of day
// only for dtTime, text for the character types (trailing blanks removed from fixed-length CHAR values).
// A null stays null.
TFDValue ConvertColumnValue(TFDValue value, TFDDataType target, bool fixedChar);

// The field size for a column of data type `target`: the column's size for the types that have one (text,
// binary, BCD/FMTBCD and currency, which count their scale, LOBs), 0 for the others.
int FieldSizeOf(TFDDataType target, int columnSize);

}  // namespace zr::db::detail
