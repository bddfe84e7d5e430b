#pragma once
// Hashes of text tails for the passes that replace one call at a time over the whole statement:
// the statement is cut into pieces at its ")" characters, a call's text is the tail of one
// piece, and the tails that start at a function name are indexed by hash and length.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "text_ops.h"

namespace zr::sqlt::text {

// Polynomial hashes of ASCII upper-cased text, modulo 2^64: H(x + y) = H(x) * B^|y| + H(y).
// B is odd, so B^-1 exists and a hash can lose its tail as well as gain one.
class Hashing {
 public:
  static constexpr std::uint64_t kBase = 0x100000001b3ULL;

  std::uint64_t Of(std::string_view s) const {
    std::uint64_t h = 0;
    for (char c : s) h = h * kBase + static_cast<unsigned char>(text::Upper(c));
    return h;
  }
  std::uint64_t Pow(std::size_t n) {
    Grow(n);
    return pow_[n];
  }
  std::uint64_t InversePow(std::size_t n) {
    Grow(n);
    return inversePow_[n];
  }

 private:
  void Grow(std::size_t n) {
    if (pow_.empty()) {
      pow_.push_back(1);
      inversePow_.push_back(1);
      inverse_ = kBase;  // Newton's iteration: each step doubles the correct low bits
      for (int i = 0; i < 6; ++i) inverse_ *= 2 - kBase * inverse_;
    }
    while (pow_.size() <= n) {
      pow_.push_back(pow_.back() * kBase);
      inversePow_.push_back(inversePow_.back() * inverse_);
    }
  }
  std::vector<std::uint64_t> pow_, inversePow_;
  std::uint64_t inverse_ = 0;
};

// What an occurrence of a call must equal: the hash and length of the text from a marker to the
// end of its piece.
struct Key {
  std::uint64_t hash;
  std::size_t length;
  bool operator==(const Key& o) const { return hash == o.hash && length == o.length; }
};
struct KeyHash {
  std::size_t operator()(const Key& k) const {
    return static_cast<std::size_t>(k.hash ^ (k.length * 0x9e3779b97f4a7c15ULL));
  }
};

}  // namespace zr::sqlt::text
