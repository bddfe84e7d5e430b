#pragma once
// Write-behind: statements that change rows and return nothing wait in their connection's queue and go to
// the server together, in the order they were run, before anything could observe or depend on them.

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "catalog_cache.h"
#include "db/catalog.h"
#include "db/data_types.h"
#include "db/driver.h"
#include "db/options.h"
#include "db/query.h"
#include "db/row_count.h"
#include "row_count_cell.h"
#include "db/value.h"

namespace zr::db::detail {

// The table a statement writes when it is plain DML a batch can take: INSERT INTO t, UPDATE t or
// DELETE FROM t as one statement (no ";", no RETURNING), with no "?" markers unless it is an
// INSERT ... VALUES without SELECT that has parameters (`withParams`). Upper-cased; empty when it is not.
std::string QueueableTable(std::string_view sql, bool withParams);

// True when `sql` names `table` (ASCII letter case ignored, anywhere in the text: a conservative test).
bool NamesTable(std::string_view sql, const std::string& table);

struct QueuedWrite {
  std::string Sql;                            // "?" markers
  std::vector<TFieldType> Types;              // one per marker
  std::vector<std::vector<TFDValue>> Values;  // one per marker, the elements to run
  int Times = 1;
  uint32_t Timeout = kNoTimeout;
  std::string Table;
  TErrorWording Wording;  // empty: the driver's message as it is
  std::shared_ptr<RowCountCell> Count;
};

class WriteQueue {
 public:
  // `catalog` tells what the server does behind a statement's text; it outlives the queue.
  explicit WriteQueue(CatalogCache& catalog) : catalog_(catalog) {}
  ~WriteQueue();
  WriteQueue(const WriteQueue&) = delete;
  WriteQueue& operator=(const WriteQueue&) = delete;

  bool Empty() const noexcept { return items_.empty(); }
  size_t Size() const noexcept { return items_.size(); }
  // True when `sql` could read what a queued statement changes: it names a table a queued statement writes,
  // or what it reads through views, procedures and functions (as the catalog tells) meets what the queued
  // statements change with their triggers and referential actions. Asks the catalog only when the queue
  // holds statements.
  bool Touches(std::string_view sql) const;
  // Queues the statement on `physical`; its count comes back pending. Nothing is queued (and the caller runs
  // the statement itself, after Flush) when the driver has no batches or the statement fits in none. A full
  // batch waits for the next ones, up to kHeldBatches of them, so that the server hears from this connection
  // only when something reads; past that the queue is sent first.
  bool Queue(QueuedWrite write, driver::Connection& physical, TFDRowCount& count);
  // Sends every queued statement, batch after batch in the order they were filled. When a batch fails, its
  // statements run again one by one, each alone as it would have run without the queue, and the first
  // failure is raised as EQueuedStatementError, worded as its caller words it and with its kind; the
  // statements after it, in that batch and the later ones, are dropped unsent (their counts read 0). The
  // batches before it stay applied, as their statements would have been. When the link is lost, the batch's
  // first statement alone would have met that same failure: it is raised without running anything again. A
  // batch that returns a count for fewer statements than it took, without raising, is a fault of the driver:
  // nothing is run again (the batch may have been applied) and EQueuedStatementError says so; its counts and
  // those after it read 0.
  void Flush();

  // Full batches held before the queue is sent: enough for a block of rows read ahead (query.cpp) to queue
  // a statement each without a round trip in between. The statements they hold are also kept within about
  // kHeldBytes of text and values, so that long values do not pile up.
  static constexpr size_t kHeldBatches = 16;
  static constexpr size_t kHeldBytes = size_t{4} << 20;
  // Forgets the queue unsent (the connection is going); counts read 0.
  void Drop() noexcept;

 private:
  // An empty queue: no statement, batch or connection, nothing written.
  void Reset() noexcept;
  static void Resolve(RowCountCell& cell, int64_t value) noexcept;
  static int64_t RunAlone(driver::Connection& physical, const QueuedWrite& write);
  // Runs `batch`, which holds items[first, first + size), and resolves their counts; on failure resolves
  // every count from the failing statement to the end of `items` and raises as Flush says.
  static void RunBatch(std::unique_ptr<driver::Batch> batch, driver::Connection& physical,
                       std::vector<QueuedWrite>& items, size_t first, size_t size);
  static driver::BatchStatement AsBatchStatement(const QueuedWrite& write);

  struct FilledBatch {
    std::unique_ptr<driver::Batch> Batch;
    size_t End = 0;  // it holds the statements of items_ from the previous batch's End up to this one
  };

  std::vector<QueuedWrite> items_;
  std::vector<FilledBatch> full_;        // full batches, in the order they were filled
  size_t bytes_ = 0;                     // about the size of the queued statements' texts and values
  std::unique_ptr<driver::Batch> batch_;  // the one taking statements
  driver::Connection* physical_ = nullptr;
  CatalogCache& catalog_;
  std::set<std::string> tables_;  // the tables the queued statements name as written
  catalog::TableSet changes_;     // what they may change, triggers and referential actions included
};

}  // namespace zr::db::detail
