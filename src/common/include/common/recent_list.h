#pragma once
// Things kept by a text key for their next use, the most recently kept first: at most a capacity of them, the
// least recently kept giving way. Taking one hands it over to the caller (it is lent, and kept again when the
// caller is done with it); finding one leaves it in place. What gives way is handed back to the caller, which
// frees what needs freeing (a prepared request on the server, say).

#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zr::common {

template <typename Value>
class RecentList {
 public:
  explicit RecentList(std::size_t capacity) : capacity_(capacity) {}

  // The value kept for `key`, taken out of the list; nothing when there is none.
  std::optional<Value> Take(const std::string& key) {
    for (auto it = items_.begin(); it != items_.end(); ++it) {
      if (it->first == key) {
        std::optional<Value> value(std::move(it->second));
        items_.erase(it);
        return value;
      }
    }
    return std::nullopt;
  }

  // The value kept for `key`, left in the list where it is; nullptr when there is none.
  Value* Find(const std::string& key) {
    for (auto& [k, value] : items_) {
      if (k == key) return &value;
    }
    return nullptr;
  }

  // Keeps `value` for `key` as the most recent; the least recently kept beyond the capacity come back, the
  // oldest last. A key kept twice is kept twice: callers take a key out before keeping it again.
  std::vector<Value> Keep(std::string key, Value value) {
    items_.emplace_front(std::move(key), std::move(value));
    std::vector<Value> dropped;
    while (items_.size() > capacity_) {
      dropped.push_back(std::move(items_.back().second));
      items_.pop_back();
    }
    return dropped;
  }

  // The value kept last, as Keep left it.
  Value& Newest() { return items_.front().second; }

  // Empties the list, handing every value back, the most recent first.
  std::vector<Value> TakeAll() {
    std::vector<Value> all;
    all.reserve(items_.size());
    for (auto& item : items_) all.push_back(std::move(item.second));
    items_.clear();
    return all;
  }

  std::size_t Size() const noexcept { return items_.size(); }
  std::size_t Capacity() const noexcept { return capacity_; }

 private:
  std::size_t capacity_;
  std::list<std::pair<std::string, Value>> items_;
};

}  // namespace zr::common
