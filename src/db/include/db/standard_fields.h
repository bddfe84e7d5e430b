#pragma once
// The rest of the base data layer's standard field classes (TField, TStringField, TFloatField, TCurrencyField,
// TBlobField and TMemoField are in db/fields.h). Each class sets its field type when created; DefaultFieldClass
// maps every field type that has a class to one of these.

#include <string>

#include "db/fields.h"

// The class name of a field class, as its class reference and ClassName() report it.
#define ZR_DB_FIELD_CLASS_NAME(Name)               \
  static constexpr const char* kClassName = #Name; \
  const char* ClassName() const override { return kClassName; }

namespace zr::db {

// Numbers ------------------------------------------------------------------------------------------------------

class TNumericField : public TField {
 public:
  TNumericField(TComponent* owner, TFieldType type) : TField(owner, type) {}
  ZR_DB_FIELD_CLASS_NAME(TNumericField)
};

class TIntegerField : public TNumericField {
 public:
  explicit TIntegerField(TComponent* owner, TFieldType type = ftInteger) : TNumericField(owner, type) {}
  ZR_DB_FIELD_CLASS_NAME(TIntegerField)
};

class TSmallintField : public TIntegerField {
 public:
  explicit TSmallintField(TComponent* owner) : TIntegerField(owner, ftSmallint) {}
  ZR_DB_FIELD_CLASS_NAME(TSmallintField)
};

class TShortintField : public TIntegerField {
 public:
  explicit TShortintField(TComponent* owner) : TIntegerField(owner, ftShortint) {}
  ZR_DB_FIELD_CLASS_NAME(TShortintField)
};

class TByteField : public TIntegerField {
 public:
  explicit TByteField(TComponent* owner) : TIntegerField(owner, ftByte) {}
  ZR_DB_FIELD_CLASS_NAME(TByteField)
};

class TWordField : public TIntegerField {
 public:
  explicit TWordField(TComponent* owner) : TIntegerField(owner, ftWord) {}
  ZR_DB_FIELD_CLASS_NAME(TWordField)
};

class TAutoIncField : public TIntegerField {
 public:
  explicit TAutoIncField(TComponent* owner) : TIntegerField(owner, ftAutoInc) {}
  ZR_DB_FIELD_CLASS_NAME(TAutoIncField)
};

class TLongWordField : public TNumericField {
 public:
  explicit TLongWordField(TComponent* owner) : TNumericField(owner, ftLongWord) {}
  ZR_DB_FIELD_CLASS_NAME(TLongWordField)
};

class TLargeintField : public TNumericField {
 public:
  explicit TLargeintField(TComponent* owner) : TNumericField(owner, ftLargeint) {}
  ZR_DB_FIELD_CLASS_NAME(TLargeintField)
};

class TSingleField : public TFloatField {
 public:
  explicit TSingleField(TComponent* owner) : TFloatField(owner, ftSingle) {}
  ZR_DB_FIELD_CLASS_NAME(TSingleField)
};

class TExtendedField : public TFloatField {
 public:
  explicit TExtendedField(TComponent* owner) : TFloatField(owner, ftExtended) {}
  ZR_DB_FIELD_CLASS_NAME(TExtendedField)
};

// Exact decimals; the size is the scale (0 to 32).
class TBCDField : public TNumericField {
 public:
  explicit TBCDField(TComponent* owner, TFieldType type = ftBCD) : TNumericField(owner, type) {}
  ZR_DB_FIELD_CLASS_NAME(TBCDField)

