#include "fb_shape_cache.h"

#include "fb_charsets.h"

namespace zr::db::firebird {

MarkerFit MarkersTakeLiterals(const PreparedRequest& shape, const std::vector<std::string>& values) {
  const bool dml = shape.Type == isc_info_sql_stmt_insert || shape.Type == isc_info_sql_stmt_update ||
                   shape.Type == isc_info_sql_stmt_delete;
  Status status;
  if (!dml || shape.Output->getCount(status.get()) != 0) {
    return MarkerFit::Never;
  }
  return TextMarkersTake(shape.Input.get(), values);
}

MarkerFit TextMarkersTake(Firebird::IMessageMetadata* input, const std::vector<std::string>& values,
                          const std::vector<LiteralUse>* uses) {
  Status status;
  if (input->getCount(status.get()) != values.size()) {
    return MarkerFit::Never;
  }
  MarkerFit fit = MarkerFit::Fits;
  for (unsigned i = 0; i < values.size(); ++i) {
    const unsigned type = input->getType(status.get(), i) & ~1u;
    if (type != SQL_TEXT && type != SQL_VARYING) {
      return MarkerFit::Never;
    }
    if (uses != nullptr && (*uses)[i] == LiteralUse::Pattern && type != SQL_VARYING) {
      return MarkerFit::Never;
    }
    const unsigned characters =
        input->getLength(status.get(), i) / BytesPerCharacter(input->getCharSet(status.get(), i));
    if (values[i].size() > characters) {
      fit = MarkerFit::TooShort;
    }
  }
  return fit;
}

bool ShapeCache::Settle(const std::string& text, std::unique_ptr<PreparedRequest>& shape, MarkerFit fit) {
  switch (fit) {
    case MarkerFit::Fits:
      return true;
    case MarkerFit::TooShort:
      Keep(text, std::move(shape), generation_);
      return false;
    case MarkerFit::Never:
      break;
  }
  FreeStatement(shape->Statement);
  shape.reset();
  Refuse(text);
  return false;
}

PreparedBlock* ShapeCache::FindBlock(const std::string& key) {
  for (auto& [k, block] : blocks_) {
    if (k == key) return &block;
  }
  return nullptr;
}

PreparedBlock& ShapeCache::KeepBlock(std::string key, PreparedBlock block) {
  blocks_.emplace_front(std::move(key), std::move(block));
  while (blocks_.size() > kBlockCapacity) {
    FreeStatement(blocks_.back().second.Statement);
    blocks_.pop_back();
  }
  return blocks_.front().second;
}

std::unique_ptr<PreparedRequest> ShapeCache::Take(const std::string& text) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->first == text) {
      std::unique_ptr<PreparedRequest> shape = std::move(it->second);
      entries_.erase(it);
      return shape;
    }
  }
  return nullptr;
}

void ShapeCache::Keep(std::string text, std::unique_ptr<PreparedRequest> shape,
                      uint64_t generation) noexcept {
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

Firebird::IMessageMetadata* ShapeCache::WrittenColumns(const std::string& text) const {
  const auto found = written_.find(text);
  return found == written_.end() ? nullptr : found->second.get();
}

void ShapeCache::RememberWrittenColumns(const std::string& text, Firebird::IMessageMetadata* columns) {
  if (written_.count(text) != 0) return;
  if (written_.size() >= kRefusedCapacity) written_.clear();
  columns->addRef();
  written_.emplace(text, Ref<Firebird::IMessageMetadata>(columns));
}

void ShapeCache::Confirm(const std::string& text) {
  if (confirmed_.size() >= kRefusedCapacity) confirmed_.clear();
  confirmed_.insert(text);
}

void ShapeCache::Clear() noexcept {
  ++generation_;
  for (auto& entry : entries_) {
    FreeStatement(entry.second->Statement);
  }
  entries_.clear();
  for (auto& entry : blocks_) {
    FreeStatement(entry.second.Statement);
  }
  blocks_.clear();
  refused_.clear();
  written_.clear();
  confirmed_.clear();
}

}  // namespace zr::db::firebird
