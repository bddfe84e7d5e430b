// The attachment's literal shapes: requests lent and kept for the next statement of their shape, within one
// unit of work and within their capacity, freed on the server when they give way; refusals remembered; and
// the connection's switches that turn shapes off, leaving every result as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/options.h"
#include "fb_attach.h"
#include "fb_session.h"
#include "fb_shapes.h"
#include "fb_test_support.h"

namespace zr::db::firebird::testing {
namespace {

const std::string kShapes = "UPDATE T SET S = ? WHERE K = ? AND ";

// Distinct texts of one form, each a shape the server prepares.
std::string Text(int i) { return kShapes + std::to_string(i) + " = " + std::to_string(i); }

MarkerFit Fits(const PreparedRequest&) { return MarkerFit::Fits; }

// The owner of an attachment of its own, in an open transaction. Preparations are counted per text; what the
// server still holds is read through the test's other attachment.
class FbShapesTest : public FbDatabaseTest {
 protected:
  FbShapesTest() : FbDatabaseTest({"CREATE TABLE T (K VARCHAR(6), S CHAR(1))"}) {}

  void SetUp() override {
    FbDatabaseTest::SetUp();
    if (IsSkipped()) return;
    const AttachTarget target = TargetFrom(db_->Params());
    session_ = std::make_unique<Session>(Attach(target), WatchSettingsFor(target));
    session_->StartTransaction();
  }
  void TearDown() override {
    session_.reset();
    FbDatabaseTest::TearDown();
  }

  ShapeRequests& Shapes() { return session_->Shapes(); }
  ShapeRequests::Prepare Prepare() {
    return [this](const std::string& sql) {
      ++prepared_[sql];
      return session_->ShapePreparer(session_->Transaction(), kNoTimeout)(sql);
    };
  }
  std::optional<ShapeLoan> Lend(const std::string& text, const ShapeRequests::Fit& fit = Fits) {
    return Shapes().Lend(text, fit, Prepare());
  }
  void LendAndGiveBack(const std::string& text) {
    std::optional<ShapeLoan> loan = Lend(text);
    ASSERT_TRUE(loan) << text;
    Shapes().GiveBack(*loan);
    EXPECT_EQ(loan->Where(), ShapeLoan::State::Home);
  }
  // How many requests of the texts beginning with `start` the server holds prepared.
  int64_t OnServer(const std::string& start = kShapes) {
    return ValueAsInteger(Scalar(
        *connection_, "SELECT COUNT(*) FROM MON$STATEMENTS WHERE MON$SQL_TEXT STARTING WITH '" + start + "'"));
  }

