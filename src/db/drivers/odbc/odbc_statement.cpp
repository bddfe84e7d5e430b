#include "odbc_statement.h"

#include <algorithm>

#include "db/errors.h"
#include "odbc_connection.h"
#include "odbc_error.h"
#include "param_binding.h"
#include "utf16.h"
#include "value_reader.h"

namespace zr::db::odbc {
namespace {

SQLPOINTER AttrValue(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

// Unbinds the parameter arrays when an execution ends, also by an error, so that no later call reads freed
// buffers.
class ParamArrayScope {
 public:
  explicit ParamArrayScope(SQLHSTMT stmt) : stmt_(stmt) {}
  ~ParamArrayScope() {
    SQLFreeStmt(stmt_, SQL_RESET_PARAMS);
    SQLSetStmtAttr(stmt_, SQL_ATTR_PARAMSET_SIZE, AttrValue(1), 0);
    SQLSetStmtAttr(stmt_, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
    SQLSetStmtAttr(stmt_, SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);
  }
  ParamArrayScope(const ParamArrayScope&) = delete;
  ParamArrayScope& operator=(const ParamArrayScope&) = delete;

 private:
  SQLHSTMT stmt_;
};

}  // namespace

OdbcStatement::OdbcStatement(std::shared_ptr<Session> session) : session_(std::move(session)) {
  Check(SQLAllocHandle(SQL_HANDLE_STMT, session_->Dbc(), &stmt_), SQL_HANDLE_DBC, session_->Dbc(),
        "SQLAllocHandle");
}

OdbcStatement::~OdbcStatement() { SQLFreeHandle(SQL_HANDLE_STMT, stmt_); }

void OdbcStatement::Fail(const char* action) const { ThrowFailure(SQL_HANDLE_STMT, stmt_, action); }

void OdbcStatement::Prepare(const std::string& sql) {
  CloseCursor();
  columns_.clear();
  described_ = false;
  WideText text = ToWide(sql);
  if (!Succeeded(SQLPrepareW(stmt_, text.data(), static_cast<SQLINTEGER>(text.size())))) Fail("SQLPrepare");
}

void OdbcStatement::DescribeColumns() const {
  columns_.clear();
  SQLSMALLINT count = 0;
  if (!Succeeded(SQLNumResultCols(stmt_, &count))) Fail("SQLNumResultCols");
  for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(count); ++i) {
    SQLWCHAR name[256] = {};
    SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    if (!Succeeded(SQLDescribeColW(stmt_, i, name, 256, &nameLength, &sqlType, &size, &digits, &nullable))) {
      Fail("SQLDescribeCol");
    }
    SQLLEN isUnsigned = SQL_FALSE;
    SQLColAttributeW(stmt_, i, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned);
    columns_.push_back(
        DescribeResultColumn(FromWide(name, std::min<size_t>(static_cast<size_t>(nameLength), 255)), sqlType,
                             size, digits, isUnsigned == SQL_TRUE));
  }
  described_ = true;
}

std::vector<driver::ColumnInfo> OdbcStatement::Columns() const {
  if (!described_) DescribeColumns();
  std::vector<driver::ColumnInfo> infos;
  infos.reserve(columns_.size());
  for (const auto& c : columns_) infos.push_back(c.Info);
  return infos;
}

void OdbcStatement::ApplyTimeout() {
  if (appliedTimeout_ == timeout_) return;
  const SQLULEN seconds = timeout_ == kNoTimeout ? 0 : (static_cast<SQLULEN>(timeout_) + 999) / 1000;
  if (!Succeeded(SQLSetStmtAttr(stmt_, SQL_ATTR_QUERY_TIMEOUT, AttrValue(seconds), 0))) {
    Fail("SQLSetStmtAttr(SQL_ATTR_QUERY_TIMEOUT)");
  }
  appliedTimeout_ = timeout_;
}

void OdbcStatement::Execute(const std::vector<driver::ParamColumn>& params, int times, int offset) {
  CloseCursor();
  rowsAffected_ = 0;
  ApplyTimeout();
  if (!params.empty()) {
    ExecuteArray(params, times, offset);
    return;
  }
  // Without parameters each element is one more run of the same statement.
  int64_t total = 0;
  for (int i = 0; i < std::max(times, 1); ++i) {
    CloseCursor();
    AfterExecute(SQLExecute(stmt_), 1);
    total += rowsAffected_;
  }
  rowsAffected_ = total;
}

void OdbcStatement::ExecuteArray(const std::vector<driver::ParamColumn>& params, int times, int offset) {
  ParamArrays arrays(params, times, offset);
  ParamArrayScope scope(stmt_);
  std::vector<SQLUSMALLINT> status(static_cast<size_t>(times), SQL_PARAM_UNUSED);
  SQLULEN processed = 0;
  if (!Succeeded(SQLSetStmtAttr(stmt_, SQL_ATTR_PARAM_BIND_TYPE, AttrValue(SQL_PARAM_BIND_BY_COLUMN), 0)) ||
      !Succeeded(SQLSetStmtAttr(stmt_, SQL_ATTR_PARAMSET_SIZE, AttrValue(static_cast<SQLULEN>(times)), 0)) ||
      !Succeeded(SQLSetStmtAttr(stmt_, SQL_ATTR_PARAM_STATUS_PTR, status.data(), 0)) ||
      !Succeeded(SQLSetStmtAttr(stmt_, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0))) {
    Fail("SQLSetStmtAttr(parameter array)");
  }
  arrays.Bind(stmt_);
  const SQLRETURN ret = SQLExecute(stmt_);
  if (!Succeeded(ret) && ret != SQL_NO_DATA) Fail("SQLExecute");
  for (SQLULEN i = 0; i < processed && i < status.size(); ++i) {
    if (status[i] == SQL_PARAM_ERROR) {
      const auto records = ReadDiagnostics(SQL_HANDLE_STMT, stmt_);
      CloseCursor();
      throw EDatabaseError(
          FailureMessage(records, "SQLExecute") +
              (records.empty() ? " at array element " + std::to_string(offset + static_cast<int>(i))
                               : std::string()),
          KindOf(records));
    }
  }
  AfterExecute(ret, times);
}

void OdbcStatement::AfterExecute(SQLRETURN ret, int times) {
  if (!Succeeded(ret) && ret != SQL_NO_DATA) Fail("SQLExecute");
  if (!described_ || columns_.empty()) DescribeColumns();
  if (!columns_.empty()) {
    cursorOpen_ = true;
    return;
  }
  SQLLEN count = 0;
  if (Succeeded(SQLRowCount(stmt_, &count)) && count > 0) rowsAffected_ = count;
  // Drivers that count each parameter set apart hand the further counts over as further results.
  for (int i = 1; i < times && SQLMoreResults(stmt_) == SQL_SUCCESS; ++i) {
    if (Succeeded(SQLRowCount(stmt_, &count)) && count > 0) rowsAffected_ += count;
  }
  SQLFreeStmt(stmt_, SQL_CLOSE);
}

bool OdbcStatement::Fetch(std::vector<TFDValue>& row) {
  if (!cursorOpen_) return false;
  const SQLRETURN ret = SQLFetch(stmt_);
  if (ret == SQL_NO_DATA) {
    CloseCursor();
    return false;
  }
  if (!Succeeded(ret)) Fail("SQLFetch");
  row.resize(columns_.size());
  for (size_t i = 0; i < columns_.size(); ++i) {
    row[i] = ReadColumnValue(stmt_, static_cast<SQLUSMALLINT>(i + 1), columns_[i]);
  }
  return true;
}

void OdbcStatement::CloseCursor() {
  if (stmt_ != SQL_NULL_HSTMT) SQLFreeStmt(stmt_, SQL_CLOSE);
  cursorOpen_ = false;
}

}  // namespace zr::db::odbc
