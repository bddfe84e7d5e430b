#pragma once
// Parameter arrays bound column-wise (SQL_PARAM_BIND_BY_COLUMN): one buffer and one indicator array per
// parameter marker, so that a whole array runs with one SQLExecute.

#include <sql.h>
#include <sqlext.h>

#include <vector>

#include "db/driver.h"

namespace zr::db::odbc {

// One parameter's buffers as SQLBindParameter takes them: `Stride` bytes per element in `Data`, and one
// length or SQL_NULL_DATA per element in `Indicators`.
struct BoundParam {
  SQLSMALLINT CType = SQL_C_WCHAR;
  SQLSMALLINT SqlType = SQL_WVARCHAR;
  SQLULEN ColumnSize = 0;
  SQLSMALLINT DecimalDigits = 0;
  SQLLEN Stride = 0;  // bytes per element
  std::vector<unsigned char> Data;
  std::vector<SQLLEN> Indicators;
};

class ParamArrays {
 public:
  // Converts elements offset .. offset+times-1 of every parameter. A parameter of unknown type takes the
  // type of its first non-null element (text when all are null).
  ParamArrays(const std::vector<driver::ParamColumn>& params, int times, int offset);
  ParamArrays(const ParamArrays&) = delete;
  ParamArrays& operator=(const ParamArrays&) = delete;

  // Binds every buffer to `stmt`; the buffers must outlive the execution.
  void Bind(SQLHSTMT stmt);

 private:
  std::vector<BoundParam> columns_;
};

}  // namespace zr::db::odbc
