// Statement text cut into tokens: literals, quoted names and comments hide what they hold from every reader
// of the text, parameters and markers are found only outside them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/sql_scanner.h"

namespace zr::db::sql {
namespace {

// Each token as "<kind>:<text>", with "!" after the kind when it runs off the end; blanks left out.
std::vector<std::string> Cut(std::string_view sql) {
  static const char* const kNames[] = {"blank", "word",  "lit",    "dollar", "name",
                                       "rem",   "param", "marker", "sym"};
  std::vector<std::string> out;
  Scanner scanner(sql);
  Token token;
  size_t covered = 0;
  while (scanner.Next(token)) {
    EXPECT_EQ(token.At, covered) << "tokens leave no gap and do not overlap";
    covered = token.End();
    if (token.Kind == TokenKind::Blank) continue;
    out.push_back(std::string(kNames[static_cast<int>(token.Kind)]) + (token.Closed ? ":" : "!:") +
                  std::string(token.Text));
  }
  EXPECT_EQ(covered, sql.size()) << "the tokens cover the whole text";
  return out;
}

TEST(SqlScanner, CutsStatementsIntoTokens) {
  struct Case {
    const char* name;
    std::string_view sql;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"words, symbols and an operator run",
       "SELECT A,B FROM T WHERE X<>1",
       {"word:SELECT", "word:A", "sym:,", "word:B", "word:FROM", "word:T", "word:WHERE", "word:X", "sym:<>",
        "word:1"}},
      {"a doubled quote stays inside its literal",
       "WHERE N = 'D''Ouro' AND M = ''''",
       {"word:WHERE", "word:N", "sym:=", "lit:'D''Ouro'", "word:AND", "word:M", "sym:=", "lit:''''"}},
      {"a quoted name with a doubled double quote",
       "FROM \"Ped\"\"idos\" P",
       {"word:FROM", "name:\"Ped\"\"idos\"", "word:P"}},
      {"a line comment ends before the line break", "A -- x 'y\r\nB", {"word:A", "rem:-- x 'y\r", "word:B"}},
      {"a block comment", "A/* x\n -- y */B", {"word:A", "rem:/* x\n -- y */", "word:B"}},
      {"a quote inside a comment opens no literal",
       "/* it's */ ? -- don't\n:P",
       {"rem:/* it's */", "marker:?", "rem:-- don't", "param::P"}},
      {"comment marks inside a literal are text", "'a -- b /* c' ?", {"lit:'a -- b /* c'", "marker:?"}},
      {"comment marks inside a quoted name are text", "\"a--b\" ?", {"name:\"a--b\"", "marker:?"}},
      {"parameters and markers",
       "VALUES (:NUMERO, :ID2, ?)",
       {"word:VALUES", "sym:(", "param::NUMERO", "sym:,", "param::ID2", "sym:,", "marker:?", "sym:)"}},
      {"a parameter named in UTF-8", ":Preço,", {"param::Preço", "sym:,"}},
      {"a cast is no parameter", "X::text", {"word:X", "sym:::", "word:text"}},
      {"a colon before a blank is a symbol", "X : Y", {"word:X", "sym::", "word:Y"}},
      {"a parameter inside a literal is text", "':P' || :Q", {"lit:':P'", "sym:||", "param::Q"}},
      {"a dollar-quoted body",
       "AS $f$ BEGIN 'x' END $f$;",
       {"word:AS", "dollar:$f$ BEGIN 'x' END $f$", "sym:;"}},
      {"an empty dollar tag", "$$a$$", {"dollar:$$a$$"}},
      {"a dollar inside a word", "RDB$RELATIONS", {"word:RDB$RELATIONS"}},
      {"a positional parameter of a body is a word", "$1 + 1", {"word:$1", "sym:+", "word:1"}},
      {"an unterminated literal runs to the end", "X = 'abc''", {"word:X", "sym:=", "lit!:'abc''"}},
      {"an unterminated quoted name", "\"abc", {"name!:\"abc"}},
      {"an unterminated block comment", "A /* b", {"word:A", "rem!:/* b"}},
      {"an unterminated dollar string", "$q$ x", {"dollar!:$q$ x"}},
      {"a line comment at the end of the text", "A --", {"word:A", "rem:--"}},
      {"a minus and a slash alone", "A-B/C", {"word:A", "sym:-", "word:B", "sym:/", "word:C"}},
      {"an empty text", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Cut(c.sql), c.tokens);
  }
}

TEST(SqlScanner, NextCodeSkipsBlanksAndComments) {
  Scanner scanner(" -- a\n /* b */ DELETE");
  Token token;
  ASSERT_TRUE(scanner.NextCode(token));
  EXPECT_EQ(token.Kind, TokenKind::Word);
  EXPECT_EQ(token.Text, "DELETE");
  EXPECT_EQ(token.At, 15u);
  EXPECT_FALSE(scanner.NextCode(token));
}

TEST(SqlScanner, ALiteralsValueHasItsQuotesUndoubled) {
  struct Case {
    const char* name;
    std::string_view literal;
    std::string value;
  };
  const Case cases[] = {
      {"plain", "'abc'", "abc"},
      {"empty", "''", ""},
      {"a doubled quote inside", "'D''Ouro'", "D'Ouro"},
      {"only a quote", "''''", "'"},
      {"a doubled quote at the end", "'abc'''", "abc'"},
      {"open, ending in a doubled quote", "'abc''", "abc'"},
      {"open", "'abc", "abc"},
      {"a quoted name", "\"Ped\"\"idos\"", "Ped\"idos"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LiteralValue(c.literal), c.value);
  }
}

TEST(SqlScanner, TheFirstWordSkipsBlanksCommentsAndParentheses) {
  EXPECT_EQ(FirstWord("  select 1"), "SELECT");
  EXPECT_EQ(FirstWord("/* x */ -- y\r\n((Select 1))"), "SELECT");
  EXPECT_EQ(FirstWord("'x'"), "");
  EXPECT_EQ(FirstWord(""), "");
}

}  // namespace
}  // namespace zr::db::sql
