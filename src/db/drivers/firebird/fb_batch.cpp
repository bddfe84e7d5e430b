#include "fb_batch.h"

#include <string>

#include "db/errors.h"
#include "db/sql_scanner.h"
#include "fb_execute_block.h"

namespace zr::db::firebird {

namespace {

// The contexts one element of `sql` takes inside a block: an INSERT one, UPDATE and DELETE two, a statement
// with a subquery more.
int ContextsOf(const std::string& sql) {
  if (HasSelect(sql)) return 8;
  return sql::FirstWord(sql) == "INSERT" ? 1 : 2;
}

}  // namespace

bool FbBatch::Add(const driver::BatchStatement& statement) {
  const int contexts = ContextsOf(statement.Sql);
  if (!literal_.Add(statement, contexts)) return false;
  if (shaped_ && !shaped_->Add(statement, contexts)) shaped_.reset();
  return true;
}

std::vector<int64_t> FbBatch::Execute(uint32_t timeout) {
  if (literal_.Count() == 0) return {};
  const MessagesIn messages(session_->Text());
  Firebird::ITransaction* tra = session_->Transaction();
  if (tra == nullptr) throw EDatabaseError("A batch runs only in an open transaction");
  if (shaped_) {
    if (std::optional<std::vector<int64_t>> counts = shaped_->Execute(*session_, timeout, tra))
      return *counts;
  }
  return literal_.Execute(*session_, timeout, tra);
}

}  // namespace zr::db::firebird
