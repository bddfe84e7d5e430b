#pragma once
// The shaped block: a write-behind batch whose statements all have one literal shape (fb_literal_shape.h),
// as the status update's rows do, runs as a block prepared once per transaction for a number of such
// statements, each guarded by its slot number, the literals travelling as its inputs; compiling a new block
// of a hundred statements for every batch would cost the server more than running them:
//
//   EXECUTE BLOCK (Q INTEGER = ?, P0_0 VARCHAR(6) CHARACTER SET UTF8 = ?, ...) RETURNS (N ...) AS ... BEGIN
//   N = ''; IF (Q > 0) THEN BEGIN C = 0; UPDATE T SET S = 'B' WHERE K = :P0_0; C = C + ROW_COUNT;
//   N = N || C || ','; END ... SUSPEND; END
//
// (one counted group per slot, guarded by the slot's number, written by fb_execute_block.h)
//
// The inputs are declared as the server describes the shape's markers, so the values compare and store as
// the literals would.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/driver.h"
#include "fb_execute_block.h"
#include "fb_session.h"

namespace zr::db::firebird {

// Shaped blocks come in a few sizes, so that one transaction prepares few of them; smaller batches than the
// first size go the literal way (one round trip either way). The largest takes as many statements of one
// context each as a block can hold.
inline constexpr int kShapedSlots[] = {8, 32, 128, 256};

// The block for `slots` statements of the shape `text` (markers at `markers`), which take `contexts` each,
// its inputs declared by `declarations` (one per marker); nothing past a limit of the engine.
std::optional<std::string> ShapeBlockText(const std::string& text, const std::vector<size_t>& markers,
                                          const std::vector<BlockInput>& declarations, int slots,
                                          int contexts);

class ShapedBlockBatch {
 public:
  // Takes the statement when it is parameterless, takes at most two contexts (`contexts`: no subquery), has
  // the literal shape of the statements taken before and the largest block can take one statement more;
  // false otherwise, and the batch cannot run this way.
  bool Add(const driver::BatchStatement& statement, int contexts);
  int Count() const noexcept { return static_cast<int>(literals_.size()); }
  // Runs the statements taken in `tra`, one count per statement in order; nothing, having run none, when
  // they are too few for a block or the shape's request or block cannot carry their literals.
  std::optional<std::vector<int64_t>> Execute(Session& session, uint32_t timeout,
                                              Firebird::ITransaction* tra);

 private:
  std::optional<std::vector<BlockInput>> MarkerDeclarations(Session& session, uint32_t timeout,
                                                            Firebird::ITransaction* tra);
  PreparedBlock* Block(Session& session, int slots, const std::vector<BlockInput>& declarations,
                       uint32_t timeout, Firebird::ITransaction* tra);

  std::string shape_;
  std::vector<size_t> markers_;
  int perStatement_ = 0;                            // contexts each statement of the shape takes
  std::vector<std::vector<std::string>> literals_;  // each statement's
};

}  // namespace zr::db::firebird
