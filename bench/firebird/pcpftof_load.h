#pragma once
// A PCPFTOF table in a scratch database and the three ways of filling it with the same rows.

#include <memory>
#include <string>

#include "db/connection.h"
#include "db/string_list.h"

namespace zr::bench {

// A new UTF8 database (page size 4096) with an empty PCPFTOF and a table of the ten digits; dropped when
// this goes away. Embedded: a file in a temporary directory. Server: a file the server creates in
// ZR_FB_SERVER_DIR, reached through ZR_FB_HOST/ZR_FB_PORT with ZR_FB_USER/ZR_FB_PASSWORD.
class ScratchDatabase {
 public:
  explicit ScratchDatabase(bool server);
  ~ScratchDatabase();
  ScratchDatabase(const ScratchDatabase&) = delete;
  ScratchDatabase& operator=(const ScratchDatabase&) = delete;

  db::TFDConnection& Connection() { return *connection_; }
  // Empties PCPFTOF (committed).
  void Clear();
  int64_t RowCount();

 private:
  void Run(const std::string& sql);

  std::string dir_;
  db::TStringList params_;
  std::unique_ptr<db::TFDConnection> connection_;
};

// Inserts rows 0 .. rows-1 in one transaction, committed at the end.
// (a) through named parameter arrays of `arraySize` elements, each array one Execute;
void InsertWithArrays(db::TFDConnection& connection, int rows, int arraySize);
// (b) one prepared INSERT executed once per row;
void InsertRowByRow(db::TFDConnection& connection, int rows);
// (c) one INSERT ... SELECT that makes the same rows on the server.
void InsertServerSide(db::TFDConnection& connection, int rows);

}  // namespace zr::bench
