// Array execution: the elements travel as EXECUTE BLOCKs of as many statements as the engine's limits allow (one
// request each, checked in the server's monitoring tables), blocks are prepared once per element count,
// offsets pick the elements, and one failing element fails the whole call and leaves nothing of it behind.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "db/errors.h"
#include "db/query.h"
#include "fb_test_support.h"

namespace zr::db::firebird::testing {
namespace {

using ::testing::HasSubstr;

class FbArrayTest : public FbDatabaseTest {
 protected:
  FbArrayTest()
      : FbDatabaseTest({"CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), "
                        "PRICE NUMERIC(15,4), DIA DATE)"}) {}

  // Elements 0..count-1: ID i+1, NAME "item <i+1>", PRICE (i+1)/4, DIA 1 Jan 2020 + i.
  static ParamSet Items(int count, int duplicateIdAt = -1) {
    std::vector<TFDValue> ids, names, prices, days;
    for (int i = 0; i < count; ++i) {
      // (emplace with the alternative named: GCC 12 warns wrongly on pushing converted temporaries)
      ids.emplace_back(std::in_place_type<int64_t>, i == duplicateIdAt ? 1 : i + 1);
      names.emplace_back(std::in_place_type<std::string>, "item " + std::to_string(i + 1));
      prices.emplace_back(std::in_place_type<double>, (i + 1) / 4.0);
      days.emplace_back(std::in_place_type<TFDTimeStamp>, TFDTimeStamp{43831.0 + i});
    }
    ParamSet params;
    params.Add(ftInteger, ids).Add(ftString, names).Add(ftFloat, prices).Add(ftDate, days);
    return params;
  }

  int64_t Count(const std::string& where = "") {
    return ValueAsInteger(Scalar(*connection_, "SELECT COUNT(*) FROM ITEMS " + where));
  }
};

constexpr const char* kInsert = "INSERT INTO ITEMS (ID, NAME, PRICE, DIA) VALUES (?, ?, ?, ?)";

TEST_F(FbArrayTest, EveryElementIsStoredWithItsValues) {
  connection_->StartTransaction();
  auto statement = connection_->CreateStatement();
  statement->Prepare(kInsert);
  const ParamSet params = Items(600);
  statement->Execute(params.Columns(), 600, 0);
  EXPECT_EQ(statement->RowsAffected(), 600);
  connection_->Commit();
  EXPECT_EQ(Count(), 600);
  const Rows rows = Query(
      *connection_, "SELECT ID, NAME, PRICE, DIA FROM ITEMS WHERE ID IN (1, 256, 257, 600) ORDER BY ID");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1][0], TFDValue(int64_t{256}));
  EXPECT_EQ(rows[1][1], TFDValue(std::string("item 256")));
  EXPECT_EQ(rows[1][2], TFDValue(TFDBcd{640000, 4}));
  EXPECT_EQ(rows[3][3], TFDValue(TFDTimeStamp{43831.0 + 599}));
}

// This attachment's EXECUTE BLOCKs (or other statements starting with `start`): how many INSERTs each holds and
// how many rows it has inserted over all its executions, smallest block first.
std::vector<PreparedUse> Blocks(driver::Connection& connection, const char* start = "EXECUTE BLOCK") {
  return PreparedStatements(connection, "CURRENT_CONNECTION", "INSERT INTO", start);
}

TEST_F(FbArrayTest, EachBlockOfUpTo256ElementsIsOneRequest) {
  auto statement = connection_->CreateStatement();
  statement->Prepare(kInsert);
  connection_->StartTransaction();
  const ParamSet params = Items(600);
  statement->Execute(params.Columns(), 600, 0);
  connection_->Commit();
  // Two blocks were prepared: 256 statements (one context each), run twice (512 rows), and 88 statements,
  // run once. Every row went through them, and the single INSERT itself never ran.
  EXPECT_EQ(Blocks(*connection_), (std::vector<PreparedUse>{{88, 88}, {256, 512}}));
  EXPECT_EQ(Blocks(*connection_, "INSERT INTO"), (std::vector<PreparedUse>{{1, 0}}));
  EXPECT_EQ(Count(), 600);
}

TEST_F(FbArrayTest, ABlockIsPreparedOncePerElementCountAndOffsetsPickTheElements) {
  auto statement = connection_->CreateStatement();
  statement->Prepare(kInsert);
  const ParamSet params = Items(100);
  for (int offset = 0; offset < 100; offset += 25) {
    statement->Execute(params.Columns(), 25, offset);
    EXPECT_EQ(statement->RowsAffected(), 25);
  }
  EXPECT_EQ(Blocks(*connection_), (std::vector<PreparedUse>{{25, 100}}));
  EXPECT_EQ(Count(), 100);
  EXPECT_EQ(Count("WHERE ID BETWEEN 1 AND 100 AND NAME = 'item ' || ID"), 100);

  // One element runs the statement itself, no block.
  Exec(*connection_, "DELETE FROM ITEMS");
  statement->Execute(params.Columns(), 1, 41);
  EXPECT_EQ(statement->RowsAffected(), 1);
  EXPECT_EQ(Count("WHERE ID = 42"), 1);
  EXPECT_EQ(Count(), 1);
}

