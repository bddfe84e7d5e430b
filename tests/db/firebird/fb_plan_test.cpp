// Firebird's plan text read into the tables it reaches and the indexes it reads them through.

#include <gtest/gtest.h>

#include "fb_plan.h"

namespace zr::db::firebird {
namespace {

TEST(FirebirdPlan, EachTableWithTheIndexesItIsReadThrough) {
  struct Case {
    const char* name;
    const char* text;
    const char* table;
    std::vector<std::string> indexes;
  };
  const Case cases[] = {
      {"the status query without the document index: the movements by material and colour only",
       "\nPLAN (MAT_MOV INDEX (IX_MAT_MOV01_CC))\nPLAN (PCPFTOF NATURAL)",
       "MAT_MOV",
       {"IX_MAT_MOV01_CC"}},
      {"the same query with it: both indexes",
       "\nPLAN (MAT_MOV INDEX (IX_MAT_MOV01_DOC6, IX_MAT_MOV01_CC))",
       "MAT_MOV",
       {"IX_MAT_MOV01_DOC6", "IX_MAT_MOV01_CC"}},
      {"a table read whole",
       "\nPLAN (MAT_MOV INDEX (IX_MAT_MOV01_CC))\nPLAN (PCPFTOF NATURAL)",
       "PCPFTOF",
       {}},
      {"a join under a sort",
       "PLAN SORT (JOIN (PCPFT2 INDEX (PK_PCPFT201), PCPFT3 INDEX (IX_PCPFT301_CII), MAT_ITEN INDEX "
       "(IX_MAT_ITEN01_CC)))",
       "PCPFT3",
       {"IX_PCPFT301_CII"}},
      {"a navigation in index order with a filtering index",
       "PLAN (OF1 ORDER PK_OF101 INDEX (IX_OF101_DTINI))",
       "OF1",
       {"PK_OF101", "IX_OF101_DTINI"}},
      {"a DELETE without alias names the table",
       "PLAN (PCPFTOF01 INDEX (IX_PCPFTOF01_NUM))",
       "PCPFTOF01",
       {"IX_PCPFTOF01_NUM"}},
      {"a table inside a view: the last name before the access",
       "PLAN (V_MOV MAT_MOV INDEX (IX_A))",
       "MAT_MOV",
       {"IX_A"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const plan::StatementPlan plan = FirebirdPlan(c.text);
    EXPECT_TRUE(plan.Known);
    EXPECT_EQ(plan.IndexesOf(c.table), c.indexes);
    EXPECT_EQ(plan.Text.rfind("PLAN", 0), 0u) << "the leading line end is not part of the text";
  }
}

TEST(FirebirdPlan, ATableNotInThePlanHasNoIndex) {
  const plan::StatementPlan plan = FirebirdPlan("PLAN (PCPFTOF NATURAL)");
  EXPECT_TRUE(plan.IndexesOf("MAT_MOV").empty());
  ASSERT_EQ(plan.Accesses.size(), 1u);
  EXPECT_EQ(plan.Accesses[0].Name, "PCPFTOF");
}

}  // namespace
}  // namespace zr::db::firebird
