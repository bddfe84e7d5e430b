// Index keys compared whatever server wrote them, and a catalog's key rows gathered per index.

#include <gtest/gtest.h>

#include "db/plan.h"

namespace zr::db::plan {
namespace {

TEST(KeyText, OneSpellingWhateverServerWroteTheKey) {
  struct Case {
    const char* name;
    const char* written;
    const char* key;
  };
  const Case cases[] = {
      {"Firebird's RDB$EXPRESSION_SOURCE, in the parentheses of COMPUTED BY",
       "(SUBSTRING(num_docto FROM 1 FOR 6))", "SUBSTRING(NUM_DOCTO FROM 1 FOR 6)"},
      {"the same typed with other blanks and line ends", "( substring( NUM_DOCTO\r\n from 1  for 6 ) )",
       "SUBSTRING(NUM_DOCTO FROM 1 FOR 6)"},
      {"PostgreSQL's pg_get_indexdef, with a cast and a parenthesised column",
       "substr((num_docto)::text, 1, 6)", "SUBSTR(NUM_DOCTO,1,6)"},
      {"a cast to a type of two words with a size", "substr(num_docto::character varying(20), 1, 6)",
       "SUBSTR(NUM_DOCTO,1,6)"},
      {"Oracle's ALL_IND_EXPRESSIONS, with quoted names", "SUBSTR(\"NUM_DOCTO\",1,6)",
       "SUBSTR(NUM_DOCTO,1,6)"},
      {"a plain column", "numero", "NUMERO"},
      {"a literal keeps its case and its blanks", "coalesce(cor, 'Sem cor')", "COALESCE(COR,'Sem cor')"},
      {"a call keeps its parentheses, a lone name loses its own", "upper((a)) || (b)", "UPPER(A)||B"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(KeyText(c.written), c.key);
  }
  EXPECT_NE(KeyText("SUBSTRING(NUM_DOCTO FROM 1 FOR 5)"), KeyText("SUBSTRING(NUM_DOCTO FROM 1 FOR 6)"));
}

TEST(GroupIndexKeys, OneIndexPerNameWithItsKeyInOrder) {
  const std::vector<IndexInfo> indexes =
      GroupIndexKeys({{"ix_cc", true, "CODIGO"},
                      {"ix_cc", true, "COR"},
                      {"IX_DOC6", false, "(SUBSTRING(NUM_DOCTO FROM 1 FOR 6))"},
                      {"PK", true, "LANCAMENTO"}});
  ASSERT_EQ(indexes.size(), 3u);
  EXPECT_EQ(indexes[0].Name, "IX_CC");
  EXPECT_EQ(indexes[0].Key, (std::vector<std::string>{"CODIGO", "COR"}));
  EXPECT_FALSE(indexes[1].Active);
  EXPECT_EQ(indexes[2].Key, std::vector<std::string>{"LANCAMENTO"});
}

TEST(StatementPlan, AnAliasReadTwiceGathersTheIndexesOfBothReads) {
  StatementPlan plan;
  plan.Reads("mat_mov", "ix_a");
  plan.Reads("PCPFTOF");
  plan.Reads("MAT_MOV", "IX_B");
  EXPECT_EQ(plan.IndexesOf("Mat_Mov"), (std::vector<std::string>{"IX_A", "IX_B"}));
  EXPECT_TRUE(plan.IndexesOf("PCPFTOF").empty());
  EXPECT_TRUE(plan.IndexesOf("OF1").empty());
}

}  // namespace
}  // namespace zr::db::plan
