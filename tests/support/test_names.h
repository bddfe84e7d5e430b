#pragma once
// Names for tests made from records (golden files and the like), header-only so that a test program of any
// layer can use it without linking the support library.

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

namespace zr::testsupport {

// A test name made of a record's title: its ASCII letters and digits, each run of other characters one "_",
// then "_" and the record's index, so that two records with one title still get two names.
//   TitledTestName("CAST(x AS DATE) -> TO_DATE", 3) == "CAST_x_AS_DATE_TO_DATE_3"
inline std::string TitledTestName(std::string_view title, std::size_t index) {
  std::string name;
  for (const char c : title) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      name += c;
    } else if (!name.empty() && name.back() != '_') {
      name += '_';
    }
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name + "_" + std::to_string(index);
}

}  // namespace zr::testsupport
