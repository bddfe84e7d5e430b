#pragma once
// A framework statement over one ODBC statement handle.

#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "column_types.h"
#include "db/driver.h"
#include "db/options.h"

namespace zr::db::odbc {

class Session;

class OdbcStatement : public driver::Statement {
 public:
  explicit OdbcStatement(std::shared_ptr<Session> session);
  ~OdbcStatement() override;
  OdbcStatement(const OdbcStatement&) = delete;
  OdbcStatement& operator=(const OdbcStatement&) = delete;

  void Prepare(const std::string& sql) override;
  // Described when first asked for: before an execution that costs the driver a round trip to the server,
  // after it nothing, so a statement that is only executed is never described beforehand.
  std::vector<driver::ColumnInfo> Columns() const override;
  // Sent as the statement's query time-out in whole seconds, rounded up.
  void SetTimeout(uint32_t milliseconds) override { timeout_ = milliseconds; }
  // Parameter arrays go column-wise in one SQLExecute (SQL_ATTR_PARAMSET_SIZE = times); when any element
  // fails, the call fails with the driver's diagnostics.
  void Execute(const std::vector<driver::ParamColumn>& params, int times, int offset) override;
  bool Fetch(std::vector<TFDValue>& row) override;
  void CloseCursor() override;
  int64_t RowsAffected() const override { return rowsAffected_; }
  // Describing a statement before it runs asks the server (and psqlODBC a savepoint first).
  bool DescribeCostsRequest() const override { return true; }

 private:
  void DescribeColumns() const;
  void ApplyTimeout();
  void ExecuteArray(const std::vector<driver::ParamColumn>& params, int times, int offset);
  void AfterExecute(SQLRETURN ret, int times);
  [[noreturn]] void Fail(const char* action) const;

  std::shared_ptr<Session> session_;
  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
  mutable std::vector<ResultColumn> columns_;
  mutable bool described_ = false;
  uint32_t timeout_ = kNoTimeout;
  // The time-out last given to the handle: set again only when it changes.
  std::optional<uint32_t> appliedTimeout_;
  bool cursorOpen_ = false;
  int64_t rowsAffected_ = 0;
};

}  // namespace zr::db::odbc
