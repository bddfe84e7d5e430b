#include "db/query.h"

#include <algorithm>

#include "common/ascii.h"
#include "column_values.h"
#include "db/connection.h"
#include "db/driver.h"
#include "db/errors.h"
#include "db/transaction.h"

namespace zr::db {

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
  if (paramsDirty_) {
    params_.Rebuild(ParseParams(sql_.Text()).Names);
    paramsDirty_ = false;
  }
  return params_;
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
  const TFDParsedSql parsed = ParseParams(sql_.Text());
  Params();
  connection.BeginAutoTransaction(transaction_, this);
  try {
    driver::Statement& statement = PreparedStatement(parsed.Sql);
    const std::vector<driver::ColumnInfo> columns = statement.Columns();
    if (columns.empty()) {
      throw EDatabaseError("Cannot open a statement that returns no result set; execute it with ExecSQL");
    }
    CreateFields(columns);
    if (infoQuery) {
      connection.EndAutoTransaction(this, true);
      return;
    }
    statement.SetTimeout(resourceOptions_.CmdExecTimeout);
    statement.Execute(ParamColumns(parsed.Names), 1, 0);
    cursorOpen_ = true;
    if (FetchOne()) {
      current_ = 0;
      eof_ = false;
    }
    bof_ = true;
    LoadCurrentRow();
  } catch (...) {
    if (cursorOpen_) {
      cursorOpen_ = false;
      try {
        statement_->CloseCursor();
      } catch (...) {
      }
    }
    FreeFields();
    rows_.clear();
    current_ = -1;
    connection.EndAutoTransaction(this, false);
    throw;
  }
}

void TFDQuery::CreateFields(const std::vector<driver::ColumnInfo>& columns) {
  const TFDFormatOptions& format = connection_->FormatOptions();
  for (const driver::ColumnInfo& column : columns) {
    const TFDDataType target = format.OwnMapRules ? format.MapRules.Map(column.DataType, column.Precision,
                                                                         column.Scale, column.Size)
                                                  : column.DataType;
    const TFieldType fieldType = FieldTypeOf(target, column.FixedChar);
    const TFieldClass* fieldClass = GetFieldClass(fieldType);
    if (fieldClass == nullptr) {
      throw EDatabaseError("Field '" + column.Name + "' is of an unsupported type: " + FieldTypeName(fieldType) +
                           " (" + DataTypeName(column.DataType) + ")");
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
  DropStatement();
  std::unique_ptr<driver::Statement> statement = RequireConnection().Physical().CreateStatement();
  statement->SetTimeout(resourceOptions_.CmdExecTimeout);  // preparing is a round trip to the server too
  statement->Prepare(sql);
  statement_ = std::move(statement);
  preparedSql_ = sql;
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
  TFDConnection& connection = RequireConnection();
  CloseInternal();
  const TFDParsedSql parsed = ParseParams(sql_.Text());
  const int arraySize = Params().ArraySize();
  if (times == 0) times = arraySize - offset;
  if (times < 1 || offset < 0 || offset + times > arraySize) {
    throw EDatabaseError("Cannot execute elements " + std::to_string(offset) + " to " +
                         std::to_string(offset + times - 1) + " of a parameter array of size " +
                         std::to_string(arraySize));
  }
  connection.BeginAutoTransaction(transaction_, this);
  try {
    driver::Statement& statement = PreparedStatement(parsed.Sql);
    statement.SetTimeout(resourceOptions_.CmdExecTimeout);
    statement.Execute(ParamColumns(parsed.Names), times, offset);
    rowsAffected_ = statement.RowsAffected();
    if (!statement.Columns().empty()) statement.CloseCursor();
  } catch (...) {
    connection.EndAutoTransaction(this, false);
    throw;
  }
  connection.EndAutoTransaction(this, true);
}

// Fetching and navigation -----------------------------------------------------------------------------------------

bool TFDQuery::FetchOne() {
  if (!cursorOpen_) return false;
  std::vector<TFDValue> row;
  bool fetched = false;
  try {
    fetched = statement_->Fetch(row);
  } catch (...) {
    cursorOpen_ = false;
    try {
      statement_->CloseCursor();
    } catch (...) {
    }
    if (connection_ != nullptr) connection_->EndAutoTransaction(this, false);
    throw;
  }
  if (!fetched) {
    CloseCursor();
    return false;
  }
  row.resize(targets_.size());
  for (size_t i = 0; i < row.size(); ++i) {
    row[i] = detail::ConvertColumnValue(std::move(row[i]), targets_[i].DataType, targets_[i].FixedChar);
  }
  rows_.push_back(std::move(row));
  return true;
}

void TFDQuery::FetchAll() {
  RequireActive();
  while (FetchOne()) {
  }
}

int TFDQuery::RecNo() const noexcept { return rows_.empty() ? 0 : current_ + 1; }

void TFDQuery::First() {
  RequireActive();
  current_ = rows_.empty() ? -1 : 0;
  bof_ = true;
  eof_ = rows_.empty();
  LoadCurrentRow();
}

void TFDQuery::Next() {
  RequireActive();
  if (eof_) return;
  bof_ = false;
  if (static_cast<size_t>(current_ + 1) < rows_.size() || FetchOne()) {
    ++current_;
    LoadCurrentRow();
  } else {
    eof_ = true;
  }
}

void TFDQuery::LoadCurrentRow() {
  for (size_t i = 0; i < fields_.size(); ++i) {
    fields_[i]->SetData(current_ >= 0 ? rows_[static_cast<size_t>(current_)][i] : TFDValue{});
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
  if (rows_.empty()) throw EDatabaseError("Cannot perform this operation on an empty dataset");
  DoBeforeDelete();
  rows_.erase(rows_.begin() + current_);
  // The next record takes the deleted one's place; after the last one the cursor stays on the new last record.
  const bool hasNext = static_cast<size_t>(current_) < rows_.size() || FetchOne();
  if (rows_.empty()) {
    current_ = -1;
    bof_ = eof_ = true;
  } else if (hasNext) {
    eof_ = false;
    bof_ = current_ == 0;
  } else {
    current_ = static_cast<int>(rows_.size()) - 1;
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
  rows_.clear();
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
