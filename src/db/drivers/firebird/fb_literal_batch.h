#pragma once
// The literal block: every statement of a write-behind batch, its parameter values written into the text,
// in one EXECUTE BLOCK sent with the attachment's execute call, which prepares, runs and returns the counts
// (its one row) in one round trip. The block is one statement to the engine, so it is all or nothing.
//
//   DELETE FROM T WHERE K = '1'; INSERT INTO T (K, V) VALUES (?, ?) x2  ->
//   EXECUTE BLOCK (D0 DOUBLE PRECISION = ?, D1 DOUBLE PRECISION = ?) RETURNS (N ...) AS ... BEGIN N = '';
//   C = 0; DELETE FROM T WHERE K = '1'; C = C + ROW_COUNT; N = N || C || ',';
//   C = 0; INSERT INTO T (K, V) VALUES ('1', :D0); C = C + ROW_COUNT;
//   INSERT INTO T (K, V) VALUES ('2', :D1); C = C + ROW_COUNT; N = N || C || ','; SUSPEND; END
//
// (one counted group per statement, written by fb_execute_block.h)
//
// Doubles travel as the block's DOUBLE PRECISION inputs (never null: a null value is written as NULL).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "db/driver.h"
#include "fb_execute_block.h"
#include "fb_session.h"

namespace zr::db::firebird {

class LiteralBlockBatch {
 public:
  // Takes the statement, whose every element takes `contexts` contexts of the block, when the block stays
  // within the engine's limits and every value can be written into it; false leaves the batch as it was.
  bool Add(const driver::BatchStatement& statement, int contexts);
  int Count() const noexcept { return block_.Groups(); }
  // Runs the block in `tra`: one count per statement taken, in order.
  std::vector<int64_t> Execute(Session& session, uint32_t timeout, Firebird::ITransaction* tra) const;

 private:
  BlockWriter block_{true};
  std::vector<double> doubles_;
};

}  // namespace zr::db::firebird
