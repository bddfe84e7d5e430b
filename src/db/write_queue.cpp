#include "write_queue.h"

#include <algorithm>
#include <optional>

#include "common/ascii.h"
#include "db/errors.h"
#include "db/sql_scanner.h"

namespace zr::db {

namespace detail {

namespace {

// The statement's code tokens (words, quoted names, literals, symbols), in order; none when the text holds
// something that rules a batch out: a comment (it could hide or join what follows), a literal or name left
// open, a ";" (more than one statement).
struct Tokens {
  std::vector<sql::Token> Items;
  bool Markers = false;  // a "?" outside literals
  bool Usable = true;
};

Tokens Tokenize(std::string_view text) {
  Tokens t;
  sql::Scanner scanner(text);
  sql::Token token;
  while (scanner.Next(token)) {
    if (token.Kind == sql::TokenKind::Blank) continue;
    if (token.Kind == sql::TokenKind::Comment || !token.Closed || token.Text == ";") {
      t.Usable = false;
      return t;
    }
    if (token.Kind == sql::TokenKind::Marker) t.Markers = true;
    t.Items.push_back(token);
  }
  return t;
}

using sql::IsKeyword;

// The table a name token gives, upper-cased: a word, or a quoted name without its quotes.
std::string TableName(const sql::Token& token) {
  if (token.Kind == sql::TokenKind::QuotedName) {
    return token.Text.size() > 2 ? common::UpperAscii(token.Text.substr(1, token.Text.size() - 2)) : "";
  }
  return token.Kind == sql::TokenKind::Word ? common::UpperAscii(token.Text) : std::string();
}

}  // namespace

std::string QueueableTable(std::string_view sql, bool withParams) {
  const Tokens t = Tokenize(sql);
  if (!t.Usable || t.Items.size() < 3) return {};
  if (t.Markers != withParams) return {};
  bool values = false;
  for (const sql::Token& item : t.Items) {
    if (IsKeyword(item, "RETURNING") || IsKeyword(item, "EXECUTE") || IsKeyword(item, "PROCEDURE")) return {};
    if (withParams && IsKeyword(item, "SELECT")) return {};
    values = values || IsKeyword(item, "VALUES");
  }
  const std::vector<sql::Token>& w = t.Items;
  if (IsKeyword(w[0], "INSERT") && IsKeyword(w[1], "INTO")) {
    if (withParams && !values) return {};
    return TableName(w[2]);
  }
  if (withParams) return {};
  if (IsKeyword(w[0], "DELETE") && IsKeyword(w[1], "FROM")) return TableName(w[2]);
  if (IsKeyword(w[0], "UPDATE")) {
    if (IsKeyword(w[1], "OR"))
      return w.size() > 4 && IsKeyword(w[2], "INSERT") && IsKeyword(w[3], "INTO") ? TableName(w[4]) : "";
    return TableName(w[1]);
  }
  return {};
}

bool NamesTable(std::string_view sql, const std::string& table) {
  if (table.empty()) return true;
  return common::UpperAscii(sql).find(table) != std::string::npos;
}

WriteQueue::~WriteQueue() { Drop(); }

bool WriteQueue::Touches(std::string_view sql) const {
  if (items_.empty()) return false;
  const std::string upper = common::UpperAscii(sql);
  if (std::any_of(tables_.begin(), tables_.end(),
                  [&](const std::string& table) { return upper.find(table) != std::string::npos; })) {
    return true;
  }
  return changes_.Every || catalog_.Reads(*physical_, sql).Meets(changes_);
}

driver::BatchStatement WriteQueue::AsBatchStatement(const QueuedWrite& write) {
  driver::BatchStatement statement;
  statement.Sql = write.Sql;
  statement.Times = write.Times;
  statement.Offset = 0;
  for (size_t i = 0; i < write.Types.size(); ++i)
    statement.Params.push_back({write.Types[i], &write.Values[i]});
  return statement;
}

namespace {

// About what a statement holds in memory while it waits: its text and its values.
size_t HeldSize(const QueuedWrite& write) {
  size_t size = write.Sql.size();
  for (const std::vector<TFDValue>& values : write.Values) {
    for (const TFDValue& value : values) {
      const std::string* text = std::get_if<std::string>(&value);
      size += 16 + (text != nullptr ? text->size() : 0);
    }
  }
  return size;
}

}  // namespace

bool WriteQueue::Queue(QueuedWrite write, driver::Connection& physical, TFDRowCount& count) {
  if (physical_ != nullptr && physical_ != &physical) Flush();
  const size_t size = HeldSize(write);
  if (!items_.empty() && bytes_ + size > kHeldBytes) Flush();
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!batch_) {
      batch_ = physical.CreateBatch();
      if (!batch_) return false;
      physical_ = &physical;
    }
    // Asked before the statement joins the batch (a catalog read is a statement of its own).
    const catalog::TableSet& changes = catalog_.Writes(physical, write.Table);
    if (batch_->Add(AsBatchStatement(write))) {
      write.Count = std::make_shared<RowCountCell>();
      write.Count->Queue = this;
      count = TFDRowCount(write.Count);
      tables_.insert(write.Table);
      changes_.Add(changes);
      bytes_ += size;
      items_.push_back(std::move(write));
      return true;
    }
    if (batch_->Count() == 0) return false;  // fits in no batch
    if (full_.size() < kHeldBatches) {
      // The batch is full: it waits, and a new one takes the statement.
      full_.push_back({std::move(batch_), items_.size()});
    } else {
      Flush();
    }
  }
  return false;
}

