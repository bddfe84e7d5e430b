// Queries whose conditions compare literals run as the prepared request of their literal shape within a
// transaction: each must still read exactly the rows and columns its own text would.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "db/errors.h"
#include "fb_api.h"
#include "fb_attach.h"
#include "fb_shape_fit.h"
#include "fb_test_support.h"

namespace zr::db::firebird::testing {
namespace {

class FbLiteralSelectTest : public FbDatabaseTest {
 protected:
  FbLiteralSelectTest()
      : FbDatabaseTest({"CREATE TABLE T (K VARCHAR(6), P CHAR(2), N INTEGER, D DATE)",
                        "CREATE TABLE U (K VARCHAR(6), Q INTEGER)",
                        "INSERT INTO T VALUES ('000001', '1', 7, '2017-06-15')",
                        "INSERT INTO T VALUES ('000001', '2', 8, '2017-06-16')",
                        "INSERT INTO T VALUES ('000002', '1', 7, '2017-06-15')",
                        "INSERT INTO T VALUES ('100003', '12', 9, NULL)",
                        "INSERT INTO U VALUES ('000001', 10)", "INSERT INTO U VALUES ('000002', 20)",
                        "INSERT INTO U VALUES ('100003', 30)"}) {}

  // The statement's columns (name, type, size) and rows, its cursor closed at the end as the framework does.
  struct Result {
    std::vector<std::string> Columns;
    std::vector<std::string> Rows;
    bool operator==(const Result&) const = default;
  };
  static Result Read(driver::Statement& statement) {
    Result result;
    for (const driver::ColumnInfo& column : statement.Columns()) {
      result.Columns.push_back(column.Name + ":" + std::to_string(static_cast<int>(column.DataType)) + ":" +
                               std::to_string(column.Size));
    }
    std::vector<TFDValue> row;
    while (statement.Fetch(row)) {
      std::string line;
      for (const TFDValue& value : row) line += ValueAsString(value) + "|";
      result.Rows.push_back(line);
    }
    statement.CloseCursor();
    return result;
  }
  Result Run(const std::string& sql) {
    auto statement = connection_->CreateStatement();
    statement->Prepare(sql);
    statement->Execute({}, 1, 0);
    return Read(*statement);
  }

