#include "support/passthrough_driver.h"

namespace zr::testsupport {

namespace {

class JournalStatement final : public StatementWrapper {
 public:
  JournalStatement(std::unique_ptr<db::driver::Statement> target, DriverJournal& journal)
      : StatementWrapper(std::move(target)), journal_(journal) {}
  void Prepare(const std::string& sql) override {
    journal_.Prepared.push_back(sql);
    sql_ = sql;
    StatementWrapper::Prepare(sql);
  }
  void SetTimeout(uint32_t milliseconds) override {
    journal_.Timeouts.push_back(milliseconds);
    StatementWrapper::SetTimeout(milliseconds);
  }
  void Execute(const std::vector<db::driver::ParamColumn>& params, int times, int offset) override {
    JournalExecution e{times, offset, {}, {}};
    for (const db::driver::ParamColumn& p : params) {
      e.ParamTypes.push_back(p.DataType);
      e.ParamValues.push_back(p.Values != nullptr ? *p.Values : std::vector<db::TFDValue>{});
    }
    journal_.Executions.push_back(std::move(e));
    journal_.Executed.push_back(sql_);
    StatementWrapper::Execute(params, times, offset);
  }

 private:
  DriverJournal& journal_;
  std::string sql_;  // the text prepared last
};

}  // namespace

std::unique_ptr<db::driver::Statement> JournalConnection::CreateStatement() {
  return std::make_unique<JournalStatement>(ConnectionWrapper::CreateStatement(), journal_);
}

void JournalConnection::StartTransaction() {
  journal_.TransactionCalls.emplace_back("Start");
  ConnectionWrapper::StartTransaction();
}
void JournalConnection::Commit() {
  journal_.TransactionCalls.emplace_back("Commit");
  ConnectionWrapper::Commit();
}
void JournalConnection::Rollback() {
  journal_.TransactionCalls.emplace_back("Rollback");
  ConnectionWrapper::Rollback();
}
void JournalConnection::CommitRetaining() {
  journal_.TransactionCalls.emplace_back("CommitRetaining");
  ConnectionWrapper::CommitRetaining();
}
void JournalConnection::RollbackRetaining() {
  journal_.TransactionCalls.emplace_back("RollbackRetaining");
  ConnectionWrapper::RollbackRetaining();
}

void RegisterJournalDriver(const std::string& name, const std::string& target, DriverJournal& journal,
                           ConnectCheck check) {
  db::driver::RegisterDriver(
      name,
      [target, &journal, check](const db::TStringList& params) -> std::unique_ptr<db::driver::Connection> {
        journal.Connects.push_back(params.Lines());
        journal.ConnectEntries = params.Text();
        if (check) check(params);
        return std::make_unique<JournalConnection>(db::driver::Connect(target, params), journal);
      });
}

}  // namespace zr::testsupport
