#pragma once
// A Firebird statement: prepared once, executed per element or as EXECUTE BLOCKs for parameter arrays,
// with a cursor for statements that return rows. It runs in the connection's open transaction, or else in
// a transaction of its own that commits when the statement (or its cursor) is done.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/driver.h"
#include "db/options.h"
#include "fb_api.h"
#include "fb_columns.h"
#include "fb_execute_block.h"
#include "fb_input.h"
#include "fb_prepared.h"
#include "fb_session.h"
#include "fb_shapes.h"

namespace zr::db::firebird {

class FbStatement final : public driver::Statement, private SessionListener {
 public:
  explicit FbStatement(std::shared_ptr<Session> session);
  ~FbStatement() override;

  void Prepare(const std::string& sql) override;
  std::vector<driver::ColumnInfo> Columns() const override;
  void SetTimeout(uint32_t milliseconds) override { timeout_ = milliseconds; }
  void Execute(const std::vector<driver::ParamColumn>& params, int times, int offset) override;
  bool Fetch(std::vector<TFDValue>& row) override;
  void CloseCursor() override;
  int64_t RowsAffected() const override { return rowsAffected_; }

 private:
  void PrepareRequest(const std::string& sql, Firebird::ITransaction* tra);
  void PrepareText(const std::string& sql, Firebird::ITransaction* tra);
  void BorrowShapeAgain(Firebird::ITransaction* tra);
  void ForgetShape() noexcept;
  PreparedRequest& Running() noexcept { return shape_ ? shape_->Request() : request_; }
  void Describe(const std::string& sql);
  std::vector<driver::ParamColumn> LiteralParams() const;

  void TransactionEnding(Firebird::ITransaction* transaction) noexcept override;
  void AttachmentClosing() noexcept override;
  void FreeHandles() noexcept;
  void DropCursor() noexcept;

  Firebird::ITransaction* WorkTransaction();
  void EndOwnTransaction(bool commit);

  bool ReturnsRows() const noexcept;
  bool FitsInBlock(int times, Firebird::ITransaction* tra);
  void ExecuteSingle(const std::vector<driver::ParamColumn>& params, int offset, Firebird::ITransaction* tra);
  void ExecuteBlocks(const std::vector<driver::ParamColumn>& params, int times, int offset,
                     Firebird::ITransaction* tra);
  int ElementsPerBlock(int wanted);
  BlockWriter::Group Element(int element) const;
  PreparedBlock* BlockFor(int elements, Firebird::ITransaction* tra);
  void RunInSavepoint(Firebird::ITransaction* tra, const std::function<void()>& work);

  std::shared_ptr<Session> session_;
  std::string sql_;
  // The request of sql_ as written; empty while the statement runs as its literal shape.
  PreparedRequest request_;
  // Set while the statement runs as the request of its literal shape, lent by the session's shapes: the
  // literals then travel as parameters, one single-element column each. A SELECT gives the request back when
  // its cursor closes, so that the next statement of its shape (a query's next text) finds it, and borrows it
  // again to run again.
  std::optional<ShapeLoan> shape_;
  std::vector<std::vector<TFDValue>> literals_;
  // Array execution: the block's inputs for one element's (nothing when a block cannot declare them) and the
  // contexts one element takes.
  std::optional<std::vector<BlockInput>> blockInputs_;
  int blockContexts_ = 0;
  bool oneRowPerElement_ = false;  // INSERT without SELECT: each element stores exactly one row
  std::vector<OutputColumn> columns_;
  std::vector<int64_t> row_;  // the output message, aligned for every field type
  std::map<int, PreparedBlock> blocks_;  // by element count
  int perBlock_ = 0;                     // elements one block holds, once a limit was met (0: not yet)
  bool blocksRefused_ = false;           // the engine refused a block: elements run one by one
  Ref<Firebird::IResultSet> cursor_;
  Firebird::ITransaction* cursorTransaction_ = nullptr;
  bool singletonRow_ = false;  // EXECUTE PROCEDURE's one row of outputs, not yet fetched
  Ref<Firebird::ITransaction> own_;
  uint32_t timeout_ = kNoTimeout;
  int64_t rowsAffected_ = 0;
};

}  // namespace zr::db::firebird
