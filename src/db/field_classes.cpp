#include "db/fields.h"
#include "db/standard_fields.h"

namespace zr::db {

// The base data layer's standard table of field classes, one entry per field type.
const TFieldClass* DefaultFieldClass(TFieldType type) {
  switch (type) {
    case ftString:
    case ftFixedChar:
    case ftOraInterval:
      return FieldClassOf<TStringField>();
    case ftWideString:
    case ftFixedWideChar:
      return FieldClassOf<TWideStringField>();
    case ftGuid:
      return FieldClassOf<TGuidField>();
    case ftSmallint:
      return FieldClassOf<TSmallintField>();
    case ftInteger:
      return FieldClassOf<TIntegerField>();
    case ftWord:
      return FieldClassOf<TWordField>();
    case ftShortint:
      return FieldClassOf<TShortintField>();
    case ftByte:
      return FieldClassOf<TByteField>();
    case ftLongWord:
      return FieldClassOf<TLongWordField>();
    case ftLargeint:
      return FieldClassOf<TLargeintField>();
    case ftAutoInc:
      return FieldClassOf<TAutoIncField>();
    case ftBoolean:
      return FieldClassOf<TBooleanField>();
    case ftFloat:
      return FieldClassOf<TFloatField>();
    case ftSingle:
      return FieldClassOf<TSingleField>();
    case ftExtended:
      return FieldClassOf<TExtendedField>();
    case ftCurrency:
      return FieldClassOf<TCurrencyField>();
    case ftBCD:
      return FieldClassOf<TBCDField>();
    case ftFMTBcd:
      return FieldClassOf<TFMTBCDField>();
    case ftDate:
      return FieldClassOf<TDateField>();
    case ftTime:
      return FieldClassOf<TTimeField>();
    case ftDateTime:
      return FieldClassOf<TDateTimeField>();
    case ftTimeStamp:
    case ftOraTimeStamp:
      return FieldClassOf<TSQLTimeStampField>();
    case ftTimeStampOffset:
      return FieldClassOf<TSQLTimeStampOffsetField>();
    case ftBytes:
      return FieldClassOf<TBytesField>();
    case ftVarBytes:
      return FieldClassOf<TVarBytesField>();
    case ftBlob:
    case ftTypedBinary:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftOraBlob:
      return FieldClassOf<TBlobField>();
    case ftMemo:
    case ftFmtMemo:
    case ftOraClob:
      return FieldClassOf<TMemoField>();
    case ftWideMemo:
      return FieldClassOf<TWideMemoField>();
    case ftGraphic:
      return FieldClassOf<TGraphicField>();
    case ftVariant:
      return FieldClassOf<TVariantField>();
    case ftADT:
      return FieldClassOf<TADTField>();
    case ftArray:
      return FieldClassOf<TArrayField>();
    case ftReference:
      return FieldClassOf<TReferenceField>();
    case ftDataSet:
      return FieldClassOf<TDataSetField>();
    case ftInterface:
      return FieldClassOf<TInterfaceField>();
    case ftIDispatch:
      return FieldClassOf<TIDispatchField>();
    case ftUnknown:
    case ftCursor:
    case ftConnection:
    case ftParams:
    case ftStream:
    case ftObject:
      return nullptr;
  }
  return nullptr;
}

}  // namespace zr::db
