#pragma once
// How an ODBC result column becomes a framework column: its data type (before the mapping rules) and how
// its values are read.

#include <sql.h>
#include <sqlext.h>

#include <string>

#include "db/driver.h"

namespace zr::db::odbc {

// The C form a column's values are read in.
enum class ReadKind { Integer, Boolean, Double, Decimal, Date, Time, DateTime, Text, Binary };

struct ResultColumn {
  driver::ColumnInfo Info;
  ReadKind Kind = ReadKind::Text;
};

// NUMERIC/DECIMAL become dtBCD up to 18 digits and dtFmtBCD above, with the scale as Size (so that mapping
// rules can tell NUMBER(15,4) from NUMBER(9)); DATE/TIMESTAMP become dtDateTime (an Oracle DATE holds a time
// of day); long character data (Oracle CLOB) becomes dtHMemo and long binary data (BLOB) dtHBlob. Types the
// framework has no use for are read as text.
ResultColumn DescribeResultColumn(std::string name, SQLSMALLINT sqlType, SQLULEN columnSize,
                                  SQLSMALLINT decimalDigits, bool isUnsigned);

}  // namespace zr::db::odbc
