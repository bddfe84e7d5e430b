#include "fb_batch.h"

#include <string>

#include "db/errors.h"
#include "fb_execute_block.h"

namespace zr::db::firebird {

FbBatch::FbBatch(std::shared_ptr<Session> session, BatchWays ways)
    : session_(std::move(session)), literalOn_(ways.Literal) {
  if (ways.Shaped) shaped_.emplace();
}

bool FbBatch::Add(const driver::BatchStatement& statement) {
  const int contexts = ContextsOf(statement.Sql);
  if (!literalOn_) return shaped_ && shaped_->Add(statement, contexts);
  if (!literal_.Add(statement, contexts)) return false;
  if (shaped_ && !shaped_->Add(statement, contexts)) shaped_.reset();
  return true;
}

std::vector<int64_t> FbBatch::Execute(uint32_t timeout) {
  if (Count() == 0) return {};
  const MessagesIn messages(session_->Text());
  Firebird::ITransaction* tra = session_->Transaction();
  if (tra == nullptr) throw EDatabaseError("A batch runs only in an open transaction");
  if (shaped_) {
    if (std::optional<std::vector<int64_t>> counts = shaped_->Execute(*session_, timeout, tra))
      return *counts;
  }
  if (!literalOn_)
    throw EDatabaseError("The batch's statements run one by one: literal blocks are switched off");
  return literal_.Execute(*session_, timeout, tra);
}

}  // namespace zr::db::firebird
