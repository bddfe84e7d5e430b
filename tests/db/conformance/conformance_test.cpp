// What every driver of the framework promises, checked on every database target (support/targets.h): a
// connection opened by driver name, transactions and their retaining forms, statements outside a
// transaction, the description of each column type, values of each kind through parameters, parameter
// arrays, the command time-out on a statement blocked by another attachment's lock, errors that carry the
// server's message and their kind, and the write-behind batch.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/ascii.h"
#include "db/data_types.h"
#include "db/datetime.h"
#include "db/errors.h"
#include "db/options.h"
#include "db/query.h"
#include "db/transaction.h"
#include "support/target_context.h"

namespace zr::db {
namespace {

using common::UpperAscii;
using ::testing::HasSubstr;

// Prepares and runs `sql`, a statement without a result set, on the driver's connection.
void RunOn(driver::Connection& connection, const std::string& sql) {
  auto statement = connection.CreateStatement();
  statement->Prepare(sql);
  statement->Execute({}, 1, 0);
}

class DriverConformance : public testsupport::TargetTest {
 protected:
  void SetUp() override {
    TargetTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    t_ = db_->Table("T");
    db_->Exec({"CREATE TABLE " + t_ + " (ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(10))",
               "INSERT INTO " + t_ + " VALUES (1, 'one')"});
  }

  // Rows of T as another attachment sees them: committed work only.
  int Committed() { return std::stoi(db_->Scalar("SELECT COUNT(*) FROM " + t_)); }

  static void Run(driver::Connection& connection, const std::string& sql) { RunOn(connection, sql); }

  static void ExecSQL(TFDConnection& connection, const std::string& sql,
                      TFDTransaction* transaction = nullptr) {
    TFDQuery q;
    q.SetConnection(&connection);
    q.SetTransaction(transaction);
    q.SQL().Add(sql);
    q.ExecSQL();
  }

  std::string Insert(int id, const std::string& v) const {
    return "INSERT INTO " + t_ + " VALUES (" + std::to_string(id) + ", '" + v + "')";
  }

