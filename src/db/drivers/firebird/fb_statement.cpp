#include "fb_statement.h"

#include <algorithm>
#include <cstring>

#include "fb_error.h"
#include "fb_execute_block.h"
#include "fb_literal_shape.h"
#include "fb_select_shape.h"

namespace zr::db::firebird {

namespace {

// Statement kinds a PSQL block can hold.
bool IsPlainDml(unsigned type) {
  return type == isc_info_sql_stmt_insert || type == isc_info_sql_stmt_update ||
         type == isc_info_sql_stmt_delete || type == isc_info_sql_stmt_exec_procedure;
}

template <typename T, typename Close>
void Dispose(Ref<T>& ref, Close close) noexcept {
  if (!ref) {
    return;
  }
  try {
    Status status;
    ref.Take([&](T* object) { close(object, status.get()); });
  } catch (const Firebird::FbException&) {
    ref.reset();
  }
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
    Dispose(own_, [](Firebird::ITransaction* t, Firebird::ThrowStatusWrapper* st) { t->rollback(st); });
  }
  for (auto& [elements, block] : blocks_) {
    FreeStatement(block.Statement);
  }
  blocks_.clear();
  if (!shapeText_.empty() && statement_) {
    auto shape = std::make_unique<PreparedShape>();
    shape->Statement = std::move(statement_);
    shape->Input = std::move(input_);
    shape->Output = std::move(output_);
    shape->Type = statementType_;
    session_->Shapes().Keep(std::move(shapeText_), std::move(shape), shapeGeneration_);
  }
  shapeText_.clear();
  literals_.clear();
  selectShape_.reset();
  FreeStatement(statement_);
  input_.reset();
  output_.reset();
  columns_.clear();
}

void FbStatement::DropCursor() noexcept {
  const bool open = static_cast<bool>(cursor_);
  Dispose(cursor_, [](Firebird::IResultSet* r, Firebird::ThrowStatusWrapper* st) { r->close(st); });
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
    Guarded([&] {
      Status status;
      own_.Take([&](Firebird::ITransaction* t) { t->commit(status.get()); });
    });
  } else {
    Dispose(own_, [](Firebird::ITransaction* t, Firebird::ThrowStatusWrapper* st) { t->rollback(st); });
  }
}

void FbStatement::Prepare(const std::string& sql) {
  const MessagesIn messages(session_->Text());
  FreeHandles();
  sql_.clear();
  Firebird::IAttachment* attachment = session_->Attachment();
  Firebird::ITransaction* tra = WorkTransaction();
  try {
    if (!PrepareShape(sql, attachment, tra) && !PrepareSelectShape(sql, attachment, tra)) {
      PrepareText(sql, attachment, tra);
    }
    Describe(sql);
  } catch (...) {
    FreeStatement(statement_);
    shapeText_.clear();
    literals_.clear();
    selectShape_.reset();
    EndOwnTransaction(false);
    throw;
  }
  EndOwnTransaction(true);
  sql_ = sql;
}

void FbStatement::PrepareText(const std::string& sql, Firebird::IAttachment* attachment,
                              Firebird::ITransaction* tra) {
  std::string scratch;
  const std::string& text = session_->Text().Statement(sql, scratch);
  // The time-out covers preparing too: a server that stopped answering leaves the call waiting just the same.
  session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper* status) {
    statement_.reset(attachment->prepare(status, tra, static_cast<unsigned>(text.size()), text.c_str(),
                                         SQL_DIALECT_V6, Firebird::IStatement::PREPARE_PREFETCH_METADATA));
  });
  Guarded([&] {
    Status status;
    statementType_ = statement_->getType(status.get());
    input_.reset(statement_->getInputMetadata(status.get()));
    output_.reset(statement_->getOutputMetadata(status.get()));
  });
  if (statementType_ == isc_info_sql_stmt_ddl) {
    // Metadata is about to change: requests compiled against the old one are not lent again.
    session_->Shapes().Clear();
  }
}