 protected:
  void CheckTypeSize(int size) override;
};

class TFMTBCDField : public TBCDField {
 public:
  explicit TFMTBCDField(TComponent* owner) : TBCDField(owner, ftFMTBcd) {}
  ZR_DB_FIELD_CLASS_NAME(TFMTBCDField)
};

class TBooleanField : public TField {
 public:
  explicit TBooleanField(TComponent* owner) : TField(owner, ftBoolean) {}
  ZR_DB_FIELD_CLASS_NAME(TBooleanField)
};

// Dates and times: text "dd/mm/yyyy", "hh:mm:ss", "dd/mm/yyyy hh:mm:ss" ---------------------------------------

class TDateTimeField : public TField {
 public:
  explicit TDateTimeField(TComponent* owner, TFieldType type = ftDateTime) : TField(owner, type) {}
  ZR_DB_FIELD_CLASS_NAME(TDateTimeField)
  std::string AsString() const override;
};

class TDateField : public TDateTimeField {
 public:
  explicit TDateField(TComponent* owner) : TDateTimeField(owner, ftDate) {}
  ZR_DB_FIELD_CLASS_NAME(TDateField)
  std::string AsString() const override;
};

class TTimeField : public TDateTimeField {
 public:
  explicit TTimeField(TComponent* owner) : TDateTimeField(owner, ftTime) {}
  ZR_DB_FIELD_CLASS_NAME(TTimeField)
  std::string AsString() const override;
};

class TSQLTimeStampField : public TDateTimeField {
 public:
  explicit TSQLTimeStampField(TComponent* owner, TFieldType type = ftTimeStamp)
      : TDateTimeField(owner, type) {}
  ZR_DB_FIELD_CLASS_NAME(TSQLTimeStampField)
};

class TSQLTimeStampOffsetField : public TSQLTimeStampField {
 public:
  explicit TSQLTimeStampOffsetField(TComponent* owner) : TSQLTimeStampField(owner, ftTimeStampOffset) {}
  ZR_DB_FIELD_CLASS_NAME(TSQLTimeStampOffsetField)
};

// Text -----------------------------------------------------------------------------------------------------------

class TWideStringField : public TStringField {
 public:
  explicit TWideStringField(TComponent* owner) : TStringField(owner, ftWideString) {}
  ZR_DB_FIELD_CLASS_NAME(TWideStringField)
};

class TGuidField : public TStringField {
 public:
  explicit TGuidField(TComponent* owner) : TStringField(owner, ftGuid) {}
  ZR_DB_FIELD_CLASS_NAME(TGuidField)
};

class TWideMemoField : public TBlobField {
 public:
  explicit TWideMemoField(TComponent* owner) : TBlobField(owner, ftWideMemo) {}
  ZR_DB_FIELD_CLASS_NAME(TWideMemoField)
};

// Binary ---------------------------------------------------------------------------------------------------------

// Fixed or variable binary data; the size is the byte count.
class TBinaryField : public TField {
 public:
  TBinaryField(TComponent* owner, TFieldType type) : TField(owner, type) {}
  ZR_DB_FIELD_CLASS_NAME(TBinaryField)

 protected:
  void CheckTypeSize(int size) override;
};

class TBytesField : public TBinaryField {
 public:
  explicit TBytesField(TComponent* owner, TFieldType type = ftBytes) : TBinaryField(owner, type) {}
  ZR_DB_FIELD_CLASS_NAME(TBytesField)
};

class TVarBytesField : public TBytesField {
 public:
  explicit TVarBytesField(TComponent* owner) : TBytesField(owner, ftVarBytes) {}
  ZR_DB_FIELD_CLASS_NAME(TVarBytesField)
};

class TGraphicField : public TBlobField {
 public:
  explicit TGraphicField(TComponent* owner) : TBlobField(owner, ftGraphic) {}
  ZR_DB_FIELD_CLASS_NAME(TGraphicField)
};

// Structured and opaque values -----------------------------------------------------------------------------------

class TVariantField : public TField {
 public:
  explicit TVariantField(TComponent* owner) : TField(owner, ftVariant) {}
  ZR_DB_FIELD_CLASS_NAME(TVariantField)
};

// Fields made of other fields; the size is the count of child fields.
class TObjectField : public TField {
 public:
  TObjectField(TComponent* owner, TFieldType type) : TField(owner, type) {}
  ZR_DB_FIELD_CLASS_NAME(TObjectField)

 protected:
  void CheckTypeSize(int size) override;
};

class TADTField : public TObjectField {
 public:
  explicit TADTField(TComponent* owner) : TObjectField(owner, ftADT) {}
  ZR_DB_FIELD_CLASS_NAME(TADTField)
};

class TArrayField : public TObjectField {
 public:
  explicit TArrayField(TComponent* owner) : TObjectField(owner, ftArray) {}
  ZR_DB_FIELD_CLASS_NAME(TArrayField)
};

class TDataSetField : public TObjectField {
 public:
  explicit TDataSetField(TComponent* owner) : TObjectField(owner, ftDataSet) {}
  ZR_DB_FIELD_CLASS_NAME(TDataSetField)
};

class TReferenceField : public TObjectField {
 public:
  explicit TReferenceField(TComponent* owner) : TObjectField(owner, ftReference) {}
  ZR_DB_FIELD_CLASS_NAME(TReferenceField)
};

class TInterfaceField : public TField {
 public:
  explicit TInterfaceField(TComponent* owner, TFieldType type = ftInterface) : TField(owner, type) {}
  ZR_DB_FIELD_CLASS_NAME(TInterfaceField)
};

class TIDispatchField : public TInterfaceField {
 public:
  explicit TIDispatchField(TComponent* owner) : TInterfaceField(owner, ftIDispatch) {}
  ZR_DB_FIELD_CLASS_NAME(TIDispatchField)
};

}  // namespace zr::db
