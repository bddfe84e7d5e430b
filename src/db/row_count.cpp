#include "db/row_count.h"

#include <algorithm>

#include "row_count_cell.h"
#include "write_queue.h"

namespace zr::db {

bool TFDRowCount::Pending() const noexcept { return cell_ && !cell_->Known; }

int64_t TFDRowCount::Value() const {
  if (!cell_) return value_;
  if (!cell_->Known && cell_->Queue != nullptr) cell_->Queue->Flush();
  return cell_->Value;
}

TFDRowCountSum& TFDRowCountSum::operator+=(const TFDRowCount& count) {
  if (!count.Pending()) {
    known_ += count.cell_ ? count.cell_->Value : count.value_;
    return *this;
  }
  pending_.push_back(count.cell_);
  if (pending_.size() >= 1024) Fold();
  return *this;
}

void TFDRowCountSum::Fold() const noexcept {
  auto known =
      std::stable_partition(pending_.begin(), pending_.end(), [](const auto& cell) { return !cell->Known; });
  for (auto it = known; it != pending_.end(); ++it) known_ += (*it)->Value;
  pending_.erase(known, pending_.end());
}

int64_t TFDRowCountSum::Value() const {
  for (const auto& cell : pending_) {
    if (!cell->Known && cell->Queue != nullptr) cell->Queue->Flush();
  }
  Fold();
  return known_;
}

}  // namespace zr::db
