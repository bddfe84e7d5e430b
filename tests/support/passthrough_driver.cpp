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
    Record(journal_, sql_, params, times, offset);
    StatementWrapper::Execute(params, times, offset);
  }

  static void Record(DriverJournal& journal, const std::string& sql,
                     const std::vector<db::driver::ParamColumn>& params, int times, int offset) {
    JournalExecution e{times, offset, {}, {}};
    for (const db::driver::ParamColumn& p : params) {
      e.ParamTypes.push_back(p.DataType);
      e.ParamValues.push_back(p.Values != nullptr ? *p.Values : std::vector<db::TFDValue>{});
    }
    journal.Executions.push_back(std::move(e));
    journal.Executed.push_back(sql);
  }

 private:
  DriverJournal& journal_;
  std::string sql_;  // the text prepared last
};

// A statement a batch takes is written down as executed, in the order taken: the order the framework ran
// the statements in, whether they went alone or together.
class JournalBatch final : public BatchWrapper {
 public:
  JournalBatch(std::unique_ptr<db::driver::Batch> target, DriverJournal& journal)
      : BatchWrapper(std::move(target)), journal_(journal) {}
  bool Add(const db::driver::BatchStatement& statement) override {
    if (!BatchWrapper::Add(statement)) return false;
    JournalStatement::Record(journal_, statement.Sql, statement.Params, statement.Times, statement.Offset);
    return true;
  }
  std::vector<int64_t> Execute(uint32_t timeout) override {
    journal_.BatchesSent.push_back(Count());
    return BatchWrapper::Execute(timeout);
  }

 private:
  DriverJournal& journal_;
};

}  // namespace

std::unique_ptr<db::driver::Statement> JournalConnection::CreateStatement() {
  return std::make_unique<JournalStatement>(ConnectionWrapper::CreateStatement(), journal_);
}

std::unique_ptr<db::driver::Batch> JournalConnection::CreateBatch() {
  std::unique_ptr<db::driver::Batch> batch = ConnectionWrapper::CreateBatch();
  if (!batch) return nullptr;
  return std::make_unique<JournalBatch>(std::move(batch), journal_);
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

void RegisterWrappedDriver(const std::string& name, const std::string& target,
                           std::vector<std::string> extraEntries, ConnectionWrap wrap) {
  db::driver::RegisterDriver(name,
                             [target, extraEntries = std::move(extraEntries), wrap = std::move(wrap)](
                                 const db::TStringList& params) -> std::unique_ptr<db::driver::Connection> {
                               db::TStringList entries = params;
                               for (const std::string& entry : extraEntries) entries.Add(entry);
                               std::unique_ptr<db::driver::Connection> real =
                                   db::driver::Connect(target, entries);
                               return wrap ? wrap(std::move(real)) : std::move(real);
                             });
}

}  // namespace zr::testsupport
