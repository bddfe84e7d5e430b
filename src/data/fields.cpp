// The query component's field classes for currency and memo columns.

#include "data/fields.h"

#include "db/errors.h"

namespace zr::data {

namespace {
// A currency column mapped from a scaled numeric carries a size; sizes up to 32 are tolerated.
constexpr int kMaxFloatFieldSize = 32;
}  // namespace

TZRFloatField::TZRFloatField(db::TComponent* AOwner) : db::TCurrencyField(AOwner) {
  SetCurrency(false);  // a plain number, not an amount of money
}

void TZRFloatField::CheckTypeSize(int Value) {
  if (Value < 0 || Value > kMaxFloatFieldSize) throw db::EDatabaseError("Invalid field size");
}

TZRBlobField::TZRBlobField(db::TComponent* AOwner) : db::TMemoField(AOwner) {}

void TZRBlobField::SetFieldType(db::TFieldType Value) {
  db::TMemoField::SetFieldType(Value == db::ftOraClob ? db::ftMemo : Value);
}

}  // namespace zr::data
