#pragma once
// What a connection keeps for the framework's own use behind its public face: the driver's connection, the
// prepared statements it keeps and the write-behind queue. Only the framework's query and connection code
// reaches them, through here.

#include "db/connection.h"
#include "db/driver.h"
#include "statement_cache.h"
#include "write_queue.h"

namespace zr::db::detail {

struct ConnectionInternals {
  // The driver's connection; EDatabaseError when not connected.
  static driver::Connection& Physical(const TFDConnection& connection);
  static WriteQueue& Writes(TFDConnection& connection) noexcept { return *connection.writes_; }
  // Prepared statements that return rows, kept while the connection is open.
  static StatementCache& Statements(TFDConnection& connection) noexcept { return *connection.statements_; }
};

}  // namespace zr::db::detail