  std::unique_ptr<Session> session_;
  std::map<std::string, int> prepared_;
};

TEST_F(FbShapesTest, TheLeastRecentlyKeptRequestGivesWayAndIsFreedOnTheServer) {
  const int capacity = static_cast<int>(ShapeRequests::kRequests);
  for (int i = 0; i <= capacity; ++i) LendAndGiveBack(Text(i));
  EXPECT_EQ(OnServer(), capacity);  // Text(0) gave way

  // Lent from home: not prepared again, and the most recently kept once given back.
  LendAndGiveBack(Text(1));
  EXPECT_EQ(prepared_[Text(1)], 1);
  LendAndGiveBack(Text(capacity + 1));  // Text(2) gives way now, not Text(1)
  LendAndGiveBack(Text(1));
  EXPECT_EQ(prepared_[Text(1)], 1);
  LendAndGiveBack(Text(2));
  EXPECT_EQ(prepared_[Text(2)], 2);
  LendAndGiveBack(Text(0));
  EXPECT_EQ(prepared_[Text(0)], 2);
  EXPECT_EQ(OnServer(), capacity);
}

TEST_F(FbShapesTest, ARequestLentBeforeTheUnitOfWorkEndsIsFreedWhenItComesBack) {
  std::optional<ShapeLoan> early = Lend(Text(0));
  ASSERT_TRUE(early);
  LendAndGiveBack(Text(1));
  session_->CommitRetaining();  // clears the shapes
  EXPECT_EQ(OnServer(), 1);     // only the one still lent
  Shapes().GiveBack(*early);
  EXPECT_EQ(early->Where(), ShapeLoan::State::Home);
  EXPECT_EQ(OnServer(), 0);

  // Both are prepared afresh in the new unit of work, and kept in it.
  LendAndGiveBack(Text(0));
  LendAndGiveBack(Text(1));
  LendAndGiveBack(Text(0));
  EXPECT_EQ(prepared_[Text(0)], 2);
  EXPECT_EQ(prepared_[Text(1)], 2);
  EXPECT_EQ(OnServer(), 2);
}

TEST_F(FbShapesTest, ALoanDroppedWhileLentFreesItsRequest) {
  Lend(Text(0));
  EXPECT_EQ(OnServer(), 0);
  EXPECT_FALSE(Lend(Text(0), [](const PreparedRequest&) { return MarkerFit::Never; }));
  EXPECT_EQ(prepared_[Text(0)], 2);
  EXPECT_EQ(OnServer(), 0);
}

// What a first try leaves for the next statement of the shape, and that the next unit of work starts afresh.
TEST_F(FbShapesTest, WhatAFirstTryLeavesForTheNextOneWithinTheUnitOfWork) {
  struct Case {
    const char* Name;
    std::string Sql;
    MarkerFit First;
    bool FirstLent;
    int64_t KeptOnServer;  // after the first try
    bool NextLent;         // a next try that fits
  };
  const Case cases[] = {
      {"a request that fits is lent", Text(0), MarkerFit::Fits, true, 1, true},
      {"a request too short for these literals stays home for others", Text(1), MarkerFit::TooShort, false, 1,
       true},
      {"a request that can never serve is freed and its shape refused", Text(2), MarkerFit::Never, false, 0,
       false},
      {"a text the server refuses is refused without asking again", "UPDATE NOSUCH SET S = ?", MarkerFit::Fits,
       false, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::optional<ShapeLoan> first = Lend(c.Sql, [&](const PreparedRequest&) { return c.First; });
    EXPECT_EQ(first.has_value(), c.FirstLent);
    if (first) Shapes().GiveBack(*first);
    EXPECT_EQ(OnServer(c.Sql), c.KeptOnServer);
    EXPECT_EQ(Shapes().Refused(c.Sql), !c.NextLent);

    std::optional<ShapeLoan> next = Lend(c.Sql);
    EXPECT_EQ(next.has_value(), c.NextLent);
    EXPECT_EQ(prepared_[c.Sql], 1);
    if (next) Shapes().GiveBack(*next);

    session_->CommitRetaining();
    EXPECT_FALSE(Shapes().Refused(c.Sql));
    EXPECT_EQ(OnServer(c.Sql), 0);
    Lend(c.Sql);
    EXPECT_EQ(prepared_[c.Sql], 2);
  }
}

// A SELECT's shape serves once a statement of it ran as written, and only while its request describes the
// columns that statement read.
TEST_F(FbShapesTest, ASelectShapeServesOnlyWithTheColumnsOfItsTextAsWritten) {
  const auto select = [](const char* column) {
    LiteralShape shape;
    shape.Text = std::string("SELECT ") + column + " FROM T WHERE K = ?";
    shape.Values = {"000001"};
    shape.Uses = {LiteralUse::Compared};
    return shape;
  };
  const auto columnsOf = [&](const std::string& sql) {
    return session_->Prepare(session_->Transaction(), sql, kNoTimeout);
  };
  const LiteralShape k = select("K"), s = select("S");
  EXPECT_FALSE(Shapes().LendSelect(k, Prepare()));  // none ran as written yet: nothing prepared
  EXPECT_EQ(prepared_.size(), 0u);

  PreparedRequest written = columnsOf("SELECT K FROM T WHERE K = '000001'");
  Shapes().RanAsWritten(k.Text, written.Output.get());
  std::optional<ShapeLoan> loan = Shapes().LendSelect(k, Prepare());
  ASSERT_TRUE(loan);
  Shapes().GiveBack(*loan);
  EXPECT_TRUE(Shapes().LendAgain(*loan, Prepare()));
  EXPECT_EQ(loan->Where(), ShapeLoan::State::Lent);
  EXPECT_EQ(prepared_[k.Text], 1);

  // Columns of another text: the shape's request does not describe them, and the shape is refused.
  Shapes().RanAsWritten(s.Text, written.Output.get());
  EXPECT_FALSE(Shapes().LendSelect(s, Prepare()));
  EXPECT_TRUE(Shapes().Refused(s.Text));
  EXPECT_EQ(OnServer(s.Text), 0);
  FreeStatement(written.Statement);
}

TEST_F(FbShapesTest, BlocksBeyondTheirCapacityGiveWayAndAreFreed) {
  const int capacity = static_cast<int>(ShapeRequests::kBlocks);
  for (int i = 0; i <= capacity; ++i) {
    Shapes().KeepBlock("block " + std::to_string(i), session_->Prepare(session_->Transaction(), Text(i), kNoTimeout));
  }
  EXPECT_EQ(Shapes().FindBlock("block 0"), nullptr);
  ASSERT_NE(Shapes().FindBlock("block 1"), nullptr);
  EXPECT_EQ(Shapes().FindBlock("block 1")->Type, static_cast<unsigned>(isc_info_sql_stmt_update));
  EXPECT_EQ(OnServer(), capacity);
  session_->CommitRetaining();
  EXPECT_EQ(Shapes().FindBlock("block 1"), nullptr);
  EXPECT_EQ(OnServer(), 0);
}

// The connection's entries LiteralShapes and SelectShapes turn each kind of shape off; the statements then
// run as written and do, count and read exactly what they did as shapes.
class FbShapeSwitchesTest : public FbDatabaseTest {
 protected:
  FbShapeSwitchesTest()
      : FbDatabaseTest({"CREATE TABLE T (K VARCHAR(6), S CHAR(1))", "INSERT INTO T VALUES ('000001', 'A')",
                        "INSERT INTO T VALUES ('000002', 'A')", "INSERT INTO T VALUES ('000002', 'B')",
                        "INSERT INTO T VALUES ('000003', 'A')"}) {}

  // What the work below did: each statement's count or rows, then the table.
  static std::vector<std::string> Work(driver::Connection& connection) {
    std::vector<std::string> seen;
    const auto run = [&](const std::string& sql) {
      auto statement = connection.CreateStatement();
      statement->Prepare(sql);
      statement->Execute({}, 1, 0);
      std::string line = sql + " -> " + std::to_string(statement->RowsAffected());
      std::vector<TFDValue> row;
      while (statement->Fetch(row)) line += " " + ValueAsString(row[0]) + ValueAsString(row[1]);
      statement->CloseCursor();
      seen.push_back(line);
    };
    for (const char* key : {"000001", "000002", "000003", "000009"}) {
      run(std::string("SELECT K, S FROM T WHERE K = '") + key + "' ORDER BY S");
      run(std::string("UPDATE T SET S = 'C' WHERE K = '") + key + "' AND S = 'A'");
      run(std::string("SELECT K, S FROM T WHERE K = '") + key + "' ORDER BY S");
    }
    run("DELETE FROM T WHERE K = '000002' AND S = 'B'");
    run("INSERT INTO T VALUES ('000004', 'D')");
    run("SELECT K, S FROM T ORDER BY K, S");
    return seen;
  }

  // The shapes' texts the connection's attachment holds prepared.
  static std::vector<std::string> Shaped(driver::Connection& connection) {
    std::vector<std::string> texts;
    for (const auto& row :
         Query(connection,
               "SELECT MON$SQL_TEXT FROM MON$STATEMENTS WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION AND "
               "(MON$SQL_TEXT STARTING WITH 'SELECT K, S FROM T' OR MON$SQL_TEXT STARTING WITH 'UPDATE' OR "
               "MON$SQL_TEXT STARTING WITH 'DELETE' OR MON$SQL_TEXT STARTING WITH 'INSERT')")) {
      texts.push_back(ValueAsString(row[0]));
    }
    std::sort(texts.begin(), texts.end());
    return texts;
  }
};

TEST_F(FbShapeSwitchesTest, EachSwitchTurnsItsShapesOffWithTheSameResults) {
  const std::string dml = "UPDATE T SET S = ? WHERE K = ? AND S = ?";
  const std::string del = "DELETE FROM T WHERE K = ? AND S = ?";
  const std::string ins = "INSERT INTO T VALUES (?, ?)";
  const std::string select = "SELECT K, S FROM T WHERE K = ? ORDER BY S";
  struct Case {
    const char* Name;
    std::vector<std::string> Entries;
    std::vector<std::string> Shaped;
  };
  const Case cases[] = {
      {"both on by default", {}, {del, ins, select, dml}},
      {"both on when asked", {"LiteralShapes=1", "SelectShapes=1"}, {del, ins, select, dml}},
      {"DML shapes off", {"LiteralShapes=0"}, {select}},
      {"SELECT shapes off", {"SelectShapes=0"}, {del, ins, dml}},
      {"both off", {"LiteralShapes=0", "SelectShapes=0"}, {}},
  };
  std::optional<std::vector<std::string>> reference;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TStringList params = db_->Params();
    for (const std::string& entry : c.Entries) params.Add(entry);
    std::unique_ptr<driver::Connection> connection = driver::Connect("FB", params);
    connection->StartTransaction();
    const std::vector<std::string> seen = Work(*connection);
    EXPECT_EQ(Shaped(*connection), c.Shaped);
    connection->Rollback();
    if (!reference) reference = seen;
    EXPECT_EQ(seen, *reference);
  }
  ASSERT_TRUE(reference);
  EXPECT_EQ(reference->back(),
            "SELECT K, S FROM T ORDER BY K, S -> 0 000001C 000002C 000003C 000004D");
}

}  // namespace
}  // namespace zr::db::firebird::testing
