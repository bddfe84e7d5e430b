#pragma once
// The framework's data types (what a driver reports and what mapping rules convert between) and the base
// data layer's field types (what decides a field's class).

namespace zr::db {

enum class TFDDataType {
  dtUnknown,
  dtBoolean,
  dtSByte,
  dtInt16,
  dtInt32,
  dtInt64,
  dtByte,
  dtUInt16,
  dtUInt32,
  dtUInt64,
  dtSingle,
  dtDouble,
  dtExtended,
  dtCurrency,
  dtBCD,
  dtFmtBCD,
  dtDateTime,
  dtTime,
  dtDate,
  dtDateTimeStamp,
  dtAnsiString,
  dtWideString,
  dtByteString,
  dtBlob,
  dtMemo,
  dtWideMemo,
  dtHBlob,  // server-side binary LOB (Oracle BLOB)
  dtHMemo,  // server-side character LOB (Oracle CLOB)
  dtGUID,
};

using enum TFDDataType;

enum class TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
  ftDBaseOle,
  ftTypedBinary,
  ftCursor,
  ftFixedChar,
  ftWideString,
  ftLargeint,
  ftADT,
  ftArray,
  ftReference,
  ftDataSet,
  ftOraBlob,
  ftOraClob,
  ftVariant,
  ftInterface,
  ftIDispatch,
  ftGuid,
  ftTimeStamp,
  ftFMTBcd,
  ftFixedWideChar,
  ftWideMemo,
  ftOraTimeStamp,
  ftOraInterval,
  ftLongWord,
  ftShortint,
  ftByte,
  ftExtended,
  ftConnection,
  ftParams,
  ftStream,
  ftTimeStampOffset,
  ftObject,
  ftSingle,
};

using enum TFieldType;

// The field type a column of data type `type` gets (after the mapping rules have chosen the type).
// `fixedChar` selects ftFixedChar for fixed-length character columns.
TFieldType FieldTypeOf(TFDDataType type, bool fixedChar = false);

const char* DataTypeName(TFDDataType type);
const char* FieldTypeName(TFieldType type);

}  // namespace zr::db
