#pragma once
// The count of a statement that waits in its connection's write-behind queue (db/row_count.h reads it).

#include <cstdint>

namespace zr::db::detail {

class WriteQueue;

// One queued statement's count. `Queue` is cleared once the value is known (sent, or dropped unsent: 0).
struct RowCountCell {
  int64_t Value = 0;
  bool Known = false;
  WriteQueue* Queue = nullptr;
};

}  // namespace zr::db::detail