  std::string t_;
};

TEST_F(DriverConformance, TheFrameworkConnectsByDriverNameAndAFailedConnectCarriesTheMessage) {
  auto connection = db_->Connect();
  EXPECT_TRUE(connection->Connected());
  connection->SetConnected(false);
  EXPECT_FALSE(connection->Connected());

  TFDConnection missing;
  missing.SetDriverName(db_->DriverName());
  for (const std::string& entry : db_->Params()) {
    if (entry.rfind("DriverID=", 0) != 0) missing.Params().Add(entry);
  }
  missing.Params().SetValue(
      "Database", db_->Which() == testsupport::Target::Standin ? "zr_no_such_source" : "/nonexistent/zr.fdb");
  try {
    missing.SetConnected(true);
    FAIL() << "a missing database opened";
  } catch (const EDatabaseError& e) {
    EXPECT_STRNE(e.what(), "");
  }
  EXPECT_FALSE(missing.Connected());
}

TEST_F(DriverConformance, EachCallEndsTheWorkAsItsNameSays) {
  struct Case {
    const char* name;
    void (driver::Connection::*end)();
    bool kept;
    bool stillOpen;
  };
  const Case cases[] = {
      {"Commit keeps the work and closes", &driver::Connection::Commit, true, false},
      {"Rollback drops the work and closes", &driver::Connection::Rollback, false, false},
      {"CommitRetaining keeps the work and stays open", &driver::Connection::CommitRetaining, true, true},
      {"RollbackRetaining drops the work and stays open", &driver::Connection::RollbackRetaining, false,
       true},
  };
  auto connection = db_->Open();
  int id = 10;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int before = Committed();
    connection->StartTransaction();
    Run(*connection, Insert(++id, "x"));
    EXPECT_EQ(Committed(), before) << "work is not visible before it ends";
    ((*connection).*c.end)();
    EXPECT_EQ(Committed(), before + (c.kept ? 1 : 0));
    EXPECT_EQ(connection->InTransaction(), c.stillOpen);
    if (c.stillOpen) {
      // The work goes on in an open transaction: more of it, then a real end.
      Run(*connection, Insert(++id, "y"));
      connection->Commit();
      EXPECT_EQ(Committed(), before + (c.kept ? 2 : 1));
    }
  }
}

TEST_F(DriverConformance, RetainingCallsOnATransactionObjectKeepItActive) {
  auto connection = db_->Connect();
  TFDTransaction transaction;
  transaction.SetConnection(connection.get());
  transaction.Options().SetAutoCommit(false);
  connection->SetTransaction(&transaction);
  ExecSQL(*connection, Insert(2, "kept"), &transaction);
  EXPECT_TRUE(transaction.Active());
  transaction.CommitRetaining();
  EXPECT_TRUE(transaction.Active());
  EXPECT_EQ(Committed(), 2);
  ExecSQL(*connection, Insert(3, "dropped"), &transaction);
  transaction.RollbackRetaining();
  EXPECT_TRUE(transaction.Active());
  ExecSQL(*connection, Insert(4, "last"), &transaction);
  transaction.Commit();
  EXPECT_FALSE(transaction.Active());
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM " + t_ + " WHERE ID IN (2, 4)"), "2");
  EXPECT_EQ(Committed(), 3);
  connection->SetTransaction(nullptr);
}

TEST_F(DriverConformance, WorkNotCommittedIsRolledBackWhenTheConnectionGoesAway) {
  auto driverConnection = db_->Open();
  driverConnection->StartTransaction();
  Run(*driverConnection, Insert(2, "lost"));
  driverConnection.reset();
  EXPECT_EQ(Committed(), 1);

  // Through the framework: DisconnectAction xdRollback.
  auto connection = db_->Connect();
  connection->TxOptions().DisconnectAction = xdRollback;
  connection->TxOptions().SetAutoCommit(false);
  ExecSQL(*connection, Insert(3, "lost too"));
  EXPECT_TRUE(connection->InTransaction());
  connection->SetConnected(false);
  EXPECT_EQ(Committed(), 1);
}

TEST_F(DriverConformance, OutsideATransactionEachStatementCommitsAndAFailureLeavesNothingOpen) {
  auto connection = db_->Open();
  Run(*connection, Insert(2, "auto"));
  EXPECT_FALSE(connection->InTransaction());
  EXPECT_EQ(Committed(), 2);
  try {
    Run(*connection, Insert(2, "dup"));
    FAIL() << "a duplicate key went in";
  } catch (const EDatabaseError& e) {
    EXPECT_THAT(e.what(), HasSubstr(db_->DuplicateKeyPhrase()));
    EXPECT_EQ(e.Kind(), TDatabaseErrorKind::StatementFailed);
  }
  EXPECT_FALSE(connection->InTransaction());
  EXPECT_EQ(Committed(), 2);
  Run(*connection, Insert(3, "after"));  // the connection goes on
  EXPECT_EQ(Committed(), 3);
}

TEST_F(DriverConformance, ValuesOfEachKindRoundTripThroughParametersAndNullsStayNull) {
  const std::string table = db_->Table("TYPES");
  db_->Exec(
      {"CREATE TABLE " + table +
       " (ID INTEGER NOT NULL PRIMARY KEY, C_SMALL SMALLINT, C_INT INTEGER, C_BIG BIGINT, "
       "C_NUM NUMERIC(15,4), C_DOUBLE DOUBLE PRECISION, C_TEXT VARCHAR(40), C_DATE DATE, C_TS TIMESTAMP, "
       "C_MEMO " +
       db_->TextLobType() + ")"});
  const std::string memo = "Produção de calçados: ação, coração. " + std::string(70000, 'x') + " fim";
  const TDateTime day = EncodeDateTime({2024, 2, 29, 0, 0, 0, 0});
  const TDateTime moment = EncodeDateTime({2024, 2, 29, 8, 30, 15, 250});

  auto connection = db_->Connect();
  TFDQuery insert;
  insert.SetConnection(connection.get());
  insert.SQL().Add("INSERT INTO " + table +
                   " (ID, C_SMALL, C_INT, C_BIG, C_NUM, C_DOUBLE, C_TEXT, C_DATE, C_TS, C_MEMO)");
  insert.SQL().Add(
      "VALUES (:ID, :C_SMALL, :C_INT, :C_BIG, :C_NUM, :C_DOUBLE, :C_TEXT, :C_DATE, :C_TS, :C_MEMO)");
  TFDParams& p = insert.Params();
  p.SetArraySize(2);
  p.ParamByName("ID").AsIntegers[0] = 1;
  p.ParamByName("C_SMALL").AsIntegers[0] = -32768;
  p.ParamByName("C_INT").AsIntegers[0] = 2147483647;
  p.ParamByName("C_BIG").AsIntegers[0] = -9223372036854775807LL;
  p.ParamByName("C_NUM").AsFloats[0] = 1234.5678;
  p.ParamByName("C_DOUBLE").AsFloats[0] = 1.0e300;
  p.ParamByName("C_TEXT").AsStrings[0] = "Açúcar é doce, pão não";
  p.ParamByName("C_DATE").AsDates[0] = day;
  p.ParamByName("C_TS").AsDateTimes[0] = moment;
  p.ParamByName("C_MEMO").AsStrings[0] = memo;
  p.ParamByName("ID").AsIntegers[1] = 2;
  for (const char* name :
       {"C_SMALL", "C_INT", "C_BIG", "C_NUM", "C_DOUBLE", "C_TEXT", "C_DATE", "C_TS", "C_MEMO"}) {
    p.ParamByName(name).ClearElement(1);
  }
  insert.Execute(2, 0);
  EXPECT_EQ(insert.RowsAffected(), 2);

  TFDQuery q;
  q.SetConnection(connection.get());
  q.SQL().Add("SELECT ID, C_SMALL, C_INT, C_BIG, C_NUM, C_DOUBLE, C_TEXT, C_DATE, C_TS, C_MEMO FROM " +
              table + " ORDER BY ID");
  q.Open();
  q.FetchAll();
  ASSERT_EQ(q.RecordCount(), 2);
  q.First();
  EXPECT_EQ(q.FieldByName("C_SMALL").AsInteger(), -32768);
  EXPECT_EQ(q.FieldByName("C_INT").AsInteger(), 2147483647);
  EXPECT_EQ(q.FieldByName("C_BIG").AsLargeInt(), -9223372036854775807LL);
  EXPECT_NEAR(q.FieldByName("C_NUM").AsFloat(), 1234.5678, 1e-9);
  EXPECT_EQ(q.FieldByName("C_DOUBLE").AsFloat(), 1.0e300);
  EXPECT_EQ(q.FieldByName("C_TEXT").AsString(), "Açúcar é doce, pão não");
  EXPECT_NEAR(q.FieldByName("C_DATE").AsDateTime(), day, 1e-9);
  EXPECT_NEAR(q.FieldByName("C_TS").AsDateTime(), moment, 0.5 / 86400000.0);  // to the millisecond
  EXPECT_EQ(q.FieldByName("C_MEMO").AsString(), memo);
  // The server stored characters, not bytes: the accents count once each.
  EXPECT_EQ(db_->Scalar("SELECT CHAR_LENGTH(C_TEXT) FROM " + table + " WHERE ID = 1"), "22");
  q.Next();
  for (int i = 1; i < q.FieldCount(); ++i) {
    SCOPED_TRACE(q.Fields(i).FieldName());
    EXPECT_TRUE(q.Fields(i).IsNull());
    EXPECT_EQ(q.Fields(i).AsString(), "");
  }
}

// What a driver says of a result column before any row is read.
struct Description {
  TFDDataType type = dtUnknown;
  int precision = 0, scale = 0, size = 0;
  bool fixedChar = false;
};

// One column of each type the drivers read, as Firebird and Oracle write it; a type one of them lacks has no
// column there. The ODBC driver on the stand-in says the same as the Firebird driver unless `onStandin` says
// otherwise.
struct ColumnCase {
  const char* column;
  const char* firebirdType;  // nullptr: not a Firebird column type
  const char* standinType;   // nullptr: not an Oracle column type
  Description described;
  std::optional<Description> onStandin = std::nullopt;
};

// clang-format off
const ColumnCase kColumnCases[] = {
    {"C_SMALL",   "SMALLINT",             nullptr,            {dtInt16}},
    {"C_INT",     "INTEGER",              nullptr,            {dtInt32}},
    {"C_BIG",     "BIGINT",               "BIGINT",           {dtInt64}},
    // Firebird keeps NUMERIC(p,s) in the smallest integer that holds p digits (p up to 4, 9, 18): without a
    // scale it is that integer, with one its precision is the integer's. The stand-in says what was declared,
    // as Oracle's NUMBER(p,s) does.
    {"C_NUM9",    "NUMERIC(9)",           "NUMERIC(9)",       {dtInt32},
                                                              Description{dtBCD, 9, 0, 0}},
    {"C_NUM4",    "NUMERIC(4,1)",         "NUMERIC(4,1)",     {dtBCD, 4, 1, 1}},
    {"C_DEC",     "DECIMAL(9,2)",         "DECIMAL(9,2)",     {dtBCD, 9, 2, 2}},
    {"C_NUM",     "NUMERIC(15,4)",        "NUMERIC(15,4)",    {dtBCD, 18, 4, 4},
                                                              Description{dtBCD, 15, 4, 4}},
    {"C_NUM2",    "NUMERIC(15,2)",        "NUMERIC(15,2)",    {dtBCD, 18, 2, 2},
                                                              Description{dtBCD, 15, 2, 2}},
    {"C_NUM6",    "NUMERIC(15,6)",        "NUMERIC(15,6)",    {dtBCD, 18, 6, 6},
                                                              Description{dtBCD, 15, 6, 6}},
    {"C_NUM20",   nullptr,                "NUMERIC(20,4)",    {dtFmtBCD, 20, 4, 4}},
    {"C_FLOAT",   "FLOAT",                nullptr,            {dtSingle}},
    {"C_DOUBLE",  "DOUBLE PRECISION",     "DOUBLE PRECISION", {dtDouble}},
    // Text of a Firebird attachment in UTF8 is read as it comes; ODBC text is read wide.
    {"C_CHAR",    "CHAR(5)",              "CHAR(3)",          {dtAnsiString, 0, 0, 5, true},
                                                              Description{dtWideString, 0, 0, 3, true}},
    {"C_VARCHAR", "VARCHAR(40)",          "VARCHAR(30)",      {dtAnsiString, 0, 0, 40},
                                                              Description{dtWideString, 0, 0, 30}},
    // The stand-in's DATE has no time; Oracle's DATE reads as dtDateTime.
    {"C_DATE",    "DATE",                 "DATE",             {dtDate}},
    {"C_TIME",    "TIME",                 nullptr,            {dtTime}},
    {"C_STAMP",   "TIMESTAMP",            "TIMESTAMP",        {dtDateTimeStamp},  Description{dtDateTime}},
    {"C_MEMO",    "BLOB SUB_TYPE TEXT",   "CLOB",             {dtMemo},           Description{dtHMemo}},
    {"C_BLOB",    "BLOB SUB_TYPE BINARY", "BYTEA",            {dtBlob},           Description{dtHBlob}},
    {"C_BOOL",    "BOOLEAN",              nullptr,            {dtBoolean}},
};
// clang-format on

TEST_F(DriverConformance, ColumnsAreDescribedWithTypePrecisionScaleAndSize) {
  const bool standin = db_->Which() == testsupport::Target::Standin;
  std::vector<const ColumnCase*> cases;
  std::string columns;
  for (const ColumnCase& c : kColumnCases) {
    const char* type = standin ? c.standinType : c.firebirdType;
    if (type == nullptr) continue;
    cases.push_back(&c);
    columns += std::string(columns.empty() ? "" : ", ") + c.column + " " + type;
  }
  const std::string table = db_->Table("COLUMNS");
  db_->Exec({"CREATE TABLE " + table + " (" + columns + ")"});

  auto connection = db_->Open();
  auto statement = connection->CreateStatement();
  statement->Prepare("SELECT * FROM " + table);
  const std::vector<driver::ColumnInfo> described = statement->Columns();
  ASSERT_EQ(described.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    const ColumnCase& c = *cases[i];
    SCOPED_TRACE(c.column);
    const Description& e = standin && c.onStandin ? *c.onStandin : c.described;
    // Each server names a column as it folds an unquoted name: Firebird to upper case, the stand-in to lower.
    EXPECT_EQ(UpperAscii(described[i].Name), c.column);
    EXPECT_EQ(described[i].Name == c.column, !standin) << described[i].Name;
    EXPECT_STREQ(DataTypeName(described[i].DataType), DataTypeName(e.type));
    EXPECT_EQ(described[i].Precision, e.precision);
    EXPECT_EQ(described[i].Scale, e.scale);
    EXPECT_EQ(described[i].Size, e.size);
    EXPECT_EQ(described[i].FixedChar, e.fixedChar);
  }
}

class ArrayConformance : public testsupport::TargetTest {
 protected:
  void SetUp() override {
    TargetTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    items_ = db_->Table("ITEMS");
    db_->Exec({"CREATE TABLE " + items_ +
               " (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), PRICE NUMERIC(15,4), DIA DATE)"});
    connection_ = db_->Connect();
    insert_.SetConnection(connection_.get());
    insert_.SQL().Add("INSERT INTO " + items_ + " (ID, NAME, PRICE, DIA)");
    insert_.SQL().Add("VALUES (:ID, :NAME, :PRICE, :DIA)");
  }
  void TearDown() override {
    insert_.SetConnection(nullptr);
    connection_.reset();
    TargetTest::TearDown();
  }

