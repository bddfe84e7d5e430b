#include "text_ops.h"

#include <cstring>

namespace zr::sqlt::text {

bool EqualsCI(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

namespace {

bool HasLetter(std::string_view s) {
  for (char c : s) {
    if (Upper(c) != c || (c >= 'A' && c <= 'Z')) return true;
  }
  return false;
}

// How often a character stands in SQL text, roughly (0 rare, 9 everywhere).
int Frequency(char c) {
  switch (c) {
    case ' ':
      return 9;
    case 'E':
    case 'A':
    case 'O':
    case 'T':
    case 'R':
    case 'I':
    case 'N':
    case 'S':
    case 'C':
      return 8;
    case ',':
    case 'D':
    case 'L':
    case 'M':
    case 'P':
    case 'U':
    case 'F':
      return 6;
    case '.':
      return 5;
    case 'H':
    case 'G':
    case 'B':
    case 'Y':
    case 'V':
      return 3;
    case '(':
    case ')':
    case '\'':
    case '=':
      return 3;
    case 'K':
    case 'W':
    case 'X':
    case 'Q':
    case 'J':
    case 'Z':
      return 1;
    default:
      return (c >= '0' && c <= '9') ? 4 : 2;
  }
}

std::size_t AnchorIndex(std::string_view upperNeedle) {
  std::size_t best = 0;
  for (std::size_t i = 1; i < upperNeedle.size(); ++i) {
    if (Frequency(upperNeedle[i]) < Frequency(upperNeedle[best])) best = i;
  }
  return best;
}

bool MatchesAt(std::string_view hay, std::size_t at, std::string_view upperNeedle) {
  for (std::size_t k = 0; k < upperNeedle.size(); ++k) {
    if (Upper(hay[at + k]) != upperNeedle[k]) return false;
  }
  return true;
}

}  // namespace

std::size_t FindCI(std::string_view hay, std::string_view needle, std::size_t from) {
  if (needle.empty()) return from <= hay.size() ? from : npos;
  if (from >= hay.size() || hay.size() - from < needle.size()) return npos;
  if (!HasLetter(needle)) return hay.find(needle, from);
  const std::string upper = UpperAscii(needle);
  // Candidates are found by the needle's least frequent character in SQL text (the anchor),
  // looked for in both cases a window at a time, so that a case that does not occur costs one
  // window, not the rest of the text, per call.
  const std::size_t k = AnchorIndex(upper);
  const char anchor = upper[k];
  const char anchorLower = (anchor >= 'A' && anchor <= 'Z') ? static_cast<char>(anchor - 'A' + 'a') : anchor;
  const char* const begin = hay.data();
  const char* const stop = begin + (hay.size() - needle.size()) + 1 + k;  // last anchor + 1
  constexpr std::size_t kWindow = 128;
  const auto next = [](const char* at, const char* end, char c) {
    return at < end ? static_cast<const char*>(std::memchr(at, c, static_cast<std::size_t>(end - at)))
                    : nullptr;
  };
  for (const char* window = begin + from + k; window < stop; window += kWindow) {
    const char* const end = stop - window > static_cast<std::ptrdiff_t>(kWindow) ? window + kWindow : stop;
    const char* upperHit = next(window, end, anchor);
    const char* lowerHit = anchorLower != anchor ? next(window, end, anchorLower) : nullptr;
    while (upperHit != nullptr || lowerHit != nullptr) {
      const char* hit =
          upperHit == nullptr ? lowerHit : (lowerHit == nullptr || upperHit < lowerHit ? upperHit : lowerHit);
      const std::size_t i = static_cast<std::size_t>(hit - begin) - k;
      if (MatchesAt(hay, i, upper)) return i;
      if (hit == upperHit) upperHit = next(hit + 1, end, anchor);
      if (hit == lowerHit) lowerHit = next(hit + 1, end, anchorLower);
    }
  }
  return npos;
}

bool ReplaceAllCI(std::string& s, std::string_view from, std::string_view to,
                  std::string_view unlessFollowedBy) {
  if (from.empty()) return false;
  std::size_t pos = FindCI(s, from);
  if (pos == npos) return false;
  std::string out;
  out.reserve(s.size());
  std::size_t copied = 0;
  bool replaced = false;
  while (pos != npos) {
    const std::size_t after = pos + from.size();
    const bool guarded =
        !unlessFollowedBy.empty() &&
        EqualsCI(std::string_view(s).substr(after, unlessFollowedBy.size()), unlessFollowedBy);
    if (!guarded) {
      out.append(s, copied, pos - copied);
      out += to;
      copied = after;
      replaced = true;
    }
    pos = FindCI(s, from, after);
  }
  if (!replaced) return false;
  out.append(s, copied, std::string::npos);
  s = std::move(out);
  return true;
}

bool ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  if (from.empty()) return false;
  std::size_t pos = s.find(from);
  if (pos == npos) return false;
  std::string out;
  out.reserve(s.size());
  std::size_t copied = 0;
  while (pos != npos) {
    out.append(s, copied, pos - copied);
    out += to;
    copied = pos + from.size();
    pos = s.find(from, copied);
  }
  out.append(s, copied, std::string::npos);
  s = std::move(out);
  return true;
}

}  // namespace zr::sqlt::text
