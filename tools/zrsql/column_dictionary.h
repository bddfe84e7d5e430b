#pragma once
// The data dictionary zrsql answers column look-ups from: a text file with one column a line,
// TABLE<TAB>COLUMN<TAB>DATA_TYPE, tables' columns in column order.

#include <string>
#include <vector>

namespace zr::tools {

struct DictionaryColumn {
  std::string table;
  std::string column;
  std::string dataType;
};

// Reads `path`; throws std::runtime_error with a one-line message when it cannot be read or a
// line has not three tab-separated fields. Blank lines are skipped; a CR before LF is dropped.
std::vector<DictionaryColumn> ReadColumnDictionary(const std::string& path);

// The answer of the dictionary statement for `table`: its columns in file order, leaving out
// those whose type, blanks trimmed, is BLOB or CLOB.
std::vector<std::string> TableColumns(const std::vector<DictionaryColumn>& dictionary,
                                      const std::string& table);

}  // namespace zr::tools
