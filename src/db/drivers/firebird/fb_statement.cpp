#include "fb_statement.h"

#include <algorithm>
#include <cstring>

#include "fb_error.h"
#include "fb_literal_shape.h"

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
  perBlock_ = 0;
  blocksRefused_ = false;
  if (shape_) {
    session_->Shapes().GiveBack(*shape_);  // for the next statement of the shape
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
  if (open && shape_) {
    session_->Shapes().GiveBack(*shape_);
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
    PrepareRequest(sql, tra);
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

// The statement runs as the request of its literal shape when the session's shapes lend one (fb_shapes.h),
// else as written: anything a shape cannot carry exactly as written, and any failure to prepare the shape,
// leaves the statement to be prepared as written, so that its errors and their positions are the ones its own
// text gives. Outside an open transaction every statement is a unit of work of its own, compiled afresh.
void FbStatement::PrepareRequest(const std::string& sql, Firebird::ITransaction* tra) {
  ShapeRequests& shapes = session_->Shapes();
  std::optional<LiteralShape> select;
  if (session_->InTransaction()) {
    const ShapeRequests::Prepare prepare = session_->ShapePreparer(tra, timeout_);
    if (const std::optional<LiteralShape> dml = ShapeOfLiteralDml(sql)) {
      shape_ = shapes.LendDml(*dml, prepare);
    } else if ((select = ShapeOfLiteralSelect(sql))) {
      shape_ = shapes.LendSelect(*select, prepare);
    }
  }
  if (shape_) {
    for (const std::string& value : shape_->Shape().Values) {
      literals_.push_back({TFDValue(value)});
    }
    return;
  }
  PrepareText(sql, tra);
  if (select) {
    shapes.RanAsWritten(select->Text, request_.Output.get());
  }
}

void FbStatement::PrepareText(const std::string& sql, Firebird::ITransaction* tra) {
  // The time-out covers preparing too: a server that stopped answering leaves the call waiting just the same.
  request_ = session_->Prepare(tra, sql, timeout_);
  if (request_.Type == isc_info_sql_stmt_ddl) {
    // Metadata is about to change: requests compiled against the old one are not lent again.
    session_->Shapes().Clear();
  }
}

// Before a SELECT whose shape's request went back home runs again: that request, with the same columns as
// described, or else (a transaction without it, metadata changed) the statement as written from now on.
void FbStatement::BorrowShapeAgain(Firebird::ITransaction* tra) {
  if (!shape_ || shape_->Where() == ShapeLoan::State::Lent) {
    return;
  }
  if (session_->InTransaction() && session_->Shapes().LendAgain(*shape_, session_->ShapePreparer(tra, timeout_))) {
    return;
  }
  ForgetShape();
  PrepareText(sql_, tra);
  Describe(sql_);
}

// The statement runs as written from now on: no shape, no literals bound. A request still lent is freed.
void FbStatement::ForgetShape() noexcept {
  shape_.reset();
  literals_.clear();
}

// What the prepared request tells about itself: its kind, its inputs and the columns of its result.
void FbStatement::Describe(const std::string& sql) {
  const PreparedRequest& request = Running();
  Guarded([&] {
    Status status;
    columns_ = DescribeColumns(request.Output.get(), session_->Text());
    // A block takes DML without results whose every input PSQL can declare (not an untyped "? IS NULL").
    blockInputs_.reset();
    if (IsPlainDml(request.Type) && columns_.empty() && literals_.empty()) {
      blockInputs_ = DeclaredInputs(request.Input.get());
    }
    blockContexts_ = ContextsOf(sql);
    oneRowPerElement_ = request.Type == isc_info_sql_stmt_insert && !HasSelect(sql);
    row_.assign(MessageWords(status, request.Output.get()), 0);
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

void FbStatement::Execute(const std::vector<driver::ParamColumn>& params, int times, int offset) {
  const MessagesIn messages(session_->Text());
  if (!request_.Statement && !shape_) {
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
    BorrowShapeAgain(tra);
    if (!literals_.empty() || times == 1 || !FitsInBlock(times, tra)) {
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
  PreparedRequest& request = Running();
  Firebird::IAttachment* attachment = session_->Attachment();
  // A BLOB parameter is written to the server while the message is filled.
  session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper*) {
    request.Message.Fill(request.Input.get(), params, 1, offset, attachment, tra, session_->Text());
  });
  session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper* status) {
    if (request.Type == isc_info_sql_stmt_select || request.Type == isc_info_sql_stmt_select_for_upd) {
      cursor_.reset(request.Statement->openCursor(status, tra, request.Message.Metadata(), request.Message.Buffer(),
                                                   request.Output.get(), 0));
      cursorTransaction_ = tra;
      return;
    }
    request.Statement->execute(status, tra, request.Message.Metadata(), request.Message.Buffer(), request.Output.get(),
                                ReturnsRows() ? row_.data() : nullptr);
    singletonRow_ = ReturnsRows();
    if (singletonRow_) {
      cursorTransaction_ = tra;
    }
    rowsAffected_ += static_cast<int64_t>(request.Statement->getAffectedRecords(status));
  });
}

// Whether `times` elements run as blocks: every block the call needs (of at most two sizes) is prepared before
// any of them runs, so that a block the engine refuses leaves the whole call to run element by element.
bool FbStatement::FitsInBlock(int times, Firebird::ITransaction* tra) {
  if (!blockInputs_ || blocksRefused_) return false;
  const int perBlock = ElementsPerBlock(times);
  if (perBlock < 2) return false;
  return BlockFor(perBlock, tra) != nullptr && (times % perBlock == 0 || BlockFor(times % perBlock, tra));
}

void FbStatement::ExecuteBlocks(const std::vector<driver::ParamColumn>& params, int times, int offset,
                                Firebird::ITransaction* tra) {
  const int perBlock = ElementsPerBlock(times);
  const auto run = [&] {
    for (int done = 0; done < times;) {
      const int elements = std::min(perBlock, times - done);
      PreparedBlock& block = *BlockFor(elements, tra);
      Firebird::IAttachment* attachment = session_->Attachment();
      std::vector<int64_t> counts;
      // A BLOB parameter is written to the server while the message is filled.
      session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper*) {
        Status status;
        block.Message.Fill(block.Input.get(), params, elements, offset + done, attachment, tra,
                           session_->Text());
        if (!oneRowPerElement_) counts.assign(MessageWords(status, block.Output.get()), 0);
      });
      session_->Watched(timeout_, [&](Firebird::ThrowStatusWrapper* status) {
        block.Statement->execute(status, tra, block.Message.Metadata(), block.Message.Buffer(),
                                 oneRowPerElement_ ? nullptr : block.Output.get(),
                                 oneRowPerElement_ ? nullptr : counts.data());
      });
      if (oneRowPerElement_) {
        rowsAffected_ += elements;
      } else {
        for (const int64_t count : ReadCounts(block.Output.get(), counts, elements)) rowsAffected_ += count;
      }
      done += elements;
    }
  };
  // One block is atomic by itself; several are made so by a savepoint.
  times <= perBlock ? run() : RunInSavepoint(tra, run);
}

// How many elements one block holds, up to `wanted`: as many as stay within the engine's limits.
int FbStatement::ElementsPerBlock(int wanted) {
  if (perBlock_ > 0) return std::min(wanted, perBlock_);
  BlockWriter block(!oneRowPerElement_);
  int elements = 0;
  while (elements < wanted && block.Add(Element(elements))) ++elements;
  if (elements < wanted) perBlock_ = std::max(elements, 1);
  return elements;
}

// Element `element` of the statement as a group of a block: its inputs named after it.
BlockWriter::Group FbStatement::Element(int element) const {
  BlockWriter::Group group;
  const std::string prefix = "p" + std::to_string(element) + "_";
  for (size_t j = 0; j < blockInputs_->size(); ++j) {
    group.Inputs.emplace_back(prefix + std::to_string(j), (*blockInputs_)[j]);
  }
  group.Statements.push_back(NameMarkers(sql_, element));
  group.Contexts = blockContexts_;
  return group;
}

// The block of `elements` elements, prepared the first time; nullptr when the engine refuses it (refused from
// now on). A cut link or a time-out would fail the elements one by one just the same: that error stands.
PreparedBlock* FbStatement::BlockFor(int elements, Firebird::ITransaction* tra) {
  if (auto found = blocks_.find(elements); found != blocks_.end()) {
    return &found->second;
  }
  BlockWriter block(!oneRowPerElement_);
  for (int e = 0; e < elements; ++e) block.Add(Element(e));
  try {
    return &blocks_.emplace(elements, session_->Prepare(tra, block.Text(), timeout_)).first->second;
  } catch (const EDatabaseError& e) {
    if (session_->Unanswered(e)) throw;
    blocksRefused_ = true;
    return nullptr;
  }
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