void WriteQueue::Resolve(RowCountCell& cell, int64_t value) noexcept {
  cell.Value = value;
  cell.Known = true;
  cell.Queue = nullptr;
}

int64_t WriteQueue::RunAlone(driver::Connection& physical, const QueuedWrite& write) {
  const driver::BatchStatement s = AsBatchStatement(write);
  std::unique_ptr<driver::Statement> statement = physical.CreateStatement();
  statement->Prepare(s.Sql);
  statement->SetTimeout(write.Timeout);
  statement->Execute(s.Params, s.Times, 0);
  return statement->RowsAffected();
}

namespace {

// A statement's failure as its caller words it, keeping the failure's kind (and its facts, when the
// wording keeps its message).
EQueuedStatementError Worded(const QueuedWrite& write, const EDatabaseError& failure) {
  return EQueuedStatementError(write.Wording ? write.Wording(failure) : std::string(failure.what()), failure);
}

}  // namespace

void WriteQueue::Flush() {
  if (items_.empty()) {
    Reset();
    return;
  }
  std::vector<QueuedWrite> items = std::move(items_);
  std::vector<FilledBatch> batches = std::move(full_);
  if (batch_ && batch_->Count() > 0) batches.push_back({std::move(batch_), items.size()});
  driver::Connection& physical = *physical_;
  Reset();
  size_t first = 0;
  for (FilledBatch& batch : batches) {
    RunBatch(std::move(batch.Batch), physical, items, first, batch.End - first);
    first = batch.End;
  }
}

void WriteQueue::RunBatch(std::unique_ptr<driver::Batch> batch, driver::Connection& physical,
                          std::vector<QueuedWrite>& items, size_t first, size_t size) {
  const size_t end = first + size;
  const auto resolveFrom = [&](size_t from) {
    for (size_t i = from; i < items.size(); ++i) Resolve(*items[i].Count, 0);
  };
  // The batch runs under the tightest time-out of its statements; a batch that takes longer as a whole
  // than one of them may is run again statement by statement, each under its own time-out.
  uint32_t timeout = kNoTimeout;
  for (size_t i = first; i < end; ++i) timeout = std::min(timeout, items[i].Timeout);
  std::vector<int64_t> counts;
  std::optional<EDatabaseError> failure;
  try {
    counts = batch->Execute(timeout);
  } catch (const EDatabaseError& e) {
    failure = e;
  } catch (const std::exception& e) {
    failure = EDatabaseError(e.what());
  }
  batch.reset();
  if (!failure) {
    if (counts.size() == size) {
      for (size_t i = 0; i < size; ++i) Resolve(*items[first + i].Count, counts[i]);
      return;
    }
    // The batch ran without an error, so its statements may well be applied: running them again could
    // apply them twice.
    resolveFrom(first);
    throw EQueuedStatementError("The driver's batch returned " + std::to_string(counts.size()) +
                                " row counts for " + std::to_string(size) +
                                " statements without reporting an error; its statements were not run again");
  }
  if (failure->Kind() == TDatabaseErrorKind::LinkLost) {
    // The link is gone: the batch's first statement alone would have met this same first failure.
    resolveFrom(first);
    throw Worded(items[first], *failure);
  }
  // Nothing of the batch remains: find the failing statement by running each alone.
  for (size_t i = first; i < end; ++i) {
    try {
      Resolve(*items[i].Count, RunAlone(physical, items[i]));
    } catch (const EDatabaseError& e) {
      resolveFrom(i);
      throw Worded(items[i], e);
    } catch (const std::exception& e) {
      resolveFrom(i);
      throw Worded(items[i], EDatabaseError(e.what()));
    }
  }
}

void WriteQueue::Drop() noexcept {
  for (QueuedWrite& item : items_) Resolve(*item.Count, 0);
  Reset();
}

void WriteQueue::Reset() noexcept {
  items_.clear();
  full_.clear();
  bytes_ = 0;
  tables_.clear();
  changes_ = {};
  batch_.reset();
  physical_ = nullptr;
}

}  // namespace detail

}  // namespace zr::db
