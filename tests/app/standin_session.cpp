#include "standin_session.h"

#include <fstream>
#include <stdexcept>

#include "app/drivers.h"
#include "app/sql_text.h"
#include "db/query.h"
#include "fixtures/load.h"
#include "fixtures/schema.h"

namespace zr::app::testing {

StandinSession::StandinSession(std::string connectionString)
    : connectionString_(std::move(connectionString)), connection_(std::make_unique<db::TFDConnection>()) {
  RegisterDrivers();
  connection_->SetDriverName("Ora");
  connection_->Params().Add("Database=" + connectionString_);
  connection_->Open();
}

StandinSession::~StandinSession() = default;

void StandinSession::CreateCompanies(const std::vector<fixtures::CompanyInfo>& companies) {
  Exec("DROP TABLE IF EXISTS EMPRESA, ARQLOCAL");
  for (const std::string& sql : fixtures::SharedTableStatements(fixtures::Dialect::PostgreSQL)) Exec(sql);
  for (const fixtures::CompanyInfo& company : companies) {
    for (const std::string& name : fixtures::CompanyTableNames(company.Code)) Exec("DROP TABLE IF EXISTS " + name);
    for (const std::string& sql : fixtures::CompanyTableStatements(company.Code, fixtures::Dialect::PostgreSQL)) {
      Exec(sql);
    }
    Exec("INSERT INTO EMPRESA (EMP_PAT, EMP_NOME) VALUES (" + QuotedStr(company.Code) + ", " +
         QuotedStr(company.Name) + ")");
    for (const std::string& name : fixtures::CompanyTableNames(company.Code)) {
      Exec("INSERT INTO ARQLOCAL (ARQUIVO, DESCRICAO) VALUES (" + QuotedStr(name) + ", " +
           QuotedStr("Tabela da empresa " + company.Code) + ")");
    }
  }
}

void StandinSession::LoadCompany(const std::string& code, const std::vector<fixtures::TableRows>& data) {
  for (const fixtures::TableRows& rows : data) fixtures::LoadRows(*connection_, rows.BaseName + code, rows);
  Exec("ANALYZE");
}

void StandinSession::Exec(const std::string& sql) {
  db::TFDQuery query;
  query.SetConnection(connection_.get());
  query.SQL().Add(sql);
  query.ExecSQL();
}

std::vector<std::vector<std::string>> StandinSession::Select(const std::string& sql) {
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

std::string StandinSession::Scalar(const std::string& sql) {
  const auto rows = Select(sql);
  if (rows.empty() || rows[0].empty()) throw std::runtime_error("no value: " + sql);
  return rows[0][0];
}

void StandinSession::WriteIni(const std::string& path) const {
  std::ofstream out(path);
  out << "[banco]\nServidor=\nbase=" << connectionString_ << "\nusuario=\nsenha=\nbanco=ORACLE\n";
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace zr::app::testing
