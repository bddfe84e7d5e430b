#pragma once
// Prepared requests of literal shapes (fb_literal_shape.h), kept per attachment so that statements of one
// shape compile once. A request is lent to one statement or batch at a time and comes back when that one
// lets it go. Shapes the server would not take as parameters are remembered too, so that they are tried once.

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "fb_api.h"
#include "fb_predicate_literals.h"
#include "fb_prepared.h"

namespace zr::db::firebird {

// A shape's request serves a statement only when it is plain DML without results and each marker is text
// long enough for its literal: then the value is compared, stored or matched exactly as the literal would
// have been. A marker of another type would convert the literal by other rules (a date, a number), and a
// shorter one would refuse it.
// Ordered from best to worst, so that the fit of several statements is the worst of theirs.
enum class MarkerFit { Fits, TooShort, Never };
MarkerFit MarkersTakeLiterals(const PreparedRequest& shape, const std::vector<std::string>& values);
// The markers' part of that check, for statements of any kind: one text marker per value, long enough for
// it; a marker whose value is a pattern (`uses`, when given) must be variable-length, since blanks padding a
// fixed-length one would become part of the pattern.
MarkerFit TextMarkersTake(Firebird::IMessageMetadata* input, const std::vector<std::string>& values,
                          const std::vector<LiteralUse>* uses = nullptr);

class ShapeCache {
 public:
  static constexpr size_t kCapacity = 32;
  static constexpr size_t kRefusedCapacity = 256;
  static constexpr size_t kBlockCapacity = 16;

  ShapeCache() = default;
  ShapeCache(const ShapeCache&) = delete;
  ShapeCache& operator=(const ShapeCache&) = delete;
  ~ShapeCache() { Clear(); }

  // The prepared request of `text`, taken out of the cache; nullptr when there is none.
  std::unique_ptr<PreparedRequest> Take(const std::string& text);
  // Puts a request back (the most recently used); the least recently used one beyond the capacity is
  // freed. A request lent out before the last Clear is freed instead: the metadata may have changed.
  void Keep(std::string text, std::unique_ptr<PreparedRequest> shape, uint64_t generation) noexcept;
  // What `fit` means for a request of `text` in hand: true when it serves (the caller keeps it). A shape that
  // can never serve is freed and refused; one that is only too short for these literals is kept.
  bool Settle(const std::string& text, std::unique_ptr<PreparedRequest>& shape, MarkerFit fit);
  // Counts Clear calls: what a statement took under an older generation is not kept again.
  uint64_t Generation() const noexcept { return generation_; }

  bool Refused(const std::string& text) const { return refused_.count(text) != 0; }
  void Refuse(const std::string& text);

  // SELECT shapes (fb_select_shape.h): the result columns of the first statement of a shape, which ran as
  // written (nullptr when none ran yet), and the shapes whose request was found to describe those columns.
  Firebird::IMessageMetadata* WrittenColumns(const std::string& text) const;
  void RememberWrittenColumns(const std::string& text, Firebird::IMessageMetadata* columns);
  bool Confirmed(const std::string& text) const { return confirmed_.count(text) != 0; }
  void Confirm(const std::string& text);

  // Batch blocks by key (their slot count, shape and input declarations), prepared once and run by every
  // batch of that key. Keeping one beyond kBlockCapacity frees the least recently kept; Clear frees them all.
  PreparedBlock* FindBlock(const std::string& key);
  PreparedBlock& KeepBlock(std::string key, PreparedBlock block);

  // Frees every kept request (metadata changes, a closing attachment).
  void Clear() noexcept;

 private:
  std::list<std::pair<std::string, std::unique_ptr<PreparedRequest>>> entries_;  // most recent first
  std::unordered_set<std::string> refused_;
  std::unordered_map<std::string, Ref<Firebird::IMessageMetadata>> written_;
  std::unordered_set<std::string> confirmed_;
  std::list<std::pair<std::string, PreparedBlock>> blocks_;  // most recently kept first
  uint64_t generation_ = 0;
};

}  // namespace zr::db::firebird
