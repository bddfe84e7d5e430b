#include "db/fields.h"

#include <limits>

#include "db/errors.h"
#include "number_format.h"

namespace zr::db {

TField::TField(TComponent* owner, TFieldType type) : TComponent(owner), dataType_(type) {}

void TField::SetSize(int size) {
  CheckTypeSize(size);
  size_ = size;
}

void TField::CheckTypeSize(int size) {
  if (size != 0) throw EDatabaseError("Invalid field size");
}

std::string TField::AsString() const { return ValueAsString(value_); }

double TField::AsFloat() const { return ValueAsFloat(value_); }

int32_t TField::AsInteger() const {
  const int64_t v = ValueAsInteger(value_);
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
    throw EDatabaseError("'" + std::to_string(v) + "' is not a valid integer value");
  }
  return static_cast<int32_t>(v);
}

int64_t TField::AsLargeInt() const { return ValueAsInteger(value_); }

TDateTime TField::AsDateTime() const { return ValueAsDateTime(value_); }

void TStringField::CheckTypeSize(int size) {
  if (size < 0) throw EDatabaseError("Invalid field size");
}

std::string TFloatField::AsString() const {
  if (IsNull()) return {};
  return detail::FormatFloat(AsFloat());
}

std::string TFloatField::DisplayText() const {
  if (IsNull()) return {};
  return currency_ ? detail::FormatMoney(AsFloat()) : AsString();
}

void TBlobField::CheckTypeSize(int size) {
  if (size < 0) throw EDatabaseError("Invalid field size");
}

}  // namespace zr::db
