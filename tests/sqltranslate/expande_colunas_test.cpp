// Column-list expansion under DISTINCT and GROUP BY, answered from an in-memory dictionary.
#include <gtest/gtest.h>

#include <stdexcept>

#include "sqltranslate/expande_colunas.h"
#include "sqltranslate/passes.h"
#include "test_support.h"

namespace zr::sqlt {
namespace {

using testing::TextCase;

class ExpandeColunasTest : public ::testing::Test {
 protected:
  void SetUp() override { dictionary.AttachTo(query); }
  testing::MemoryDictionary dictionary = testing::ExampleDictionary();
  TextQuery query{"Ora"};
};

TEST_F(ExpandeColunasTest, ExpandsAliasStarFromTheDictionary) {
  const std::vector<TextCase> cases = {
      {"one alias.* of a table with a CLOB column", "SELECT DISTINCT t.* FROM TABELA t WHERE t.ID > 0",
       "SELECT DISTINCT t.ID, T.NOME, T.DATA  FROM TABELA t WHERE t.ID > 0"},
      {"two aliases, each from its own table; only BLOB and CLOB are left out",
       "SELECT DISTINCT A.*, b.* FROM TABELA A INNER JOIN OUTRA B ON (A.ID = B.COD)",
       "SELECT DISTINCT A.ID, A.NOME, A.DATA , b.COD, B.DESCR, B.HIST  FROM TABELA A INNER JOIN OUTRA B ON (A.ID = B.COD)"},
      {"GROUP BY lists and sub-selects are expanded the same way", "SELECT t.* FROM TABELA t GROUP BY t.*",
       "SELECT t.ID, T.NOME, T.DATA  FROM TABELA t GROUP BY t.ID, T.NOME, T.DATA "},
      {"a line break right before the alias counts as a blank",
       "SELECT DISTINCT\r\nt.* FROM TABELA t\r\nWHERE 1 = 1\r\n",
       "SELECT DISTINCT\r\nt.ID, T.NOME, T.DATA  FROM TABELA t\r\nWHERE 1 = 1\r\n"},
      {"a table with no column leaves the bare alias", "SELECT DISTINCT v.* FROM VAZIA v WHERE 1 = 1",
       "SELECT DISTINCT v FROM VAZIA v WHERE 1 = 1"},
      {"DISTINCT without .* only turns the marker into DISTINCT", "SELECT @@@@@@@@ A FROM T GROUP BY A",
       "SELECT DISTINCT A FROM T GROUP BY A"},
      {"neither DISTINCT nor GROUP BY: unchanged, marker included", "SELECT @@@@@@@@ t.* FROM TABELA t",
       "SELECT @@@@@@@@ t.* FROM TABELA t"},
      {"an alias not in the map stays as written", "SELECT DISTINCT X.*, t.* FROM TABELA t WHERE 1 = 1",
       "SELECT DISTINCT X.*, t.ID, T.NOME, T.DATA  FROM TABELA t WHERE 1 = 1"},
      {"an alias that is the last word of the statement is not in the map",
       "SELECT DISTINCT t.* FROM TABELA t", "SELECT DISTINCT t.* FROM TABELA t"},
      {"the blank after an alias is taken with it, so a directly following JOIN is not seen",
       "SELECT DISTINCT b.* FROM TABELA A JOIN OUTRA B ON (1 = 1)",
       "SELECT DISTINCT b.* FROM TABELA A JOIN OUTRA B ON (1 = 1)"},
      {"a table named without an alias stays as written", "SELECT DISTINCT TABELA.* FROM TABELA",
       "SELECT DISTINCT TABELA.* FROM TABELA"},
      {"FROM TABELA AS T leaves T outside the map", "SELECT DISTINCT T.* FROM TABELA AS T WHERE 1 = 1",
       "SELECT DISTINCT T.* FROM TABELA AS T WHERE 1 = 1"},
      {"a word holding ) is passed over and the scan goes on",
       "SELECT DISTINCT (A).*, t.* FROM TABELA t WHERE 1 = 1",
       "SELECT DISTINCT (A).*, t.ID, T.NOME, T.DATA  FROM TABELA t WHERE 1 = 1"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ExpandeColunas(c.input, query), c.expected);
  }
}

TEST_F(ExpandeColunasTest, AsksTheDictionaryWithItsFourLineStatement) {
  ExpandeColunas("SELECT DISTINCT t.* FROM TABELA t WHERE 1 = 1", query);
  EXPECT_EQ(dictionary.LookUps(), 1);
  EXPECT_EQ(dictionary.LastStatement(), (std::vector<std::string>{
                                            "SELECT T.COLUMN_NAME AS NmCampo FROM USER_TAB_COLUMNS t",
                                            "WHERE t.TABLE_NAME = 'TABELA'",
                                            "AND Ltrim(Rtrim(T.DATA_TYPE)) NOT IN ('BLOB', 'CLOB')",
                                            "ORDER BY T.COLUMN_ID",
                                        }));
  EXPECT_EQ(DictionaryStatement("O'B")[1], "WHERE t.TABLE_NAME = 'O''B'");
}

TEST_F(ExpandeColunasTest, TrimsColumnNamesAndWritesThemAsReturned) {
  query.SetDictionary([](const std::vector<std::string>&, const std::string&) {
    return std::vector<std::string>{"  Id ", "nome\t"};
  });
  EXPECT_EQ(ListaColunas(query, "TABELA", "T"), ".Id, T.nome ");
}

TEST_F(ExpandeColunasTest, DictionaryErrorsReachTheCaller) {
  query.SetDictionary([](const std::vector<std::string>&, const std::string&) -> std::vector<std::string> {
    throw std::runtime_error("ORA-00942: table or view does not exist");
  });
  EXPECT_THROW(ExpandeColunas("SELECT DISTINCT t.* FROM TABELA t WHERE 1 = 1", query), std::runtime_error);
}

TEST(MapeiaAliases, MapsTheWordAfterEachTableName) {
  const AliasMap map =
      MapeiaAliases("select *\r\nfrom TABELA t INNER JOIN  OUTRA o ON (1=1) LEFT JOIN TABELA T2 ON x");
  ASSERT_EQ(map.Size(), 3u);
  EXPECT_EQ(map.At(0).first, "T");
  EXPECT_EQ(map.At(0).second.NmBase, "TABELA");
  EXPECT_EQ(map.At(1).first, "OUTRA");  // two blanks: an empty table name, the table read as alias
  EXPECT_EQ(map.At(1).second.NmBase, "");
  EXPECT_EQ(map.At(2).first, "T2");
  ASSERT_NE(map.Find("t2"), nullptr);
  EXPECT_EQ(map.Find("t2")->NmBase, "TABELA");
  EXPECT_EQ(map.Find("o"), nullptr);
}

TEST(MapeiaAliases, TheFirstEntryOfAnAliasWins) {
  const AliasMap map = MapeiaAliases("SELECT 1 FROM TABELA A JOIN OUTRA A ON 1 = 1");
  ASSERT_NE(map.Find("a"), nullptr);
  EXPECT_EQ(map.Find("a")->NmBase, "TABELA");
}

TEST(UltimaPalavra, TakesTheCharactersAfterTheLastBlankOrComma) {
  EXPECT_EQ(UltimaPalavra("SELECT A,B"), "B");
  EXPECT_EQ(UltimaPalavra("SELECT A"), "A");
  EXPECT_EQ(UltimaPalavra("WORD"), "WORD");
  EXPECT_EQ(UltimaPalavra("A "), "");
}

}  // namespace
}  // namespace zr::sqlt
