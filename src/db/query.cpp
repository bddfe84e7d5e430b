#include "db/query.h"

#include <algorithm>

#include "common/ascii.h"
#include "column_values.h"
#include "db/connection.h"
#include "db/driver.h"
#include "db/errors.h"
#include "db/sql_scanner.h"
#include "db/transaction.h"
#include "connection_internals.h"
#include "write_queue.h"

namespace zr::db {

namespace {

using Internals = detail::ConnectionInternals;

// Rows read ahead from a cursor whose statement names a table with queued writes: the queue is sent once,
// then this many rows are read before the next statements may queue again. The Firebird 3 client fetches
// small rows about a thousand at a time and asks for the next ones before the last of them are read; with
// nothing else sent until these rows are worked through, the server prepares the next thousand meanwhile (a
// trace of the status update shows its row fetches and its update blocks no longer waiting on each other).
constexpr int kReadAhead = 1000;

// A text that plainly reads rows: a SELECT or a WITH query.
bool ReadsRows(std::string_view sql) {
  const std::string word = sql::FirstWord(sql);
  return word == "SELECT" || word == "WITH";
}

// Statements after which prepared statements may no longer match the tables they name.
bool ChangesMetadata(std::string_view sql) {
  const std::string word = sql::FirstWord(sql);
  return word == "CREATE" || word == "ALTER" || word == "DROP" || word == "RECREATE" || word == "COMMENT" ||
         word == "GRANT" || word == "REVOKE" || word == "TRUNCATE";
}

}  // namespace

TFDQuery::TFDQuery(TComponent* owner) : TComponent(owner) {
  sql_.OnChange = [this] { paramsDirty_ = true; };
}

TFDQuery::~TFDQuery() {
  try {
    CloseInternal();
  } catch (...) {
    // A destructor cannot report; the transaction this query started is left to its connection.
  }
  DropStatement();
  if (connection_ != nullptr) connection_->DetachQuery(this);
}

TFDParams& TFDQuery::Params() {
  Parsed();
  return params_;
}

const TFDParsedSql& TFDQuery::Parsed() {
  if (paramsDirty_) {
    parsed_ = ParseParams(sql_.Text());
    params_.Rebuild(parsed_.Names);
    paramsDirty_ = false;
  }
  return parsed_;
}

void TFDQuery::SetConnection(TFDConnection* connection) {
  if (connection == connection_) return;
  CloseInternal();
  DropStatement();
  if (connection_ != nullptr) connection_->DetachQuery(this);
  connection_ = connection;
  if (connection_ != nullptr) connection_->AttachQuery(this);
}

void TFDQuery::SetActive(bool value) {
  if (value == active_) return;
  if (!value) {
    CloseInternal();
    return;
  }
  OpenCursor(false);
  active_ = true;
}

// Opening ---------------------------------------------------------------------------------------------------------

void TFDQuery::OpenCursor(bool infoQuery) {
  TFDConnection& connection = RequireConnection();
  CloseInternal();
  const TFDParsedSql parsed = Parsed();
  // A statement that could read what waits in the queue (or do anything but read) runs after it.
  if (!ReadsRows(parsed.Sql) || Internals::Writes(connection).Touches(parsed.Sql)) connection.FlushWrites();
  connection.BeginAutoTransaction(transaction_, this);
  try {
    driver::Statement& statement = PreparedStatement(parsed.Sql);
    // Where describing costs a request of its own, a query runs first and is described from its result.
    const bool runFirst = !infoQuery && statement.DescribeCostsRequest() && ReadsRows(parsed.Sql);
    if (runFirst) {
      statement.SetTimeout(resourceOptions_.CmdExecTimeout);
      statement.Execute(ParamColumns(parsed.Names), 1, 0);
      cursorOpen_ = true;
    }
    const std::vector<driver::ColumnInfo> columns = statement.Columns();
    if (columns.empty()) {
      throw EDatabaseError("Cannot open a statement that returns no result set; execute it with ExecSQL");
    }
    CreateFields(columns);
    statementReturnsRows_ = true;
    if (infoQuery) {
      connection.EndAutoTransaction(this, true);
      return;
    }
    if (!runFirst) {
      statement.SetTimeout(resourceOptions_.CmdExecTimeout);
      statement.Execute(ParamColumns(parsed.Names), 1, 0);
      cursorOpen_ = true;
    }
    if (FetchOne()) {
      current_ = 0;
      eof_ = false;
    }
    bof_ = true;
    LoadCurrentRow();
  } catch (...) {
    const std::exception_ptr failure = std::current_exception();
    if (cursorOpen_) {
      cursorOpen_ = false;
      try {
        statement_->CloseCursor();
      } catch (...) {
      }
    }
    ahead_.clear();
    FreeFields();
    rows_.Clear();
    current_ = -1;
    connection.EndAutoTransaction(this, false);
    RaiseAfterQueuedWrites(connection, failure);
  }
}

void TFDQuery::RaiseAfterQueuedWrites(TFDConnection& connection, std::exception_ptr failure) {
  detail::WriteQueue& writes = Internals::Writes(connection);
  if (!writes.Empty()) {
    // With the link gone, every queued statement would fail for that reason only: this first failure is
    // the one the first of them would have met.
    bool lost = false;
    try {
      std::rethrow_exception(failure);
    } catch (const EDatabaseError& e) {
      lost = e.Kind() == TDatabaseErrorKind::LinkLost;
    } catch (...) {
    }
    if (lost) {
      writes.Drop();
    } else {
      connection.FlushWrites();
    }
  }
  std::rethrow_exception(failure);
}

void TFDQuery::CreateFields(const std::vector<driver::ColumnInfo>& columns) {
  const TFDFormatOptions& format = connection_->FormatOptions();
  for (const driver::ColumnInfo& column : columns) {
    const TFDDataType target =
        format.OwnMapRules ? format.MapRules.Map(column.DataType, column.Precision, column.Scale, column.Size)
                           : column.DataType;
    const TFieldType fieldType = FieldTypeOf(target, column.FixedChar);
    const TFieldClass* fieldClass = GetFieldClass(fieldType);
    if (fieldClass == nullptr) {
      throw EDatabaseError("Field '" + column.Name + "' is of an unsupported type: " +
                           FieldTypeName(fieldType) + " (" + DataTypeName(column.DataType) + ")");
    }
    TField* field = fieldClass->Create(this);
    fields_.push_back(field);
    targets_.push_back({target, column.FixedChar});
    field->SetFieldName(column.Name);
    field->SetFieldType(fieldType);
    field->SetSize(detail::FieldSizeOf(target, column.Size));
  }
}

driver::Statement& TFDQuery::PreparedStatement(const std::string& sql) {
  if (statement_ && preparedSql_ == sql) return *statement_;
  TFDConnection& connection = RequireConnection();
  if (statement_ && statementReturnsRows_ && !cursorOpen_) {
    Internals::Statements(connection).Keep(std::move(preparedSql_), std::move(statement_));
  }
  DropStatement();
  std::unique_ptr<driver::Statement> statement = Internals::Statements(connection).Take(sql);
  if (!statement) {
    statement = Internals::Physical(connection).CreateStatement();
    statement->SetTimeout(resourceOptions_.CmdExecTimeout);  // preparing is a round trip to the server too
    statement->Prepare(sql);
  }
  statement_ = std::move(statement);
  preparedSql_ = sql;
  statementReturnsRows_ = false;
  return *statement_;
}

std::vector<driver::ParamColumn> TFDQuery::ParamColumns(const std::vector<std::string>& names) {
  std::vector<driver::ParamColumn> columns;
  columns.reserve(names.size());
  for (const std::string& name : names) {
    const TFDParam& param = Params().ParamByName(name);
    columns.push_back({param.DataType(), &param.Values()});
  }
  return columns;
}

TFDConnection& TFDQuery::RequireConnection() {
  if (connection_ == nullptr) throw EDatabaseError("Query has no connection");
  // A statement on a closed connection opens it first.
  if (!connection_->Connected()) connection_->SetConnected(true);
  return *connection_;
}

// Executing -------------------------------------------------------------------------------------------------------

void TFDQuery::ExecSQL() {
  // A statement without parameters runs once whatever array size was left set for an earlier text.
  const TFDParams& params = Params();
  const int arraySize = params.Count() > 0 ? params.ArraySize() : 1;
  Execute(arraySize > 1 ? arraySize : 1, 0);
}

void TFDQuery::Execute(int times, int offset) {
  TErrorWording wording = std::move(errorWording_);
  errorWording_ = nullptr;
  TFDConnection& connection = RequireConnection();
  CloseInternal();
  const TFDParsedSql parsed = Parsed();
  const int arraySize = Params().ArraySize();
  if (times == 0) times = arraySize - offset;
  if (times < 1 || offset < 0 || offset + times > arraySize) {
    throw EDatabaseError("Cannot execute elements " + std::to_string(offset) + " to " +
                         std::to_string(offset + times - 1) + " of a parameter array of size " +
                         std::to_string(arraySize));
  }
  connection.BeginAutoTransaction(transaction_, this);
  try {
    if (connection.WriteBehind() && connection.InTransaction() && !connection.OwnsAutoTransaction(this)) {
      std::string table = detail::QueueableTable(parsed.Sql, !parsed.Names.empty());
      if (!table.empty()) {
        detail::QueuedWrite write;
        write.Sql = parsed.Sql;
        write.Times = parsed.Names.empty() ? 1 : times;
        write.Timeout = resourceOptions_.CmdExecTimeout;
        write.Table = std::move(table);
        write.Wording = std::move(wording);
        for (const std::string& name : parsed.Names) {
          const TFDParam& param = Params().ParamByName(name);
          write.Types.push_back(param.DataType());
          const std::vector<TFDValue>& values = param.Values();
          write.Values.emplace_back(values.begin() + offset, values.begin() + offset + write.Times);
        }
        TFDRowCount count;
        if (Internals::Writes(connection).Queue(std::move(write), Internals::Physical(connection), count)) {
          rowsAffected_ = count;
          return;
        }
      }
    }
    // Whatever waits in the queue ran before this statement.
    connection.FlushWrites();
    driver::Statement& statement = PreparedStatement(parsed.Sql);
    statement.SetTimeout(resourceOptions_.CmdExecTimeout);
    statement.Execute(ParamColumns(parsed.Names), times, offset);
    rowsAffected_ = statement.RowsAffected();
    if (!statement.Columns().empty()) statement.CloseCursor();
  } catch (...) {
    connection.EndAutoTransaction(this, false);
    throw;
  }
  if (ChangesMetadata(parsed.Sql)) {
    Internals::Statements(connection).Clear();
    connection.ForgetCatalog();
  }
  connection.EndAutoTransaction(this, true);
}

// Fetching and navigation -----------------------------------------------------------------------------------------

bool TFDQuery::FetchOne() {
  if (ahead_.empty()) {
    if (!cursorOpen_) return false;
    // Rows not yet read could show what waits in the queue: it goes first, and a block of rows is read
    // behind it so that the next statements queue again.
    const bool readAhead = connection_ != nullptr && Internals::Writes(*connection_).Touches(preparedSql_);
    if (readAhead) {
      try {
        connection_->FlushWrites();
      } catch (...) {
        cursorOpen_ = false;
        try {
          statement_->CloseCursor();
        } catch (...) {
        }
        connection_->EndAutoTransaction(this, false);
        throw;
      }
    }
    FetchFromDriver(readAhead ? kReadAhead : 1);
    if (ahead_.empty()) return false;
  }
  std::vector<TFDValue> row = std::move(ahead_.front());
  ahead_.pop_front();
  row.resize(targets_.size());
  for (size_t i = 0; i < row.size(); ++i) {
    row[i] = detail::ConvertColumnValue(std::move(row[i]), targets_[i].DataType, targets_[i].FixedChar);
  }
  rows_.Push(row);
  return true;
}

void TFDQuery::FetchFromDriver(int count) {
  for (int i = 0; i < count && cursorOpen_; ++i) {
    std::vector<TFDValue> row;
    bool fetched = false;
    try {
      fetched = statement_->Fetch(row);
    } catch (...) {
      const std::exception_ptr failure = std::current_exception();
      cursorOpen_ = false;
      try {
        statement_->CloseCursor();
      } catch (...) {
      }
      if (connection_ == nullptr) throw;
      connection_->EndAutoTransaction(this, false);
      RaiseAfterQueuedWrites(*connection_, failure);
    }
    if (!fetched) {
      CloseCursor();
      return;
    }
    ahead_.push_back(std::move(row));
  }
}

void TFDQuery::FetchAll() {
  RequireActive();
  while (FetchOne()) {
  }
}

int TFDQuery::RecNo() const noexcept { return rows_.Empty() ? 0 : current_ + 1; }

void TFDQuery::First() {
  RequireActive();
  current_ = rows_.Empty() ? -1 : 0;
  bof_ = true;
  eof_ = rows_.Empty();
  LoadCurrentRow();
}

void TFDQuery::Next() {
  RequireActive();
  if (eof_) return;
  bof_ = false;
  if (static_cast<size_t>(current_ + 1) < rows_.Size() || FetchOne()) {
    ++current_;
    LoadCurrentRow();
  } else {
    eof_ = true;
  }
}

void TFDQuery::LoadCurrentRow() {
  if (current_ >= 0) {
    rows_.Read(static_cast<size_t>(current_), currentValues_);
  } else {
    currentValues_.clear();
  }
  for (size_t i = 0; i < fields_.size(); ++i) {
    fields_[i]->SetData(i < currentValues_.size() ? std::move(currentValues_[i]) : TFDValue{});
  }
}

TField* TFDQuery::FindField(std::string_view name) const {
  for (TField* f : fields_) {
    if (common::SameTextAscii(f->FieldName(), name)) return f;
  }
  return nullptr;
}

TField& TFDQuery::FieldByName(std::string_view name) const {
  if (TField* f = FindField(name)) return *f;
  throw EDatabaseError("Field '" + std::string(name) + "' not found");
}

void TFDQuery::RequireActive() const {
  if (!active_) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

// Deleting --------------------------------------------------------------------------------------------------------

void TFDQuery::Delete() {
  RequireActive();
  if (rows_.Empty()) throw EDatabaseError("Cannot perform this operation on an empty dataset");
  DoBeforeDelete();
  rows_.Erase(static_cast<size_t>(current_));
  // The next record takes the deleted one's place; after the last one the cursor stays on the new last record.
  const bool hasNext = static_cast<size_t>(current_) < rows_.Size() || FetchOne();
  if (rows_.Empty()) {
    current_ = -1;
    bof_ = eof_ = true;
  } else if (hasNext) {
    eof_ = false;
    bof_ = current_ == 0;
  } else {
    current_ = static_cast<int>(rows_.Size()) - 1;
    eof_ = true;
    bof_ = false;
  }
  LoadCurrentRow();
}

void TFDQuery::DoBeforeDelete() {}

const TFieldClass* TFDQuery::GetFieldClass(TFieldType type) const { return DefaultFieldClass(type); }

// Closing ---------------------------------------------------------------------------------------------------------

void TFDQuery::CloseCursor() {
  if (cursorOpen_) {
    cursorOpen_ = false;
    statement_->CloseCursor();
  }
  if (connection_ != nullptr) connection_->EndAutoTransaction(this, true);
}

void TFDQuery::CloseInternal() {
  FreeFields();
  rows_.Clear();
  ahead_.clear();
  current_ = -1;
  eof_ = bof_ = true;
  active_ = false;
  CloseCursor();
}

void TFDQuery::FreeFields() {
  std::vector<TField*> fields;
  fields.swap(fields_);
  targets_.clear();
  for (auto it = fields.rbegin(); it != fields.rend(); ++it) delete *it;
}

// Notifications from the connection -------------------------------------------------------------------------------

void TFDQuery::DropStatement() noexcept {
  cursorOpen_ = false;
  statement_.reset();
  preparedSql_.clear();
  statementReturnsRows_ = false;
}

void TFDQuery::ConnectionDestroyed() noexcept {
  DropStatement();
  connection_ = nullptr;
}

void TFDQuery::TransactionEnding(bool commit) {
  if (!cursorOpen_) return;
  if (commit) {
    // The rows stay readable after the commit closes the cursor.
    while (FetchOne()) {
    }
  } else {
    cursorOpen_ = false;
    statement_->CloseCursor();
  }
}

void TFDQuery::TransactionDestroyed(const TFDTransaction* transaction) noexcept {
  if (transaction_ == transaction) transaction_ = nullptr;
  if (updateTransaction_ == transaction) updateTransaction_ = nullptr;
}

}  // namespace zr::db
