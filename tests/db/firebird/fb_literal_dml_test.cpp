// Statements written with their values inline run as the prepared request of their literal shape: each one
// must still do and report exactly what its own text would.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "db/errors.h"
#include "fb_test_support.h"

namespace zr::db::firebird::testing {
namespace {

using ::testing::HasSubstr;

class FbLiteralDmlTest : public FbDatabaseTest {
 protected:
  FbLiteralDmlTest()
      : FbDatabaseTest({"CREATE TABLE T (K VARCHAR(6), P CHAR(2), S CHAR(1), N INTEGER, D DATE)",
                        "INSERT INTO T (K, P, S) VALUES ('000001', '1', 'A')",
                        "INSERT INTO T (K, P, S) VALUES ('000001', '2', 'A')",
                        "INSERT INTO T (K, P, S) VALUES ('000002', '1', 'A')",
                        "INSERT INTO T (K, P, S) VALUES ('000003', '1', 'A')"}) {}

  int64_t Run(const std::string& sql) {
    auto statement = connection_->CreateStatement();
    statement->Prepare(sql);
    statement->Execute({}, 1, 0);
    return statement->RowsAffected();
  }
  int64_t Count(const std::string& where) {
    return ValueAsInteger(Scalar(*connection_, "SELECT COUNT(*) FROM T WHERE " + where));
  }
};

TEST_F(FbLiteralDmlTest, StatementsOfOneShapeEachUseTheirOwnValuesAndCounts) {
  connection_->StartTransaction();
  struct Step {
    const char* Sql;
    int64_t Affected;
  };
  const Step steps[] = {
      {"UPDATE T SET S = 'B' WHERE K = '000001' AND S = 'A'", 2},
      {"UPDATE T SET S = 'B' WHERE K = '000001' AND S = 'A'", 0},  // already marked
      {"UPDATE T SET S = 'C' WHERE K = '000002' AND S = 'A'", 1},
      {"DELETE FROM T WHERE K = '000001' AND P IN ('2')", 1},
      {"DELETE FROM T WHERE K = '000003' AND P IN ('1 ')", 1},  // CHAR compares without trailing blanks
      {"DELETE FROM T WHERE K = '000009' AND P IN ('1')", 0},
  };
  for (const Step& step : steps) EXPECT_EQ(Run(step.Sql), step.Affected) << step.Sql;
  connection_->Commit();
  EXPECT_EQ(Count("K = '000001' AND P = '1' AND S = 'B'"), 1);
  EXPECT_EQ(Count("K = '000002' AND S = 'C'"), 1);
  EXPECT_EQ(Count("1 = 1"), 2);
}

// Statements of one shape share one prepared request: the server lists this attachment's request once,
// under the shape's text, with the rows that every statement changed through it, and no statement as
// written stays prepared.
TEST_F(FbLiteralDmlTest, StatementsOfOneShapeRunThroughOneSharedRequest) {
  connection_->StartTransaction();
  for (const std::string key : {"000001", "000002", "000003"}) {
    Run("UPDATE T SET S = 'B' WHERE K = '" + key + "'");
  }
  const Rows rows =
      Query(*connection_,
            "SELECT S.MON$SQL_TEXT, R.MON$RECORD_UPDATES FROM MON$STATEMENTS S "
            "JOIN MON$RECORD_STATS R ON R.MON$STAT_ID = S.MON$STAT_ID "
            "WHERE S.MON$ATTACHMENT_ID = CURRENT_CONNECTION AND S.MON$SQL_TEXT STARTING WITH 'UPDATE'");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(ValueAsString(rows[0][0]), "UPDATE T SET S = ? WHERE K = ?");
  EXPECT_EQ(ValueAsInteger(rows[0][1]), 4);  // two rows of 000001, one each of the others
  connection_->Commit();
}

TEST_F(FbLiteralDmlTest, LiteralsAMarkerCouldNotCarryRunAsWritten) {
  connection_->StartTransaction();
  // Longer than the column: as a literal it matches nothing; as a parameter it would be refused.
  EXPECT_EQ(Run("DELETE FROM T WHERE K = '0000001'"), 0);
  EXPECT_EQ(Run("DELETE FROM T WHERE K = '000002'"), 1);
  EXPECT_EQ(Run("DELETE FROM T WHERE K = '0000002'"), 0);
  EXPECT_EQ(Run("DELETE FROM T WHERE K = '000001'"), 2);
  // Text into a number and a date: converted by the literal's rules.
  EXPECT_EQ(Run("UPDATE T SET N = '7', D = '2017-06-15' WHERE K = '000003'"), 1);
  const Rows rows = Query(*connection_, "SELECT N, EXTRACT(DAY FROM D) FROM T WHERE K = '000003'");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(ValueAsInteger(rows[0][0]), 7);
  EXPECT_EQ(ValueAsInteger(rows[0][1]), 15);
  // Accents stay in the text.
  EXPECT_EQ(Run("UPDATE T SET K = 'Ação' WHERE K = '000003'"), 1);
  EXPECT_EQ(Run("UPDATE T SET K = 'Ação' WHERE K = 'Ação'"), 1);
  EXPECT_EQ(Count("K = 'Ação'"), 1);
  connection_->Commit();
}

TEST_F(FbLiteralDmlTest, AnErrorNamesThePlaceInTheTextAsWritten) {
  connection_->StartTransaction();
  EXPECT_EQ(Run("DELETE FROM T WHERE K = '000003' AND N IS NULL"), 1);
  const std::string sql = "DELETE FROM T WHERE K = '000001' AND NOSUCH = 1";
  try {
    Run(sql);
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_THAT(e.what(), HasSubstr("NOSUCH"));
    EXPECT_THAT(e.what(), HasSubstr("column " + std::to_string(sql.find("NOSUCH") + 1)));
  }
  // The same statement with a well-formed text still runs.
  EXPECT_EQ(Run("DELETE FROM T WHERE K = '000001' AND N IS NULL"), 2);
}

TEST_F(FbLiteralDmlTest, EachTransactionSeesMetadataAndTriggersChangedBeforeIt) {
  connection_->StartTransaction();
  EXPECT_EQ(Run("DELETE FROM T WHERE K = '000002'"), 1);
  connection_->Commit();
  Exec(*connection_, "ALTER TABLE T ALTER COLUMN K TYPE VARCHAR(10)");
  Exec(*connection_, "INSERT INTO T (K, P, S) VALUES ('0000000009', '1', 'A')");

  // Another attachment adds a trigger that refuses deletes of one key, then drops it again.
  auto other = db_->Open();
  Exec(*other, "CREATE EXCEPTION E_NO 'refused'");
  Exec(*other,
       "CREATE TRIGGER TR_NO FOR T BEFORE DELETE AS BEGIN IF (OLD.K = '000003') THEN EXCEPTION E_NO; END");
  connection_->StartTransaction();
  EXPECT_EQ(Run("DELETE FROM T WHERE K = '0000000009'"), 1);
  EXPECT_THROW(Run("DELETE FROM T WHERE K = '000003'"), EDatabaseError);
  connection_->Rollback();
  Exec(*other, "DROP TRIGGER TR_NO");
  connection_->StartTransaction();
  EXPECT_EQ(Run("DELETE FROM T WHERE K = '0000000009'"), 1);
  EXPECT_EQ(Run("DELETE FROM T WHERE K = '000003'"), 1);
  connection_->CommitRetaining();
  EXPECT_EQ(Run("DELETE FROM T WHERE K = '000001'"), 2);
  connection_->Commit();
  // A table its shapes were prepared on can still be dropped by the same attachment.
  Exec(*connection_, "DROP TABLE T");
  EXPECT_THROW(Run("DELETE FROM T WHERE K = '000001'"), EDatabaseError);
}

}  // namespace
}  // namespace zr::db::firebird::testing
