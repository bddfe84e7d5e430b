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

// The shapes that once took quadratic time, small, alone, closed by a run of ")" and run into
// each other, must give what the one-by-one renderings give.
TEST(RandomStatements, MalformedShapesAgreeToo) {
  for (Malformed shape : kMalformedShapes) {
    for (std::size_t bytes : {1u, 40u, 200u, 900u}) {
      for (unsigned seed = 1; seed <= 3; ++seed) {
        const std::string alone = MalformedStatement(shape, bytes, seed);
        const std::string closed = alone + std::string(seed * 3, ')') + " FROM T";
        std::string mixedText = alone;
        for (Malformed other : kMalformedShapes)
          mixedText += MalformedStatement(other, bytes / 4, seed) + ") ";
        const std::string& mixed = mixedText;
        for (const std::string* statement : {&alone, &closed, &mixed}) {
          ASSERT_EQ(CheckStatement(*statement), "") << MalformedName(shape) << ", " << bytes
                                                    << " bytes, seed " << seed << ": [" << *statement << "]";
        }
      }
    }
  }
}

}  // namespace
}  // namespace zr::sqlt::testing
