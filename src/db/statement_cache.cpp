#include "statement_cache.h"

namespace zr::db::detail {

std::unique_ptr<driver::Statement> StatementCache::Take(const std::string& sql) {
  std::optional<std::unique_ptr<driver::Statement>> statement = items_.Take(sql);
  return statement ? std::move(*statement) : nullptr;
}

void StatementCache::Keep(std::string sql, std::unique_ptr<driver::Statement> statement) noexcept {
  if (!statement) return;
  try {
    items_.Keep(std::move(sql), std::move(statement));  // what gives way is freed here
  } catch (...) {
    // not kept: the statement is freed
  }
}

}  // namespace zr::db::detail
