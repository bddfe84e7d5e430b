#include "sqltranslate/text_query.h"

#include <stdexcept>

namespace zr::sqlt {

std::vector<std::string> TextQuery::ReadDictionaryColumns(const std::vector<std::string>& sqlLines,
                                                          const std::string& table) {
  if (!dictionary_) {
    throw std::runtime_error("the columns of table " + table +
                             " are needed to expand alias.* and no data dictionary is available");
  }
  return dictionary_(sqlLines, table);
}

}  // namespace zr::sqlt
