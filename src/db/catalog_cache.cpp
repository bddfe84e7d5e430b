#include "catalog_cache.h"

#include <vector>

#include "db/driver.h"

namespace zr::db::detail {

const catalog::TableSet& CatalogCache::Writes(driver::Connection& physical, const std::string& table) {
  auto it = writes_.find(table);
  if (it == writes_.end()) it = writes_.emplace(table, physical.WriteReach(table)).first;
  return it->second;
}

catalog::TableSet CatalogCache::Reads(driver::Connection& physical, std::string_view sql) {
  const std::vector<std::string> names = catalog::NamesIn(sql);
  std::vector<std::string> unknown;
  for (const std::string& name : names) {
    if (reads_.find(name) == reads_.end()) unknown.push_back(name);
  }
  if (!unknown.empty()) {
    std::vector<catalog::TableSet> answers = physical.ReadReach(unknown);
    answers.resize(unknown.size(), catalog::TableSet::All());
    for (size_t i = 0; i < unknown.size(); ++i) reads_.emplace(unknown[i], std::move(answers[i]));
  }
  catalog::TableSet reads;
  for (const std::string& name : names) {
    reads.Add(reads_.at(name));
    if (reads.Every) break;
  }
  return reads;
}

void CatalogCache::Forget() noexcept {
  writes_.clear();
  reads_.clear();
}

}  // namespace zr::db::detail
