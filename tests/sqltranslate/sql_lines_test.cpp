// The SQL text model: lines read as one text with CR LF, written back split at any line break.
#include <gtest/gtest.h>

#include "sqltranslate/sql_lines.h"

namespace zr::sqlt {
namespace {

TEST(SqlLines, SplitsAtEveryKindOfLineBreak) {
  const struct {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
    std::string readBack;
  } cases[] = {
      {"no text, no line", "", {}, ""},
      {"one line without a break gets one", "SELECT 1", {"SELECT 1"}, "SELECT 1\r\n"},
      {"a final CR LF adds no empty line", "A\r\nB\r\n", {"A", "B"}, "A\r\nB\r\n"},
      {"lone LF and lone CR split too", "A\nB\rC", {"A", "B", "C"}, "A\r\nB\r\nC\r\n"},
      {"CR CR LF is a lone CR and a pair", "A\r\r\nB", {"A", "", "B"}, "A\r\n\r\nB\r\n"},
      {"LF CR is two breaks", "A\n\rB", {"A", "", "B"}, "A\r\n\r\nB\r\n"},
      {"a single break is one empty line", "\n", {""}, "\r\n"},
      {"blank lines are kept", "A\r\n\r\n\r\nB", {"A", "", "", "B"}, "A\r\n\r\n\r\nB\r\n"},
      {"trailing blanks are kept", "A \r\n ", {"A ", " "}, "A \r\n \r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SqlLines lines;
    lines.SetText(c.text);
    EXPECT_EQ(lines.Lines(), c.lines);
    EXPECT_EQ(lines.Text(), c.readBack);
    EXPECT_EQ(RoundTrip(c.text), c.readBack);
    EXPECT_EQ(IsRoundTripStable(c.text), c.text == c.readBack);
  }
}

TEST(SqlLines, ALineAddedOnItsOwnKeepsItsBreaks) {
  SqlLines lines;
  lines.Add("A\nB");
  lines.Add("C");
  EXPECT_EQ(lines.Text(), "A\nB\r\nC\r\n");
  lines.SetText(lines.Text());
  EXPECT_EQ(lines.Lines(), (std::vector<std::string>{"A", "B", "C"}));
}

}  // namespace
}  // namespace zr::sqlt
