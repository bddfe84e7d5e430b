// SUBSTRING(x FROM a FOR b)  ->  SUBSTR(x,a,b)
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "sqltranslate/passes.h"
#include "text_ops.h"

namespace zr::sqlt {

namespace {

// Index of the ")" that brings the depth, 1 at `from`, to 0; npos when none does.
std::size_t ClosingParen(std::string_view s, std::size_t from) {
  long depth = 1;
  for (std::size_t i = from; i < s.size(); ++i) {
    if (s[i] == '(') {
      ++depth;
    } else if (s[i] == ')' && --depth == 0) {
      return i;
    }
  }
  return text::npos;
}

// The parenthesis level before every index of the text ("(" less ")" before it) and the lowest
// level from every index on: whether a parenthesis opened before an index is ever closed is then
// known at once, so a text full of calls never closed is not scanned to its end once per call.
class ParenLevels {
 public:
  explicit ParenLevels(std::string_view s) : level_(s.size() + 1), lowest_(s.size() + 1) {
    std::int64_t l = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
      level_[i] = l;
      l += Step(s[i]);
    }
    level_[s.size()] = l;
    lowest_[s.size()] = l;
    for (std::size_t i = s.size(); i-- > 0;) lowest_[i] = std::min(level_[i], lowest_[i + 1]);
  }

  // True when the parenthesis open at `from` (depth 1 there) is closed somewhere after it.
  bool Closes(std::size_t from) const { return from + 1 < level_.size() && lowest_[from + 1] < level_[from]; }

  // s[begin, end] was rewritten keeping its parentheses and their order, so the levels after
  // `end` stay; `levelAtBegin` is the level where the rewritten piece used to start.
  void Rewritten(std::string_view s, std::size_t begin, std::size_t end, std::int64_t levelAtBegin) {
    std::int64_t l = levelAtBegin;
    for (std::size_t i = begin; i <= end; ++i) {
      level_[i] = l;
      l += Step(s[i]);
    }
    for (std::size_t i = end + 1; i-- > begin;) lowest_[i] = std::min(level_[i], lowest_[i + 1]);
  }

  std::int64_t Level(std::size_t i) const { return level_[i]; }

 private:
  static int Step(char c) { return c == '(' ? 1 : c == ')' ? -1 : 0; }

  std::vector<std::int64_t> level_;
  std::vector<std::int64_t> lowest_;
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
// 12 characters shorter than the call it replaces, so it is written in place over the call's
// tail and the text after it is never copied again.
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
    if (!levels->Closes(lengthStart)) {  // never closed: left as written
      from = sourceStart;
      continue;
    }
    const std::size_t e = ClosingParen(buf, lengthStart);
    std::string call;
    call.reserve(e + 1 - p);
    call += "SUBSTR";
    call.append(buf, sourceStart, f - sourceStart);
    call += ',';
    call.append(buf, startStart, g - startStart);
    call += ',';
    call.append(buf, lengthStart, e + 1 - lengthStart);
    out.append(buf, flushed, p - flushed);
    const std::size_t newStart = e + 1 - call.size();
    buf.replace(newStart, call.size(), call);
    levels->Rewritten(buf, newStart, e, levels->Level(p));
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