  // Elements 0 .. size-1: ID i, NAME "peça i", PRICE i * 1.25, DIA 1 January 2018 + i % 28 days.
  void Fill(int size) {
    TFDParams& p = insert_.Params();
    p.SetArraySize(size);
    for (int i = 0; i < size; ++i) {
      p.ParamByName("ID").AsIntegers[i] = i;
      p.ParamByName("NAME").AsStrings[i] = "peça " + std::to_string(i);
      p.ParamByName("PRICE").AsFloats[i] = i * 1.25;
      p.ParamByName("DIA").AsDates[i] = EncodeDateTime({2018, 1, 1 + i % 28, 0, 0, 0, 0});
    }
  }

  std::string Select(const std::string& what) { return db_->Scalar("SELECT " + what + " FROM " + items_); }

  std::string items_;
  std::unique_ptr<TFDConnection> connection_;
  TFDQuery insert_;
};

TEST_F(ArrayConformance, EveryElementGoesInWithItsValuesAndNulls) {
  Fill(25);
  insert_.Params().ParamByName("NAME").ClearElement(4);
  insert_.Execute(25, 0);
  EXPECT_EQ(insert_.RowsAffected(), 25);
  EXPECT_EQ(Select("COUNT(*)"), "25");
  TFDQuery q;
  q.SetConnection(connection_.get());
  q.SQL().Add("SELECT NAME, PRICE, DIA FROM " + items_ + " WHERE ID = 24");
  q.Open();
  EXPECT_EQ(q.FieldByName("NAME").AsString(), "peça 24");
  EXPECT_NEAR(q.FieldByName("PRICE").AsFloat(), 30.0, 1e-9);
  EXPECT_NEAR(q.FieldByName("DIA").AsDateTime(), EncodeDateTime({2018, 1, 25, 0, 0, 0, 0}), 1e-9);
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM " + items_ + " WHERE NAME IS NULL AND ID = 4"), "1");
}

TEST_F(ArrayConformance, TimesAndOffsetChooseTheElements) {
  Fill(20);
  insert_.Execute(5, 14);
  EXPECT_EQ(insert_.RowsAffected(), 5);
  EXPECT_EQ(Select("COUNT(*)"), "5");
  EXPECT_EQ(Select("MIN(ID)"), "14");
  EXPECT_EQ(Select("MAX(ID)"), "18");
}

TEST_F(ArrayConformance, AFailingElementFailsTheWholeCallWithTheServersMessage) {
  Fill(25);
  insert_.Params().ParamByName("ID").AsIntegers[13] = 1;  // the key of element 1 again
  try {
    insert_.Execute(25, 0);
    FAIL() << "a duplicate key went in";
  } catch (const EDatabaseError& e) {
    EXPECT_THAT(e.what(), HasSubstr(db_->DuplicateKeyPhrase()));
  }
  EXPECT_EQ(Select("COUNT(*)"), "0") << "nothing of the failed call stays";
  insert_.Params().ParamByName("ID").AsIntegers[13] = 13;
  insert_.Execute(25, 0);  // the connection goes on
  EXPECT_EQ(Select("COUNT(*)"), "25");
}

TEST_F(DriverConformance, AStatementBlockedByAnotherAttachmentsLockTimesOutAndTheConnectionGoesOn) {
  auto holder = db_->Open();
  holder->StartTransaction();
  Run(*holder, "UPDATE " + t_ + " SET V = 'held' WHERE ID = 1");  // keeps the row locked

  auto connection = db_->Connect();
  TFDQuery query;
  query.SetConnection(connection.get());
  query.ResourceOptions().CmdExecTimeout = 1000;
  query.SQL().Add("DELETE FROM " + t_ + " WHERE ID = 1");
  try {
    query.ExecSQL();
    FAIL() << "the delete did not wait for the locked row";
  } catch (const EDatabaseError& e) {
    EXPECT_THAT(e.what(), HasSubstr("Timeout expired"));
    EXPECT_EQ(e.Kind(), TDatabaseErrorKind::NoAnswer);
  }
  holder->Rollback();
  query.ExecSQL();  // the lock is gone: the same statement now runs, and in time
  EXPECT_EQ(query.RowsAffected(), 1);
  query.SQL().Clear();
  query.SQL().Add("SELECT COUNT(*) AS N FROM " + t_);
  query.Open();
  EXPECT_EQ(query.FieldByName("N").AsInteger(), 0);
}

// The batch contract of write-behind: one count per statement taken, in order; all or nothing; the time-out
// over the whole batch; a lost link told by its kind. Every target sends batches here (the embedded engine
// only when asked, as here).
class BatchConformance : public DriverConformance {
 protected:
  // T holds rows 1 to 4, each with V 'a'; the connection sends batches and has a transaction open.
  void SetUp() override {
    DriverConformance::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    db_->Exec({Insert(2, "a"), Insert(3, "a"), Insert(4, "a"), "UPDATE " + t_ + " SET V = 'a'"});
    connection_ = db_->OpenWithBatches();
    connection_->StartTransaction();
  }
  void TearDown() override {
    connection_.reset();
    DriverConformance::TearDown();
  }

