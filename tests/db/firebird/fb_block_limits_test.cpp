// The engine's limits on one request, where the block writer (fb_execute_block.h) expects them: a block at
// each limit prepares, one a step past it is refused with the engine's message. Should the engine move a
// limit, this says which.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "db/errors.h"
#include "fb_execute_block.h"
#include "fb_test_support.h"

namespace zr::db::firebird::testing {
namespace {

class FbBlockLimitsTest : public FbDatabaseTest {
 protected:
  FbBlockLimitsTest() : FbDatabaseTest({"CREATE TABLE T (A INTEGER)"}) {}
};

std::string Repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

std::string Inputs(int count, const std::string& declaration) {
  std::string block = "EXECUTE BLOCK (";
  for (int i = 0; i < count; ++i)
    block += (i == 0 ? "I" : ", I") + std::to_string(i) + " " + declaration + " = ?";
  return block + ") AS BEGIN END";
}

TEST_F(FbBlockLimitsTest, ABlockAtEachLimitPreparesAndOnePastItIsRefused) {
  struct Case {
    const char* name;
    std::function<std::string(int)> block;
    int limit;
    const char* refusal;
  };
  const std::string update = "UPDATE T SET A = 1 WHERE A = 2;\n", remove = "DELETE FROM T WHERE A = 2;\n";
  const Case cases[] = {
      {"statement text in bytes",
       [](int bytes) {
         const std::string head = "EXECUTE BLOCK AS BEGIN /*", tail = "*/ END";
         return head + std::string(static_cast<size_t>(bytes) - head.size() - tail.size(), 'x') + tail;
       },
       static_cast<int>(kMaxBlockText), "SQL statement is too long"},
      {"contexts: one per INSERT",
       [](int n) {
         return "EXECUTE BLOCK AS BEGIN\n" + Repeated("INSERT INTO T (A) VALUES (1);\n", n) + "END";
       },
       kMaxBlockContexts, "Too many Contexts"},
      {"contexts: two per UPDATE, one per DELETE",
       [&](int n) {
         return "EXECUTE BLOCK AS BEGIN\n" + Repeated(update, 100) + Repeated(remove, n - 200) + "END";
       },
       kMaxBlockContexts, "Too many Contexts"},
      {"inputs", [](int n) { return Inputs(n, "INTEGER"); }, kMaxBlockInputs, "Maximum number of parameters"},
      {"the request's memory: inputs VARCHAR(8000) UTF8",
       [](int n) { return Inputs(n, "VARCHAR(8000) CHARACTER SET UTF8"); }, 326,
       "request size limit exceeded"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NO_THROW(connection_->CreateStatement()->Prepare(c.block(c.limit)));
    EXPECT_THAT([&] { connection_->CreateStatement()->Prepare(c.block(c.limit + 1)); },
                ::testing::ThrowsMessage<EDatabaseError>(::testing::HasSubstr(c.refusal)));
  }
}

}  // namespace
}  // namespace zr::db::firebird::testing