TEST_F(FbArrayTest, AFailingElementFailsTheWholeCallAndKeepsTheTransaction) {
  struct Case {
    const char* name;
    int elements;
    int duplicateAt;
  };
  const Case cases[] = {
      {"within one block", 50, 30},
      {"in the last of several blocks", 600, 590},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    connection_->StartTransaction();
    Exec(*connection_, "INSERT INTO ITEMS (ID, NAME) VALUES (9999, 'kept')");
    auto statement = connection_->CreateStatement();
    statement->Prepare(kInsert);
    const ParamSet params = Items(c.elements, c.duplicateAt);
    try {
      statement->Execute(params.Columns(), c.elements, 0);
      ADD_FAILURE() << "a duplicate key went through";
    } catch (const EDatabaseError& e) {
      EXPECT_THAT(e.what(), HasSubstr("violation of PRIMARY or UNIQUE KEY constraint"));
      EXPECT_THAT(e.what(), HasSubstr("\"ITEMS\""));
    }
    ASSERT_TRUE(connection_->InTransaction());
    EXPECT_EQ(Count(), 1);  // nothing of the failed call, the earlier row still there
    const ParamSet good = Items(c.elements);
    statement->Execute(good.Columns(), c.elements, 0);
    connection_->Commit();
    EXPECT_EQ(Count(), c.elements + 1);
    Exec(*connection_, "DELETE FROM ITEMS");
  }
}

TEST_F(FbArrayTest, MarkersInLiteralsQuotedNamesAndCommentsAreNotParameters) {
  auto statement = connection_->CreateStatement();
  statement->Prepare(
      "/* a ? here */ INSERT INTO ITEMS (ID, \"NAME\") -- and ? there\n"
      "VALUES (?, 'why?' || ?); -- last ? words");
  ParamSet params;
  params.Add(ftInteger, {int64_t{1}, int64_t{2}, int64_t{3}})
      .Add(ftString, {std::string("a"), std::string("b'?"), std::string("c")});
  statement->Execute(params.Columns(), 3, 0);
  const Rows rows = Query(*connection_, "SELECT NAME FROM ITEMS ORDER BY ID");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1][0], TFDValue(std::string("why?b'?")));
}

