// Text lines: one text with CR LF after each line; splitting at CR LF, lone CR and lone LF; "Name=Value" entries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/string_list.h"

namespace zr::db {
namespace {

TEST(StringList, TextEndsEveryLineWithCrLf) {
  TStringList list;
  EXPECT_EQ(list.Text(), "");
  list.Add("SELECT *");
  list.Add("");
  list.Add("FROM T ");
  EXPECT_EQ(list.Text(), "SELECT *\r\n\r\nFROM T \r\n");
}

TEST(StringList, SetTextSplitsAtEveryKindOfLineBreak) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"an empty text has no line", "", {}},
      {"a text without a break is one line", "abc", {"abc"}},
      {"a final CR LF adds no empty line", "a\r\nb\r\n", {"a", "b"}},
      {"a lone LF breaks a line", "a\nb", {"a", "b"}},
      {"a lone CR breaks a line", "a\rb", {"a", "b"}},
      {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
      {"two CR LF make an empty line between", "a\r\n\r\nb", {"a", "", "b"}},
      {"a break alone is one empty line", "\r\n", {""}},
      {"blanks stay on their line", " a \r\n b ", {" a ", " b "}},
      {"a final lone CR adds no empty line", "a\r", {"a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStringList list;
    list.Add("old");
    list.SetText(c.text);
    EXPECT_EQ(list.Lines(), c.lines);
  }
}

TEST(StringList, TextAndSetTextRoundTrip) {
  TStringList list;
  list.Add("SELECT A,");
  list.Add("  B");
  list.Add("");
  list.Add("FROM T WHERE X = 'produção'");
  TStringList copy;
  copy.SetText(list.Text());
  EXPECT_EQ(copy.Lines(), list.Lines());
  EXPECT_EQ(copy.Text(), list.Text());
}

TEST(StringList, AddKeepsLineBreaksInsideTheLine) {
  TStringList list;
  list.Add("a\r\nb");
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Text(), "a\r\nb\r\n");
}

TEST(StringList, ValuesFindTheFirstEntryByNameIgnoringCase) {
  TStringList list;
  list.Add("DriverID=FB");
  list.Add("Database=");
  list.Add("Server=srv01");
  list.Add("server=other");
  list.Add("NoEquals");
  list.Add("Password=a=b");
  EXPECT_EQ(list.Values("SERVER"), "srv01");
  EXPECT_EQ(list.IndexOfName("server"), 2);
  EXPECT_EQ(list.Values("Database"), "");
  EXPECT_EQ(list.IndexOfName("Database"), 1);
  EXPECT_EQ(list.Values("Password"), "a=b");
  EXPECT_EQ(list.IndexOfName("NoEquals"), -1);
  EXPECT_EQ(list.IndexOfName("Serve"), -1);
  EXPECT_EQ(list.Values("Port"), "");
}

TEST(StringList, SetValueReplacesTheEntryOrAppendsOne) {
  TStringList list;
  list.Add("DriverID=FB");
  list.Add("Database=x");
  list.SetValue("driverid", "Ora");
  list.SetValue("Port", "1521");
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"driverid=Ora", "Database=x", "Port=1521"}));
}

TEST(StringList, OnChangeRunsAfterEveryChange) {
  TStringList list;
  int changes = 0;
  int countSeen = -1;
  list.OnChange = [&] {
    ++changes;
    countSeen = list.Count();
  };
  list.Add("a");
  EXPECT_EQ(countSeen, 1);
  list.SetText("a\nb\nc");
  EXPECT_EQ(countSeen, 3);
  list.SetValue("x", "1");
  list.Clear();
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(countSeen, 0);
}

}  // namespace
}  // namespace zr::db
