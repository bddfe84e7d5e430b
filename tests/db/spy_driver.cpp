#include "spy_driver.h"

#include <memory>

#include "db/firebird/driver.h"

namespace zr::db::testing {

namespace {

class SpyStatement : public driver::Statement {
 public:
  explicit SpyStatement(std::unique_ptr<driver::Statement> inner) : inner_(std::move(inner)) {}
  void Prepare(const std::string& sql) override {
    Spy().Prepared.push_back(sql);
    inner_->Prepare(sql);
  }
  std::vector<driver::ColumnInfo> Columns() const override { return inner_->Columns(); }
  void SetTimeout(uint32_t milliseconds) override {
    Spy().Timeouts.push_back(milliseconds);
    inner_->SetTimeout(milliseconds);
  }
  void Execute(const std::vector<driver::ParamColumn>& params, int times, int offset) override {
    SpyExecution e{times, offset, {}, {}};
    for (const driver::ParamColumn& p : params) {
      e.ParamTypes.push_back(p.DataType);
      e.ParamValues.push_back(*p.Values);
    }
    Spy().Executions.push_back(std::move(e));
    inner_->Execute(params, times, offset);
  }
  bool Fetch(std::vector<TFDValue>& row) override { return inner_->Fetch(row); }
  void CloseCursor() override { inner_->CloseCursor(); }
  int64_t RowsAffected() const override { return inner_->RowsAffected(); }

 private:
  std::unique_ptr<driver::Statement> inner_;
};

class SpyConnection : public driver::Connection {
 public:
  explicit SpyConnection(std::unique_ptr<driver::Connection> inner) : inner_(std::move(inner)) {}
  std::unique_ptr<driver::Statement> CreateStatement() override {
    return std::make_unique<SpyStatement>(inner_->CreateStatement());
  }
  bool InTransaction() const override { return inner_->InTransaction(); }
  void StartTransaction() override { Call("Start", [&] { inner_->StartTransaction(); }); }
  void Commit() override { Call("Commit", [&] { inner_->Commit(); }); }
  void Rollback() override { Call("Rollback", [&] { inner_->Rollback(); }); }
  void CommitRetaining() override { Call("CommitRetaining", [&] { inner_->CommitRetaining(); }); }
  void RollbackRetaining() override { Call("RollbackRetaining", [&] { inner_->RollbackRetaining(); }); }

 private:
  template <class F>
  void Call(const char* name, F f) {
    Spy().TransactionCalls.emplace_back(name);
    f();
  }
  std::unique_ptr<driver::Connection> inner_;
};

}  // namespace

SpyJournal& Spy() {
  static SpyJournal journal;
  return journal;
}

void RegisterSpyDriver() {
  firebird::RegisterDriver();
  driver::RegisterDriver("FBSPY", [](const TStringList& params) -> std::unique_ptr<driver::Connection> {
    Spy().ConnectEntries = params.Text();
    return std::make_unique<SpyConnection>(driver::Connect("FB", params));
  });
}

}  // namespace zr::db::testing
