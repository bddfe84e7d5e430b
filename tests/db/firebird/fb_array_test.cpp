// Array execution: the elements travel as EXECUTE BLOCKs of up to 255 statements (one request each, checked
// in the server's monitoring tables), blocks are prepared once per element count, offsets pick the elements,
// and one failing element fails the whole call and leaves nothing of it behind.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
      *connection_, "SELECT ID, NAME, PRICE, DIA FROM ITEMS WHERE ID IN (1, 255, 256, 600) ORDER BY ID");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1][0], TFDValue(int64_t{255}));
  EXPECT_EQ(rows[1][1], TFDValue(std::string("item 255")));
  EXPECT_EQ(rows[1][2], TFDValue(TFDBcd{637500, 4}));
  EXPECT_EQ(rows[3][3], TFDValue(TFDTimeStamp{43831.0 + 599}));
}

// What the server's monitoring tables say of this attachment's EXECUTE BLOCK statements: how many INSERTs
// each holds and how many rows it has inserted over all its executions, smallest block first.
struct BlockStats {
  int64_t Statements;
  int64_t Inserted;
  bool operator==(const BlockStats&) const = default;
};
std::ostream& operator<<(std::ostream& out, const BlockStats& s) {
  return out << "{" << s.Statements << " statements, " << s.Inserted << " inserted}";
}

std::vector<BlockStats> Blocks(driver::Connection& connection, const char* sqlStart = "EXECUTE BLOCK") {
  const Rows rows =
      Query(connection,
            std::string("SELECT S.MON$SQL_TEXT, R.MON$RECORD_INSERTS FROM MON$STATEMENTS S "
                        "JOIN MON$RECORD_STATS R ON R.MON$STAT_ID = S.MON$STAT_ID "
                        "WHERE S.MON$ATTACHMENT_ID = CURRENT_CONNECTION AND S.MON$SQL_TEXT STARTING WITH '") +
                sqlStart + "' ORDER BY CHAR_LENGTH(S.MON$SQL_TEXT)");
  std::vector<BlockStats> blocks;
  for (const auto& row : rows) {
    const std::string text = ValueAsString(row[0]);
    int64_t statements = 0;
    for (size_t at = text.find("INSERT INTO"); at != std::string::npos;
         at = text.find("INSERT INTO", at + 1)) {
      ++statements;
    }
    blocks.push_back({statements, ValueAsInteger(row[1])});
  }
  return blocks;
}

TEST_F(FbArrayTest, EachBlockOfUpTo255ElementsIsOneRequest) {
  auto statement = connection_->CreateStatement();
  statement->Prepare(kInsert);
  connection_->StartTransaction();
  const ParamSet params = Items(600);
  statement->Execute(params.Columns(), 600, 0);
  connection_->Commit();
  // Two blocks were prepared: 255 statements, run twice (510 rows), and 90 statements, run once. Every row
  // went through them, and the single INSERT itself never ran.
  EXPECT_EQ(Blocks(*connection_), (std::vector<BlockStats>{{90, 90}, {255, 510}}));
  EXPECT_EQ(Blocks(*connection_, "INSERT INTO"), (std::vector<BlockStats>{{1, 0}}));
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
  EXPECT_EQ(Blocks(*connection_), (std::vector<BlockStats>{{25, 100}}));
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

}  // namespace
}  // namespace zr::db::firebird::testing
