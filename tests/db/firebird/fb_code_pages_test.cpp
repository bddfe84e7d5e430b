// The legacy code pages and the conversions of text at the driver's boundary, without a database.

#include <gtest/gtest.h>

#include <string>

#include "db/errors.h"
#include "fb_code_pages.h"
#include "fb_text.h"

namespace zr::db::firebird {
namespace {

const CodePage& Page(const char* name) {
  const CodePage* page = FindCodePage(name);
  if (page == nullptr) throw std::runtime_error(std::string("no code page ") + name);
  return *page;
}

TEST(CodePages, NamesAndNumbersAreFirebirds) {
  EXPECT_EQ(Page("WIN1252").CharSet, 53u);
  EXPECT_EQ(Page("win1250").CharSet, 51u);
  EXPECT_EQ(Page("ISO8859_1").CharSet, 21u);
  EXPECT_EQ(CodePageOf(53), &Page("WIN1252"));
  EXPECT_EQ(FindCodePage("UTF8"), nullptr);
  EXPECT_EQ(FindCodePage("WIN125"), nullptr);
  EXPECT_EQ(CodePageOf(4), nullptr);
}

TEST(CodePages, EachByteReadsAsItsCharacterAndBack) {
  struct Case {
    const char* page;
    std::string bytes;
    std::string utf8;
  };
  const Case cases[] = {
      {"WIN1252", "MADREP\xC9ROLA", "MADREPÉROLA"},
      {"WIN1252", "VERDE D'\xC1GUA", "VERDE D'ÁGUA"},
      {"WIN1252",
       "Confec\xE7\xF5"
       "es",
       "Confecções"},
      {"WIN1252", "\x80\x8A\x9F\xDF\xFF", "€ŠŸßÿ"},
      // Bytes Windows-1252 leaves undefined read as the code points of the same number, and go back.
      {"WIN1252", "\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
      {"WIN1250", "\x8A\xA5\xB9\xE8", "ŠĄąč"},
      {"ISO8859_1", "\x80\xA4\xE7", "\xC2\x80¤ç"},
      {"WIN1251", "\xC0\xFF", "Ая"},
      {"DOS850", "\x87\x9B", "çø"},
      {"WIN1252", "plain ASCII, 'quoted'", "plain ASCII, 'quoted'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.page) + ": " + c.utf8);
    EXPECT_EQ(DecodeCodePage(Page(c.page), c.bytes), c.utf8);
    std::string back;
    EXPECT_FALSE(EncodeCodePage(Page(c.page), c.utf8, back).has_value());
    EXPECT_EQ(back, c.bytes);
  }
}

TEST(CodePages, AllBytesOfEveryPageGoBackUnchanged) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (const char* name :
       {"WIN1250",    "WIN1251", "WIN1252",   "WIN1253",   "WIN1254",   "WIN1255",   "WIN1256",
        "WIN1257",    "WIN1258", "ISO8859_1", "ISO8859_2", "ISO8859_5", "ISO8859_7", "ISO8859_9",
        "ISO8859_13", "DOS437",  "DOS850",    "DOS852",    "KOI8R",     "KOI8U"}) {
    SCOPED_TRACE(name);
    std::string back;
    EXPECT_FALSE(EncodeCodePage(Page(name), DecodeCodePage(Page(name), all), back).has_value());
    EXPECT_EQ(back, all);
  }
}

TEST(CodePages, WhatAPageCannotHoldIsFoundNotReplaced) {
  struct Case {
    const char* name;
    const char* page;
    std::string utf8;
    size_t at;
    size_t length;
    char32_t codePoint;
  };
  const Case cases[] = {
      {"a letter of another alphabet", "WIN1252", "AĀB", 1, 2, 0x100},
      {"the euro sign in Latin-1", "ISO8859_1", "10 €", 3, 3, 0x20AC},
      {"a character beyond the basic plane", "WIN1252", "x😀", 1, 4, 0x1F600},
      {"a byte that is not UTF-8", "WIN1252", "MADREP\xC9ROLA", 6, 1, 0},
      {"a cut character at the end", "WIN1252", "ABC\xC3", 3, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out;
    const std::optional<EncodeFailure> failure = EncodeCodePage(Page(c.page), c.utf8, out);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->At, c.at);
    EXPECT_EQ(failure->Length, c.length);
    EXPECT_EQ(failure->CodePoint, c.codePoint);
  }
}

TEST(ConnectionText, AUtf8ConnectionPassesTextAsItIs) {
  const ConnectionText utf8;
  std::string scratch;
  const std::string value = "VERDE D'ĀGUA \xFF";
  EXPECT_EQ(&utf8.Value(value, scratch), &value);
  EXPECT_EQ(&utf8.Statement(value, scratch), &value);
  EXPECT_EQ(utf8.FromServer("\xC9"), "\xC9");
  EXPECT_EQ(utf8.CharSet(), 4u);
}

TEST(ConnectionText, TheErrorNamesTheValueThatHoldsTheCharacter) {
  const ConnectionText text(Page("WIN1252"));
  struct Case {
    const char* name;
    bool statement;
    std::string input;
    bool inStatement;  // the facts name the statement, else a value
    std::string text;
    std::string character;  // empty for a byte that is not UTF-8
    uint32_t codePoint;     // or the byte
  };
  const Case cases[] = {
      {"a value", false, "VERDE D'ĀGUA", false, "VERDE D'ĀGUA", "Ā", 0x100},
      {"a literal with a doubled quote", true, "UPDATE T SET C = 'VERDE D''ĀGUA' WHERE K = 'MADREPÉROLA'",
       false, "VERDE D'ĀGUA", "Ā", 0x100},
      {"a literal after another", true, "SELECT 'É' || 'ŁÓDŹ' FROM RDB$DATABASE", false, "ŁÓDŹ", "Ł", 0x141},
      {"outside literals", true, "SELECT X AS ŁUK FROM T", true, "SELECT X AS ŁUK FROM T", "Ł", 0x141},
      {"a byte that is not UTF-8", false, "AB\xC9", false, "AB\\xC9", "", 0xC9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string scratch;
    try {
      c.statement ? text.Statement(c.input, scratch) : text.Value(c.input, scratch);
      ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Kind(), TDatabaseErrorKind::TextNotConvertible) << e.what();
      const TDatabaseErrorFacts& f = e.Facts();
      EXPECT_EQ(f.InStatement, c.inStatement);
      EXPECT_EQ(f.Text, c.text);
      EXPECT_EQ(f.Character, c.character);
      EXPECT_EQ(f.CodePoint, c.codePoint);
      EXPECT_EQ(f.CodePage, "WIN1252");
    }
  }
  std::string scratch;
  const std::string update = "UPDATE T SET C = 'AÇÃO'";
  EXPECT_EQ(text.Statement(update, scratch), "UPDATE T SET C = 'A\xC7\xC3O'");
}

TEST(ConnectionText, MessagesAreReadInTheCharacterSetOfTheConnectionThatRaisedThem) {
  const std::string raw = "Problematic key value is (\"K\" = 'MADREP\xC9ROLA')";
  EXPECT_EQ(MessageFromServer(raw), raw);
  const ConnectionText legacy(Page("WIN1252"));
  {
    const MessagesIn outer(legacy);
    EXPECT_EQ(MessageFromServer(raw), "Problematic key value is (\"K\" = 'MADREPÉROLA')");
    const ConnectionText utf8;
    {
      const MessagesIn inner(utf8);
      EXPECT_EQ(MessageFromServer(raw), raw);
    }
    EXPECT_EQ(MessageFromServer(raw), "Problematic key value is (\"K\" = 'MADREPÉROLA')");
  }
  EXPECT_EQ(MessageFromServer(raw), raw);
}

}  // namespace
}  // namespace zr::db::firebird
