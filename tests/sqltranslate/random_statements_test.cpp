// A bounded, deterministic run over random statements (the same seeds every time).
#include <gtest/gtest.h>

#include "random_statements.h"

namespace zr::sqlt::testing {
namespace {

TEST(RandomStatements, EveryPassEndsAndAgreesWithItsOneByOneRendering) {
  std::mt19937 rng(20240531);
  std::uniform_int_distribution<std::size_t> length(0, 60);
  for (int i = 0; i < 4000; ++i) {
    const std::string statement = RandomStatement(rng, length(rng));
    const std::string failure = CheckStatement(statement);
    ASSERT_EQ(failure, "") << "statement #" << i << ": [" << statement << "]";
  }
}

TEST(RandomStatements, LongStatementsToo) {
  std::mt19937 rng(7);
  for (int i = 0; i < 40; ++i) {
    const std::string statement = RandomStatement(rng, 400);
    ASSERT_EQ(CheckStatement(statement), "") << "statement #" << i;
  }
}

}  // namespace
}  // namespace zr::sqlt::testing
