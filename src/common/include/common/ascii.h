#pragma once
// ASCII text helpers shared by every layer. Only the letters a to z and A to Z change case; every other byte,
// UTF-8 bytes of accented letters included, is left as it is. Trimming removes blanks and control characters,
// that is every byte up to the blank (0x00 to 0x20), from both ends.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zr::common {

constexpr char UpperChar(char c) noexcept {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// A blank or a control character: a byte that trimming removes.
constexpr bool IsBlankOrControl(char c) noexcept { return static_cast<unsigned char>(c) <= 0x20; }

inline std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperChar(c);
  return out;
}

// True when `a` and `b` are equal once ASCII letters are upper-cased.
constexpr bool SameTextAscii(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  }
  return true;
}

constexpr std::string_view TrimLeftBlanks(std::string_view text) noexcept {
  std::size_t i = 0;
  while (i < text.size() && IsBlankOrControl(text[i])) ++i;
  return text.substr(i);
}

constexpr std::string_view TrimBlanks(std::string_view text) noexcept {
  text = TrimLeftBlanks(text);
  std::size_t n = text.size();
  while (n > 0 && IsBlankOrControl(text[n - 1])) --n;
  return text.substr(0, n);
}

// A quoted literal: `value` in single quotes, every inner single quote doubled.
inline std::string QuotedStr(std::string_view value) {
  std::string out;
  out.reserve(value.size() + 2);
  out += '\'';
  for (char c : value) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

// Replaces `lines` by the lines of `text`, split at CR LF, a lone CR or a lone LF; a final line break adds
// no empty line, and an empty text has no line. Joining the lines back, each followed by CR LF, gives the
// text as a list of lines reads it. The vector keeps its capacity, so a list that is rewritten often does not
// allocate it again.
inline void SplitLines(std::string_view text, std::vector<std::string>& lines) {
  lines.clear();
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
}

inline std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  SplitLines(text, lines);
  return lines;
}

// The words of `text`: the runs of bytes between blanks and control characters, each byte of `singles` a word
// of its own wherever it stands. Words("T INDEX (A,B)", "(),") == {"T", "INDEX", "(", "A", ",", "B", ")"}.
inline std::vector<std::string> Words(std::string_view text, std::string_view singles = {}) {
  std::vector<std::string> words;
  const auto single = [&](char c) { return singles.find(c) != std::string_view::npos; };
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsBlankOrControl(text[i])) {
      ++i;
    } else if (single(text[i])) {
      words.emplace_back(1, text[i++]);
    } else {
      std::size_t end = i;
      while (end < text.size() && !IsBlankOrControl(text[end]) && !single(text[end])) ++end;
      words.emplace_back(text.substr(i, end - i));
      i = end;
    }
  }
  return words;
}

}  // namespace zr::common
