// Which statements write-behind may queue, and the table each one writes: a text test that, when unsure,
// leaves the statement to run alone.

#include <gtest/gtest.h>

#include "write_queue.h"

namespace zr::db::detail {
namespace {

TEST(QueueableTable, TakesPlainDmlAndNamesTheTableItWrites) {
  struct Case {
    const char* name;
    const char* sql;
    bool withParams;
    const char* table;
  };
  const Case cases[] = {
      {"a delete of the import",
       "DELETE FROM PCPFTOF01\r\nWHERE NUMERO = '000010'\r\nAND PARTE IN ('A;B')\r\n", false, "PCPFTOF01"},
      {"an update of the status update, in lower case", "update pcpftof01 set \r\nSITUACAO = 'B'", false,
       "PCPFTOF01"},
      {"the array insert", "INSERT INTO PCPFTOF01\r\n(NUMERO, ID)\r\nVALUES\r\n(?, ?)", true, "PCPFTOF01"},
      {"UPDATE OR INSERT", "UPDATE OR INSERT INTO T (K) VALUES (1) MATCHING (K)", false, "T"},
      {"a quoted table name", "DELETE FROM \"Pedidos\" WHERE 1 = 1", false, "PEDIDOS"},
      {"a subquery in a delete is fine", "DELETE FROM T WHERE K IN (SELECT K FROM U)", false, "T"},
      {"an insert from a select with parameters is not", "INSERT INTO T SELECT ? FROM U", true, ""},
      {"a statement with parameters that is not an insert", "UPDATE T SET A = ?", true, ""},
      {"markers where none were declared", "UPDATE T SET A = ?", false, ""},
      {"two statements", "DELETE FROM T; DELETE FROM U", false, ""},
      {"a comment could hide anything", "DELETE FROM T -- WHERE K = 1", false, ""},
      {"RETURNING gives rows back", "DELETE FROM T WHERE K = 1 RETURNING K", false, ""},
      {"a select", "SELECT * FROM T", false, ""},
      {"a procedure", "EXECUTE PROCEDURE P", false, ""},
      {"DDL", "CREATE TABLE T (K INTEGER)", false, ""},
      {"leading blanks are skipped", "  DELETE FROM T", false, "T"},
      {"an unterminated literal", "DELETE FROM T WHERE K = 'x", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(QueueableTable(c.sql, c.withParams), c.table);
  }
}

TEST(QueueableTable, ATableIsNamedAnywhereInAText) {
  EXPECT_TRUE(NamesTable("SELECT * FROM pcpftof01 P", "PCPFTOF01"));
  EXPECT_TRUE(NamesTable("SELECT * FROM V_PCPFTOF01_X", "PCPFTOF01"));  // conservative: a longer name too
  EXPECT_FALSE(NamesTable("SELECT * FROM PCPFT201", "PCPFTOF01"));
}

}  // namespace
}  // namespace zr::db::detail
