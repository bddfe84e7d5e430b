// The block writer's accounting of the engine's limits, without a database: the contexts a statement takes,
// and how many groups of each kind one block takes before a limit refuses the next (the engine's side of the
// same limits is checked in fb_block_limits_test.cpp).

#include <gtest/gtest.h>

#include <string>

#include "fb_execute_block.h"

namespace zr::db::firebird {
namespace {

TEST(BlockWriterTest, ContextsOfAStatement) {
  struct Case {
    const char* sql;
    int contexts;
  };
  const Case cases[] = {
      {"INSERT INTO T (A) VALUES (?)", 1},
      {"DELETE FROM T WHERE A = ?", 1},
      {"EXECUTE PROCEDURE P ?", 1},
      {"update T set A = ? where B = ?", 2},
      {"INSERT INTO T (A) SELECT ? FROM RDB$DATABASE", 5},
      {"UPDATE T SET A = 1 WHERE A IN (SELECT A FROM U)", 6},
      {"DELETE FROM T /* SELECT */ WHERE B = 'SELECT' -- SELECT", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(ContextsOf(c.sql), c.contexts) << c.sql;
}

TEST(BlockWriterTest, AGroupPastALimitIsRefusedAndLeavesTheBlockAsItWas) {
  struct Case {
    const char* name;
    bool counted;
    BlockWriter::Group group;
    int groups;  // a block takes this many, and refuses one more
  };
  const auto inputs = [](int count, const char* declaration, unsigned bytes) {
    std::vector<std::pair<std::string, BlockInput>> list;
    for (int i = 0; i < count; ++i) list.push_back({"I" + std::to_string(i), {declaration, bytes}});
    return list;
  };
  const Case cases[] = {
      {"one context each: 256 contexts", true, {{}, {"INSERT INTO T (A) VALUES (1)"}, 1, ""}, 256},
      {"uncounted, one context each", false, {{}, {"INSERT INTO T (A) VALUES (1)"}, 1, ""}, 256},
      {"two contexts each (UPDATE)", true, {{}, {"UPDATE T SET A = 1"}, 2, ""}, 128},
      {"an UPDATE and a DELETE each", true, {{}, {"UPDATE T SET A = 1", "DELETE FROM T"}, 3, ""}, 85},
      {"128 inputs each: 32,767 inputs", false, {inputs(128, "SMALLINT", 2), {"INSERT"}, 1, ""}, 255},
      {"a VARCHAR(8000) UTF8 input each: the request's memory",
       false,
       {inputs(1, "VARCHAR(8000) CHARACTER SET UTF8", 32000), {"INSERT"}, 0, ""},
       310},
      {"statements of 100,000 bytes: the text", false, {{}, {std::string(100000, 'x')}, 1, ""}, 104},
      {"groups of no context: the counts' text", true, {{}, {"X = 1"}, 0, "Q > 1"}, 380},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BlockWriter block(c.counted);
    for (int i = 0; i < c.groups; ++i) ASSERT_TRUE(block.Add(c.group)) << "group " << i;
    const std::string full = block.Text();
    EXPECT_LE(full.size(), kMaxBlockText);
    EXPECT_FALSE(block.Add(c.group));
    EXPECT_EQ(block.Groups(), c.groups);
    EXPECT_EQ(block.Text(), full);
  }
}

}  // namespace
}  // namespace zr::db::firebird