  // The texts of this attachment's prepared statements that begin with `start`, sorted.
  std::vector<std::string> Prepared(const std::string& start) {
    std::vector<std::string> texts;
    for (const auto& row : Query(*connection_,
                                 "SELECT MON$SQL_TEXT FROM MON$STATEMENTS WHERE MON$ATTACHMENT_ID = "
                                 "CURRENT_CONNECTION AND MON$SQL_TEXT STARTING WITH '" +
                                     start + "'")) {
      texts.push_back(ValueAsString(row[0]));
    }
    std::sort(texts.begin(), texts.end());
    return texts;
  }
};

std::string With(std::string sql, const std::string& value) { return sql.replace(sql.find('@'), 1, value); }

TEST_F(FbLiteralSelectTest, EveryStatementOfAShapeReadsWhatItsTextReads) {
  struct Case {
    const char* Sql;  // '@' stands for the value
    std::vector<std::string> Values;
  };
  const Case cases[] = {
      {"SELECT K, P, N FROM T WHERE K = '@' ORDER BY P", {"000001", "000002", "zz", "0000001", "000001"}},
      // CHAR compares without trailing blanks, as a literal does.
      {"SELECT K FROM T WHERE P IN ('@') ORDER BY K", {"1", "1 ", "12", "2", "123"}},
      {"SELECT K, P FROM T WHERE K LIKE '@' ORDER BY K, P", {"0000%", "%3", "000001", "_00001", "%"}},
      {"SELECT K FROM T WHERE P STARTING WITH '@' ORDER BY K", {"1", "12", "", "2"}},
      {"SELECT K FROM T WHERE P CONTAINING '@' ORDER BY K", {"2", "1", "x"}},
      {"SELECT T.K, U.Q FROM T JOIN U ON (U.K = T.K AND U.K <> '@') ORDER BY 1, 2", {"000001", "100003"}},
      {"SELECT P, COUNT(*) FROM T GROUP BY P HAVING MAX(K) > '@' ORDER BY P", {"000001", "1", "000002"}},
      // Not text: a number and a date are converted by the literal's rules.
      {"SELECT K FROM T WHERE N = '@' ORDER BY K", {"7", "8", "07"}},
      {"SELECT K FROM T WHERE D = '@' ORDER BY K", {"2017-06-15", "6/16/2017"}},
  };
  for (const Case& c : cases) {
    // Outside a transaction every statement runs as written: that is what each must read.
    std::vector<Result> written;
    for (const std::string& value : c.Values) written.push_back(Run(With(c.Sql, value)));
    connection_->StartTransaction();
    for (int pass = 0; pass < 2; ++pass) {
      for (size_t i = 0; i < c.Values.size(); ++i) {
        const std::string sql = With(c.Sql, c.Values[i]);
        EXPECT_EQ(Run(sql), written[i]) << sql;
      }
    }
    connection_->Commit();
  }
}

TEST_F(FbLiteralSelectTest, StatementsOfOneShapeShareOnePreparedRequest) {
  connection_->StartTransaction();
  std::vector<std::unique_ptr<driver::Statement>> kept;  // as the framework keeps its prepared queries
  std::vector<Result> results;
  for (const char* key : {"000001", "000002", "100003", "000009"}) {
    kept.push_back(connection_->CreateStatement());
    kept.back()->Prepare(std::string("SELECT K, P FROM T WHERE K = '") + key + "' ORDER BY P");
    kept.back()->Execute({}, 1, 0);
    results.push_back(Read(*kept.back()));
  }
  EXPECT_EQ(results[0].Rows, (std::vector<std::string>{"000001|1|", "000001|2|"}));
  EXPECT_EQ(results[2].Rows, (std::vector<std::string>{"100003|12|"}));
  EXPECT_TRUE(results[3].Rows.empty());
  // The first ran as written; the others all ran as the one request of the shape.
  EXPECT_EQ(Prepared("SELECT K, P FROM T"),
            (std::vector<std::string>{"SELECT K, P FROM T WHERE K = '000001' ORDER BY P",
                                      "SELECT K, P FROM T WHERE K = ? ORDER BY P"}));

  // Two of them with cursors open at once: the second needs a request of its own.
  kept[1]->Execute({}, 1, 0);
  kept[2]->Execute({}, 1, 0);
  EXPECT_EQ(Read(*kept[2]), results[2]);
  EXPECT_EQ(Read(*kept[1]), results[1]);
  connection_->Commit();

  // The next transaction compiles the shape again, and a kept statement runs on it as before.
  connection_->StartTransaction();
  kept[2]->Execute({}, 1, 0);
  EXPECT_EQ(Read(*kept[2]), results[2]);
  connection_->Commit();
}

TEST_F(FbLiteralSelectTest, AnErrorNamesThePlaceInTheTextAsWritten) {
  connection_->StartTransaction();
  EXPECT_EQ(Run("SELECT K FROM T WHERE K = '000002' AND N = 7").Rows, (std::vector<std::string>{"000002|"}));
  const std::string sql = "SELECT K FROM T WHERE K = '000001' AND NOSUCH = 7";
  try {
    Run(sql);
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("column " + std::to_string(sql.find("NOSUCH") + 1)),
              std::string::npos)
        << e.what();
  }
  EXPECT_EQ(Run("SELECT K FROM T WHERE K = '000001' AND N = 7").Rows, (std::vector<std::string>{"000001|"}));
  connection_->Rollback();
}

// A shape's request serves only when it describes the result columns of the statement as written: any
// difference in a column's type, size, character set, nullability, name or alias is one.
TEST_F(FbLiteralSelectTest, ColumnsCompareByEveryPartOfTheirDescription) {
  struct Pair {
    const char* A;
    const char* B;
    bool Same;
  };
  const Pair pairs[] = {
      {"SELECT K, P, N FROM T WHERE K = '000001'", "SELECT K, P, N FROM T WHERE K = ?", true},
      {"SELECT K FROM T", "SELECT P FROM T", false},
      {"SELECT K FROM T", "SELECT K FROM U", false},
      {"SELECT K AS A FROM T", "SELECT K AS B FROM T", false},
      {"SELECT CAST(K AS VARCHAR(6)) FROM T", "SELECT CAST(K AS VARCHAR(7)) FROM T", false},
      {"SELECT CAST(K AS VARCHAR(6)) FROM T", "SELECT CAST(K AS VARCHAR(6) CHARACTER SET OCTETS) FROM T",
       false},
      {"SELECT CAST(N AS NUMERIC(9, 2)) FROM T", "SELECT CAST(N AS NUMERIC(9, 3)) FROM T", false},
      {"SELECT N FROM T", "SELECT COALESCE(N, 0) AS N FROM T", false},
      {"SELECT K, N FROM T", "SELECT K FROM T", false},
  };
  const AttachTarget target = TargetFrom(db_->Params());
  Ref<Firebird::IAttachment> attachment(Attach(target));
  Status status;
  Ref<Firebird::ITransaction> tra(attachment->startTransaction(status.get(), 0, nullptr));
  const auto columns = [&](const char* sql) {
    Ref<Firebird::IStatement> statement(attachment->prepare(status.get(), tra.get(), 0, sql, SQL_DIALECT_V6,
                                                            Firebird::IStatement::PREPARE_PREFETCH_METADATA));
    return Ref<Firebird::IMessageMetadata>(statement->getOutputMetadata(status.get()));
  };
  for (const Pair& pair : pairs) {
    EXPECT_EQ(SameColumns(columns(pair.A).get(), columns(pair.B).get()), pair.Same)
        << pair.A << " / " << pair.B;
  }
  tra.Take([&](Firebird::ITransaction* t) { t->rollback(status.get()); });
  attachment.Take([&](Firebird::IAttachment* a) { a->detach(status.get()); });
}

}  // namespace
}  // namespace zr::db::firebird::testing