  // A batch of the connection holding `statements` (without parameters).
  std::unique_ptr<driver::Batch> NewBatch(const std::vector<std::string>& statements = {}) {
    std::unique_ptr<driver::Batch> batch = connection_->CreateBatch();
    if (!batch) {
      ADD_FAILURE() << "the driver gives no batch in an open transaction";
      return batch;
    }
    for (const std::string& sql : statements) Add(*batch, sql);
    return batch;
  }
  static void Add(driver::Batch& batch, const std::string& sql) {
    EXPECT_TRUE(batch.Add({sql, {}, 1, 0})) << sql;
  }
  // What the batch's own transaction sees of T.
  std::string Seen(const std::string& what, const std::string& where = "1 = 1") {
    auto statement = connection_->CreateStatement();
    statement->Prepare("SELECT " + what + " FROM " + t_ + " WHERE " + where);
    statement->Execute({}, 1, 0);
    std::vector<TFDValue> row;
    EXPECT_TRUE(statement->Fetch(row));
    statement->CloseCursor();
    return row.empty() ? std::string() : ValueAsString(row[0]);
  }

  std::unique_ptr<driver::Connection> connection_;
};

TEST_F(BatchConformance, EachStatementGetsItsOwnCountInOrderAndSeesTheOnesBeforeIt) {
  auto batch = NewBatch();
  ASSERT_TRUE(batch);
  const std::vector<TFDValue> ids = {TFDValue(int64_t{10}), TFDValue(int64_t{11}), TFDValue(int64_t{12}),
                                     TFDValue(int64_t{13}), TFDValue(int64_t{14})};
  const std::vector<TFDValue> texts = {TFDValue(std::string("p")), TFDValue(std::string("q")),
                                       TFDValue(std::string("r")), TFDValue(std::string("s")),
                                       TFDValue(std::string("t"))};
  Add(*batch, "UPDATE " + t_ + " SET V = 'x' WHERE ID <= 2");
  Add(*batch, "DELETE FROM " + t_ + " WHERE ID = 99");
  // Elements 1 to 3 of the arrays: one statement, one count for its three rows.
  EXPECT_TRUE(batch->Add(
      {"INSERT INTO " + t_ + " (ID, V) VALUES (?, ?)", {{ftInteger, &ids}, {ftString, &texts}}, 3, 1}));
  Add(*batch, "DELETE FROM " + t_ + " WHERE V = 'x'");  // the rows the first statement changed
  Add(*batch, "UPDATE " + t_ + " SET V = 'z'");
  EXPECT_EQ(batch->Count(), 5);
  EXPECT_EQ(Committed(), 4) << "nothing is sent before Execute";
  EXPECT_EQ(batch->Execute(kNoTimeout), (std::vector<int64_t>{2, 0, 3, 2, 5}));
  EXPECT_EQ(Seen("COUNT(*)", "V = 'z' AND ID IN (3, 4, 11, 12, 13)"), "5");
  connection_->Commit();
  EXPECT_EQ(Committed(), 5);
}

TEST_F(BatchConformance, AFailingStatementLeavesNothingOfTheBatchAndTheTransactionGoesOn) {
  RunOn(*connection_, "INSERT INTO " + t_ + " VALUES (20, 'before')");
  auto batch =
      NewBatch({"UPDATE " + t_ + " SET V = 'b' WHERE ID = 1", "INSERT INTO " + t_ + " VALUES (30, 'new')",
                "INSERT INTO " + t_ + " VALUES (2, 'dup')"});
  ASSERT_TRUE(batch);
  try {
    batch->Execute(kNoTimeout);
    FAIL() << "a duplicate key went in";
  } catch (const EDatabaseError& e) {
    EXPECT_THAT(e.what(), HasSubstr(db_->DuplicateKeyPhrase()));
    EXPECT_EQ(e.Kind(), TDatabaseErrorKind::StatementFailed);
  }
  EXPECT_EQ(Seen("V", "ID = 1"), "a");
  EXPECT_EQ(Seen("COUNT(*)", "ID = 30"), "0");
  EXPECT_EQ(Seen("V", "ID = 20"), "before") << "work done before the batch stays";
  connection_->Commit();
  EXPECT_EQ(Committed(), 5);
}

TEST_F(BatchConformance, ABatchBlockedByAnotherSessionsLockTimesOutAsAWholeAndLeavesNothing) {
  auto holder = db_->Open();
  holder->StartTransaction();
  RunOn(*holder, "UPDATE " + t_ + " SET V = 'held' WHERE ID = 1");

  const std::vector<std::string> statements = {"INSERT INTO " + t_ + " VALUES (40, 'new')",
                                               "UPDATE " + t_ + " SET V = 'w' WHERE ID = 1"};
  auto batch = NewBatch(statements);
  ASSERT_TRUE(batch);
  try {
    batch->Execute(1000);
    FAIL() << "the batch did not wait for the locked row";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Kind(), TDatabaseErrorKind::NoAnswer) << e.what();
    EXPECT_THAT(e.what(), HasSubstr("Timeout expired"));
  }
  EXPECT_EQ(Seen("COUNT(*)", "ID = 40"), "0");
  holder->Rollback();

