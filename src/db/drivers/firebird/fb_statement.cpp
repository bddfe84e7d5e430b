#include "fb_statement.h"

#include <algorithm>
#include <cstring>

#include "fb_error.h"
#include "fb_execute_block.h"
#include "fb_literal_shape.h"
#include "fb_select_shape.h"
#include "fb_shape_request.h"

namespace zr::db::firebird {

namespace {

// Statement kinds a PSQL block can hold.
bool IsPlainDml(unsigned type) {
  return type == isc_info_sql_stmt_insert || type == isc_info_sql_stmt_update ||
         type == isc_info_sql_stmt_delete || type == isc_info_sql_stmt_exec_procedure;
}

}  // namespace

FbStatement::FbStatement(std::shared_ptr<Session> session) : session_(std::move(session)) {
  session_->Listen(this);
}

FbStatement::~FbStatement() {
  FreeHandles();
  session_->StopListening(this);
}

void FbStatement::TransactionEnding(Firebird::ITransaction* transaction) noexcept {
  if (cursor_ && cursorTransaction_ == transaction) {
    DropCursor();
  }
}

void FbStatement::AttachmentClosing() noexcept { FreeHandles(); }

void FbStatement::FreeHandles() noexcept {
  DropCursor();
  if (own_) {
    session_->Release(own_,
                      [](Firebird::ITransaction* t, Firebird::ThrowStatusWrapper* st) { t->rollback(st); });
  }
  for (auto& [elements, block] : blocks_) {
    FreeStatement(block.Statement);
  }
  blocks_.clear();
  if (!shapeText_.empty() && request_.Statement) {
    // The shape's request goes back to the cache, for the next statement of the shape.
    session_->Shapes().Keep(std::move(shapeText_), std::make_unique<PreparedRequest>(std::move(request_)),
                            shapeGeneration_);
  }
  ForgetShape();
  FreeStatement(request_.Statement);
  request_ = PreparedRequest();
  columns_.clear();
}

void FbStatement::DropCursor() noexcept {
  const bool open = static_cast<bool>(cursor_);
  session_->Release(cursor_, [](Firebird::IResultSet* r, Firebird::ThrowStatusWrapper* st) { r->close(st); });
  cursorTransaction_ = nullptr;
  singletonRow_ = false;
  if (open) {
    LendShapeBack();
  }
}

Firebird::ITransaction* FbStatement::WorkTransaction() {
  if (Firebird::ITransaction* open = session_->Transaction()) {
    return open;
  }
  if (!own_) {
    own_.reset(session_->StartOwnTransaction());
  }
  return own_.get();
}

void FbStatement::EndOwnTransaction(bool commit) {
  if (!own_) {
    return;
  }
  if (commit) {
    session_->Watched(kNoTimeout, [&](Firebird::ThrowStatusWrapper* status) {
      own_.Take([&](Firebird::ITransaction* t) { t->commit(status); });
    });
  } else {
    session_->Release(own_,
                      [](Firebird::ITransaction* t, Firebird::ThrowStatusWrapper* st) { t->rollback(st); });
  }
}

void FbStatement::Prepare(const std::string& sql) {
  const MessagesIn messages(session_->Text());
  FreeHandles();
  sql_.clear();
  session_->Attachment();  // EDatabaseError when closed
  Firebird::ITransaction* tra = WorkTransaction();
  try {
    if (!PrepareShape(sql, tra) && !PrepareSelectShape(sql, tra)) {
      PrepareText(sql, tra);
    }
    Describe(sql);
  } catch (...) {
    FreeStatement(request_.Statement);
    ForgetShape();
    EndOwnTransaction(false);
    throw;
  }
  EndOwnTransaction(true);
  sql_ = sql;
}

void FbStatement::PrepareText(const std::string& sql, Firebird::ITransaction* tra) {
  // The time-out covers preparing too: a server that stopped answering leaves the call waiting just the same.
  request_ = session_->Prepare(tra, sql, timeout_);
  if (request_.Type == isc_info_sql_stmt_ddl) {
    // Metadata is about to change: requests compiled against the old one are not lent again.
    session_->Shapes().Clear();
  }
}

// An INSERT, UPDATE or DELETE with its values inline runs as the request of its literal shape, prepared once
// per attachment. Anything the shape cannot carry exactly as written (see MarkersTakeLiterals), and any
// failure to prepare the shape, leaves the statement to be prepared as written, so that its errors and their
// positions are the ones its own text gives. Literals longer than the markers: the shape stays kept.
bool FbStatement::PrepareShape(const std::string& sql, Firebird::ITransaction* tra) {
  // Outside an open transaction every statement is a unit of work of its own, compiled afresh.
  if (!session_->InTransaction()) {
    return false;
  }
  const std::optional<LiteralShape> shape = ShapeOfLiteralDml(sql);
  if (!shape) {
    return false;
  }
  std::unique_ptr<PreparedRequest> prepared = TakeShapeRequest(
      *session_, shape->Text,
      [&](const PreparedRequest& candidate) { return MarkersTakeLiterals(candidate, shape->Values); },
      timeout_, tra);
  if (!prepared) {
    return false;
  }
  UseShape(std::move(prepared), *shape);
  return true;
}

// A SELECT whose conditions compare literals (ShapeOfLiteralSelect) runs as the request of its shape once a
// statement of that shape has run as written in this transaction and the shape's request describes the same
// result columns as that statement did; until then, and whenever the markers cannot carry its literals, it
// runs as written. The first statement of a shape is prepared as written anyway, so checking costs no
// request of its own.
bool FbStatement::PrepareSelectShape(const std::string& sql, Firebird::ITransaction* tra) {
  if (!session_->InTransaction()) {
    return false;
  }
  std::optional<LiteralShape> shape = ShapeOfLiteralSelect(sql);
  ShapeCache& shapes = session_->Shapes();
  if (!shape || shapes.Refused(shape->Text)) {
    return false;
  }
  const std::string& text = shape->Text;
  if (!shapes.Confirmed(text) && shapes.WrittenColumns(text) == nullptr) {
    PrepareText(sql, tra);
    Guarded([&] { shapes.RememberWrittenColumns(text, request_.Output.get()); });
    return true;
  }
  std::unique_ptr<PreparedRequest> prepared = TakeShapeRequest(
      *session_, text,
      [&](const PreparedRequest& candidate) {
        const MarkerFit fit = SelectMarkersTakeLiterals(candidate, *shape);
        if (fit == MarkerFit::Never || shapes.Confirmed(text)) return fit;
        if (!SameColumns(candidate.Output.get(), shapes.WrittenColumns(text))) return MarkerFit::Never;
        shapes.Confirm(text);
        return fit;
      },
      timeout_, tra);
  if (!prepared) {
    return false;
  }
  UseShape(std::move(prepared), *shape);
  selectShape_ = std::move(shape);
  return true;
}

// The statement runs as `prepared`, the request of `shape`, its literals bound as parameters.
void FbStatement::UseShape(std::unique_ptr<PreparedRequest> prepared, const LiteralShape& shape) {
  request_ = std::move(*prepared);
  shapeText_ = shape.Text;
  shapeGeneration_ = session_->Shapes().Generation();
  literals_.clear();
  for (const std::string& value : shape.Values) {
    literals_.push_back({TFDValue(value)});
  }
}

// The statement runs as written from now on: no shape, no literals bound.
void FbStatement::ForgetShape() noexcept {
  shapeText_.clear();
  literals_.clear();
  selectShape_.reset();
}

// A SELECT run as its shape gives the request back when its cursor closes; it keeps the description of its
// columns, which the request it takes back must match.
void FbStatement::LendShapeBack() noexcept {
  if (!selectShape_ || !request_.Statement) {
    return;
  }
  auto shape = std::make_unique<PreparedRequest>();
  shape->Statement = std::move(request_.Statement);
  shape->Input = std::move(request_.Input);
  request_.Output->addRef();
  shape->Output.reset(request_.Output.get());
  shape->Type = request_.Type;
  session_->Shapes().Keep(shapeText_, std::move(shape), shapeGeneration_);
}

// Before a SELECT run as its shape runs again: the shape's request, with the same columns as described, or
// else (a transaction without it, metadata changed) the statement as written from now on.
void FbStatement::TakeShapeBack(Firebird::ITransaction* tra) {
  if (!selectShape_ || request_.Statement) {
    return;
  }
  std::unique_ptr<PreparedRequest> prepared;
  if (session_->InTransaction()) {
    prepared = TakeShapeRequest(
        *session_, selectShape_->Text,
        [&](const PreparedRequest& candidate) {
          const MarkerFit fit = SelectMarkersTakeLiterals(candidate, *selectShape_);
          return fit != MarkerFit::Never && !SameColumns(candidate.Output.get(), request_.Output.get())
                     ? MarkerFit::Never
                     : fit;
        },
        timeout_, tra);
  }
  if (prepared) {
    request_ = std::move(*prepared);
    shapeGeneration_ = session_->Shapes().Generation();
    return;
  }
  ForgetShape();
  PrepareText(sql_, tra);
  Describe(sql_);
}

// What the prepared request tells about itself: its kind, its inputs and the columns of its result.
void FbStatement::Describe(const std::string& sql) {
  Guarded([&] {
    Status status;
    columns_ = DescribeColumns(request_.Output.get(), session_->Text());
    // A block takes DML without results whose every input PSQL can declare (not an untyped "? IS NULL").
    fitsInBlock_ = IsPlainDml(request_.Type) && columns_.empty() && literals_.empty() &&
                   DeclaredTypes(request_.Input.get()).has_value();
    oneRowPerElement_ = request_.Type == isc_info_sql_stmt_insert && !HasSelect(sql);
    row_.assign(MessageWords(status, request_.Output.get()), 0);
  });
}

// The literals taken out of the text, as the parameter columns of one element.
std::vector<driver::ParamColumn> FbStatement::LiteralParams() const {
  std::vector<driver::ParamColumn> params;
  params.reserve(literals_.size());
  for (const std::vector<TFDValue>& value : literals_) {
    params.push_back({ftString, &value});
  }
  return params;
}

std::vector<driver::ColumnInfo> FbStatement::Columns() const {
  std::vector<driver::ColumnInfo> columns;
  columns.reserve(columns_.size());
  for (const OutputColumn& column : columns_) {
    columns.push_back(column.Info);
  }
  return columns;
}

bool FbStatement::ReturnsRows() const noexcept { return !columns_.empty(); }

bool FbStatement::FitsInBlock() const noexcept { return fitsInBlock_; }

void FbStatement::Execute(const std::vector<driver::ParamColumn>& params, int times, int offset) {
  const MessagesIn messages(session_->Text());
  if (!request_.Statement && !selectShape_) {
    throw EDatabaseError("The statement is not prepared");
  }
  DropCursor();
  rowsAffected_ = 0;
  if (times < 1) {
    return;
  }
  if (ReturnsRows() && times > 1) {
    throw EDatabaseError("A statement that returns rows runs for one element at a time");
  }
  Firebird::ITransaction* tra = WorkTransaction();
  try {
    TakeShapeBack(tra);
    if (!literals_.empty() || times == 1 || !FitsInBlock()) {
      // Statements no block can hold (DDL, untyped inputs...) run element by element, all or none. A statement
      // run as its shape has no parameters as written: each execution binds the literals of its text.
      const std::vector<driver::ParamColumn> literals = LiteralParams();
      const bool bound = !literals_.empty();
      const auto each = [&] {
        for (int e = 0; e < times; ++e) {
          ExecuteSingle(bound ? literals : params, bound ? 0 : offset + e, tra);
        }
      };
      times == 1 ? each() : RunInSavepoint(tra, each);
    } else {
      ExecuteBlocks(params, times, offset, tra);
    }
    if (!cursor_ && !singletonRow_) {
      EndOwnTransaction(true);
    }
  } catch (...) {
    DropCursor();
    EndOwnTransaction(false);
    throw;
  }
}

void FbStatement::ExecuteSingle(const std::vector<driver::ParamColumn>& params, int offset,
                                Firebird::ITransaction* tra) {
  Firebird::IAttachment* attachment = session_->Attachment();
  // A BLOB parameter is written to the server while the message is filled.
  session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper*) {
    request_.Message.Fill(request_.Input.get(), params, 1, offset, attachment, tra, session_->Text());
  });
  session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper* status) {
    if (request_.Type == isc_info_sql_stmt_select || request_.Type == isc_info_sql_stmt_select_for_upd) {
      cursor_.reset(request_.Statement->openCursor(status, tra, request_.Message.Metadata(), request_.Message.Buffer(),
                                                   request_.Output.get(), 0));
      cursorTransaction_ = tra;
      return;
    }
    request_.Statement->execute(status, tra, request_.Message.Metadata(), request_.Message.Buffer(), request_.Output.get(),
                                ReturnsRows() ? row_.data() : nullptr);
    singletonRow_ = ReturnsRows();
    if (singletonRow_) {
      cursorTransaction_ = tra;
    }
    rowsAffected_ += static_cast<int64_t>(request_.Statement->getAffectedRecords(status));
  });
}