TEST_F(FbArrayTest, RowsAffectedCountsWhatEachElementDid) {
  struct Case {
    const char* name;
    const char* sql;
    int64_t affected;
  };
  // Elements: ID 1..4 with FLAG 1, 0, 1, 1.
  const Case cases[] = {
      {"INSERT ... SELECT stores a row only where FLAG is 1",
       "INSERT INTO ITEMS (ID, NAME) SELECT ?, 'x' FROM RDB$DATABASE WHERE ? = 1", 3},
      {"INSERT ... VALUES stores one row per element, SELECT in a literal notwithstanding",
       "INSERT INTO ITEMS (ID, NAME) VALUES (?, 'SELECT' || ?)", 4},
      {"UPDATE counts the rows it changed", "UPDATE ITEMS SET NAME = 'y' WHERE ID = ? AND 1 = ?", 3},
      {"DELETE counts the rows it removed", "DELETE FROM ITEMS WHERE ID = ? AND ? = 0", 1},
  };
  ParamSet params;
  params.Add(ftInteger, {int64_t{1}, int64_t{2}, int64_t{3}, int64_t{4}})
      .Add(ftInteger, {int64_t{1}, int64_t{0}, int64_t{1}, int64_t{1}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Exec(*connection_, "DELETE FROM ITEMS");
    if (std::string(c.sql).rfind("INSERT", 0) != 0) {
      for (int id = 1; id <= 4; ++id) {
        Exec(*connection_, "INSERT INTO ITEMS (ID) VALUES (" + std::to_string(id) + ")");
      }
    }
    auto statement = connection_->CreateStatement();
    statement->Prepare(c.sql);
    statement->Execute(params.Columns(), 4, 0);
    EXPECT_EQ(statement->RowsAffected(), c.affected);
  }
}

TEST_F(FbArrayTest, AStatementWithoutParametersRunsOncePerElement) {
  Exec(*connection_, "INSERT INTO ITEMS (ID) VALUES (1)");
  auto statement = connection_->CreateStatement();
  statement->Prepare("UPDATE ITEMS SET PRICE = COALESCE(PRICE, 0) + 1");
  statement->Execute({}, 3, 0);
  EXPECT_EQ(statement->RowsAffected(), 3);
  EXPECT_EQ(Scalar(*connection_, "SELECT PRICE FROM ITEMS"), TFDValue(TFDBcd{30000, 4}));
}

TEST_F(FbArrayTest, AStatementNoBlockCanDeclareRunsPerElementAllOrNone) {
  // "? IS NULL" has no type PSQL could declare: the elements run one by one, under one savepoint.
  auto statement = connection_->CreateStatement();
  statement->Prepare("INSERT INTO ITEMS (ID, NAME) SELECT ?, 'x' FROM RDB$DATABASE WHERE ? IS NULL");
  ParamSet params;
  params.Add(ftInteger, {int64_t{1}, int64_t{2}, int64_t{3}})
      .Add(ftInteger, {std::monostate{}, int64_t{0}, std::monostate{}});
  statement->Execute(params.Columns(), 3, 0);
  EXPECT_EQ(statement->RowsAffected(), 2);
  EXPECT_EQ(Count(), 2);  // element 2 selected nothing
  ParamSet failing;
  failing.Add(ftInteger, {int64_t{10}, int64_t{1}}).Add(ftInteger, {std::monostate{}, std::monostate{}});
  connection_->StartTransaction();
  EXPECT_THROW(statement->Execute(failing.Columns(), 2, 0), EDatabaseError);
  EXPECT_TRUE(connection_->InTransaction());
  EXPECT_EQ(Count(), 2);  // element 0 (ID 10) undone with the failing element 1, in the open transaction
  connection_->Commit();
  EXPECT_TRUE(Blocks(*connection_).empty());
}

// Statements whose elements fill a block at one limit of the engine or another: the tables are wide or long.
class FbArrayLimitsTest : public FbDatabaseTest {
 protected:
  FbArrayLimitsTest()
      : FbDatabaseTest({"CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20))",
                        Table("WIDE", 127, "SMALLINT"),
                        Table("LONGTEXT", 44, "VARCHAR(350) CHARACTER SET UTF8"),
                        "CREATE TABLE U (ID INTEGER)"}) {}

  // TABLE (ID INTEGER, C1 type, ..., C<columns> type)
  static std::string Table(const std::string& name, int columns, const std::string& type) {
    std::string ddl = "CREATE TABLE " + name + " (ID INTEGER";
    for (int c = 1; c <= columns; ++c) ddl += ", C" + std::to_string(c) + " " + type;
    return ddl + ")";
  }
  static std::string Insert(const std::string& name, int columns) {
    std::string sql = "INSERT INTO " + name + " VALUES (?";
    for (int c = 1; c <= columns; ++c) sql += ", ?";
    return sql + ")";
  }
};

TEST_F(FbArrayLimitsTest, ABlockTakesElementsUpToTheFirstLimitAndTheRestGoIntoTheNext) {
  const auto ids = [](int count) {
    std::vector<TFDValue> values;
    for (int i = 1; i <= count; ++i) values.emplace_back(std::in_place_type<int64_t>, i);
    return values;
  };
  const auto repeated = [](int count, TFDValue value) { return std::vector<TFDValue>(count, value); };
  struct Case {
    const char* name;
    std::string sql;
    const char* word;  // counts the statements in a block
    int perBlock;
    std::function<ParamSet(int)> params;
    std::string check;  // a query giving the elements done, for `elements` elements
  };
  std::string longValue;  // 349 characters of two bytes each; each column adds a digit of its number
  for (int i = 0; i < 349; ++i) longValue += "\xC3\xA9";
  const Case cases[] = {
      {"INSERT ... VALUES takes one context", "INSERT INTO ITEMS (ID, NAME) VALUES (?, ?)", "INSERT INTO",
       256,
       [&](int n) {
         ParamSet p;
         p.Add(ftInteger, ids(n)).Add(ftString, repeated(n, TFDValue(std::string("x"))));
         return p;
       },
       "SELECT COUNT(*) FROM ITEMS WHERE NAME = 'x'"},
      {"UPDATE takes two contexts", "UPDATE ITEMS SET NAME = ? WHERE ID = ?", "UPDATE ITEMS", 128,
       [&](int n) {
         ParamSet p;
         p.Add(ftString, repeated(n, TFDValue(std::string("updated")))).Add(ftInteger, ids(n));
         return p;
       },
       "SELECT COUNT(*) FROM ITEMS WHERE NAME = 'updated'"},
      {"DELETE takes one context", "DELETE FROM ITEMS WHERE ID = ?", "DELETE FROM", 256,
       [&](int n) {
         ParamSet p;
         p.Add(ftInteger, ids(n));
         return p;
       },
       "SELECT 300 - COUNT(*) FROM ITEMS"},
      {"128 inputs per element: 32,767 inputs", Insert("WIDE", 127), "INSERT INTO", 255,
       [&](int n) {
         ParamSet p;
         p.Add(ftInteger, ids(n));
         for (int c = 1; c <= 127; ++c) p.Add(ftInteger, repeated(n, TFDValue(int64_t{c})));
         return p;
       },
       "SELECT COUNT(*) FROM WIDE WHERE C1 = 1 AND C64 = 64 AND C127 = 127"},
      {"44 long texts per element: the request's memory", Insert("LONGTEXT", 44), "INSERT INTO", 150,
       [&](int n) {
         ParamSet p;
         p.Add(ftInteger, ids(n));
         for (int c = 1; c <= 44; ++c)
           p.Add(ftString, repeated(n, TFDValue(longValue + std::to_string(c % 10))));
         return p;
       },
       "SELECT COUNT(*) FROM LONGTEXT WHERE CHAR_LENGTH(C1) = 350 AND C44 = '" + longValue +
           "4' AND "
           "OCTET_LENGTH(C20) = 699"},
  };
  for (const Case& c : cases) {
    for (const int elements : {c.perBlock, c.perBlock + 1}) {
      SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(elements) + " elements");
      Exec(*connection_, "DELETE FROM ITEMS");
      Exec(*connection_, "DELETE FROM WIDE");
      Exec(*connection_, "DELETE FROM LONGTEXT");
      auto items = connection_->CreateStatement();
      items->Prepare("INSERT INTO ITEMS (ID) VALUES (?)");
      ParamSet rows;
      rows.Add(ftInteger, ids(300));
      if (c.sql.rfind("INSERT", 0) != 0) items->Execute(rows.Columns(), 300, 0);

      auto connection = db_->Open();  // its blocks alone in the monitoring tables
      connection->StartTransaction();
      auto statement = connection->CreateStatement();
      statement->Prepare(c.sql);
      const ParamSet params = c.params(elements);
      statement->Execute(params.Columns(), elements, 0);
      EXPECT_EQ(statement->RowsAffected(), elements);
      connection->Commit();
      const std::vector<int64_t> blocks =
          elements == c.perBlock ? std::vector<int64_t>{c.perBlock} : std::vector<int64_t>{1, c.perBlock};
      EXPECT_EQ(PreparedWords(*connection, "CURRENT_CONNECTION", c.word), blocks);
      EXPECT_EQ(ValueAsInteger(Scalar(*connection_, c.check)), elements);
    }
  }
}

