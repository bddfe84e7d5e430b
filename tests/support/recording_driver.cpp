#include "support/recording_driver.h"

#include <filesystem>
#include <memory>

#include "db/driver.h"
#include "db/errors.h"
#include "db/firebird/driver.h"

namespace zr::data::testing {

namespace {

namespace driver = db::driver;

class RecordingStatement final : public driver::Statement {
 public:
  explicit RecordingStatement(std::unique_ptr<driver::Statement> inner) : inner_(std::move(inner)) {}
  void Prepare(const std::string& sql) override {
    Recorded().Prepared.push_back(sql);
    inner_->Prepare(sql);
  }
  std::vector<driver::ColumnInfo> Columns() const override { return inner_->Columns(); }
  void SetTimeout(uint32_t milliseconds) override { inner_->SetTimeout(milliseconds); }
  void Execute(const std::vector<driver::ParamColumn>& params, int times, int offset) override {
    inner_->Execute(params, times, offset);
  }
  bool Fetch(std::vector<db::TFDValue>& row) override { return inner_->Fetch(row); }
  void CloseCursor() override { inner_->CloseCursor(); }
  int64_t RowsAffected() const override { return inner_->RowsAffected(); }

 private:
  std::unique_ptr<driver::Statement> inner_;
};

class RecordingConnection final : public driver::Connection {
 public:
  explicit RecordingConnection(std::unique_ptr<driver::Connection> inner) : inner_(std::move(inner)) {}
  std::unique_ptr<driver::Statement> CreateStatement() override {
    return std::make_unique<RecordingStatement>(inner_->CreateStatement());
  }
  bool InTransaction() const override { return inner_->InTransaction(); }
  void StartTransaction() override { inner_->StartTransaction(); }
  void Commit() override { inner_->Commit(); }
  void Rollback() override { inner_->Rollback(); }
  void CommitRetaining() override { inner_->CommitRetaining(); }
  void RollbackRetaining() override { inner_->RollbackRetaining(); }

 private:
  std::unique_ptr<driver::Connection> inner_;
};

driver::ConnectFunction RecordingConnect(const std::string& name) {
  return [name](const db::TStringList& params) -> std::unique_ptr<driver::Connection> {
    Recorded().Connects.push_back(params.Lines());
    const std::string database = params.Values("Database");
    if (database.empty() || !std::filesystem::is_regular_file(database)) {
      throw db::EDatabaseError(name + ": sem servidor de teste");
    }
    return std::make_unique<RecordingConnection>(driver::Connect("FB", params));
  };
}

}  // namespace

Recording& Recorded() {
  static Recording recording;
  return recording;
}

void ResetRecordingDrivers() {
  static const bool registered = [] {
    db::firebird::RegisterDriver();
    for (const char* name : {"Ora", "ora", "Oracle", "PG", "SQLite", "XYZ"}) {
      driver::RegisterDriver(name, RecordingConnect(name));
    }
    return true;
  }();
  (void)registered;
  Recorded() = Recording{};
}

}  // namespace zr::data::testing
