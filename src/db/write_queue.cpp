#include "write_queue.h"

#include <algorithm>
#include <optional>

#include "common/ascii.h"
#include "db/errors.h"

namespace zr::db {

namespace detail {

namespace {

bool IsWordChar(char c) noexcept {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
}

// The statement cut into words, quoted names ("...") and single characters; literals become one "'" token.
// Empty when the text holds a comment, an unterminated quote or a character that rules a batch out.
struct Tokens {
  std::vector<std::string> Items;
  bool Markers = false;  // a "?" outside literals
  bool Usable = true;
};

Tokens Tokenize(std::string_view sql) {
  Tokens t;
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (IsWordChar(c)) {
      size_t end = i;
      while (end < sql.size() && IsWordChar(sql[end])) ++end;
      t.Items.push_back(common::UpperAscii(sql.substr(i, end - i)));
      i = end;
    } else if (c == '\'' || c == '"') {
      size_t end = i + 1;
      while (true) {
        end = sql.find(c, end);
        if (end == std::string_view::npos) {
          t.Usable = false;
          return t;
        }
        if (end + 1 < sql.size() && sql[end + 1] == c) {
          end += 2;
          continue;
        }
        break;
      }
      t.Items.push_back(c == '\'' ? std::string("'") : std::string(sql.substr(i, end + 1 - i)));
      i = end + 1;
    } else if ((c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') ||
               (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') || c == ';') {
      // Comments could hide or join what follows; a ";" makes more than one statement.
      t.Usable = false;
      return t;
    } else {
      if (c == '?') t.Markers = true;
      t.Items.emplace_back(1, c);
      ++i;
    }
  }
  return t;
}

std::string TableName(const std::string& token) {
  if (token.empty()) return {};
  if (token.front() == '"') return token.size() > 2 ? token.substr(1, token.size() - 2) : std::string();
  return IsWordChar(token.front()) ? token : std::string();
}

}  // namespace

std::string QueueableTable(std::string_view sql, bool withParams) {
  const Tokens t = Tokenize(sql);
  if (!t.Usable || t.Items.size() < 3) return {};
  if (t.Markers != withParams) return {};
  for (const std::string& item : t.Items) {
    if (item == "RETURNING" || item == "EXECUTE" || item == "PROCEDURE") return {};
    if (withParams && item == "SELECT") return {};
  }
  const std::vector<std::string>& w = t.Items;
  if (w[0] == "INSERT" && w[1] == "INTO") {
    if (withParams && std::find(w.begin(), w.end(), "VALUES") == w.end()) return {};
    return common::UpperAscii(TableName(w[2]));
  }
  if (withParams) return {};
  if (w[0] == "DELETE" && w[1] == "FROM") return common::UpperAscii(TableName(w[2]));
  if (w[0] == "UPDATE") {
    if (w[1] == "OR")
      return w.size() > 4 && w[2] == "INSERT" && w[3] == "INTO" ? common::UpperAscii(TableName(w[4])) : "";
    return common::UpperAscii(TableName(w[1]));
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

bool WriteQueue::Queue(QueuedWrite write, driver::Connection& physical, TFDRowCount& count) {
  if (physical_ != nullptr && physical_ != &physical) Flush();
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
      items_.push_back(std::move(write));
      return true;
    }
    if (batch_->Count() == 0) return false;  // fits in no batch
    Flush();
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

// A statement's failure as its caller words it, keeping the failure's kind.
EQueuedStatementError Worded(const QueuedWrite& write, const EDatabaseError& failure) {
  return EQueuedStatementError(write.Wording ? write.Wording(failure) : std::string(failure.what()),
                               failure.Kind());
}

}  // namespace

void WriteQueue::Flush() {
  if (items_.empty()) {
    batch_.reset();
    return;
  }
  std::vector<QueuedWrite> items = std::move(items_);
  std::unique_ptr<driver::Batch> batch = std::move(batch_);
  driver::Connection& physical = *physical_;
  items_.clear();
  tables_.clear();
  changes_ = {};
  physical_ = nullptr;
  const auto resolveFrom = [&](size_t first) {
    for (size_t i = first; i < items.size(); ++i) Resolve(*items[i].Count, 0);
  };
  // The batch runs under the tightest time-out of its statements; a batch that takes longer as a whole
  // than one of them may is run again statement by statement, each under its own time-out.
  uint32_t timeout = kNoTimeout;
  for (const QueuedWrite& item : items) timeout = std::min(timeout, item.Timeout);
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
    if (counts.size() == items.size()) {
      for (size_t i = 0; i < items.size(); ++i) Resolve(*items[i].Count, counts[i]);
      return;
    }
    // The batch ran without an error, so its statements may well be applied: running them again could
    // apply them twice.
    resolveFrom(0);
    throw EQueuedStatementError("The driver's batch returned " + std::to_string(counts.size()) +
                                " row counts for " + std::to_string(items.size()) +
                                " statements without reporting an error; its statements were not run again");
  }
  if (failure->Kind() == TDatabaseErrorKind::LinkLost) {
    // The link is gone: the first statement alone would have met this same first failure.
    resolveFrom(0);
    throw Worded(items.front(), *failure);
  }
  // Nothing of the batch remains: find the failing statement by running each alone.
  for (size_t i = 0; i < items.size(); ++i) {
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
  items_.clear();
  tables_.clear();
  changes_ = {};
  batch_.reset();
  physical_ = nullptr;
}

}  // namespace detail

int64_t TFDRowCount::Value() const {
  if (!cell_) return value_;
  if (!cell_->Known && cell_->Queue != nullptr) cell_->Queue->Flush();
  return cell_->Value;
}

TFDRowCountSum& TFDRowCountSum::operator+=(const TFDRowCount& count) {
  if (!count.Pending()) {
    known_ += count.cell_ ? count.cell_->Value : count.value_;
    return *this;
  }
  pending_.push_back(count.cell_);
  if (pending_.size() >= 1024) Fold();
  return *this;
}

void TFDRowCountSum::Fold() const noexcept {
  auto known =
      std::stable_partition(pending_.begin(), pending_.end(), [](const auto& cell) { return !cell->Known; });
  for (auto it = known; it != pending_.end(); ++it) known_ += (*it)->Value;
  pending_.erase(known, pending_.end());
}

int64_t TFDRowCountSum::Value() const {
  for (const auto& cell : pending_) {
    if (!cell->Known && cell->Queue != nullptr) cell->Queue->Flush();
  }
  Fold();
  return known_;
}

}  // namespace zr::db