  auto again = NewBatch(statements);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->Execute(1000), (std::vector<int64_t>{1, 1}));
  connection_->Commit();
  EXPECT_EQ(db_->Scalar("SELECT V FROM " + t_ + " WHERE ID = 1"), "w");
}

TEST_F(BatchConformance, ABatchOnALostLinkFailsAsLostAndNothingOfTheTransactionStays) {
  RunOn(*connection_, "INSERT INTO " + t_ + " VALUES (50, 'before')");
  auto statement = connection_->CreateStatement();
  statement->Prepare(db_->SessionIdQuery());
  statement->Execute({}, 1, 0);
  std::vector<TFDValue> row;
  ASSERT_TRUE(statement->Fetch(row));
  statement->CloseCursor();
  const std::string id = ValueAsString(row.at(0));
  statement.reset();

  auto batch =
      NewBatch({"UPDATE " + t_ + " SET V = 'b' WHERE ID = 1", "INSERT INTO " + t_ + " VALUES (51, 'new')"});
  ASSERT_TRUE(batch);
  db_->EndSession(id);
  try {
    batch->Execute(kNoTimeout);
    FAIL() << "a batch ran on a session that was ended";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Kind(), TDatabaseErrorKind::LinkLost) << e.what();
  }
  batch.reset();
  connection_.reset();
  EXPECT_EQ(Committed(), 4);
  EXPECT_EQ(db_->Scalar("SELECT V FROM " + t_ + " WHERE ID = 1"), "a");
}

