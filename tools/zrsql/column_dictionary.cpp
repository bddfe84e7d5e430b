#include "column_dictionary.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zr::tools {

namespace {

std::string TrimBlanks(const std::string& s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::vector<DictionaryColumn> ReadColumnDictionary(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read columns file " + path);
  std::vector<DictionaryColumn> columns;
  std::string line;
  for (std::size_t number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = tab1 == std::string::npos ? std::string::npos : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos || line.find('\t', tab2 + 1) != std::string::npos) {
      throw std::runtime_error(path + ":" + std::to_string(number) +
                               ": expected TABLE<TAB>COLUMN<TAB>DATA_TYPE");
    }
    columns.push_back({line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)});
  }
  if (in.bad()) throw std::runtime_error("cannot read columns file " + path);
  return columns;
}

std::vector<std::string> TableColumns(const std::vector<DictionaryColumn>& dictionary,
                                      const std::string& table) {
  std::vector<std::string> names;
  for (const DictionaryColumn& c : dictionary) {
    if (c.table != table) continue;
    const std::string type = TrimBlanks(c.dataType);
    if (type == "BLOB" || type == "CLOB") continue;
    names.push_back(c.column);
  }
  return names;
}

}  // namespace zr::tools
