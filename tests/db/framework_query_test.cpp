// Statements, parameters, result sets, mapping rules and the query's overridable steps, on real Firebird.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/errors.h"
#include "db/standard_fields.h"
#include "framework_fixture.h"

namespace zr::db::testing {
namespace {

using FrameworkQuery = FirebirdFramework;

// Inserts rows ID 1..count with NAME "N<id>" in one array execution.
void FillItems(TFDConnection& connection, int count) {
  TFDQuery insert;
  insert.SetConnection(&connection);
  insert.SQL().Add("INSERT INTO ITEMS (ID, NAME) VALUES (:ID, :NAME)");
  insert.Params().SetArraySize(count);
  for (int i = 0; i < count; ++i) {
    insert.Params().ParamByName("ID").AsIntegers[i] = i + 1;
    insert.Params().ParamByName("NAME").AsStrings[i] = "N" + std::to_string(i + 1);
  }
  insert.ExecSQL();
}

std::vector<int> IdsFromHere(TFDQuery& query) {
  std::vector<int> ids;
  for (; !query.Eof(); query.Next()) ids.push_back(query.FieldByName("id").AsInteger());
  return ids;
}

// A prepared statement kept by the connection would still describe the table as it was.
TEST_F(FrameworkQuery, AfterDdlEvenBehindACommentATableIsReadWithItsNewColumns) {
  for (const std::string ddl : {"ALTER TABLE ITEMS ADD EXTRA1 INTEGER",
                                "/* uma coluna a mais */\r\nALTER TABLE ITEMS ADD EXTRA2 INTEGER"}) {
    SCOPED_TRACE(ddl);
    auto reader = Query("SELECT * FROM ITEMS");
    reader->Open();
    const int before = reader->FieldCount();
    reader->Close();
    // Another text on the same query leaves the first statement with the connection, for the next query.
    reader->SQL().Clear();
    reader->SQL().Add("SELECT 1 FROM RDB$DATABASE");
    reader->Open();
    reader->Close();
    Query(ddl)->ExecSQL();
    auto again = Query("SELECT * FROM ITEMS");
    again->Open();
    EXPECT_EQ(again->FieldCount(), before + 1);
  }
}

TEST_F(FrameworkQuery, OpenFetchesTheFirstRowAndNavigationWalksTheRest) {
  FillItems(*connection_, 5);
  auto query = Query("SELECT ID, NAME FROM ITEMS ORDER BY ID");
  query->Open();
  EXPECT_TRUE(query->Active());
  EXPECT_EQ(query->RecordCount(), 1);  // rows fetched so far
  EXPECT_EQ(query->RecNo(), 1);
  EXPECT_TRUE(query->Bof());
  EXPECT_FALSE(query->Eof());
  EXPECT_FALSE(query->IsEmpty());
  query->Next();
  EXPECT_EQ(query->RecNo(), 2);
  EXPECT_FALSE(query->Bof());
  query->FetchAll();
  EXPECT_EQ(query->RecordCount(), 5);
  EXPECT_EQ(query->RecNo(), 2);  // fetching does not move the cursor
  query->First();
  EXPECT_EQ(IdsFromHere(*query), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_TRUE(query->Eof());
  EXPECT_EQ(query->RecNo(), 5);  // Next past the last row stays on it
  EXPECT_EQ(query->FieldByName("NAME").AsString(), "N5");
  query->Close();
  EXPECT_FALSE(query->Active());
  EXPECT_EQ(query->FieldCount(), 0);
}

TEST_F(FrameworkQuery, AnEmptyResultIsEofAndBofWithRecNoZero) {
  auto query = Query("SELECT ID FROM ITEMS");
  query->Open();
  EXPECT_TRUE(query->IsEmpty());
  EXPECT_TRUE(query->Eof());
  EXPECT_TRUE(query->Bof());
  EXPECT_EQ(query->RecNo(), 0);
  EXPECT_EQ(query->RecordCount(), 0);
  query->Next();
  EXPECT_TRUE(query->Eof());
  EXPECT_TRUE(query->FieldByName("ID").IsNull());
}

TEST_F(FrameworkQuery, FieldByNameIgnoresCaseAndNamesAMissingField) {
  FillItems(*connection_, 1);
  auto query = Query("SELECT ID, NAME AS Nome FROM ITEMS");
  query->Open();
  EXPECT_EQ(query->FieldByName("nome").AsString(), "N1");
  EXPECT_EQ(&query->FieldByName("NOME"), &query->Fields(1));
  try {
    query->FieldByName("CUSTO");
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Field 'CUSTO' not found");
  }
}

TEST_F(FrameworkQuery, NullsReadAsEmptyTextOrZeroAndParametersCarryEveryType) {
  auto insert = Query(
      "INSERT INTO ITEMS (ID, NAME, CODE, AMOUNT, RATE, QTY, DAY_DATE, STAMP, NOTE) "
      "VALUES (:ID, :NAME, :CODE, :AMOUNT, :RATE, :QTY, :DAY_DATE, :STAMP, :NOTE)");
  insert->Params().SetArraySize(2);
  TFDParams& p = insert->Params();
  p.ParamByName("ID").AsIntegers[0] = 1;
  p.ParamByName("ID").AsIntegers[1] = 2;
  p.ParamByName("NAME").AsStrings[0] = "Ação e coração";
  p.ParamByName("CODE").AsStrings[0] = "AB";
  p.ParamByName("AMOUNT").AsFloats[0] = 1234.56;
  p.ParamByName("RATE").AsFloats[0] = 0.125;
  p.ParamByName("QTY").AsIntegers[0] = 9000000000;
  p.ParamByName("DAY_DATE").AsDates[0] = EncodeDateTime({2018, 1, 31, 15, 0, 0, 0});
  p.ParamByName("STAMP").AsDateTimes[0] = EncodeDateTime({2018, 1, 31, 15, 30, 45, 0});
  p.ParamByName("NOTE").AsStrings[0] = "linha 1\r\nlinha 2 — não";
  insert->ExecSQL();

  auto query = Query("SELECT * FROM ITEMS ORDER BY ID");
  query->Open();
  EXPECT_EQ(query->FieldByName("NAME").AsString(), "Ação e coração");
  EXPECT_EQ(query->FieldByName("CODE").AsString(), "AB");  // CHAR(10) without its trailing blanks
  EXPECT_EQ(query->FieldByName("AMOUNT").AsFloat(), 1234.56);
  EXPECT_EQ(query->FieldByName("AMOUNT").AsString(), "1234.56");
  EXPECT_EQ(query->FieldByName("RATE").AsString(), "0.125");
  EXPECT_EQ(query->FieldByName("QTY").AsLargeInt(), 9000000000);
  EXPECT_EQ(query->FieldByName("DAY_DATE").AsString(), "31/01/2018");
  EXPECT_EQ(query->FieldByName("STAMP").AsString(), "31/01/2018 15:30:45");
  EXPECT_EQ(query->FieldByName("NOTE").AsString(), "linha 1\r\nlinha 2 — não");
  query->Next();
  for (const char* name : {"NAME", "CODE", "AMOUNT", "RATE", "QTY", "DAY_DATE", "STAMP", "NOTE"}) {
    SCOPED_TRACE(name);
    const TField& field = query->FieldByName(name);
    EXPECT_TRUE(field.IsNull());
    EXPECT_EQ(field.AsString(), "");
    EXPECT_EQ(field.AsFloat(), 0.0);
    EXPECT_EQ(field.AsInteger(), 0);
  }
}

// The rule set a connection installs for Firebird: scaled decimals become floating point, timestamps times.
void InstallFirebirdRules(TFDConnection& connection) {
  TFDMapRules& rules = connection.FormatOptions().MapRules;
  rules.Clear();
  for (TFDDataType source : {dtBCD, dtFmtBCD}) {
    TFDMapRule& rule = rules.Add();
    rule.SourceDataType = source;
    rule.TargetDataType = dtDouble;
    rule.PrecMin = 2;
    rule.PrecMax = 21;
    rule.ScaleMin = 2;
    rule.ScaleMax = 15;
  }
  TFDMapRule& stamp = rules.Add();
  stamp.SourceDataType = dtDateTimeStamp;
  stamp.TargetDataType = dtTime;
  connection.FormatOptions().OwnMapRules = true;
}

struct ColumnExpectation {
  const char* column;
  const char* className;
  TFieldType fieldType;
  int size;
  const char* text;
};

void ExpectColumns(TFDQuery& query, const std::vector<ColumnExpectation>& expected) {
  for (const ColumnExpectation& e : expected) {
    SCOPED_TRACE(e.column);
    const TField& field = query.FieldByName(e.column);
    EXPECT_STREQ(field.ClassName(), e.className);
    EXPECT_EQ(field.DataType(), e.fieldType) << FieldTypeName(field.DataType());
    EXPECT_EQ(field.Size(), e.size);
    EXPECT_EQ(field.AsString(), e.text);
  }
}

class MappingTest : public FirebirdFramework {
 protected:
  void SetUp() override {
    FirebirdFramework::SetUp();
    Run("INSERT INTO ITEMS (ID, NAME, CODE, AMOUNT, RATE, STAMP, NOTE) "
        "VALUES (1, 'ab', 'XY', 12.5, 2.5, '2018-01-31 15:30:45', 'memo')");
  }
  std::unique_ptr<TFDQuery> OpenAll() {
    auto query = Query("SELECT ID, NAME, CODE, AMOUNT, RATE, STAMP, NOTE FROM ITEMS");
    query->Open();
    return query;
  }
};

TEST_F(MappingTest, WithoutOwnRulesColumnsKeepTheDriversTypes) {
  InstallFirebirdRules(*connection_);
  connection_->FormatOptions().OwnMapRules = false;  // rules present but not in use
  auto query = OpenAll();
  ExpectColumns(*query, {
                            {"ID", "TIntegerField", ftInteger, 0, "1"},
                            {"NAME", "TStringField", ftString, 40, "ab"},
                            {"CODE", "TStringField", ftFixedChar, 10, "XY"},
                            {"AMOUNT", "TBCDField", ftBCD, 2, "12.5"},
                            {"RATE", "TFloatField", ftFloat, 0, "2.5"},
                            {"STAMP", "TSQLTimeStampField", ftTimeStamp, 0, "31/01/2018 15:30:45"},
                            {"NOTE", "TMemoField", ftMemo, 0, "memo"},
                        });
}

TEST_F(MappingTest, OwnRulesDecideTheTypeTheClassAndTheValue) {
  InstallFirebirdRules(*connection_);
  auto query = OpenAll();
  ExpectColumns(*query, {
                            {"AMOUNT", "TFloatField", ftFloat, 0, "12.5"},
                            {"STAMP", "TTimeField", ftTime, 0, "15:30:45"},
                            {"ID", "TIntegerField", ftInteger, 0, "1"},
                        });
  EXPECT_TRUE(std::holds_alternative<double>(query->FieldByName("AMOUNT").Value()));
  EXPECT_LT(query->FieldByName("STAMP").AsDateTime(), 1.0);  // the time of day only
}

TEST_F(MappingTest, ValuesAreConvertedToTheRulesTargetTypeWhenLoaded) {
  TFDMapRules& rules = connection_->FormatOptions().MapRules;
  TFDMapRule& toDate = rules.Add();
  toDate.SourceDataType = dtDateTimeStamp;
  toDate.TargetDataType = dtDate;
  TFDMapRule& toInteger = rules.Add();
  toInteger.SourceDataType = dtBCD;
  toInteger.TargetDataType = dtInt32;
  TFDMapRule& toText = rules.Add();
  toText.SourceDataType = dtDouble;
  toText.TargetDataType = dtAnsiString;
  connection_->FormatOptions().OwnMapRules = true;
  auto query = OpenAll();
  ExpectColumns(*query, {
                            {"STAMP", "TDateField", ftDate, 0, "31/01/2018"},
                            {"AMOUNT", "TIntegerField", ftInteger, 0, "12"},  // 12.5 to the even neighbour
                            {"RATE", "TStringField", ftString, 0, "2.5"},
                        });
  EXPECT_EQ(query->FieldByName("STAMP").AsDateTime(), EncodeDateTime({2018, 1, 31, 0, 0, 0, 0}));
  EXPECT_TRUE(std::holds_alternative<int64_t>(query->FieldByName("AMOUNT").Value()));
}

// A query whose field-class choice gives a currency class that tolerates sizes, as a derived query may.
class TolerantCurrencyField : public TCurrencyField {
 public:
  explicit TolerantCurrencyField(TComponent* owner) : TCurrencyField(owner) {}
  static constexpr const char* kClassName = "TolerantCurrencyField";
  const char* ClassName() const override { return kClassName; }

 protected:
  void CheckTypeSize(int size) override {
    if (size > 32) throw EDatabaseError("Invalid field size");
  }
};

class CurrencyQuery : public TFDQuery {
 public:
  std::vector<TFieldType> asked;

 protected:
  const TFieldClass* GetFieldClass(TFieldType type) const override {
    const_cast<CurrencyQuery*>(this)->asked.push_back(type);
    return type == ftCurrency ? FieldClassOf<TolerantCurrencyField>() : TFDQuery::GetFieldClass(type);
  }
};

TEST_F(MappingTest, ARuleToCurrencyKeepsTheScaleAsSizeWhichOnlyATolerantClassAccepts) {
  TFDMapRule& rule = connection_->FormatOptions().MapRules.Add();
  rule.SourceDataType = dtBCD;
  rule.TargetDataType = dtCurrency;
  rule.ScaleMin = 2;
  rule.ScaleMax = 4;
  connection_->FormatOptions().OwnMapRules = true;

  auto standard = Query("SELECT AMOUNT FROM ITEMS");
  try {
    standard->Open();
    FAIL() << "the standard currency class took a size";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Invalid field size");
  }
  EXPECT_FALSE(standard->Active());
  EXPECT_EQ(standard->ComponentCount(), 0);  // no half-built field is left behind

  CurrencyQuery query;
  query.SetConnection(connection_.get());
  query.SQL().Add("SELECT ID, AMOUNT FROM ITEMS");
  query.Open();
  EXPECT_EQ(query.asked, (std::vector<TFieldType>{ftInteger, ftCurrency}));
  ExpectColumns(query, {{"AMOUNT", "TolerantCurrencyField", ftCurrency, 2, "12.5"}});
  EXPECT_EQ(query.FieldByName("AMOUNT").DisplayText(), "$12.50");
}

class NoIntegerQuery : public TFDQuery {
 protected:
  const TFieldClass* GetFieldClass(TFieldType type) const override {
    return type == ftInteger ? nullptr : TFDQuery::GetFieldClass(type);
  }
};

TEST_F(MappingTest, ATypeWithoutAFieldClassFailsTheOpenNamingTheColumn) {
  NoIntegerQuery query;
  query.SetConnection(connection_.get());
  query.SQL().Add("SELECT NAME, ID FROM ITEMS");
  try {
    query.Open();
    FAIL() << "opened";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("'ID'"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("ftInteger"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(query.Active());
  EXPECT_FALSE(connection_->InTransaction());  // the statement's own transaction was ended
}

// Records the steps the framework runs.
class StepQuery : public TFDQuery {
 public:
  std::vector<std::string> steps;
  bool refuseDelete = false;

  void SetActive(bool value) override {
    steps.push_back(value ? "SetActive(true)" : "SetActive(false)");
    TFDQuery::SetActive(value);
  }

 protected:
  void OpenCursor(bool infoQuery) override {
    steps.push_back(infoQuery ? "OpenCursor(info)" : "OpenCursor");
    SQL().SetText("SELECT ID FROM ITEMS ORDER BY ID");  // a step may rewrite the text before it is run
    TFDQuery::OpenCursor(infoQuery);
  }
  void DoBeforeDelete() override {
    steps.push_back("DoBeforeDelete");
    if (refuseDelete) throw EAbort();
  }
};

TEST_F(FrameworkQuery, OpenAndClosePassThroughSetActiveAndTheCursorOpeningStep) {
  FillItems(*connection_, 2);
  StepQuery query;
  query.SetConnection(connection_.get());
  query.SQL().Add("SELECT 'not run' FROM RDB$DATABASE");
  query.Open();
  query.Close();
  EXPECT_EQ(query.steps, (std::vector<std::string>{"SetActive(true)", "OpenCursor", "SetActive(false)"}));
  query.Open();
  EXPECT_EQ(query.FieldByName("ID").AsInteger(), 1);
}

TEST_F(FrameworkQuery, DeleteRunsTheBeforeDeleteStepAndRemovesOnlyTheFetchedRow) {
  FillItems(*connection_, 3);
  StepQuery query;
  query.SetConnection(connection_.get());
  query.Open();
  query.Next();
  query.Delete();
  EXPECT_EQ(query.steps.back(), "DoBeforeDelete");
  EXPECT_EQ(query.FieldByName("ID").AsInteger(), 3);  // the next row takes its place
  query.FetchAll();
  EXPECT_EQ(query.RecordCount(), 2);
  query.First();
  EXPECT_EQ(IdsFromHere(query), (std::vector<int>{1, 3}));
  EXPECT_EQ(CommittedRows("ITEMS"), 3);  // nothing was sent to the server

  query.Delete();  // the last row: the cursor stays on the new last row
  EXPECT_EQ(query.RecordCount(), 1);
  EXPECT_EQ(query.FieldByName("ID").AsInteger(), 1);
  EXPECT_TRUE(query.Eof());
  query.Delete();
  EXPECT_TRUE(query.IsEmpty());
  EXPECT_THROW(query.Delete(), EDatabaseError);
}

TEST_F(FrameworkQuery, ASilentAbortInTheBeforeDeleteStepKeepsTheRecord) {
  FillItems(*connection_, 2);
  StepQuery query;
  query.SetConnection(connection_.get());
  query.refuseDelete = true;
  query.Open();
  EXPECT_THROW(query.Delete(), EAbort);
  query.FetchAll();
  EXPECT_EQ(query.RecordCount(), 2);
  EXPECT_EQ(query.FieldByName("ID").AsInteger(), 1);
}

TEST_F(FrameworkQuery, ArrayExecutionRunsTheChosenElements) {
  auto insert = Query("INSERT INTO LOG_ROWS (N, TXT) VALUES (:N, :TXT)");
  insert->Params().SetArraySize(30);
  for (int i = 0; i < 30; ++i) {
    insert->Params().ParamByName("n").AsIntegers[i] = i;
    insert->Params().ParamByName("txt").AsStrings[i] = "é" + std::to_string(i);
  }
  insert->Execute(25, 0);
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 25);
  insert->Execute(3, 27);
  auto check = Query("SELECT MIN(N) AS LO, MAX(N) AS HI, COUNT(*) AS C FROM LOG_ROWS WHERE N >= 25");
  check->Open();
  EXPECT_EQ(check->FieldByName("LO").AsInteger(), 27);
  EXPECT_EQ(check->FieldByName("HI").AsInteger(), 29);
  EXPECT_EQ(check->FieldByName("C").AsInteger(), 3);
  EXPECT_THROW(insert->Execute(4, 27), EDatabaseError);  // past the end of the arrays
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 28);
}

TEST_F(FrameworkQuery, ExecSqlRunsEveryElementWhenAnArraySizeIsSetAndOnceOtherwise) {
  auto insert = Query("INSERT INTO LOG_ROWS (N) VALUES (:N)");
  insert->Params().SetArraySize(4);
  for (int i = 0; i < 4; ++i) insert->Params().ParamByName("N").AsIntegers[i] = i;
  insert->ExecSQL();
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 4);
  insert->Params().SetArraySize(1);
  insert->ExecSQL();
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 5);
  auto update = Query("UPDATE LOG_ROWS SET TXT = 'x' WHERE N < 2");
  update->ExecSQL();
  EXPECT_EQ(update->RowsAffected(), 3);
}

TEST_F(FrameworkQuery, ParametersFollowTheTextAndKeepTheirValuesAcrossChanges) {
  auto query = Query("SELECT CAST(:A AS VARCHAR(10)) AS X FROM RDB$DATABASE");
  query->Params().ParamByName("A").SetAsString("kept");
  query->SQL().SetText(
      "SELECT CAST(:A AS VARCHAR(10)) AS X, CAST(:b AS INTEGER) AS Y, ':B' AS Z /* :C */"
      "\nFROM RDB$DATABASE");
  ASSERT_EQ(query->Params().Count(), 2);
  EXPECT_EQ(query->Params()[1].Name(), "b");
  query->Params().ParamByName("B").SetAsInteger(5);
  query->Open();
  EXPECT_EQ(query->FieldByName("X").AsString(), "kept");
  EXPECT_EQ(query->FieldByName("Y").AsInteger(), 5);
  EXPECT_EQ(query->FieldByName("Z").AsString(), ":B");
}

TEST_F(FrameworkQuery, DriverErrorsCarryTheServersWholeMessage) {
  auto query = Query("SELECT NO_SUCH_COLUMN FROM ITEMS");
  try {
    query->Open();
    FAIL() << "opened";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("NO_SUCH_COLUMN"), std::string::npos) << e.what();
  }
  auto insert = Query("INSERT INTO ITEMS (ID) VALUES (1)");
  insert->ExecSQL();
  try {
    insert->ExecSQL();
    FAIL() << "duplicate key accepted";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("PRIMARY"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(connection_->InTransaction());
  EXPECT_EQ(CommittedRows("ITEMS"), 1);
}

TEST_F(FrameworkQuery, OpeningAStatementWithoutAResultSetFailsWithoutRunningIt) {
  auto query = Query("INSERT INTO LOG_ROWS (N) VALUES (1)");
  EXPECT_THROW(query->Open(), EDatabaseError);
  EXPECT_FALSE(query->Active());
  EXPECT_EQ(CommittedRows("LOG_ROWS"), 0);
}

TEST_F(FrameworkQuery, AStatementBlockedPastItsTimeoutFailsWithTimeoutExpiredAndTheConnectionGoesOn) {
  Run("INSERT INTO LOG_ROWS (N) VALUES (1)");
  TFDConnection locker;
  Configure(locker);
  locker.TxOptions().AutoStop = false;
  locker.SetWriteBehind(false);  // the lock is taken as the statement is executed
  TFDQuery lock;
  lock.SetConnection(&locker);
  lock.SQL().Add("UPDATE LOG_ROWS SET TXT = 'locked' WHERE N = 1");
  lock.ExecSQL();  // holds the row in an open transaction

  auto blocked = Query("UPDATE LOG_ROWS SET TXT = 'mine' WHERE N = 1");
  blocked->ResourceOptions().CmdExecTimeout = 1000;
  connection_->SetWriteBehind(false);  // the statement runs, and fails, as it is executed
  try {
    blocked->ExecSQL();
    FAIL() << "not blocked";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("Timeout expired"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(connection_->InTransaction());
  locker.SetConnected(false);  // commits: the row is free again
  blocked->ExecSQL();
  auto check = Query("SELECT TXT FROM LOG_ROWS");
  check->Open();
  EXPECT_EQ(check->FieldByName("TXT").AsString(), "mine");
}

}  // namespace
}  // namespace zr::db::testing
