#pragma once
// Rows affected by a statement that may still wait in its connection's write-behind queue. Reading the value
// of a count that is still pending sends the queue first (and so may raise the error of a queued
// statement); adding pending counts together sends nothing.

#include <cstdint>
#include <memory>
#include <vector>

namespace zr::db {

namespace detail {
struct RowCountCell;  // one queued statement's count, filled in when its queue is sent
}  // namespace detail

class TFDRowCount {
 public:
  TFDRowCount(int64_t value = 0) noexcept : value_(value) {}  // NOLINT: a known count reads as a number
  explicit TFDRowCount(std::shared_ptr<detail::RowCountCell> cell) noexcept : cell_(std::move(cell)) {}

  bool Pending() const noexcept;
  // The count; a pending one sends its connection's queue first.
  int64_t Value() const;
  operator int64_t() const { return Value(); }  // NOLINT: read where a number is expected

 private:
  friend class TFDRowCountSum;
  std::shared_ptr<detail::RowCountCell> cell_;
  int64_t value_ = 0;
};

// A running total of counts that leaves pending ones pending until the total is read.
class TFDRowCountSum {
 public:
  TFDRowCountSum(int64_t value = 0) noexcept : known_(value) {}  // NOLINT: starts from a number
  TFDRowCountSum& operator+=(const TFDRowCount& count);
  TFDRowCountSum& operator+=(int64_t value) noexcept {
    known_ += value;
    return *this;
  }
  int64_t Value() const;
  operator int64_t() const { return Value(); }  // NOLINT: read where a number is expected

 private:
  void Fold() const noexcept;
  mutable int64_t known_ = 0;
  mutable std::vector<std::shared_ptr<detail::RowCountCell>> pending_;
};

}  // namespace zr::db
