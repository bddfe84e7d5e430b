#include "statement_cache.h"

namespace zr::db::detail {

std::unique_ptr<driver::Statement> StatementCache::Take(const std::string& sql) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (it->first == sql) {
      std::unique_ptr<driver::Statement> statement = std::move(it->second);
      items_.erase(it);
      return statement;
    }
  }
  return nullptr;
}

void StatementCache::Keep(std::string sql, std::unique_ptr<driver::Statement> statement) noexcept {
  if (!statement) return;
  try {
    items_.emplace_front(std::move(sql), std::move(statement));
  } catch (...) {
    return;  // not kept: the statement is freed
  }
  if (items_.size() > kSize) items_.pop_back();
}

}  // namespace zr::db::detail