// A block that takes more contexts than its text tells (here a subquery over seven tables) is refused by the
// engine before anything runs: the elements then run one by one, all or none.
TEST_F(FbArrayLimitsTest, ElementsOfABlockTheEngineRefusesRunOneByOne) {
  Exec(*connection_, "INSERT INTO U (ID) VALUES (1)");
  std::vector<TFDValue> ids;
  for (int i = 1; i <= 60; ++i) ids.emplace_back(std::in_place_type<int64_t>, i);
  ParamSet params;
  params.Add(ftInteger, ids);
  auto statement = connection_->CreateStatement();
  statement->Prepare(
      "INSERT INTO ITEMS (ID, NAME) SELECT ?, 'joined' FROM U A JOIN U B ON B.ID = A.ID "
      "JOIN U C ON C.ID = A.ID JOIN U D ON D.ID = A.ID JOIN U E ON E.ID = A.ID "
      "JOIN U F ON F.ID = A.ID JOIN U G ON G.ID = A.ID");
  statement->Execute(params.Columns(), 60, 0);
  EXPECT_EQ(statement->RowsAffected(), 60);
  EXPECT_EQ(ValueAsInteger(Scalar(*connection_, "SELECT COUNT(*) FROM ITEMS WHERE NAME = 'joined'")), 60);
  EXPECT_TRUE(PreparedWords(*connection_, "CURRENT_CONNECTION", "INSERT").empty());

  // Again, with one element failing: nothing of the call stays.
  Exec(*connection_, "DELETE FROM ITEMS");
  ids[59] = TFDValue(int64_t{1});
  ParamSet failing;
  failing.Add(ftInteger, ids);
  connection_->StartTransaction();
  EXPECT_THROW(statement->Execute(failing.Columns(), 60, 0), EDatabaseError);
  EXPECT_EQ(ValueAsInteger(Scalar(*connection_, "SELECT COUNT(*) FROM ITEMS")), 0);
  connection_->Rollback();
}

}  // namespace
}  // namespace zr::db::firebird::testing