void FbStatement::ExecuteBlocks(const std::vector<driver::ParamColumn>& params, int times, int offset,
                                Firebird::ITransaction* tra) {
  const int perBlock = kMaxElementsPerBlock;
  const auto run = [&] {
    for (int done = 0; done < times;) {
      const int elements = std::min(perBlock, times - done);
      PreparedBlock& block = BlockFor(elements, tra);
      Firebird::IAttachment* attachment = session_->Attachment();
      session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper*) {
        block.Message.Fill(block.Input.get(), params, elements, offset + done, attachment, tra,
                           session_->Text());
      });
      int64_t affected = 0;
      session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper* status) {
        if (oneRowPerElement_) {
          block.Statement->execute(status, tra, block.Message.Metadata(), block.Message.Buffer(), nullptr,
                                   nullptr);
          affected = elements;
          return;
        }
        int64_t output[4] = {};
        block.Statement->execute(status, tra, block.Message.Metadata(), block.Message.Buffer(),
                                 block.Output.get(), output);
        const unsigned at = block.Output->getOffset(status, 0);
        std::memcpy(&affected, reinterpret_cast<const unsigned char*>(output) + at, sizeof affected);
      });
      rowsAffected_ += affected;
      done += elements;
    }
  };
  // One block is atomic by itself; several are made so by a savepoint.
  times <= perBlock ? run() : RunInSavepoint(tra, run);
}

