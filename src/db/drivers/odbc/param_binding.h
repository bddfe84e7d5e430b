#pragma once
// Parameter arrays bound column-wise (SQL_PARAM_BIND_BY_COLUMN): one buffer and one indicator array per
// parameter marker, so that a whole array runs with one SQLExecute.

#include <sql.h>
#include <sqlext.h>

#include <span>
#include <vector>

#include "db/driver.h"

namespace zr::db::odbc {

// The kinds an ODBC parameter buffer takes: the framework's kinds (db/param_kind.h) narrowed, a Boolean
// travelling as an integer, a currency as a double, and a column whose values tell no kind as text.
enum class ParamKind { Text, Integer, Double, Decimal, Date, Time, DateTime, Binary };

// How every element of one parameter travels, decided once for the column (ParamKindOfColumn).
ParamKind KindOfParam(TFieldType type, std::span<const TFDValue> values);

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
  // Converts elements offset .. offset+times-1 of every parameter, each column of the kind KindOfParam
  // gives for those elements.
  ParamArrays(const std::vector<driver::ParamColumn>& params, int times, int offset);
  ParamArrays(const ParamArrays&) = delete;
  ParamArrays& operator=(const ParamArrays&) = delete;

  // Binds every buffer to `stmt`; the buffers must outlive the execution.
  void Bind(SQLHSTMT stmt);

 private:
  std::vector<BoundParam> columns_;
};

}  // namespace zr::db::odbc