// The request of the shape `text`, taken from the session's cache or prepared, when `fits` finds that it
// serves (ShapeCache::Settle); nullptr when the statement must run as written, the server having refused
// the shape too. A cut link or a time-out would fail the statement as written just the same: that error
// stands.
std::unique_ptr<PreparedShape> FbStatement::ShapeRequest(
    const std::string& text, const std::function<MarkerFit(const PreparedShape&)>& fits,
    Firebird::IAttachment* attachment, Firebird::ITransaction* tra) {
  ShapeCache& shapes = session_->Shapes();
  if (shapes.Refused(text)) {
    return nullptr;
  }
  std::unique_ptr<PreparedShape> prepared = shapes.Take(text);
  if (!prepared) {
    try {
      std::string scratch;
      const std::string& converted = session_->Text().Statement(text, scratch);
      session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper* status) {
        prepared = PrepareShapeRequest(attachment, tra, converted, status);
      });
    } catch (const EDatabaseError& e) {
      if (session_->Unanswered(e)) throw;
      shapes.Refuse(text);
      return nullptr;
    }
  }
  MarkerFit fit = MarkerFit::Never;
  Guarded([&] { fit = fits(*prepared); });
  if (!shapes.Settle(text, prepared, fit)) {
    return nullptr;
  }
  return prepared;
}

// An INSERT, UPDATE or DELETE with its values inline runs as the request of its literal shape, prepared once
// per attachment. Anything the shape cannot carry exactly as written (see MarkersTakeLiterals), and any
// failure to prepare the shape, leaves the statement to be prepared as written, so that its errors and their
// positions are the ones its own text gives. Literals longer than the markers: the shape stays kept.
bool FbStatement::PrepareShape(const std::string& sql, Firebird::IAttachment* attachment,
                               Firebird::ITransaction* tra) {
  // Outside an open transaction every statement is a unit of work of its own, compiled afresh.
  if (!session_->InTransaction()) {
    return false;
  }
  const std::optional<LiteralShape> shape = ShapeOfLiteralDml(sql);
  if (!shape) {
    return false;
  }
  std::unique_ptr<PreparedShape> prepared = ShapeRequest(
      shape->Text,
      [&](const PreparedShape& candidate) { return MarkersTakeLiterals(candidate, shape->Values); },
      attachment, tra);
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
bool FbStatement::PrepareSelectShape(const std::string& sql, Firebird::IAttachment* attachment,
                                     Firebird::ITransaction* tra) {
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
    PrepareText(sql, attachment, tra);
    Guarded([&] { shapes.RememberWrittenColumns(text, output_.get()); });
    return true;
  }
  std::unique_ptr<PreparedShape> prepared = ShapeRequest(
      text,
      [&](const PreparedShape& candidate) {
        const MarkerFit fit = SelectMarkersTakeLiterals(candidate, *shape);
        if (fit == MarkerFit::Never || shapes.Confirmed(text)) return fit;
        if (!SameColumns(candidate.Output.get(), shapes.WrittenColumns(text))) return MarkerFit::Never;
        shapes.Confirm(text);
        return fit;
      },
      attachment, tra);
  if (!prepared) {
    return false;
  }
  UseShape(std::move(prepared), *shape);
  selectShape_ = std::move(shape);
  return true;
}

// The statement runs as `prepared`, the request of `shape`, its literals bound as parameters.
void FbStatement::UseShape(std::unique_ptr<PreparedShape> prepared, const LiteralShape& shape) {
  statement_ = std::move(prepared->Statement);
  input_ = std::move(prepared->Input);
  output_ = std::move(prepared->Output);
  statementType_ = prepared->Type;
  shapeText_ = shape.Text;
  shapeGeneration_ = session_->Shapes().Generation();
  literals_.clear();
  for (const std::string& value : shape.Values) {
    literals_.push_back({TFDValue(value)});
  }
}

// A SELECT run as its shape gives the request back when its cursor closes; it keeps the description of its
// columns, which the request it takes back must match.
void FbStatement::LendShapeBack() noexcept {
  if (!selectShape_ || !statement_) {
    return;
  }
  auto shape = std::make_unique<PreparedShape>();
  shape->Statement = std::move(statement_);
  shape->Input = std::move(input_);
  output_->addRef();
  shape->Output.reset(output_.get());
  shape->Type = statementType_;
  session_->Shapes().Keep(shapeText_, std::move(shape), shapeGeneration_);
}

