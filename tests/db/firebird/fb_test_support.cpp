#include "fb_test_support.h"

#include "db/errors.h"
#include "db/firebird/driver.h"
#include "fixtures/environment.h"

namespace zr::db::firebird::testing {

TStringList ServerEntries() {
  const fixtures::FbServerSettings server;
  TStringList entries;
  entries.Add("Server=" + server.Host);
  entries.Add("Port=" + server.Port);
  entries.Add("User_name=" + server.User);
  entries.Add("Password=" + server.Password);
  return entries;
}

TestDatabase::TestDatabase(int pageSize, const std::vector<std::string>& entries)
    : db_(testsupport::CreateFirebirdDatabase(CurrentTarget(), pageSize, entries)) {}

TestDatabase::~TestDatabase() = default;

std::unique_ptr<TFDConnection> TestDatabase::Connect() const {
  auto connection = std::make_unique<TFDConnection>();
  for (const std::string& entry : Params()) {
    connection->Params().Add(entry);
  }
  connection->SetConnected(true);
  return connection;
}

std::unique_ptr<driver::Connection> TestDatabase::Open(const std::vector<std::string>& entries) const {
  TStringList params = Params();
  for (const std::string& entry : entries) params.Add(entry);
  return driver::Connect("FB", params);
}

void FbDatabaseTest::SetUp() {
  ZR_SKIP_UNLESS_TARGET_AVAILABLE();
  db_ = std::make_unique<TestDatabase>();
  connection_ = db_->Open();
  for (const std::string& statement : schema_) {
    Exec(*connection_, statement);
  }
}

void FbDatabaseTest::TearDown() {
  connection_.reset();
  db_.reset();
}

ParamSet& ParamSet::Add(TFieldType type, std::vector<TFDValue> values) {
  values_.push_back(std::move(values));
  columns_.push_back(driver::ParamColumn{type, &values_.back()});
  return *this;
}

void Exec(driver::Connection& connection, const std::string& sql, const ParamSet& params, int times,
          int offset) {
  std::unique_ptr<driver::Statement> statement = connection.CreateStatement();
  statement->Prepare(sql);
  statement->Execute(params.Columns(), times, offset);
}

Rows Query(driver::Connection& connection, const std::string& sql, const ParamSet& params) {
  std::unique_ptr<driver::Statement> statement = connection.CreateStatement();
  statement->Prepare(sql);
  statement->Execute(params.Columns(), 1, 0);
  Rows rows;
  std::vector<TFDValue> row;
  while (statement->Fetch(row)) {
    rows.push_back(row);
  }
  statement->CloseCursor();
  return rows;
}

TFDValue Scalar(driver::Connection& connection, const std::string& sql) {
  Rows rows = Query(connection, sql);
  if (rows.empty() || rows.front().empty()) {
    throw EDatabaseError("no value from: " + sql);
  }
  return rows.front().front();
}

std::ostream& operator<<(std::ostream& out, const PreparedUse& use) {
  return out << "{" << use.Words << " words, " << use.Inserted << " inserted}";
}

std::vector<PreparedUse> PreparedStatements(driver::Connection& reader, const std::string& attachment,
                                            const std::string& word, const std::string& start) {
  const Rows rows =
      Query(reader,
            "SELECT S.MON$SQL_TEXT, R.MON$RECORD_INSERTS FROM MON$STATEMENTS S "
            "JOIN MON$RECORD_STATS R ON R.MON$STAT_ID = S.MON$STAT_ID WHERE S.MON$ATTACHMENT_ID = " +
                attachment + " AND S.MON$SQL_TEXT STARTING WITH '" + start +
                "' ORDER BY CHAR_LENGTH(S.MON$SQL_TEXT)");
  std::vector<PreparedUse> uses;
  for (const auto& row : rows) {
    const std::string text = ValueAsString(row[0]);
    int64_t words = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++words;
    uses.push_back({words, ValueAsInteger(row[1])});
  }
  return uses;
}

std::vector<int64_t> PreparedWords(driver::Connection& reader, const std::string& attachment,
                                   const std::string& word, const std::string& start) {
  std::vector<int64_t> words;
  for (const PreparedUse& use : PreparedStatements(reader, attachment, word, start))
    words.push_back(use.Words);
  return words;
}

}  // namespace zr::db::firebird::testing