TEST_F(DriverConformance, TheLockingSelectHoldsTheRowsItReadsUntilTheTransactionEnds) {
  auto holder = db_->Open();
  holder->StartTransaction();
  auto lock = holder->CreateStatement();
  lock->Prepare(holder->LockingSelect("SELECT ID FROM " + t_ + "\r\nWHERE ID = 1\r\n"));
  lock->Execute({}, 1, 0);
  std::vector<TFDValue> row;
  ASSERT_TRUE(lock->Fetch(row));  // the row is locked once fetched
  lock->CloseCursor();

  auto connection = db_->Connect();
  TFDQuery query;
  query.SetConnection(connection.get());
  query.ResourceOptions().CmdExecTimeout = 1000;
  query.SQL().Add("UPDATE " + t_ + " SET V = 'other' WHERE ID = 1");
  EXPECT_THROW(query.ExecSQL(), EDatabaseError);
  holder->Commit();
  query.ExecSQL();
  EXPECT_EQ(query.RowsAffected(), 1);
}

// What the catalog tells the write-behind queue, on each server's own catalog: a write reaches the tables of
// its triggers and cascades, a read through a view reaches the view's tables, and what cannot be followed
// is every table.
TEST_F(DriverConformance, TheCatalogTellsWhatAWriteMayChangeAndWhatAReadReads) {
  const bool pg = db_->Which() == testsupport::Target::Standin;
  // The child first: on the stand-in the tables go in the order named, and the key holds the parent.
  const std::string child = db_->Table("ZC_FILHO"), parent = db_->Table("ZC_PAI");
  const std::string log = db_->Table("ZC_LOG"), dynamic = db_->Table("ZC_DINAMICA");
  const std::string view = parent + "_V", counting = parent + "_W", counter = log + "_N";
  db_->Exec({"CREATE TABLE " + parent + " (ID INTEGER NOT NULL PRIMARY KEY, V VARCHAR(10))",
             "CREATE TABLE " + log + " (ID INTEGER)",
             "CREATE TABLE " + child + " (ID INTEGER, PAI INTEGER REFERENCES " + parent +
                 " (ID) ON DELETE CASCADE)",
             "CREATE TABLE " + dynamic + " (ID INTEGER)",
             "CREATE VIEW " + view + " AS SELECT ID, V FROM " + parent});
  if (pg) {
    db_->Exec(
        {"CREATE OR REPLACE FUNCTION " + log + "_f() RETURNS trigger AS $$ BEGIN INSERT INTO " + log +
             " VALUES (NEW.id); RETURN NULL; END $$ LANGUAGE plpgsql",
         "CREATE TRIGGER tr_log AFTER INSERT ON " + parent + " FOR EACH ROW EXECUTE FUNCTION " + log + "_f()",
         "CREATE OR REPLACE FUNCTION " + parent +
             "_f() RETURNS trigger AS $$ BEGIN NEW.v := upper(NEW.v); "
             "RETURN NEW; END $$ LANGUAGE plpgsql",
         "CREATE TRIGGER tr_upper BEFORE INSERT ON " + parent + " FOR EACH ROW EXECUTE FUNCTION " + parent +
             "_f()",
         "CREATE OR REPLACE FUNCTION " + dynamic + "_f() RETURNS trigger AS $$ BEGIN EXECUTE 'DELETE FROM " +
             log + "'; RETURN NULL; END $$ LANGUAGE plpgsql",
         "CREATE TRIGGER tr_dyn AFTER INSERT ON " + dynamic + " FOR EACH ROW EXECUTE FUNCTION " + dynamic +
             "_f()"});
  } else {
    db_->Exec({"CREATE TRIGGER TR_LOG FOR " + parent + " AFTER INSERT AS BEGIN INSERT INTO " + log +
                   " VALUES (NEW.ID); END",
               "CREATE TRIGGER TR_UPPER FOR " + parent + " BEFORE INSERT AS BEGIN NEW.V = UPPER(NEW.V); END",
               "CREATE TRIGGER TR_DYN FOR " + dynamic +
                   " AFTER INSERT AS BEGIN EXECUTE STATEMENT 'DELETE FROM " + log + "'; END"});
  }
  // A view whose column calls a function that reads the log.
  db_->Exec({pg ? "CREATE OR REPLACE FUNCTION " + counter + "() RETURNS bigint AS $$ SELECT count(*) FROM " +
                      log + " $$ LANGUAGE sql"
                : "CREATE FUNCTION " + counter + " RETURNS BIGINT AS BEGIN RETURN (SELECT COUNT(*) FROM " +
                      log + "); END",
             "CREATE VIEW " + counting + " AS SELECT ID, " + counter + "() AS N FROM " + parent});
  // The views (and the stand-in's functions) go before the tables do.
  struct Cleanup {
    testsupport::TargetDatabase& db;
    std::vector<std::string> statements;
    ~Cleanup() {
      for (const std::string& sql : statements) {
        try {
          db.Exec({sql});
        } catch (...) {
        }
      }
    }
  } cleanup{*db_,
            {"DROP VIEW " + counting, "DROP VIEW " + view, "DROP FUNCTION " + counter + (pg ? "()" : "")}};
  if (pg) {
    for (const std::string& table : {log, parent, dynamic}) {
      cleanup.statements.push_back("DROP FUNCTION IF EXISTS " + table + "_f() CASCADE");
    }
  }

  auto raw = db_->Open();
  raw->StartTransaction();  // as write-behind asks: inside the action's transaction
  const catalog::TableSet writes = raw->WriteReach(UpperAscii(parent));
  EXPECT_FALSE(writes.Every);
  EXPECT_EQ(writes.Tables, (std::set<std::string>{UpperAscii(parent), UpperAscii(log), UpperAscii(child)}));
  EXPECT_TRUE(raw->WriteReach(UpperAscii(dynamic)).Every) << "a trigger running dynamic SQL";
  EXPECT_TRUE(raw->WriteReach("ZC_NAO_EXISTE").Every) << "a table the catalog does not know";

  const std::vector<catalog::TableSet> reads = raw->ReadReach(
      {UpperAscii(view), UpperAscii(log), "V", "SELECT", UpperAscii(counting), UpperAscii(counter)});
  ASSERT_EQ(reads.size(), 6u);
  EXPECT_EQ(reads[4].Tables, (std::set<std::string>{UpperAscii(parent), UpperAscii(log)}))
      << "a view calling a function";
  EXPECT_EQ(reads[5].Tables, std::set<std::string>{UpperAscii(log)}) << "a function";
  EXPECT_EQ(reads[0].Tables, std::set<std::string>{UpperAscii(parent)});
  EXPECT_EQ(reads[1].Tables, std::set<std::string>{UpperAscii(log)});
  EXPECT_TRUE(reads[2].Tables.empty() && !reads[2].Every);
  EXPECT_TRUE(reads[3].Tables.empty() && !reads[3].Every);
  raw->Rollback();
}