// Before a SELECT run as its shape runs again: the shape's request, with the same columns as described, or
// else (a transaction without it, metadata changed) the statement as written from now on.
void FbStatement::TakeShapeBack(Firebird::ITransaction* tra) {
  if (!selectShape_ || statement_) {
    return;
  }
  Firebird::IAttachment* attachment = session_->Attachment();
  std::unique_ptr<PreparedShape> prepared;
  if (session_->InTransaction()) {
    prepared = ShapeRequest(
        selectShape_->Text,
        [&](const PreparedShape& candidate) {
          const MarkerFit fit = SelectMarkersTakeLiterals(candidate, *selectShape_);
          return fit != MarkerFit::Never && !SameColumns(candidate.Output.get(), output_.get())
                     ? MarkerFit::Never
                     : fit;
        },
        attachment, tra);
  }
  if (prepared) {
    statement_ = std::move(prepared->Statement);
    input_ = std::move(prepared->Input);
    output_ = std::move(prepared->Output);
    shapeGeneration_ = session_->Shapes().Generation();
    return;
  }
  selectShape_.reset();
  shapeText_.clear();
  literals_.clear();
  PrepareText(sql_, attachment, tra);
  Describe(sql_);
}

// What the prepared request tells about itself: its kind, its inputs and the columns of its result.
void FbStatement::Describe(const std::string& sql) {
  Guarded([&] {
    Status status;
    columns_ = DescribeColumns(output_.get(), session_->Text());
    // A block takes DML without results whose every input PSQL can declare (not an untyped "? IS NULL").
    fitsInBlock_ = IsPlainDml(statementType_) && columns_.empty() && literals_.empty();
    oneRowPerElement_ = statementType_ == isc_info_sql_stmt_insert && !HasSelect(sql);
    for (unsigned i = 0, n = input_->getCount(status.get()); fitsInBlock_ && i < n; ++i) {
      fitsInBlock_ = DeclaredType(input_.get(), i).has_value();
    }
    row_.assign(output_->getMessageLength(status.get()) / sizeof(int64_t) + 1, 0);
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
  if (!statement_ && !selectShape_) {
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
  Guarded([&] { message_.Fill(input_.get(), params, 1, offset, attachment, tra, session_->Text()); });
  session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper* status) {
    if (statementType_ == isc_info_sql_stmt_select || statementType_ == isc_info_sql_stmt_select_for_upd) {
      cursor_.reset(
          statement_->openCursor(status, tra, message_.Metadata(), message_.Buffer(), output_.get(), 0));
      cursorTransaction_ = tra;
      return;
    }
    statement_->execute(status, tra, message_.Metadata(), message_.Buffer(), output_.get(),
                        ReturnsRows() ? row_.data() : nullptr);
    singletonRow_ = ReturnsRows();
    if (singletonRow_) {
      cursorTransaction_ = tra;
    }
    rowsAffected_ += static_cast<int64_t>(statement_->getAffectedRecords(status));
  });
}

void FbStatement::ExecuteBlocks(const std::vector<driver::ParamColumn>& params, int times, int offset,
                                Firebird::ITransaction* tra) {
  const int perBlock = kMaxElementsPerBlock;
  const auto run = [&] {
    for (int done = 0; done < times;) {
      const int elements = std::min(perBlock, times - done);
      Block& block = BlockFor(elements, tra);
      Firebird::IAttachment* attachment = session_->Attachment();
      Guarded([&] {
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

FbStatement::Block& FbStatement::BlockFor(int elements, Firebird::ITransaction* tra) {
  if (auto found = blocks_.find(elements); found != blocks_.end()) {
    return found->second;
  }
  Firebird::IAttachment* attachment = session_->Attachment();
  return Guarded([&]() -> Block& {
    const std::optional<std::string> text =
        BuildExecuteBlock(sql_, input_.get(), elements, !oneRowPerElement_);
    if (!text) {
      throw EDatabaseError("A parameter of this statement has a type that an array execution cannot declare");
    }
    std::string scratch;
    const std::string& converted = session_->Text().Statement(*text, scratch);
    Status status;
    Block block;
    block.Statement.reset(attachment->prepare(status.get(), tra, static_cast<unsigned>(converted.size()),
                                              converted.c_str(), SQL_DIALECT_V6,
                                              Firebird::IStatement::PREPARE_PREFETCH_METADATA));
    block.Input.reset(block.Statement->getInputMetadata(status.get()));
    block.Output.reset(block.Statement->getOutputMetadata(status.get()));
    return blocks_.emplace(elements, std::move(block)).first->second;
  });
}

void FbStatement::RunInSavepoint(Firebird::ITransaction* tra, const std::function<void()>& work) {
  Firebird::IAttachment* attachment = session_->Attachment();
  const auto command = [&](const char* sql) {
    Guarded([&] {
      Status status;
      attachment->execute(status.get(), tra, 0, sql, SQL_DIALECT_V6, nullptr, nullptr, nullptr, nullptr);
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
  Guarded([&] {
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
