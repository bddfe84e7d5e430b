#pragma once
// What the ODBC driver's catalogs (odbc_catalog.h) share: values read as text and names folded as each server
// stores an unquoted name.

#include <string>
#include <string_view>

#include "common/ascii.h"
#include "db/value.h"

namespace zr::db::odbc::catalog_text {

inline std::string Text(const TFDValue& value) { return ValueAsString(value); }

inline std::string Upper(std::string_view name) { return common::UpperAscii(name); }

inline std::string Lower(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace zr::db::odbc::catalog_text
