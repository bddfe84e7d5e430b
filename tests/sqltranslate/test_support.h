#pragma once
// Shared pieces of the translator tests: named cases, a data dictionary held in memory.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "sqltranslate/text_query.h"

namespace zr::sqlt::testing {

struct TextCase {
  const char* name;
  std::string input;
  std::string expected;
};

// USER_TAB_COLUMNS as a map from table to (column, data type) in column order; answers the
// dictionary statement as the server would (BLOB and CLOB left out) and counts the look-ups.
class MemoryDictionary {
 public:
  MemoryDictionary& Table(const std::string& table,
                          std::vector<std::pair<std::string, std::string>> columns) {
    tables_[table] = std::move(columns);
    return *this;
  }
  int LookUps() const { return lookUps_; }
  const std::vector<std::string>& LastStatement() const { return lastStatement_; }

  void AttachTo(TextQuery& query) {
    query.SetDictionary([this](const std::vector<std::string>& lines, const std::string& table) {
      ++lookUps_;
      lastStatement_ = lines;
      std::vector<std::string> names;
      const auto it = tables_.find(table);
      if (it == tables_.end()) return names;
      for (const auto& [column, type] : it->second) {
        if (type != "BLOB" && type != "CLOB") names.push_back(column);
      }
      return names;
    });
  }

 private:
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> tables_;
  int lookUps_ = 0;
  std::vector<std::string> lastStatement_;
};

// TABELA: ID, NOME, OBS (CLOB), DATA.
inline MemoryDictionary ExampleDictionary() {
  MemoryDictionary d;
  d.Table("TABELA", {{"ID", "NUMBER"}, {"NOME", "VARCHAR2"}, {"OBS", "CLOB"}, {"DATA", "DATE"}});
  d.Table("OUTRA", {{"COD", "NUMBER"}, {"FOTO", "BLOB"}, {"DESCR", "NCLOB"}, {"HIST", "LONG"}});
  d.Table("VAZIA", {});
  return d;
}

}  // namespace zr::sqlt::testing