// Write-behind reads the catalog once per name, and again after a statement of its own connection changes
// metadata: a trigger created between two transactions is seen by the second one. (Embedded Firebird sends
// no batches: there every statement runs at once.)
TEST_F(DriverConformance, WriteBehindSeesATriggerCreatedOnItsOwnConnection) {
  // Names that hold no other: the queue also sends what waits before a text that names a written table.
  const std::string counted = db_->Table("ZC_CONTADOR"), orders = db_->Table("ZC_PEDIDOS");
  db_->Exec({"CREATE TABLE " + counted + " (N INTEGER)", "INSERT INTO " + counted + " VALUES (0)",
             "CREATE TABLE " + orders + " (ID INTEGER)"});
  auto connection = db_->Connect();
  auto count = [&] {
    TFDQuery q;
    q.SetConnection(connection.get());
    q.SQL().Add("SELECT N FROM " + counted);
    q.Open();
    return q.Fields(0).AsInteger();
  };
  // One insert waits in the queue while the count is read: nothing connects the two yet.
  connection->StartTransactionFor(nullptr);
  ExecSQL(*connection, "INSERT INTO " + orders + " VALUES (2)");
  EXPECT_EQ(count(), 0);
  connection->EndTransaction(true);

  if (db_->Which() == testsupport::Target::Standin) {
    ExecSQL(*connection, "CREATE OR REPLACE FUNCTION " + counted +
                             "_f() RETURNS trigger AS $$ BEGIN UPDATE " + counted +
                             " SET N = N + 1; RETURN NULL; END $$ LANGUAGE plpgsql");
    ExecSQL(*connection, "CREATE TRIGGER tr_conta AFTER INSERT ON " + orders +
                             " FOR EACH ROW EXECUTE FUNCTION " + counted + "_f()");
  } else {
    ExecSQL(*connection, "CREATE TRIGGER TR_CONTA FOR " + orders + " AFTER INSERT AS BEGIN UPDATE " +
                             counted + " SET N = N + 1; END");
  }
  connection->StartTransactionFor(nullptr);
  ExecSQL(*connection, "INSERT INTO " + orders + " VALUES (3)");
  EXPECT_EQ(count(), 1) << "the count was read before the insert that raises it";
  connection->EndTransaction(true);
  if (db_->Which() == testsupport::Target::Standin) {
    db_->Exec({"DROP TRIGGER tr_conta ON " + orders, "DROP FUNCTION " + counted + "_f()"});
  }
}

}  // namespace
}  // namespace zr::db
