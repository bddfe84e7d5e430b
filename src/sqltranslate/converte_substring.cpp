// SUBSTRING(x FROM a FOR b)  ->  SUBSTR(x,a,b)
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
  while (true) {
    const std::size_t p = text::FindCI(buf, "SUBSTRING", from);
    if (p == text::npos) break;
    const std::size_t sourceStart = p + 9;
    const std::size_t f = text::FindCI(buf, " FROM ", sourceStart);
    // Without " FROM " (or " FOR " after it) here, no later occurrence has one either.
    if (f == text::npos) break;
    const std::size_t startStart = f + 6;
    const std::size_t g = text::FindCI(buf, " FOR ", startStart);
    if (g == text::npos) break;
    const std::size_t lengthStart = g + 5;
    const std::size_t e = ClosingParen(buf, lengthStart);
    if (e == text::npos) {  // never closed: left as written
      from = sourceStart;
      continue;
    }
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
    flushed = newStart;
    from = newStart;
  }
  if (flushed == 0) return buf;
  out.append(buf, flushed, std::string::npos);
  return out;
}

}  // namespace zr::sqlt
