#pragma once
// The one writer of EXECUTE BLOCKs, for the three ways the driver sends many statements in one request:
// array execution (fb_statement.h), the literal block and the shaped block of a write-behind batch
// (fb_literal_batch.h, fb_shaped_batch.h). A block is written group by group; each group is some statements,
// the inputs they read and, when it is guarded, the condition that runs it. A counted block returns one row
// whose text holds each group's rows affected, in order ("3,0,1,"):
//
//   EXECUTE BLOCK (p0_0 INTEGER = ?, p1_0 INTEGER = ?)
//   RETURNS (N VARCHAR(8000) CHARACTER SET NONE) AS
//   DECLARE C BIGINT;
//   BEGIN
//   N = '';
//   C = 0;  UPDATE T SET S = 'B' WHERE K = :p0_0 ;  C = C + ROW_COUNT;  N = N || C || ',';
//   IF (Q > 1) THEN BEGIN  C = 0;  ...  END                       (a guarded group)
//   SUSPEND;
//   END
//
// Counting the rows makes the block a selectable one, which costs the server noticeably more per request; a
// block whose caller knows what its statements do (INSERT ... VALUES stores one row each) leaves the count
// out: "EXECUTE BLOCK (...) AS BEGIN INSERT ... ; INSERT ... ; END".
//
// Every limit the engine sets on one request is checked here, as the group is taken: a group that would pass
// one is refused and goes into the next block.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fb_api.h"

namespace zr::db::firebird {

// The engine's limits on one request. Firebird 3.0 (3.0.11), embedded and through the server alike, was
// measured preparing blocks at each limit and one step past it:
//   - statement text: 10,485,760 bytes ("SQL statement is too long. Maximum size is 10485760 bytes.");
//   - contexts: 256 ("Too many Contexts of Relation/Procedure/Views. Maximum allowed is 256");
//   - inputs: 32,767 ("Maximum number of parameters: 32767");
//   - the request's own memory, 10 MB, which holds the input message and about 96 bytes more per input:
//     326 inputs VARCHAR(8000) CHARACTER SET UTF8 fit, 327 fail ("request size limit exceeded"), as 9,567
//     inputs CHAR(1000) fit and 9,568 fail. The input message has no smaller limit of its own.
// The text and the inputs are counted exactly; the request's memory is estimated from the inputs, leaving
// room for the statements' own.
inline constexpr size_t kMaxBlockText = 10485760;
inline constexpr int kMaxBlockContexts = 256;
inline constexpr int kMaxBlockInputs = 32767;
inline constexpr size_t kMaxBlockInputBytes = 10485760 - 524288;
inline constexpr size_t kBytesPerBlockInput =
    104;  // beyond the input's value: length, null flag, the engine's own
// The counts' text: at most 20 digits and a comma per group.
inline constexpr unsigned kCountsLength = 8000;

// The contexts one copy of `sql` takes inside a block, as measured: one for INSERT ... VALUES, DELETE and
// EXECUTE PROCEDURE, two for UPDATE (of a table or a view), one more for each table a subquery reads. The
// tables of a subquery are not counted from the text: each SELECT is taken to read four. A statement that
// takes more (a join of many tables) makes the engine refuse the block, and its statements run without one.
int ContextsOf(std::string_view sql);

// The statement with its "?" markers (outside literals, quoted names and comments) replaced by
// ":p<element>_<n>", n counting from 0; comments and a trailing ";" are dropped.
std::string NameMarkers(std::string_view sql, int element);

// An input of a block: its declaration as PSQL writes it ("VARCHAR(20) CHARACTER SET UTF8",
// "NUMERIC(18, 4)"...) and the bytes its value takes in the input message.
struct BlockInput {
  std::string Declaration;
  unsigned Bytes = 0;
};

// The input for the input `index` of `metadata`, declared as described; nothing when the type cannot be
// declared (an untyped NULL marker, arrays).
std::optional<BlockInput> DeclaredInput(Firebird::IMessageMetadata* metadata, unsigned index);
// The inputs for every input of `metadata`, in order; nothing when one of them cannot be declared.
std::optional<std::vector<BlockInput>> DeclaredInputs(Firebird::IMessageMetadata* metadata);

// True when the word SELECT occurs in `sql` outside literals, quoted names and comments.
bool HasSelect(std::string_view sql);

class BlockWriter {
 public:
  // A counted block returns each group's rows affected (ReadCounts); an uncounted one returns nothing.
  explicit BlockWriter(bool counted) : counted_(counted) {}

  struct Group {
    std::vector<std::pair<std::string, BlockInput>> Inputs;  // by name, as the statements name them
    std::vector<std::string> Statements;                     // each without its closing ";"
    int Contexts = 0;                                        // of all its statements
    std::string Guard;  // the condition that runs the group; none: always
  };
  // Takes `group` when the block stays within every limit of the engine; false leaves the block as it was.
  bool Add(const Group& group);
  int Groups() const noexcept { return groups_; }
  std::string Text() const;

 private:
  size_t Length(size_t declarations, size_t body) const;

  bool counted_;
  std::string declarations_;  // "name type = ?, ..."
  std::string body_;
  int groups_ = 0;
  int contexts_ = 0;
  int inputs_ = 0;
  size_t inputBytes_ = 0;
};

// The counts in a counted block's output row `buffer` described by `output`; EDatabaseError unless there is
// one per group (`expected`).
std::vector<int64_t> ReadCounts(Firebird::IMessageMetadata* output, const std::vector<int64_t>& buffer,
                                int expected);

}  // namespace zr::db::firebird
