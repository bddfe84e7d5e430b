#pragma once
// A connection's memory of its catalog's answers (db/catalog.h): read once per name, forgotten when a
// statement changes metadata or the connection closes.

#include <map>
#include <string>
#include <string_view>

#include "db/catalog.h"

namespace zr::db::driver {
class Connection;
}

namespace zr::db::detail {

class CatalogCache {
 public:
  // The tables a row written to `table` (upper case, as write-behind names it) may change.
  const catalog::TableSet& Writes(driver::Connection& physical, const std::string& table);
  // The tables `sql` reads through the names it holds; names not yet known are asked in one call.
  catalog::TableSet Reads(driver::Connection& physical, std::string_view sql);
  void Forget() noexcept;

 private:
  std::map<std::string, catalog::TableSet> writes_;
  std::map<std::string, catalog::TableSet> reads_;
};

}  // namespace zr::db::detail
