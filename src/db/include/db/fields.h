#pragma once
// Fields of an open result set and the base data layer's field classes.
//
// A query creates one field per result column when it opens: it asks its field-class choice for the class of
// the column's field type, creates the field owned by the query, calls SetFieldType with that type and sets
// the column's size (which runs the class's size check). Fields are freed when the query closes.

#include <cstdint>
#include <string>

#include "db/component.h"
#include "db/data_types.h"
#include "db/value.h"

namespace zr::db {

class TField;

// A class reference: the name of a field class and how to create one.
struct TFieldClass {
  const char* ClassName;
  TField* (*Create)(TComponent* owner);  // the new field is owned by `owner`
};

class TField : public TComponent {
 public:
  explicit TField(TComponent* owner, TFieldType type = ftUnknown);

  static constexpr const char* kClassName = "TField";
  virtual const char* ClassName() const { return kClassName; }

  const std::string& FieldName() const noexcept { return fieldName_; }
  void SetFieldName(std::string name) { fieldName_ = std::move(name); }

  TFieldType DataType() const noexcept { return dataType_; }
  // Called by the framework with the column's field type when it creates the field.
  virtual void SetFieldType(TFieldType value) { dataType_ = value; }

  int Size() const noexcept { return size_; }
  // Runs the size check, then stores the size.
  void SetSize(int size);

  // The current row's value. A null reads as empty text, 0 or 0.0.
  bool IsNull() const { return IsNullValue(value_); }
  virtual std::string AsString() const;
  double AsFloat() const;
  int32_t AsInteger() const;
  int64_t AsLargeInt() const;
  TDateTime AsDateTime() const;
  // The value as shown to a user (formatting of the class, e.g. money for a currency field).
  virtual std::string DisplayText() const { return AsString(); }
  const TFDValue& Value() const noexcept { return value_; }

  // Framework: loads the current row's value (already converted to the field's data type).
  void SetData(TFDValue value) { value_ = std::move(value); }

 protected:
  // The size check: raises EDatabaseError "Invalid field size" for a size the class does not accept.
  // TField accepts only 0.
  virtual void CheckTypeSize(int size);
  void SetDataTypeDirect(TFieldType type) noexcept { dataType_ = type; }

 private:
  std::string fieldName_;
  TFieldType dataType_;
  int size_ = 0;
  TFDValue value_;
};

class TStringField : public TField {
 public:
  explicit TStringField(TComponent* owner, TFieldType type = ftString) : TField(owner, type) {}
  static constexpr const char* kClassName = "TStringField";
  const char* ClassName() const override { return kClassName; }

 protected:
  void CheckTypeSize(int size) override;  // any size of 0 or more
};

class TFloatField : public TField {
 public:
  explicit TFloatField(TComponent* owner, TFieldType type = ftFloat) : TField(owner, type) {}
  static constexpr const char* kClassName = "TFloatField";
  const char* ClassName() const override { return kClassName; }
  std::string AsString() const override;
  std::string DisplayText() const override;
  // Display as an amount of money.
  bool Currency() const noexcept { return currency_; }
  void SetCurrency(bool value) noexcept { currency_ = value; }

 private:
  bool currency_ = false;
};

class TCurrencyField : public TFloatField {
 public:
  explicit TCurrencyField(TComponent* owner) : TFloatField(owner, ftCurrency) { SetCurrency(true); }
  static constexpr const char* kClassName = "TCurrencyField";
  const char* ClassName() const override { return kClassName; }
};

class TBlobField : public TField {
 public:
  explicit TBlobField(TComponent* owner, TFieldType type = ftBlob) : TField(owner, type) {}
  static constexpr const char* kClassName = "TBlobField";
  const char* ClassName() const override { return kClassName; }

 protected:
  void CheckTypeSize(int size) override;  // any size of 0 or more
};

class TMemoField : public TBlobField {
 public:
  explicit TMemoField(TComponent* owner) : TBlobField(owner, ftMemo) {}
  static constexpr const char* kClassName = "TMemoField";
  const char* ClassName() const override { return kClassName; }
};

// The base data layer's standard field class of `type` (declared with the other standard classes in
// db/standard_fields.h); nullptr for the types that get no class (ftUnknown, ftCursor, ftConnection,
// ftParams, ftStream, ftObject).
const TFieldClass* DefaultFieldClass(TFieldType type);

// The class reference of a field class F (F(TComponent*) must exist and F must define kClassName).
template <class F>
const TFieldClass* FieldClassOf() {
  static const TFieldClass info{F::kClassName, [](TComponent* owner) -> TField* { return new F(owner); }};
  return &info;
}

}  // namespace zr::db
