// The base data layer's standard table of field classes, the field type of each data type, and size checks.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "db/component.h"
#include "db/errors.h"
#include "db/fields.h"
#include "db/standard_fields.h"

namespace zr::db {
namespace {

TEST(DefaultFieldClass, EveryFieldTypeGetsItsStandardClassAndCreatesAFieldOfThatType) {
  struct Case {
    TFieldType type;
    const char* className;
  };
  const Case cases[] = {
      {ftString, "TStringField"},
      {ftSmallint, "TSmallintField"},
      {ftInteger, "TIntegerField"},
      {ftWord, "TWordField"},
      {ftBoolean, "TBooleanField"},
      {ftFloat, "TFloatField"},
      {ftCurrency, "TCurrencyField"},
      {ftBCD, "TBCDField"},
      {ftDate, "TDateField"},
      {ftTime, "TTimeField"},
      {ftDateTime, "TDateTimeField"},
      {ftBytes, "TBytesField"},
      {ftVarBytes, "TVarBytesField"},
      {ftAutoInc, "TAutoIncField"},
      {ftBlob, "TBlobField"},
      {ftMemo, "TMemoField"},
      {ftGraphic, "TGraphicField"},
      {ftFmtMemo, "TMemoField"},
      {ftParadoxOle, "TBlobField"},
      {ftDBaseOle, "TBlobField"},
      {ftTypedBinary, "TBlobField"},
      {ftFixedChar, "TStringField"},
      {ftWideString, "TWideStringField"},
      {ftLargeint, "TLargeintField"},
      {ftADT, "TADTField"},
      {ftArray, "TArrayField"},
      {ftReference, "TReferenceField"},
      {ftDataSet, "TDataSetField"},
      {ftOraBlob, "TBlobField"},
      {ftOraClob, "TMemoField"},
      {ftVariant, "TVariantField"},
      {ftInterface, "TInterfaceField"},
      {ftIDispatch, "TIDispatchField"},
      {ftGuid, "TGuidField"},
      {ftTimeStamp, "TSQLTimeStampField"},
      {ftFMTBcd, "TFMTBCDField"},
      {ftFixedWideChar, "TWideStringField"},
      {ftWideMemo, "TWideMemoField"},
      {ftOraTimeStamp, "TSQLTimeStampField"},
      {ftOraInterval, "TStringField"},
      {ftLongWord, "TLongWordField"},
      {ftShortint, "TShortintField"},
      {ftByte, "TByteField"},
      {ftExtended, "TExtendedField"},
      {ftTimeStampOffset, "TSQLTimeStampOffsetField"},
      {ftSingle, "TSingleField"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(FieldTypeName(c.type));
    const TFieldClass* fieldClass = DefaultFieldClass(c.type);
    ASSERT_NE(fieldClass, nullptr);
    EXPECT_STREQ(fieldClass->ClassName, c.className);
    TComponent owner;
    TField* field = fieldClass->Create(&owner);
    EXPECT_STREQ(field->ClassName(), c.className);
    EXPECT_EQ(owner.ComponentCount(), 1);
    field->SetFieldType(c.type);
    EXPECT_EQ(field->DataType(), c.type);
  }
}

TEST(DefaultFieldClass, TypesWithoutAClassGetNone) {
  for (TFieldType type : {ftUnknown, ftCursor, ftConnection, ftParams, ftStream, ftObject}) {
    SCOPED_TRACE(FieldTypeName(type));
    EXPECT_EQ(DefaultFieldClass(type), nullptr);
  }
}

TEST(DefaultFieldClass, AClassSetsItsOwnFieldTypeWhenCreated) {
  TCurrencyField currency(nullptr);
  EXPECT_EQ(currency.DataType(), ftCurrency);
  TMemoField memo(nullptr);
  EXPECT_EQ(memo.DataType(), ftMemo);
  TAutoIncField autoInc(nullptr);
  EXPECT_EQ(autoInc.DataType(), ftAutoInc);
  TSQLTimeStampField stamp(nullptr);
  EXPECT_EQ(stamp.DataType(), ftTimeStamp);
}

TEST(FieldTypeOf, EachDataTypeHasItsFieldType) {
  struct Case {
    TFDDataType type;
    bool fixedChar;
    TFieldType expected;
  };
  const Case cases[] = {
      {dtUnknown, false, ftUnknown},
      {dtBoolean, false, ftBoolean},
      {dtSByte, false, ftShortint},
      {dtInt16, false, ftSmallint},
      {dtInt32, false, ftInteger},
      {dtInt64, false, ftLargeint},
      {dtByte, false, ftByte},
      {dtUInt16, false, ftWord},
      {dtUInt32, false, ftLongWord},
      {dtUInt64, false, ftLargeint},
      {dtSingle, false, ftSingle},
      {dtDouble, false, ftFloat},
      {dtExtended, false, ftExtended},
      {dtCurrency, false, ftCurrency},
      {dtBCD, false, ftBCD},
      {dtFmtBCD, false, ftFMTBcd},
      {dtDateTime, false, ftDateTime},
      {dtTime, false, ftTime},
      {dtDate, false, ftDate},
      {dtDateTimeStamp, false, ftTimeStamp},
      {dtAnsiString, false, ftString},
      {dtAnsiString, true, ftFixedChar},
      {dtWideString, false, ftWideString},
      {dtWideString, true, ftFixedWideChar},
      {dtByteString, false, ftVarBytes},
      {dtByteString, true, ftBytes},
      {dtBlob, false, ftBlob},
      {dtMemo, false, ftMemo},
      {dtWideMemo, false, ftWideMemo},
      {dtHBlob, false, ftOraBlob},
      {dtHMemo, false, ftOraClob},
      {dtGUID, false, ftGuid},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(DataTypeName(c.type)) + (c.fixedChar ? " fixed" : ""));
    EXPECT_EQ(FieldTypeOf(c.type, c.fixedChar), c.expected);
  }
}

TEST(FieldSize, EachClassAcceptsOnlyTheSizesOfItsKind) {
  struct Case {
    const char* name;
    TFieldType type;
    int size;
    bool accepted;
  };
  const Case cases[] = {
      {"a float field takes no size", ftFloat, 0, true},
      {"a float field refuses a size", ftFloat, 2, false},
      {"a currency field refuses a size", ftCurrency, 2, false},
      {"an integer field refuses a size", ftInteger, 4, false},
      {"a string field takes its length", ftString, 100, true},
      {"a string field refuses a negative length", ftString, -1, false},
      {"a BCD field takes a scale of 32", ftBCD, 32, true},
      {"a BCD field refuses a scale of 33", ftBCD, 33, false},
      {"an FMTBCD field takes a scale of 32", ftFMTBcd, 32, true},
      {"an FMTBCD field refuses a scale of 33", ftFMTBcd, 33, false},
      {"a memo field takes a size", ftMemo, 8, true},
      {"a blob field takes a size", ftBlob, 1000, true},
      {"a bytes field takes its length", ftBytes, 16, true},
      {"a date field refuses a size", ftDate, 8, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<TField> field(DefaultFieldClass(c.type)->Create(nullptr));
    if (c.accepted) {
      field->SetSize(c.size);
      EXPECT_EQ(field->Size(), c.size);
    } else {
      try {
        field->SetSize(c.size);
        ADD_FAILURE() << "size accepted";
      } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Invalid field size");
        EXPECT_EQ(field->Size(), 0);
      }
    }
  }
}

TEST(DateTimeFields, TextOfEachKind) {
  const TDateTime t = EncodeDateTime({2018, 1, 31, 14, 5, 0, 0});
  TDateField date(nullptr);
  TTimeField time(nullptr);
  TDateTimeField dateTime(nullptr);
  for (TField* f :
       {static_cast<TField*>(&date), static_cast<TField*>(&time), static_cast<TField*>(&dateTime)}) {
    EXPECT_EQ(f->AsString(), "");
    f->SetData(TFDTimeStamp{t});
  }
  EXPECT_EQ(date.AsString(), "31/01/2018");
  EXPECT_EQ(time.AsString(), "14:05:00");
  EXPECT_EQ(dateTime.AsString(), "31/01/2018 14:05:00");
  EXPECT_EQ(date.AsDateTime(), t);
}

}  // namespace
}  // namespace zr::db
