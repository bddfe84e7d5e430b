#pragma once
// Write-behind batches on Firebird 3, in one round trip each. Statements are taken into a literal block
// (fb_literal_batch.h), which can run any batch it took; while every statement taken is parameterless and of
// one literal shape, they are also taken into a shaped block (fb_shaped_batch.h), which runs them through a
// block prepared once per transaction when there are enough of them and the shape's markers carry their
// literals. Anything else runs as the literal block.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "db/driver.h"
#include "fb_literal_batch.h"
#include "fb_session.h"
#include "fb_shaped_batch.h"

namespace zr::db::firebird {

// Which ways a connection runs its batches (the entries "Batches", "ShapedBatches" and "LiteralBatches").
struct BatchWays {
  bool Batches = true;
  bool Shaped = true;
  bool Literal = true;
  bool Any() const noexcept { return Batches && (Shaped || Literal); }
};

class FbBatch final : public driver::Batch {
 public:
  // `ways` says which blocks the batch may run (at least one).
  FbBatch(std::shared_ptr<Session> session, BatchWays ways);

  bool Add(const driver::BatchStatement& statement) override;
  int Count() const override { return literalOn_ ? literal_.Count() : shaped_ ? shaped_->Count() : 0; }
  // With literal blocks switched off, a batch that the shaped block cannot run fails before anything runs, so
  // that its statements run one by one.
  std::vector<int64_t> Execute(uint32_t timeout) override;

 private:
  std::shared_ptr<Session> session_;
  bool literalOn_;
  LiteralBlockBatch literal_;
  std::optional<ShapedBlockBatch> shaped_;  // dropped at the first statement it refuses
};

}  // namespace zr::db::firebird
