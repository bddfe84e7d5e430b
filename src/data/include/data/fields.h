#pragma once
// The query component's own field classes for currency and memo columns.

#include "db/fields.h"

namespace zr::data {

// A currency field shown as a plain number, accepting a declared size up to 32.
class TZRFloatField : public db::TCurrencyField {
 public:
  static constexpr const char* kClassName = "TZRFloatField";
  explicit TZRFloatField(db::TComponent* AOwner);
  const char* ClassName() const override { return kClassName; }

 protected:
  void CheckTypeSize(int Value) override;
};

// A memo field that reports Oracle character LOB columns as memo columns.
class TZRBlobField : public db::TMemoField {
 public:
  static constexpr const char* kClassName = "TZRBlobField";
  explicit TZRBlobField(db::TComponent* AOwner);
  const char* ClassName() const override { return kClassName; }
  void SetFieldType(db::TFieldType Value) override;
};

}  // namespace zr::data
