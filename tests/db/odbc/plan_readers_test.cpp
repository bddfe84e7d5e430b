// PostgreSQL's EXPLAIN lines and Oracle's PLAN_TABLE and index catalog rows, read as written down: Oracle's
// code path has no server here.

#include <gtest/gtest.h>

#include "odbc_plan.h"

namespace zr::db::odbc {
namespace {

TEST(PostgresPlan, ScansNameTheirAliasAndBitmapIndexScansBelongToTheHeapScanAbove) {
  const plan::StatementPlan plan = PostgresPlan({
      "Seq Scan on pcpftof01 pcpftof",
      "  Filter: (data >= '1899-12-30 00:00:00'::timestamp without time zone)",
      "  SubPlan 1",
      "    ->  Aggregate",
      "          ->  Bitmap Heap Scan on mat_mov01 mat_mov",
      "                Recheck Cond: ((substr((num_docto)::text, 1, 6) = (pcpftof.numero)::text))",
      "                ->  BitmapAnd",
      "                      ->  Bitmap Index Scan on ix_mat_mov01_doc6",
      "                      ->  Bitmap Index Scan on ix_mat_mov01_cc",
  });
  EXPECT_TRUE(plan.Known);
  EXPECT_EQ(plan.IndexesOf("MAT_MOV"), (std::vector<std::string>{"IX_MAT_MOV01_DOC6", "IX_MAT_MOV01_CC"}));
  EXPECT_TRUE(plan.IndexesOf("PCPFTOF").empty());
  EXPECT_EQ(plan.Accesses.size(), 2u);
}

TEST(PostgresPlan, IndexScansOfATableWithoutAliasAndOfAnAliasedOne) {
  const plan::StatementPlan plan = PostgresPlan({
      "Delete on pcpftof01",
      "  ->  Index Scan using ix_pcpftof01_num on pcpftof01",
      "        Index Cond: ((numero)::text = '000000'::text)",
      "  ->  Index Only Scan Backward using pk_pcpft201 on pcpft201 pcpft2",
  });
  EXPECT_EQ(plan.IndexesOf("PCPFTOF01"), std::vector<std::string>{"IX_PCPFTOF01_NUM"});
  EXPECT_EQ(plan.IndexesOf("PCPFT2"), std::vector<std::string>{"PK_PCPFT201"});
}

TEST(OraclePlan, IndexRowsReadTheAliasOfTheirTable) {
  const plan::StatementPlan plan = OraclePlan({
      {"SELECT STATEMENT", "", "", "", ""},
      {"SORT", "AGGREGATE", "", "", ""},
      {"TABLE ACCESS", "BY INDEX ROWID BATCHED", "MAT_MOV01", "MAT_MOV@SEL$2", "TABLE"},
      {"INDEX", "RANGE SCAN", "IX_MAT_MOV01_DOC6", "MAT_MOV@SEL$2", "INDEX"},
      {"TABLE ACCESS", "FULL", "PCPFTOF01", "\"PCPFTOF\"@\"SEL$1\"", "TABLE"},
  });
  EXPECT_EQ(plan.IndexesOf("MAT_MOV"), std::vector<std::string>{"IX_MAT_MOV01_DOC6"});
  EXPECT_TRUE(plan.IndexesOf("PCPFTOF").empty());
  EXPECT_EQ(plan.Accesses.size(), 2u);
  EXPECT_NE(plan.Text.find("INDEX RANGE SCAN IX_MAT_MOV01_DOC6"), std::string::npos) << plan.Text;
}

TEST(OracleIndexes, AFunctionBasedIndexIsKeyedByItsExpressionAndUnusableOnesAreInactive) {
  const std::vector<plan::IndexInfo> indexes = OracleIndexes({
      {"IX_MAT_MOV01_CC", "VALID", "", "CODIGO", ""},
      {"IX_MAT_MOV01_CC", "VALID", "", "COR", ""},
      {"IX_MAT_MOV01_DOC6", "VALID", "ENABLED", "SYS_NC00009$", "SUBSTR(\"NUM_DOCTO\",1,6)"},
      {"IX_OFF", "VALID", "DISABLED", "SYS_NC00010$", "UPPER(\"COR\")"},
      {"IX_QUEBRADO", "UNUSABLE", "", "NUMERO", ""},
  });
  ASSERT_EQ(indexes.size(), 4u);
  EXPECT_EQ(indexes[0].Key, (std::vector<std::string>{"CODIGO", "COR"}));
  EXPECT_EQ(plan::KeyText(indexes[1].Key.at(0)), "SUBSTR(NUM_DOCTO,1,6)");
  EXPECT_TRUE(indexes[1].Active);
  EXPECT_FALSE(indexes[2].Active);
  EXPECT_FALSE(indexes[3].Active);
}

}  // namespace
}  // namespace zr::db::odbc
