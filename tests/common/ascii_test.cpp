// The shared text helpers: what every layer relies on when it folds case, trims, quotes or splits lines.
#include "common/ascii.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zr::common {
namespace {

TEST(AsciiTest, UpperCasingChangesOnlyAsciiLetters) {
  EXPECT_EQ(UpperAscii("update pcpftof set situacao = 'b'"), "UPDATE PCPFTOF SET SITUACAO = 'B'");
  // The UTF-8 bytes of "ção" and "Ã" stay as they are.
  EXPECT_EQ(UpperAscii("situação"), "SITUAçãO");
  EXPECT_EQ(UpperAscii(std::string("a\0z", 3)), std::string("A\0Z", 3));
  EXPECT_TRUE(SameTextAscii("IBDatabase", "ibdatabase"));
  EXPECT_FALSE(SameTextAscii("ção", "ÇÃO"));
  EXPECT_FALSE(SameTextAscii("abc", "abcd"));
}

TEST(AsciiTest, TrimmingRemovesEveryByteUpToTheBlankFromBothEnds) {
  struct Case {
    const char* name;
    std::string text;
    std::string trimmed;
    std::string leftTrimmed;
  };
  const Case cases[] = {
      {"blanks and tabs", " \t x y \t ", "x y", "x y \t "},
      {"line breaks and NUL", std::string("\r\n\0a\0", 5), "a", std::string("a\0", 2)},
      {"only blanks", " \x01\x1f ", "", ""},
      {"empty text", "", "", ""},
      {"accented letters are kept", " ção ", "ção", "ção "},
      {"DEL and non-breaking bytes are not blanks",
       "\x7f"
       "a\xa0",
       "\x7f"
       "a\xa0",
       "\x7f"
       "a\xa0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TrimBlanks(c.text), c.trimmed);
    EXPECT_EQ(TrimLeftBlanks(c.text), c.leftTrimmed);
  }
}

TEST(AsciiTest, QuotedStrDoublesEveryInnerQuote) {
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(QuotedStr("D'AVILA"), "'D''AVILA'");
  EXPECT_EQ(QuotedStr("''"), "''''''");
}

TEST(AsciiTest, SplitLinesBreaksAtCrLfLoneCrAndLoneLf) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"empty text has no line", "", {}},
      {"a last line without a break", "SELECT 1", {"SELECT 1"}},
      {"a final break adds no empty line", "a\r\n", {"a"}},
      {"CR LF, lone CR and lone LF", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
      {"empty lines are kept", "\r\n\r\nx", {"", "", "x"}},
      {"a lone break is one empty line", "\n", {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SplitLines(c.text), c.lines);
  }
}

TEST(AsciiTest, WordsAreSplitAtBlanksAndControlsAndSinglesStandAlone) {
  struct Case {
    const char* name;
    std::string text;
    std::string singles;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {"empty text has no word", "", "", {}},
      {"only blanks", " \t\r\n ", "", {}},
      {"runs of blanks, tabs and line breaks separate once",
       "  Seq  Scan\ton\r\nt1 ",
       "",
       {"Seq", "Scan", "on", "t1"}},
      {"punctuation is part of a word unless single", "->  Index Scan(x)", "", {"->", "Index", "Scan(x)"}},
      {"singles stand alone, also side by side",
       "PLAN (T INDEX (A,B))",
       "(),",
       {"PLAN", "(", "T", "INDEX", "(", "A", ",", "B", ")", ")"}},
      {"accented letters are word bytes", "JOIN (AÇÃO NATURAL)", "()", {"JOIN", "(", "AÇÃO", "NATURAL", ")"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Words(c.text, c.singles), c.words);
  }
}

}  // namespace
}  // namespace zr::common
