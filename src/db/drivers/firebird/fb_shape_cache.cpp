#include "fb_shape_cache.h"

namespace zr::db::firebird {

void FreeStatement(Ref<Firebird::IStatement>& statement) noexcept {
  if (!statement) {
    return;
  }
  try {
    Status status;
    statement.Take([&](Firebird::IStatement* s) { s->free(status.get()); });
  } catch (const Firebird::FbException&) {
    statement.reset();
  }
}

std::unique_ptr<PreparedShape> ShapeCache::Take(const std::string& text) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->first == text) {
      std::unique_ptr<PreparedShape> shape = std::move(it->second);
      entries_.erase(it);
      return shape;
    }
  }
  return nullptr;
}

void ShapeCache::Keep(std::string text, std::unique_ptr<PreparedShape> shape, uint64_t generation) noexcept {
  if (!shape) {
    return;
  }
  if (generation != generation_) {
    FreeStatement(shape->Statement);
    return;
  }
  try {
    entries_.emplace_front(std::move(text), std::move(shape));
  } catch (...) {
    if (shape) FreeStatement(shape->Statement);
    return;
  }
  while (entries_.size() > kCapacity) {
    FreeStatement(entries_.back().second->Statement);
    entries_.pop_back();
  }
}

void ShapeCache::Refuse(const std::string& text) {
  if (refused_.size() >= kRefusedCapacity) refused_.clear();
  refused_.insert(text);
}

void ShapeCache::Clear() noexcept {
  ++generation_;
  for (auto& entry : entries_) {
    FreeStatement(entry.second->Statement);
  }
  entries_.clear();
}

}  // namespace zr::db::firebird
