#pragma once
// The pieces of column-list expansion (ExpandeColunas in passes.h).

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sqltranslate/query_access.h"

namespace zr::sqlt {

// What an alias stands for: the table named right before it.
struct TBaseAlias {
  std::string NmBase;
};

// Aliases (upper case) in the order they were found; looking one up ignores case and gives the
// first entry with that alias.
class AliasMap {
 public:
  void Add(std::string alias, TBaseAlias base);
  const TBaseAlias* Find(std::string_view alias) const;
  std::size_t Size() const { return entries_.size(); }
  const std::pair<std::string, TBaseAlias>& At(std::size_t i) const { return entries_[i]; }
  std::size_t LongestAlias() const { return longest_; }

 private:
  std::size_t longest_ = 0;
  std::vector<std::pair<std::string, TBaseAlias>> entries_;
  std::unordered_map<std::string, std::size_t> first_;
};

// Every "table alias" pair that follows " FROM " or " JOIN " in the statement.
AliasMap MapeiaAliases(std::string_view text);

// The characters after the last blank or comma of `text` (all of it when it has neither).
std::string UltimaPalavra(std::string_view text);

// The four lines of the data-dictionary statement that lists `table`'s columns.
std::vector<std::string> DictionaryStatement(std::string_view table);

// ".FIRST, ALIAS.SECOND, ... ALIAS.LAST " for `table`'s columns read through `query`.
std::string ListaColunas(QueryAccess& query, std::string_view table, std::string_view alias);

// The column list of `alias` (upper case), or nothing when the alias is not in the map or its
// table name is empty: the alias.* then stays as written.
bool ColunasDoAlias(QueryAccess& query, const AliasMap& map, std::string_view alias, std::string& columns);

}  // namespace zr::sqlt
