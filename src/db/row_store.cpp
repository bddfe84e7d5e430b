#include "db/row_store.h"

#include <cstring>
#include <type_traits>

namespace zr::db::detail {

namespace {

template <typename T>
void Put(std::vector<unsigned char>& out, const T& value) {
  const size_t at = out.size();
  out.resize(at + sizeof(T));
  std::memcpy(out.data() + at, &value, sizeof(T));
}

template <typename T>
T Take(const unsigned char*& at) {
  T value;
  std::memcpy(&value, at, sizeof(T));
  at += sizeof(T);
  return value;
}

void PutBytes(std::vector<unsigned char>& out, const void* data, size_t size) {
  Put<uint32_t>(out, static_cast<uint32_t>(size));
  const size_t at = out.size();
  out.resize(at + size);
  if (size > 0) std::memcpy(out.data() + at, data, size);
}

void Encode(const std::vector<TFDValue>& row, std::vector<unsigned char>& out) {
  Put<uint32_t>(out, static_cast<uint32_t>(row.size()));
  for (const TFDValue& value : row) {
    out.push_back(static_cast<unsigned char>(value.index()));
    std::visit(
        [&](const auto& v) {
          using T = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<T, std::monostate>) {
          } else if constexpr (std::is_same_v<T, bool>) {
            out.push_back(v ? 1 : 0);
          } else if constexpr (std::is_same_v<T, int64_t> || std::is_same_v<T, double>) {
            Put(out, v);
          } else if constexpr (std::is_same_v<T, std::string>) {
            PutBytes(out, v.data(), v.size());
          } else if constexpr (std::is_same_v<T, TFDBcd>) {
            Put(out, v.Unscaled);
            Put<int32_t>(out, v.Scale);
          } else if constexpr (std::is_same_v<T, TFDTimeStamp>) {
            Put(out, v.Value);
          } else {
            PutBytes(out, v.Data.data(), v.Data.size());
          }
        },
        value);
  }
}

}  // namespace

void RowStore::Clear() noexcept {
  blocks_.clear();
  rows_.clear();
}

void RowStore::Push(const std::vector<TFDValue>& row) {
  thread_local std::vector<unsigned char> encoded;
  encoded.clear();
  Encode(row, encoded);
  if (blocks_.empty() || blocks_.back()->size() + encoded.size() > blocks_.back()->capacity()) {
    auto block = std::make_unique<std::vector<unsigned char>>();
    block->reserve(std::max(kBlockSize, encoded.size()));
    blocks_.push_back(std::move(block));
  }
  std::vector<unsigned char>& block = *blocks_.back();
  rows_.push_back({static_cast<uint32_t>(blocks_.size() - 1), static_cast<uint32_t>(block.size())});
  block.insert(block.end(), encoded.begin(), encoded.end());
}

void RowStore::Read(size_t index, std::vector<TFDValue>& row) const {
  const Place place = rows_.at(index);
  const unsigned char* at = blocks_[place.Block]->data() + place.Offset;
  const uint32_t width = Take<uint32_t>(at);
  row.resize(width);
  for (uint32_t i = 0; i < width; ++i) {
    switch (*at++) {
      case 0:
        row[i] = std::monostate{};
        break;
      case 1:
        row[i] = *at++ != 0;
        break;
      case 2:
        row[i] = Take<int64_t>(at);
        break;
      case 3:
        row[i] = Take<double>(at);
        break;
      case 4: {
        const uint32_t size = Take<uint32_t>(at);
        row[i] = std::string(reinterpret_cast<const char*>(at), size);
        at += size;
        break;
      }
      case 5: {
        TFDBcd bcd;
        bcd.Unscaled = Take<int64_t>(at);
        bcd.Scale = Take<int32_t>(at);
        row[i] = bcd;
        break;
      }
      case 6:
        row[i] = TFDTimeStamp{Take<double>(at)};
        break;
      default: {
        const uint32_t size = Take<uint32_t>(at);
        row[i] = TFDBytes{std::vector<unsigned char>(at, at + size)};
        at += size;
        break;
      }
    }
  }
}

}  // namespace zr::db::detail
