#pragma once
// Write-behind batches on Firebird 3: every statement of the batch, its parameter values written into the
// text, in one EXECUTE BLOCK sent with the attachment's execute call, which prepares, runs and returns the
// counts (its one row) in one round trip. The block is one statement to the engine, so it is all or nothing.
//
//   DELETE FROM T WHERE K = '1'; INSERT INTO T (K, V) VALUES (?, ?) x2  ->
//   EXECUTE BLOCK (D0 DOUBLE PRECISION = ?, D1 DOUBLE PRECISION = ?) RETURNS (N VARCHAR(8000)) AS
//   DECLARE C BIGINT; BEGIN N = '';
//   C = 0; DELETE FROM T WHERE K = '1'; C = C + ROW_COUNT; N = N || C || ',';
//   C = 0; INSERT INTO T (K, V) VALUES ('1', :D0); C = C + ROW_COUNT;
//   INSERT INTO T (K, V) VALUES ('2', :D1); C = C + ROW_COUNT; N = N || C || ','; SUSPEND; END

#include <memory>
#include <string>
#include <vector>

#include "db/driver.h"
#include "fb_session.h"

namespace zr::db::firebird {

// The engine's limits for one block, kept with a margin: statement text (64 KB), contexts per request (256:
// one per INSERT, two per UPDATE or DELETE, more with subqueries), and the counts' text.
inline constexpr size_t kMaxBatchText = 60000;
inline constexpr int kMaxBatchContexts = 240;

// The block's text for `body` (its statements with their count lines) and `doubles` DOUBLE PRECISION inputs.
std::string BatchBlockText(const std::string& body, size_t doubles);

class FbBatch final : public driver::Batch {
 public:
  explicit FbBatch(std::shared_ptr<Session> session) : session_(std::move(session)) {}

  bool Add(const driver::BatchStatement& statement) override;
  int Count() const override { return count_; }
  std::vector<int64_t> Execute(uint32_t timeout) override;

 private:
  std::shared_ptr<Session> session_;
  std::string body_;
  std::vector<double> doubles_;
  std::vector<bool> doubleNull_;
  int count_ = 0;
  int contexts_ = 0;
};

}  // namespace zr::db::firebird
