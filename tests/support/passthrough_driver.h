#pragma once
// The one pass-through driver for tests. StatementWrapper, BatchWrapper and ConnectionWrapper forward every
// call of the framework's driver interface to a real driver's object, batches included, so that a wrapped
// connection takes the same paths (write-behind among them) as the real one; a test double derives from them
// and overrides only the calls it cares about (a spy writes calls down, a fault injector fails one), the way
// a wrapped environment works.
//
// DriverJournal and JournalConnection are the recorder built on them: every connect's entries, every
// statement prepared, every time-out, every execution with its parameter arrays (a statement a batch took
// counts as executed when it is taken) and every transaction call, in the order the framework made them.
//
//   RegisterJournalDriver("FBSPY", "FB", journal);  // "FBSPY" connects through "FB" and writes to journal

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db/driver.h"

namespace zr::testsupport {

class StatementWrapper : public db::driver::Statement {
 public:
  explicit StatementWrapper(std::unique_ptr<db::driver::Statement> target) : target_(std::move(target)) {}
  void Prepare(const std::string& sql) override { target_->Prepare(sql); }
  std::vector<db::driver::ColumnInfo> Columns() const override { return target_->Columns(); }
  void SetTimeout(uint32_t milliseconds) override { target_->SetTimeout(milliseconds); }
  void Execute(const std::vector<db::driver::ParamColumn>& params, int times, int offset) override {
    target_->Execute(params, times, offset);
  }
  bool Fetch(std::vector<db::TFDValue>& row) override { return target_->Fetch(row); }
  void CloseCursor() override { target_->CloseCursor(); }
  int64_t RowsAffected() const override { return target_->RowsAffected(); }
  bool DescribeCostsRequest() const override { return target_->DescribeCostsRequest(); }

 protected:
  db::driver::Statement& Target() const { return *target_; }

 private:
  std::unique_ptr<db::driver::Statement> target_;
};

class BatchWrapper : public db::driver::Batch {
 public:
  explicit BatchWrapper(std::unique_ptr<db::driver::Batch> target) : target_(std::move(target)) {}
  bool Add(const db::driver::BatchStatement& statement) override { return target_->Add(statement); }
  int Count() const override { return target_->Count(); }
  std::vector<int64_t> Execute(uint32_t timeout) override { return target_->Execute(timeout); }

 protected:
  db::driver::Batch& Target() const { return *target_; }

 private:
  std::unique_ptr<db::driver::Batch> target_;
};

class ConnectionWrapper : public db::driver::Connection {
 public:
  explicit ConnectionWrapper(std::unique_ptr<db::driver::Connection> target) : target_(std::move(target)) {}
  std::unique_ptr<db::driver::Statement> CreateStatement() override { return target_->CreateStatement(); }
  bool InTransaction() const override { return target_->InTransaction(); }
  void StartTransaction() override { target_->StartTransaction(); }
  void Commit() override { target_->Commit(); }
  void Rollback() override { target_->Rollback(); }
  void CommitRetaining() override { target_->CommitRetaining(); }
  void RollbackRetaining() override { target_->RollbackRetaining(); }
  std::unique_ptr<db::driver::Batch> CreateBatch() override { return target_->CreateBatch(); }
  db::catalog::TableSet WriteReach(const std::string& table) override { return target_->WriteReach(table); }
  std::vector<db::catalog::TableSet> ReadReach(const std::vector<std::string>& names) override {
    return target_->ReadReach(names);
  }
  std::string LockingSelect(const std::string& select) const override {
    return target_->LockingSelect(select);
  }

 protected:
  db::driver::Connection& Target() const { return *target_; }

 private:
  std::unique_ptr<db::driver::Connection> target_;
};

struct JournalExecution {
  int Times = 0;
  int Offset = 0;
  std::vector<db::TFieldType> ParamTypes;              // one per marker
  std::vector<std::vector<db::TFDValue>> ParamValues;  // the whole array of each marker
};

struct DriverJournal {
  // One list of entries per connect, in the order received; ConnectEntries is the last of them as one text.
  std::vector<std::vector<std::string>> Connects;
  std::string ConnectEntries;
  std::vector<std::string> Prepared;
  // The text of every execution, in order: a statement the framework keeps prepared shows once in Prepared
  // and once here for every run.
  std::vector<std::string> Executed;
  std::vector<uint32_t> Timeouts;
  std::vector<JournalExecution> Executions;
  std::vector<std::string> TransactionCalls;  // "Start", "Commit", "Rollback", "CommitRetaining"...
  std::vector<int> BatchesSent;               // the number of statements of each batch executed, in order
};

// A connection that writes every call down in `journal` (which must outlive it) and passes it on.
class JournalConnection : public ConnectionWrapper {
 public:
  JournalConnection(std::unique_ptr<db::driver::Connection> target, DriverJournal& journal)
      : ConnectionWrapper(std::move(target)), journal_(journal) {}
  std::unique_ptr<db::driver::Statement> CreateStatement() override;
  std::unique_ptr<db::driver::Batch> CreateBatch() override;
  void StartTransaction() override;
  void Commit() override;
  void Rollback() override;
  void CommitRetaining() override;
  void RollbackRetaining() override;

 private:
  DriverJournal& journal_;
};

// The test double around each connection a wrapped driver opens (support of RegisterWrappedDriver).
using ConnectionWrap =
    std::function<std::unique_ptr<db::driver::Connection>(std::unique_ptr<db::driver::Connection> real)>;

// Registers `name` as a driver that connects through the registered driver `target` with `extraEntries`
// added to the connection's entries ("Batches=1" lets the embedded engine send write-behind batches too),
// and hands out each connection wrapped by `wrap` (when given).
void RegisterWrappedDriver(const std::string& name, const std::string& target,
                           std::vector<std::string> extraEntries, ConnectionWrap wrap = {});

// Called with the entries before the real driver connects; it may throw to refuse the connection.
using ConnectCheck = std::function<void(const db::TStringList& params)>;

// Registers `name` as a driver that records connects in `journal` and connects through the registered driver
// `target`, wrapped in a JournalConnection. `check`, when given, runs after the entries are recorded.
void RegisterJournalDriver(const std::string& name, const std::string& target, DriverJournal& journal,
                           ConnectCheck check = {});

}  // namespace zr::testsupport