PreparedBlock& FbStatement::BlockFor(int elements, Firebird::ITransaction* tra) {
  if (auto found = blocks_.find(elements); found != blocks_.end()) {
    return found->second;
  }
  const std::optional<std::string> text =
      Guarded([&] { return BuildExecuteBlock(sql_, request_.Input.get(), elements, !oneRowPerElement_); });
  if (!text) {
    throw EDatabaseError("A parameter of this statement has a type that an array execution cannot declare");
  }
  return blocks_.emplace(elements, session_->Prepare(tra, *text, timeout_)).first->second;
}

void FbStatement::RunInSavepoint(Firebird::ITransaction* tra, const std::function<void()>& work) {
  Firebird::IAttachment* attachment = session_->Attachment();
  const auto command = [&](const char* sql) {
    session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper* status) {
      attachment->execute(status, tra, 0, sql, SQL_DIALECT_V6, nullptr, nullptr, nullptr, nullptr);
    });
  };
  command("SAVEPOINT ZR_ARRAY_EXECUTION");
  try {
    work();
  } catch (...) {
    try {
      command("ROLLBACK TO SAVEPOINT ZR_ARRAY_EXECUTION");
      command("RELEASE SAVEPOINT ZR_ARRAY_EXECUTION ONLY");
    } catch (const EDatabaseError&) {
      // the first failure is the one to report
    }
    throw;
  }
  command("RELEASE SAVEPOINT ZR_ARRAY_EXECUTION ONLY");
}

bool FbStatement::Fetch(std::vector<TFDValue>& row) {
  const MessagesIn messages(session_->Text());
  if (singletonRow_) {
    singletonRow_ = false;
  } else {
    if (!cursor_) {
      return false;
    }
    int result = 0;
    session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper* status) {
      result = cursor_->fetchNext(status, row_.data());
    });
    if (result != Firebird::IStatus::RESULT_OK) {
      return false;
    }
  }
  const auto* message = reinterpret_cast<const unsigned char*>(row_.data());
  Firebird::IAttachment* attachment = session_->Attachment();
  row.resize(columns_.size());
  // A BLOB column is read from the server, under the statement's time-out as the fetch itself.
  session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper*) {
    for (size_t i = 0; i < columns_.size(); ++i) {
      row[i] = ReadValue(columns_[i], message, attachment, cursorTransaction_, session_->Text());
    }
  });
  return true;
}

void FbStatement::CloseCursor() {
  const MessagesIn messages(session_->Text());
  DropCursor();
  EndOwnTransaction(true);
}

}  // namespace zr::db::firebird
