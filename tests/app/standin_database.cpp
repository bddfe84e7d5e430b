#include "standin_database.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "app/drivers.h"
#include "app/settings.h"
#include "company_data.h"
#include "db/query.h"
#include "fixtures/load.h"
#include "fixtures/schema.h"

namespace zr::app::testing {

bool StandinDisabled() {
  const char* flag = std::getenv("ZR_STANDIN");
  return flag != nullptr && std::string(flag) == "0";
}

namespace {

const std::string& ProgramDatabase() {
  static const std::string name = "zr_app_standin_" + std::to_string(getpid());
  return name;
}

void RunScript(const std::string& args) {
  const std::string command = std::string("bash '") + ZR_PG_STANDIN + "' " + args + " >/dev/null";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("pg-standin.sh failed: " + args);
}

// Creates the program's database when the first test needs it and drops it after the last test.
class ProgramDatabaseLifetime : public ::testing::Environment {
 public:
  static void EnsureCreated() {
    static bool created = false;
    if (created) return;
    RunScript("database " + ProgramDatabase());
    created = true;
    dropAtEnd = true;
  }
  void TearDown() override {
    if (!dropAtEnd) return;
    RunScript("psql -q -c 'DROP DATABASE IF EXISTS " + ProgramDatabase() + " WITH (FORCE)'");
  }

 private:
  static inline bool dropAtEnd = false;
};

[[maybe_unused]] ::testing::Environment* const kLifetime =
    ::testing::AddGlobalTestEnvironment(new ProgramDatabaseLifetime);

}  // namespace

std::string StandinDatabase::ConnectionString() { return "DSN=zrstandin;Database=" + ProgramDatabase(); }

StandinDatabase::StandinDatabase(const std::string& dir, const std::vector<fixtures::CompanyInfo>& companies)
    : connection_(std::make_unique<db::TFDConnection>()) {
  ProgramDatabaseLifetime::EnsureCreated();
  RegisterDrivers();
  connection_->SetDriverName("Ora");
  connection_->Params().Add("Database=" + ConnectionString());
  connection_->Open();
  Exec("DROP TABLE IF EXISTS EMPRESA, ARQLOCAL");
  for (const std::string& sql : fixtures::SharedTableStatements(fixtures::Dialect::PostgreSQL)) Exec(sql);
  for (const fixtures::CompanyInfo& company : companies) {
    for (const std::string& name : fixtures::CompanyTableNames(company.Code)) Exec("DROP TABLE IF EXISTS " + name);
    for (const std::string& sql : fixtures::CompanyTableStatements(company.Code, fixtures::Dialect::PostgreSQL)) {
      Exec(sql);
    }
    Exec("INSERT INTO EMPRESA (EMP_PAT, EMP_NOME) VALUES (" + Q(company.Code) + ", " + Q(company.Name) + ")");
    for (const std::string& name : fixtures::CompanyTableNames(company.Code)) {
      Exec("INSERT INTO ARQLOCAL (ARQUIVO, DESCRICAO) VALUES (" + Q(name) + ", " +
           Q("Tabela da empresa " + company.Code) + ")");
    }
  }
  std::filesystem::create_directories(dir);
  Ini = dir + kSettingsFileName;
  std::ofstream(Ini) << "[banco]\nServidor=\nbase=" << ConnectionString() << "\nusuario=\nsenha=\nbanco=ORACLE\n";
}

StandinDatabase::~StandinDatabase() = default;

void StandinDatabase::Exec(const std::string& sql) {
  db::TFDQuery query;
  query.SetConnection(connection_.get());
  query.SQL().Add(sql);
  query.ExecSQL();
}

std::vector<std::vector<std::string>> StandinDatabase::Select(const std::string& sql) {
  db::TFDQuery query;
  query.SetConnection(connection_.get());
  query.SQL().Add(sql);
  query.Open();
  query.FetchAll();
  std::vector<std::vector<std::string>> rows;
  for (query.First(); !query.Eof(); query.Next()) {
    std::vector<std::string> row;
    for (int i = 0; i < query.FieldCount(); ++i) row.push_back(query.Fields(i).AsString());
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string StandinDatabase::Scalar(const std::string& sql) {
  const auto rows = Select(sql);
  if (rows.empty() || rows[0].empty()) throw std::runtime_error("no value: " + sql);
  return rows[0][0];
}

void StandinDatabase::LoadCompany(const std::string& code, const std::vector<fixtures::TableRows>& data) {
  for (const fixtures::TableRows& rows : data) fixtures::LoadRows(*connection_, rows.BaseName + code, rows);
  Exec("ANALYZE");
}

}  // namespace zr::app::testing
