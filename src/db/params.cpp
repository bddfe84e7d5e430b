#include "db/params.h"

#include <algorithm>
#include <cmath>

#include "common/ascii.h"
#include "db/errors.h"

namespace zr::db {

namespace {
void CheckArraySize(int size) {
  if (size < 1) throw EDatabaseError("Invalid parameter array size " + std::to_string(size));
}
}  // namespace

TFDParam::TFDParam(std::string name, int arraySize) : name_(std::move(name)) {
  CheckArraySize(arraySize);
  values_.resize(static_cast<size_t>(arraySize));
}

void TFDParam::SetArraySize(int size) {
  CheckArraySize(size);
  values_.resize(static_cast<size_t>(size));
}

TFDValue& TFDParam::Element(int index) {
  if (index < 0 || index >= ArraySize()) {
    throw EDatabaseError("Parameter '" + name_ + "': element " + std::to_string(index) +
                         " is outside the array of size " + std::to_string(ArraySize()));
  }
  return values_[static_cast<size_t>(index)];
}

void TFDParam::Set(int index, TFieldType type, TFDValue value) {
  TFDValue& element = Element(index);
  dataType_ = type;
  element = std::move(value);
}

void TFDParam::SetAsStrings(int index, std::string value) { Set(index, ftString, std::move(value)); }
void TFDParam::SetAsFloats(int index, double value) { Set(index, ftFloat, value); }
void TFDParam::SetAsIntegers(int index, int64_t value) { Set(index, ftInteger, value); }
// A date parameter holds the date only: the time of day is dropped.
void TFDParam::SetAsDates(int index, TDateTime value) { Set(index, ftDate, TFDTimeStamp{std::trunc(value)}); }
void TFDParam::SetAsDateTimes(int index, TDateTime value) { Set(index, ftDateTime, TFDTimeStamp{value}); }

void TFDParam::ClearElement(int index) { Element(index) = std::monostate{}; }

TFDParam* TFDParams::FindParam(std::string_view name) {
  for (auto& p : items_) {
    if (common::SameTextAscii(p->Name(), name)) return p.get();
  }
  return nullptr;
}

TFDParam& TFDParams::ParamByName(std::string_view name) {
  if (TFDParam* p = FindParam(name)) return *p;
  throw EDatabaseError("Parameter '" + std::string(name) + "' not found");
}

void TFDParams::SetArraySize(int size) {
  CheckArraySize(size);
  arraySize_ = size;
  for (auto& p : items_) p->SetArraySize(size);
}

void TFDParams::Rebuild(const std::vector<std::string>& names) {
  std::vector<std::unique_ptr<TFDParam>> rebuilt;
  for (const std::string& name : names) {
    const bool seen = std::any_of(rebuilt.begin(), rebuilt.end(),
                                  [&](const auto& p) { return common::SameTextAscii(p->Name(), name); });
    if (seen) continue;
    auto kept = std::find_if(items_.begin(), items_.end(),
                             [&](const auto& p) { return p && common::SameTextAscii(p->Name(), name); });
    if (kept != items_.end()) {
      rebuilt.push_back(std::move(*kept));
    } else {
      rebuilt.push_back(std::make_unique<TFDParam>(name, arraySize_));
    }
  }
  items_ = std::move(rebuilt);
}

}  // namespace zr::db
