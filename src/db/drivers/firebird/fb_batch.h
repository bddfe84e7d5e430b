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
//
// A batch whose statements all have one literal shape (fb_literal_shape.h), as the status update's rows do,
// runs instead as a block prepared once per transaction for a number of such statements, each guarded by
// its slot number, the literals travelling as its inputs; compiling a new block of a hundred statements for
// every batch would cost the server more than running them:
//
//   EXECUTE BLOCK (Q INTEGER = ?, P0_0 VARCHAR(6) CHARACTER SET UTF8 = ?, ...) RETURNS (N ...) AS BEGIN N = '';
//   IF (Q > 0) THEN BEGIN UPDATE T SET S = 'B' WHERE K = :P0_0; N = N || ROW_COUNT || ','; END ... END
//
// The inputs are declared as the server describes the shape's markers, so the values compare and store as
// the literals would; anything else goes the first way.

#include <memory>
#include <optional>
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

// The block for `slots` statements of the shape `text` (markers at `markers`), its inputs declared by
// `declarations` (one "VARCHAR(n) CHARACTER SET X" per marker); nothing when it would be too long.
std::optional<std::string> ShapeBlockText(const std::string& text, const std::vector<size_t>& markers,
                                          const std::vector<std::string>& declarations, int slots);

class FbBatch final : public driver::Batch {
 public:
  explicit FbBatch(std::shared_ptr<Session> session) : session_(std::move(session)) {}

  bool Add(const driver::BatchStatement& statement) override;
  int Count() const override { return count_; }
  std::vector<int64_t> Execute(uint32_t timeout) override;

 private:
  std::optional<std::vector<int64_t>> ExecuteShaped(uint32_t timeout, Firebird::ITransaction* tra);
  ShapeBlock* ShapedBlock(int slots, const std::vector<std::string>& declarations, uint32_t timeout,
                          Firebird::ITransaction* tra);
  std::optional<std::vector<std::string>> MarkerDeclarations(uint32_t timeout, Firebird::ITransaction* tra);

  std::shared_ptr<Session> session_;
  std::string body_;
  std::vector<double> doubles_;
  std::vector<bool> doubleNull_;
  int count_ = 0;
  int contexts_ = 0;
  // While every statement taken is parameterless and of one shape: that shape and their literals.
  bool uniform_ = true;
  std::string shape_;
  std::vector<size_t> markers_;
  int perStatement_ = 0;  // contexts each statement of the shape takes
  std::vector<std::vector<std::string>> literals_;
};

}  // namespace zr::db::firebird
