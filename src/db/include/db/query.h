#pragma once
// TFDQuery: SQL text, parameters, execution and a forward-filled, navigable result set.

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/component.h"
#include "db/errors.h"
#include "db/fields.h"
#include "db/options.h"
#include "db/params.h"
#include "db/row_count.h"
#include "db/row_store.h"
#include "db/string_list.h"

namespace zr::db {

namespace driver {
class Statement;
struct ColumnInfo;
struct ParamColumn;
}  // namespace driver
class TFDConnection;
class TFDTransaction;

// How a statement's caller words its failure: the driver's error (its message and kind) in, the caller's
// message out.
using TErrorWording = std::function<std::string(const EDatabaseError& failure)>;

class TFDQuery : public TComponent {
 public:
  explicit TFDQuery(TComponent* owner = nullptr);
  ~TFDQuery() override;

  TStringList& SQL() noexcept { return sql_; }
  const TStringList& SQL() const noexcept { return sql_; }
  // Parameters of the current SQL text (":NAME" markers), rebuilt when the text changes.
  TFDParams& Params();

  TFDResourceOptions& ResourceOptions() noexcept { return resourceOptions_; }
  TFDUpdateOptions& UpdateOptions() noexcept { return updateOptions_; }

  TFDConnection* Connection() const noexcept { return connection_; }
  void SetConnection(TFDConnection* connection);
  TFDTransaction* Transaction() const noexcept { return transaction_; }
  void SetTransaction(TFDTransaction* transaction) { transaction_ = transaction; }
  TFDTransaction* UpdateTransaction() const noexcept { return updateTransaction_; }
  void SetUpdateTransaction(TFDTransaction* transaction) { updateTransaction_ = transaction; }

  // Opening and closing both pass through SetActive; opening runs OpenCursor(false).
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  bool Active() const noexcept { return active_; }
  virtual void SetActive(bool value);

  // Executes the SQL text as a statement that returns no rows; with Params().ArraySize() > 1, once per
  // element as one Execute(ArraySize, 0). A text without parameters runs once. A component class that
  // prepares or guards its statements (translation, time-outs) overrides it, so the override also runs when
  // the query is reached through this class; the override calls TFDQuery::ExecSQL to execute.
  virtual void ExecSQL();
  // Runs elements offset .. offset+times-1 of the parameter arrays as one request (as few as the driver
  // allows); times 0 means every element from offset on. The statement is prepared again only when its
  // text changed. EDatabaseError for elements outside the arrays.
  // A statement the connection queues for write-behind (db/connection.h) returns at once, its count pending.
  void Execute(int times, int offset = 0);
  // Rows the last execution changed; a count still pending sends the connection's queue when read.
  TFDRowCount RowsAffected() const { return rowsAffected_; }
  // How the caller words a failure of the next ExecSQL or Execute (the driver's error in, the caller's
  // message out), for a failure that comes to light later, when the statement waited in the write-behind
  // queue.
  void SetErrorWording(TErrorWording wording) { errorWording_ = std::move(wording); }

  // Result set navigation. RecordCount counts the rows fetched so far (FetchAll makes it exact).
  void FetchAll();
  int RecordCount() const noexcept { return static_cast<int>(rows_.Size()); }
  int RecNo() const noexcept;  // 1-based current row, 0 when empty
  bool IsEmpty() const noexcept { return rows_.Empty(); }
  bool Eof() const noexcept { return eof_; }
  bool Bof() const noexcept { return bof_; }
  void First();
  void Next();

  int FieldCount() const noexcept { return static_cast<int>(fields_.size()); }
  TField& Fields(int index) const { return *fields_.at(static_cast<size_t>(index)); }
  // ASCII letter case ignored; EDatabaseError "Field 'NAME' not found" when absent.
  TField& FieldByName(std::string_view name) const;
  TField* FindField(std::string_view name) const;

  // Deletes the current record of the result set (from the fetched rows; nothing is sent to the server),
  // after the before-delete step.
  void Delete();

 protected:
  // The cursor-opening step: prepares and runs the SQL text and creates the fields; with `infoQuery` only
  // the field definitions are wanted (the statement is prepared, not run).
  virtual void OpenCursor(bool infoQuery);
  // Runs before a record is deleted; raising EAbort cancels the deletion silently.
  virtual void DoBeforeDelete();
  // The field class for a field type; nullptr means the type gets no field.
  virtual const TFieldClass* GetFieldClass(TFieldType type) const;

 private:
  friend class TFDConnection;  // tells its queries about disconnection and transaction ends

  struct ColumnTarget {
    TFDDataType DataType;
    bool FixedChar;
  };

  // Ends the driver's cursor and, when this query started the transaction for it (AutoStop), commits it.
  void CloseCursor();
  // Closes without passing through SetActive: cursor, rows and fields go.
  void CloseInternal();
  void FreeFields();
  void CreateFields(const std::vector<driver::ColumnInfo>& columns);
  void LoadCurrentRow();
  bool FetchOne();
  // Reads up to `count` rows from the driver's cursor into ahead_; closes the cursor at its end.
  void FetchFromDriver(int count);
  // Raises `failure`, unless a statement waiting in the write-behind queue fails when sent: that one came
  // first, and is raised instead.
  [[noreturn]] void RaiseAfterQueuedWrites(TFDConnection& connection, std::exception_ptr failure);
  void RequireActive() const;
  driver::Statement& PreparedStatement(const std::string& sql);
  // The SQL text with its ":NAME" markers made "?" and their names, parsed once per text (with Params()).
  const TFDParsedSql& Parsed();
  std::vector<driver::ParamColumn> ParamColumns(const std::vector<std::string>& names);
  TFDConnection& RequireConnection();

  // Called by the connection.
  void DropStatement() noexcept;
  void ConnectionDestroyed() noexcept;
  void TransactionEnding(bool commit);
  void TransactionDestroyed(const TFDTransaction* transaction) noexcept;

  TStringList sql_;
  TFDParams params_;
  TFDParsedSql parsed_;
  bool paramsDirty_ = true;  // params_ and parsed_ are of an older text
  TFDResourceOptions resourceOptions_;
  TFDUpdateOptions updateOptions_;
  TFDConnection* connection_ = nullptr;
  TFDTransaction* transaction_ = nullptr;
  TFDTransaction* updateTransaction_ = nullptr;
  bool active_ = false;

  std::unique_ptr<driver::Statement> statement_;
  std::string preparedSql_;
  bool statementReturnsRows_ = false;  // it opened a cursor: worth keeping in the connection's cache
  TErrorWording errorWording_;
  std::deque<std::vector<TFDValue>> ahead_;  // rows read from the driver, not yet fetched into rows_
  std::vector<TField*> fields_;
  std::vector<ColumnTarget> targets_;
  detail::RowStore rows_;
  std::vector<TFDValue> currentValues_;  // the current row, decoded
  int current_ = -1;
  bool eof_ = true;
  bool bof_ = true;
  bool cursorOpen_ = false;
  TFDRowCount rowsAffected_;
};

}  // namespace zr::db
