#pragma once
// The literal shapes of one attachment (fb_literal_shape.h), in one owner:
//   - the shapes' prepared requests, lent to one statement or batch at a time (a ShapeLoan) and kept at home
//     between uses, so that the statements of one shape compile once;
//   - what is known of each shape: the server refused it (it is not tried again); for a SELECT, the result
//     columns of its first statement run as written, and whether the shape's request describes the same;
//   - the batch blocks built on shapes (fb_shaped_batch.h), prepared once and run by every batch of a key.
// All of it lasts one unit of work: the session clears it at every transaction's start and end (retaining or
// not), and a statement clears it after DDL, so that each transaction compiles its statements again and sees
// the triggers and metadata other attachments changed in between. A request lent before a clear is freed when
// it comes back, never kept again.
//
// How much is kept: kRequests requests at home and kBlocks blocks, the least recently kept giving way (and
// freed) first; facts about at most kFacts shapes and block keys, all forgotten when one more comes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "common/recent_list.h"
#include "fb_api.h"
#include "fb_literal_shape.h"
#include "fb_prepared.h"
#include "fb_shape_fit.h"

namespace zr::db::firebird {

// A statement's (or batch's) use of its shape's request. Lent: the holder runs the request. Home: the request
// went back to be kept for other statements of the shape (a SELECT between runs, its cursor closed), and the
// loan remembers what a request lent again must match. A loan dropped while lent frees its request.
class ShapeLoan {
 public:
  enum class State { Lent, Home };

  ShapeLoan(ShapeLoan&& other) noexcept = default;
  ShapeLoan& operator=(ShapeLoan&& other) noexcept;
  ~ShapeLoan() { Free(); }

  State Where() const noexcept { return request_ ? State::Lent : State::Home; }
  // The statement's shape: the text the request was prepared from, the literals its markers carry.
  const LiteralShape& Shape() const noexcept { return shape_; }
  // The request; only while lent.
  PreparedRequest& Request() noexcept { return *request_; }

 private:
  friend class ShapeRequests;
  ShapeLoan(LiteralShape shape, std::unique_ptr<PreparedRequest> request, uint64_t generation) noexcept
      : shape_(std::move(shape)), request_(std::move(request)), generation_(generation) {}
  void Free() noexcept;

  LiteralShape shape_;
  std::unique_ptr<PreparedRequest> request_;  // nullptr at home
  // A SELECT's result columns as its statement described them: a request lent again must describe the same.
  Ref<Firebird::IMessageMetadata> columns_;
  uint64_t generation_ = 0;  // the owner's generation when it was lent
};

class ShapeRequests {
 public:
  static constexpr size_t kRequests = 32;
  static constexpr size_t kBlocks = 16;
  static constexpr size_t kFacts = 256;

  // Prepares a shape's or a block's text: nothing when the server refuses it. A cut link or a time-out throws,
  // since the statements as written would fail the same way (Session::ShapePreparer).
  using Prepare = std::function<std::optional<PreparedRequest>(const std::string& sql)>;
  // What a request in hand means for the statements it is to carry.
  using Fit = std::function<MarkerFit(const PreparedRequest&)>;

  ShapeRequests() = default;
  ShapeRequests(const ShapeRequests&) = delete;
  ShapeRequests& operator=(const ShapeRequests&) = delete;
  ~ShapeRequests() { Clear(); }

  // Whether statements run as their shapes: INSERT, UPDATE and DELETE (`dml`), SELECT (`select`); both are
  // on unless the connection's entries switch them off. Off, LendDml or LendSelect lends nothing.
  void Enable(bool dml, bool select) noexcept {
    dml_ = dml;
    select_ = select;
  }

  // For an INSERT, UPDATE or DELETE of `shape`: its shape's request, when its markers take the literals
  // (MarkersTakeLiterals). Nothing, and the statement runs as written, when they do not, the server refused
  // the shape, or DML shapes are off.
  std::optional<ShapeLoan> LendDml(const LiteralShape& shape, const Prepare& prepare);
  // For a SELECT of `shape`: its shape's request, once a statement of the shape ran as written (RanAsWritten)
  // and the request describes the same result columns, when its markers take the literals
  // (SelectMarkersTakeLiterals). Nothing otherwise, and the statement runs as written.
  std::optional<ShapeLoan> LendSelect(const LiteralShape& shape, const Prepare& prepare);
  // A SELECT of the shape `text` ran as written with the result `columns`: the first one sets the columns
  // that the shape's request must describe.
  void RanAsWritten(const std::string& text, Firebird::IMessageMetadata* columns);
  // A loan of LendDml or LendSelect at home lent again, its request taking the same literals (and describing
  // the same columns) as before. False when no request serves now (the shape was refused meanwhile, or its
  // request describes other columns): the loan stays at home.
  bool LendAgain(ShapeLoan& loan, const Prepare& prepare);
  // The loan's request back home, the most recently kept; freed instead when it was lent before the last
  // Clear. The loan is at home afterwards.
  void GiveBack(ShapeLoan& loan) noexcept;

  // For a batch of statements of the shape `text`: its request, when `fits` finds that it serves. Fits: lent.
  // TooShort: kept at home, nothing lent. Never: freed, and the shape refused. Nothing as well when the shape
  // was refused before, or the server refuses to prepare it (refused from now on).
  std::optional<ShapeLoan> Lend(const std::string& text, const Fit& fits, const Prepare& prepare);

  // Refusals, of shapes and of block keys: each is tried once per unit of work.
  bool Refused(const std::string& key) const;
  void Refuse(const std::string& key);
  // `sql` prepared for `key`; nothing when the server refuses it, and `key` is refused from now on.
  std::optional<PreparedRequest> PrepareOrRefuse(const std::string& key, const std::string& sql,
                                                 const Prepare& prepare);

  // Batch blocks by key (their slot count, shape and input declarations), prepared once and run by every
  // batch of that key. A block found stays kept; keeping one beyond kBlocks frees the least recently kept.
  PreparedBlock* FindBlock(const std::string& key) { return blocks_.Find(key); }
  PreparedBlock& KeepBlock(std::string key, PreparedBlock block);

  // Frees every request at home and every block, forgets every fact, and starts a new generation: a request
  // lent now is freed when it comes back.
  void Clear() noexcept;

 private:
  struct Facts {
    bool Refused = false;
    Ref<Firebird::IMessageMetadata> WrittenColumns;  // SELECT: of its first statement run as written
    bool Confirmed = false;                          // SELECT: its request describes those columns
  };

  std::unique_ptr<PreparedRequest> TakeRequest(const std::string& text, const Fit& fits, const Prepare& prepare);
  void KeepAtHome(const std::string& text, std::unique_ptr<PreparedRequest> request) noexcept;
  const Facts* Known(const std::string& key) const;
  Facts& Learn(const std::string& key);

  bool dml_ = true;
  bool select_ = true;
  common::RecentList<std::unique_ptr<PreparedRequest>> home_{kRequests};
  common::RecentList<PreparedBlock> blocks_{kBlocks};
  std::unordered_map<std::string, Facts> facts_;
  uint64_t generation_ = 0;
};

}  // namespace zr::db::firebird
