// Reading and writing UTF-8 byte by byte: which bytes make a character, and what stands for those that do not.
#include "common/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zr::common {
namespace {

TEST(Utf8Test, ACharacterIsReadOnlyWhenItsBytesAreUtf8) {
  struct Case {
    const char* name;
    std::string text;
    char32_t codePoint;
    size_t length;  // 0: not UTF-8
  };
  const Case cases[] = {
      {"ASCII", "A", U'A', 1},
      {"NUL is a character", std::string("\0", 1), 0, 1},
      {"the last one-byte character", "\x7F", 0x7F, 1},
      {"the first two-byte character", "\xC2\x80", 0x80, 2},
      {"a Latin-1 letter", "ç", 0xE7, 2},
      {"the last two-byte character", "\xDF\xBF", 0x7FF, 2},
      {"the first three-byte character", "\xE0\xA0\x80", 0x800, 3},
      {"the euro sign", "€", 0x20AC, 3},
      {"the last character before the surrogates", "\xED\x9F\xBF", 0xD7FF, 3},
      {"the first character after the surrogates", "\xEE\x80\x80", 0xE000, 3},
      {"the last three-byte character", "\xEF\xBF\xBF", 0xFFFF, 3},
      {"the first four-byte character", "\xF0\x90\x80\x80", 0x10000, 4},
      {"the last code point", "\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
      {"only the first character is read", "ção", 0xE7, 2},
      {"a stray continuation byte", "\x80", 0, 0},
      {"an overlong two-byte form (C0)", "\xC0\x80", 0, 0},
      {"an overlong two-byte form (C1)", "\xC1\xBF", 0, 0},
      {"an overlong three-byte form", "\xE0\x9F\xBF", 0, 0},
      {"an overlong four-byte form", "\xF0\x8F\xBF\xBF", 0, 0},
      {"a high surrogate", "\xED\xA0\x80", 0, 0},
      {"a low surrogate", "\xED\xBF\xBF", 0, 0},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", 0, 0},
      {"a lead byte no character has (F5)", "\xF5\x80\x80\x80", 0, 0},
      {"a lead byte no character has (FF)", "\xFF", 0, 0},
      {"a sequence cut by the end", "\xE2\x82", 0, 0},
      {"a sequence broken by ASCII", "\xE2\x82x", 0, 0},
      {"a lead byte followed by another lead byte", "\xC3\xC3\xA7", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Utf8Char read = Utf8At(c.text, 0);
    EXPECT_EQ(read.Length, c.length);
    EXPECT_EQ(read.CodePoint, c.codePoint);
    if (c.length > 0) {
      std::string written;
      AppendUtf8(written, read.CodePoint);
      EXPECT_EQ(written, c.text.substr(0, c.length));
    }
  }
}

TEST(Utf8Test, ReadingInTheMiddleOfTextStopsAtItsEnd) {
  const std::string text = "a\xC3\xA7\xE2\x82";  // "aç" and a cut euro sign
  EXPECT_EQ(Utf8At(text, 1).Length, 2u);
  EXPECT_EQ(Utf8At(text, 2).Length, 0u);  // inside "ç"
  EXPECT_EQ(Utf8At(text, 3).Length, 0u);  // the euro sign lacks its last byte
  EXPECT_EQ(Utf8Continuations(text, 4, 3), 1u);
  EXPECT_EQ(Utf8Continuations("\x80\x80\x80\x80", 0, 2), 2u);
  EXPECT_EQ(Utf8Continuations("a\x80", 0, 3), 0u);
}

TEST(Utf8Test, LeadBytesAnnounceTheirLength) {
  struct Case {
    unsigned char byte;
    size_t lead;       // strict: 0 for a byte no character starts with
    size_t announced;  // by the high bits alone
  };
  const Case cases[] = {
      {0x00, 1, 1}, {0x7F, 1, 1}, {0x80, 0, 1}, {0xBF, 0, 1}, {0xC0, 0, 2}, {0xC1, 0, 2},
      {0xC2, 2, 2}, {0xDF, 2, 2}, {0xE0, 3, 3}, {0xEF, 3, 3}, {0xF0, 4, 4}, {0xF4, 4, 4},
      {0xF5, 0, 4}, {0xF7, 0, 4}, {0xF8, 0, 1}, {0xFF, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    EXPECT_EQ(Utf8LeadLength(c.byte), c.lead);
    EXPECT_EQ(Utf8AnnouncedLength(c.byte), c.announced);
  }
}

// One U+FFFD for a sequence whose bytes are all there but spell no character; one for each byte otherwise.
TEST(Utf8Test, ReadingWithReplacementGivesOneReplacementPerBadSequenceOrByte) {
  constexpr char32_t R = kReplacementCharacter;
  struct Case {
    const char* name;
    std::string text;
    std::vector<char32_t> codePoints;
  };
  const Case cases[] = {
      {"valid text of every length", "a\xC3\xA7\xE2\x82\xAC\xF0\x9F\x98\x80", {U'a', 0xE7, 0x20AC, 0x1F600}},
      {"a stray continuation byte", "a\x80z", {U'a', R, U'z'}},
      {"two stray continuation bytes", "\x80\xBF", {R, R}},
      {"an overlong form is one bad character", "\xC0\x80z", {R, U'z'}},
      {"an overlong three-byte form is one bad character", "\xE0\x80\x80", {R}},
      {"a surrogate is one bad character", "\xED\xA0\x80z", {R, U'z'}},
      {"beyond U+10FFFF is one bad character", "\xF4\x90\x80\x80", {R}},
      {"an F5 lead with its three bytes is one bad character", "\xF5\x80\x80\x80", {R}},
      {"an F8 byte announces nothing", "\xF8\x80\x80\x80", {R, R, R, R}},
      {"a sequence cut by the end gives one per byte", "\xE2\x82", {R, R}},
      {"a sequence broken by ASCII keeps the ASCII", "\xE2\x82x", {R, R, U'x'}},
      {"a lead byte cut by another character", "\xC3\xC3\xA7", {R, 0xE7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<char32_t> read;
    for (size_t at = 0; at < c.text.size();) read.push_back(NextCodePointOrReplacement(c.text, at));
    EXPECT_EQ(read, c.codePoints);
  }
}

}  // namespace
}  // namespace zr::common
