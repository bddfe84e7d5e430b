// The list every cache of prepared statements keeps its things in: which one gives way, and that a thing
// taken out is really out until it is kept again.
#include "common/recent_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zr::common {
namespace {

TEST(RecentListTest, TheLeastRecentlyKeptGiveWayBeyondTheCapacityAndComeBackToBeFreed) {
  RecentList<int> list(2);
  EXPECT_TRUE(list.Keep("a", 1).empty());
  EXPECT_TRUE(list.Keep("b", 2).empty());
  // Using "a" (take it and keep it again) makes "b" the oldest.
  list.Keep("a", *list.Take("a"));
  EXPECT_EQ(list.Keep("c", 3), std::vector<int>{2});
  EXPECT_EQ(list.Find("b"), nullptr);
  ASSERT_NE(list.Find("a"), nullptr);
  EXPECT_EQ(*list.Find("a"), 1);
  EXPECT_EQ(list.Newest(), 3);
  EXPECT_EQ(list.Size(), 2u);
}

TEST(RecentListTest, ATakenValueIsOutOfTheListUntilKeptAgain) {
  RecentList<std::unique_ptr<std::string>> list(4);
  list.Keep("select 1", std::make_unique<std::string>("request 1"));
  std::optional<std::unique_ptr<std::string>> taken = list.Take("select 1");
  ASSERT_TRUE(taken.has_value());
  EXPECT_EQ(**taken, "request 1");
  EXPECT_FALSE(list.Take("select 1").has_value());
  EXPECT_EQ(list.Find("select 1"), nullptr);
  EXPECT_EQ(list.Size(), 0u);
}

TEST(RecentListTest, TakingAllEmptiesTheListAndHandsBackEveryValueNewestFirst) {
  RecentList<int> list(8);
  list.Keep("a", 1);
  list.Keep("b", 2);
  list.Keep("c", 3);
  EXPECT_EQ(list.TakeAll(), (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(list.Size(), 0u);
  EXPECT_TRUE(list.Keep("a", 4).empty());
}

}  // namespace
}  // namespace zr::common
