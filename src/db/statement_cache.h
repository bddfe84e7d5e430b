#pragma once
// A connection's prepared statements that return rows, kept by their exact text for the next query that runs
// the same text: at most kSize, the least recently kept going first.

#include <cstddef>
#include <memory>
#include <string>
#include <utility>

#include "common/recent_list.h"
#include "db/driver.h"

namespace zr::db::detail {

class StatementCache {
 public:
  static constexpr size_t kSize = 64;

  // The statement kept for `sql`, taken out of the cache; nullptr when none is.
  std::unique_ptr<driver::Statement> Take(const std::string& sql);
  // Keeps `statement` for `sql`; a statement that cannot be kept is freed.
  void Keep(std::string sql, std::unique_ptr<driver::Statement> statement) noexcept;
  void Clear() noexcept { items_.TakeAll(); }

 private:
  common::RecentList<std::unique_ptr<driver::Statement>> items_{kSize};
};

}  // namespace zr::db::detail
