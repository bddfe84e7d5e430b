#pragma once
// A PCPFTOF table in a scratch Firebird database and the server-side way of filling it.

#include <memory>
#include <string>

#include "db/connection.h"
#include "db/string_list.h"
#include "pcpftof_rows.h"

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

// The server-side load: one INSERT ... SELECT that makes the rows 0 .. rows-1 of the shared generator
// (pcpftof_rows.h) in PCPFTOF, in one transaction.
void InsertServerSide(db::TFDConnection& connection, int rows);

}  // namespace zr::bench
