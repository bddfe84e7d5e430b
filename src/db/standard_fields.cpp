#include "db/standard_fields.h"

#include "db/errors.h"

namespace zr::db {

namespace {
constexpr int kMaxBcdScale = 32;
[[noreturn]] void InvalidSize() { throw EDatabaseError("Invalid field size"); }
}  // namespace

void TBCDField::CheckTypeSize(int size) {
  if (size < 0 || size > kMaxBcdScale) InvalidSize();
}

void TBinaryField::CheckTypeSize(int size) {
  if (size < 0) InvalidSize();
}

void TObjectField::CheckTypeSize(int size) {
  if (size < 0) InvalidSize();
}

std::string TDateTimeField::AsString() const {
  return IsNull() ? std::string() : FormatDateTime(AsDateTime());
}

std::string TDateField::AsString() const { return IsNull() ? std::string() : FormatDate(AsDateTime()); }

std::string TTimeField::AsString() const { return IsNull() ? std::string() : FormatTime(AsDateTime()); }

}  // namespace zr::db
