// SUBSTRING(x FROM a FOR b)  ->  SUBSTR(x,a,b)
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "sqltranslate/passes.h"
#include "text_ops.h"

namespace zr::sqlt {

namespace {

// The parenthesis level before every index of the text ("(" less ")" before it) and, for every
// index, the next index where the level is lower. The level moves by one at a time, so the
// ")" that closes a parenthesis is found in at most two steps along these links: a text full of
// calls never closed, or of calls nested in one another, is not read to its end once per call.
class ParenLevels {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  explicit ParenLevels(std::string_view s) : level_(s.size() + 1), lower_(s.size() + 1, kNone) {
    std::int64_t l = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
      level_[i] = l;
      l += Step(s[i]);
    }
    level_[s.size()] = l;
    Link(0, s.size());
  }

  // Index of the ")" that closes the parenthesis open at `from` (depth 1 there); npos when none.
  std::size_t Closing(std::size_t from) const {
    const std::int64_t open = level_[from];
    std::size_t k = from + 1;
    while (k < level_.size() && level_[k] >= open) k = lower_[k];
    return k < level_.size() ? k - 1 : text::npos;
  }

  // s[begin, end) was rewritten keeping its parentheses and their order, and what follows it
  // kept its place; `levelAtBegin` is the level where the rewritten piece starts.
  void Rewritten(std::string_view s, std::size_t begin, std::size_t end, std::int64_t levelAtBegin) {
    std::int64_t l = levelAtBegin;
    for (std::size_t i = begin; i < end; ++i) {
      level_[i] = l;
      l += Step(s[i]);
    }
    Link(begin, end);
  }

  std::int64_t Level(std::size_t i) const { return level_[i]; }

 private:
  static int Step(char c) { return c == '(' ? 1 : c == ')' ? -1 : 0; }

  // The links of [begin, end), from right to left; the links from `end` on are up to date.
  void Link(std::size_t begin, std::size_t end) {
    for (std::size_t i = end; i-- > begin;) {
      std::size_t k = i + 1;
      while (k < level_.size() && level_[k] >= level_[i]) k = lower_[k];
      lower_[i] = k < level_.size() ? k : kNone;
    }
  }

  std::vector<std::int64_t> level_;
  std::vector<std::size_t> lower_;
};

// The first occurrence of a keyword at or after a position, remembered while the text does not
// change: it answers every later search that starts before it.
class KeywordSearch {
 public:
  explicit KeywordSearch(std::string_view keyword) : keyword_(keyword) {}
  std::size_t From(std::string_view s, std::size_t from) {
    if (valid_ && from >= from_ && (at_ == text::npos || from <= at_)) return at_;
    valid_ = true;
    from_ = from;
    at_ = text::FindCI(s, keyword_, from);
    return at_;
  }
  void Forget() { valid_ = false; }

 private:
  std::string_view keyword_;
  bool valid_ = false;
  std::size_t from_ = 0;
  std::size_t at_ = text::npos;
};

}  // namespace

// Each rewrite only touches the text from the keyword on, and nothing before it can come to
// spell SUBSTRING, so the search goes on from where the last rewrite began (a nested call or
// "SUBSTR" + "ING..." is found there) instead of from the start of the text. A rewritten call is
// 12 characters shorter than the call it replaces and ends where it did: it is written in place
// over the call's tail, its length argument already standing where it belongs, so neither the
// length nor the text after the call is copied again.
std::string ConverteSubstring(std::string_view input) {
  std::string buf(input);
  std::string out;
  std::size_t flushed = 0;  // buf[0, flushed) is already in out
  std::size_t from = 0;
  KeywordSearch fromKeyword(" FROM "), forKeyword(" FOR ");
  std::optional<ParenLevels> levels;  // built when a first call reaches its length
  while (true) {
    const std::size_t p = text::FindCI(buf, "SUBSTRING", from);
    if (p == text::npos) break;
    const std::size_t sourceStart = p + 9;
    const std::size_t f = fromKeyword.From(buf, sourceStart);
    // Without " FROM " (or " FOR " after it) here, no later occurrence has one either.
    if (f == text::npos) break;
    const std::size_t startStart = f + 6;
    const std::size_t g = forKeyword.From(buf, startStart);
    if (g == text::npos) break;
    const std::size_t lengthStart = g + 5;
    if (!levels) levels.emplace(buf);
    const std::size_t e = levels->Closing(lengthStart);
    if (e == text::npos) {  // never closed: left as written
      from = sourceStart;
      continue;
    }
    // SUBSTR, the source, ",", the start, "," right before the length, moved right as one.
    const std::size_t sourceLength = f - sourceStart;
    const std::size_t startLength = g - startStart;
    const std::size_t newStart = p + 12;
    char* const b = buf.data();
    std::memmove(b + lengthStart - 1 - startLength, b + startStart, startLength);
    std::memmove(b + newStart + 6, b + sourceStart, sourceLength);
    std::memcpy(b + newStart, "SUBSTR", 6);
    b[newStart + 6 + sourceLength] = ',';
    b[lengthStart - 1] = ',';
    out.append(buf, flushed, p - flushed);
    levels->Rewritten(buf, newStart, lengthStart, levels->Level(p));
    fromKeyword.Forget();
    forKeyword.Forget();
    flushed = newStart;
    from = newStart;
  }
  if (flushed == 0) return buf;
  out.append(buf, flushed, std::string::npos);
  return out;
}

}  // namespace zr::sqlt
