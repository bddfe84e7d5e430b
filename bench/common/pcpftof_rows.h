#pragma once
// The PCPFTOF rows that the insert benchmarks load, whatever the driver: the table's columns, the generated
// row n, and the two ways a client sends them (parameter arrays, or one execution per row). Each benchmark
// adds the server-side INSERT ... SELECT that makes the same rows in its own dialect.

#include <functional>
#include <string>

#include "db/connection.h"
#include "db/query.h"

namespace zr::bench {

// The column list of a PCPFTOF table, for CREATE TABLE name (...).
extern const char* const kPcpftofColumns;

// Runs `work` on a query of `connection` in one transaction, committed at the end.
void InTransaction(db::TFDConnection& connection, const std::function<void(db::TFDQuery&)>& work);

// Inserts rows 0 .. rows-1 into `table` in one transaction:
// through named parameter arrays of `arraySize` elements, each array one Execute;
void InsertWithArrays(db::TFDConnection& connection, const std::string& table, int rows, int arraySize);
// or through one prepared INSERT executed once per row.
void InsertRowByRow(db::TFDConnection& connection, const std::string& table, int rows);

}  // namespace zr::bench
