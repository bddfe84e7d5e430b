#pragma once
// Named parameters of a query (":NAME" in the SQL text) with their parameter arrays.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/data_types.h"
#include "db/value.h"

namespace zr::db {

class TFDParam;

// Element access in the framework's style: `param.AsStrings[i] = "x";` sets element i and the type.
template <typename T>
class TFDParamElements {
 public:
  using Setter = void (TFDParam::*)(int, T);
  TFDParamElements(TFDParam& param, Setter setter) : param_(param), setter_(setter) {}

  class Element {
   public:
    Element(TFDParam& param, Setter setter, int index) : param_(param), setter_(setter), index_(index) {}
    const Element& operator=(T value) const {
      (param_.*setter_)(index_, std::move(value));
      return *this;
    }

   private:
    TFDParam& param_;
    Setter setter_;
    int index_;
  };

  Element operator[](int index) const { return Element(param_, setter_, index); }

 private:
  TFDParam& param_;
  Setter setter_;
};

class TFDParam {
 public:
  explicit TFDParam(std::string name, int arraySize = 1);
  TFDParam(const TFDParam&) = delete;
  TFDParam& operator=(const TFDParam&) = delete;

  const std::string& Name() const noexcept { return name_; }
  TFieldType DataType() const noexcept { return dataType_; }
  void SetDataType(TFieldType type) noexcept { dataType_ = type; }

  int ArraySize() const noexcept { return static_cast<int>(values_.size()); }
  // Resizes the array; new elements are null.
  void SetArraySize(int size);

  // Element setters: each also sets the parameter's type (ftString, ftFloat, ftInteger, ftDate, ftDateTime).
  // An index outside 0 .. ArraySize-1 raises EDatabaseError.
  void SetAsStrings(int index, std::string value);
  void SetAsFloats(int index, double value);
  void SetAsIntegers(int index, int64_t value);
  void SetAsDates(int index, TDateTime value);
  void SetAsDateTimes(int index, TDateTime value);
  void ClearElement(int index);  // null

  // Scalar forms: element 0.
  void SetAsString(std::string value) { SetAsStrings(0, std::move(value)); }
  void SetAsFloat(double value) { SetAsFloats(0, value); }
  void SetAsInteger(int64_t value) { SetAsIntegers(0, value); }
  void SetAsDate(TDateTime value) { SetAsDates(0, value); }
  void SetAsDateTime(TDateTime value) { SetAsDateTimes(0, value); }
  void Clear() { ClearElement(0); }

  const TFDParamElements<std::string> AsStrings{*this, &TFDParam::SetAsStrings};
  const TFDParamElements<double> AsFloats{*this, &TFDParam::SetAsFloats};
  const TFDParamElements<int64_t> AsIntegers{*this, &TFDParam::SetAsIntegers};
  const TFDParamElements<TDateTime> AsDates{*this, &TFDParam::SetAsDates};
  const TFDParamElements<TDateTime> AsDateTimes{*this, &TFDParam::SetAsDateTimes};

  const TFDValue& Value(int index = 0) const { return values_.at(static_cast<size_t>(index)); }
  const std::vector<TFDValue>& Values() const noexcept { return values_; }

 private:
  // Element `index`; EDatabaseError outside the array.
  TFDValue& Element(int index);
  void Set(int index, TFieldType type, TFDValue value);

  std::string name_;
  TFieldType dataType_ = ftUnknown;
  std::vector<TFDValue> values_;
};

class TFDParams {
 public:
  int Count() const noexcept { return static_cast<int>(items_.size()); }
  TFDParam& operator[](int index) { return *items_.at(static_cast<size_t>(index)); }
  const TFDParam& operator[](int index) const { return *items_.at(static_cast<size_t>(index)); }

  // The parameter named `name` (ASCII case ignored); EDatabaseError when there is none.
  TFDParam& ParamByName(std::string_view name);
  TFDParam* FindParam(std::string_view name);

  int ArraySize() const noexcept { return arraySize_; }
  // Sets the array size of every parameter (and of those created later).
  void SetArraySize(int size);

  // Framework: rebuilds the list for a new SQL text, one parameter per distinct name in order of first
  // appearance; parameters whose name remains keep their type and values.
  void Rebuild(const std::vector<std::string>& names);

 private:
  std::vector<std::unique_ptr<TFDParam>> items_;
  int arraySize_ = 1;
};

// The SQL text with every ":NAME" marker outside quoted literals, quoted identifiers and comments replaced
// by "?", and the names in marker order (a name may repeat).
struct TFDParsedSql {
  std::string Sql;
  std::vector<std::string> Names;
};
TFDParsedSql ParseParams(std::string_view sql);

}  // namespace zr::db
