#pragma once
// The shaped block: a write-behind batch whose statements all have one literal shape (fb_literal_shape.h),
// as the status update's rows do, runs as a block prepared once per transaction for a number of such
// statements, each guarded by its slot number, the literals travelling as its inputs; compiling a new block
// of a hundred statements for every batch would cost the server more than running them:
//
//   EXECUTE BLOCK (Q INTEGER = ?, P0_0 VARCHAR(6) CHARACTER SET UTF8 = ?, ...) RETURNS (N ...) AS BEGIN N = '';
//   IF (Q > 0) THEN BEGIN UPDATE T SET S = 'B' WHERE K = :P0_0; N = N || ROW_COUNT || ','; END ... END
//
// The inputs are declared as the server describes the shape's markers, so the values compare and store as
// the literals would.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/driver.h"
#include "fb_session.h"

namespace zr::db::firebird {

// The block for `slots` statements of the shape `text` (markers at `markers`), its inputs declared by
// `declarations` (one "VARCHAR(n) CHARACTER SET X" per marker); nothing when it would be too long.
std::optional<std::string> ShapeBlockText(const std::string& text, const std::vector<size_t>& markers,
                                          const std::vector<std::string>& declarations, int slots);

class ShapedBlockBatch {
 public:
  // Takes the statement when it is parameterless, takes at most two contexts (`contexts`: no subquery) and
  // has the literal shape of the statements taken before; false otherwise, and the batch cannot run this way.
  bool Add(const driver::BatchStatement& statement, int contexts);
  // Runs the statements taken in `tra`, one count per statement in order; nothing, having run none, when
  // they are too few for a block or the shape's request or block cannot carry their literals.
  std::optional<std::vector<int64_t>> Execute(Session& session, uint32_t timeout,
                                              Firebird::ITransaction* tra);

 private:
  std::optional<std::vector<std::string>> MarkerDeclarations(Session& session, uint32_t timeout,
                                                             Firebird::ITransaction* tra);
  PreparedBlock* Block(Session& session, int slots, const std::vector<std::string>& declarations,
                       uint32_t timeout, Firebird::ITransaction* tra);
  int Count() const noexcept { return static_cast<int>(literals_.size()); }

  std::string shape_;
  std::vector<size_t> markers_;
  int perStatement_ = 0;                            // contexts each statement of the shape takes
  std::vector<std::vector<std::string>> literals_;  // each statement's
};

}  // namespace zr::db::firebird
