#include "db/data_types.h"

#include <iterator>

namespace zr::db {

TFieldType FieldTypeOf(TFDDataType type, bool fixedChar) {
  switch (type) {
    case dtUnknown:
      return ftUnknown;
    case dtBoolean:
      return ftBoolean;
    case dtSByte:
      return ftShortint;
    case dtInt16:
      return ftSmallint;
    case dtInt32:
      return ftInteger;
    case dtInt64:
      return ftLargeint;
    case dtByte:
      return ftByte;
    case dtUInt16:
      return ftWord;
    case dtUInt32:
      return ftLongWord;
    case dtUInt64:
      return ftLargeint;
    case dtSingle:
      return ftSingle;
    case dtDouble:
      return ftFloat;
    case dtExtended:
      return ftExtended;
    case dtCurrency:
      return ftCurrency;
    case dtBCD:
      return ftBCD;
    case dtFmtBCD:
      return ftFMTBcd;
    case dtDateTime:
      return ftDateTime;
    case dtTime:
      return ftTime;
    case dtDate:
      return ftDate;
    case dtDateTimeStamp:
      return ftTimeStamp;
    case dtAnsiString:
      return fixedChar ? ftFixedChar : ftString;
    case dtWideString:
      return fixedChar ? ftFixedWideChar : ftWideString;
    case dtByteString:
      return fixedChar ? ftBytes : ftVarBytes;
    case dtBlob:
      return ftBlob;
    case dtMemo:
      return ftMemo;
    case dtWideMemo:
      return ftWideMemo;
    case dtHBlob:
      return ftOraBlob;
    case dtHMemo:
      return ftOraClob;
    case dtGUID:
      return ftGuid;
  }
  return ftUnknown;
}

const char* DataTypeName(TFDDataType type) {
  static constexpr const char* kNames[] = {
      "dtUnknown",  "dtBoolean",       "dtSByte",      "dtInt16",      "dtInt32",      "dtInt64",
      "dtByte",     "dtUInt16",        "dtUInt32",     "dtUInt64",     "dtSingle",     "dtDouble",
      "dtExtended", "dtCurrency",      "dtBCD",        "dtFmtBCD",     "dtDateTime",   "dtTime",
      "dtDate",     "dtDateTimeStamp", "dtAnsiString", "dtWideString", "dtByteString", "dtBlob",
      "dtMemo",     "dtWideMemo",      "dtHBlob",      "dtHMemo",      "dtGUID",
  };
  const auto index = static_cast<size_t>(type);
  return index < std::size(kNames) ? kNames[index] : "dtUnknown";
}

const char* FieldTypeName(TFieldType type) {
  static constexpr const char* kNames[] = {
      "ftUnknown",      "ftString",      "ftSmallint", "ftInteger",       "ftWord",
      "ftBoolean",      "ftFloat",       "ftCurrency", "ftBCD",           "ftDate",
      "ftTime",         "ftDateTime",    "ftBytes",    "ftVarBytes",      "ftAutoInc",
      "ftBlob",         "ftMemo",        "ftGraphic",  "ftFmtMemo",       "ftParadoxOle",
      "ftDBaseOle",     "ftTypedBinary", "ftCursor",   "ftFixedChar",     "ftWideString",
      "ftLargeint",     "ftADT",         "ftArray",    "ftReference",     "ftDataSet",
      "ftOraBlob",      "ftOraClob",     "ftVariant",  "ftInterface",     "ftIDispatch",
      "ftGuid",         "ftTimeStamp",   "ftFMTBcd",   "ftFixedWideChar", "ftWideMemo",
      "ftOraTimeStamp", "ftOraInterval", "ftLongWord", "ftShortint",      "ftByte",
      "ftExtended",     "ftConnection",  "ftParams",   "ftStream",        "ftTimeStampOffset",
      "ftObject",       "ftSingle",
  };
  const auto index = static_cast<size_t>(type);
  return index < std::size(kNames) ? kNames[index] : "ftUnknown";
}

}  // namespace zr::db
