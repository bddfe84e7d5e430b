#include "standin_session.h"

#include <fstream>
#include <memory>
#include <stdexcept>

#include "app/drivers.h"
#include "db/connection.h"
#include "db/string_list.h"

namespace zr::app::testing {
namespace {

std::unique_ptr<db::TFDConnection> OpenOra(const std::string& connectionString) {
  RegisterDrivers();
  db::TStringList params;
  params.Add("Database=" + connectionString);
  return fixtures::OpenConnection("Ora", params);
}

}  // namespace

StandinSession::StandinSession(std::string connectionString)
    : Session(OpenOra(connectionString), fixtures::Dialect::PostgreSQL),
      connectionString_(std::move(connectionString)) {}

void StandinSession::CreateCompanies(const std::vector<fixtures::CompanyInfo>& companies) {
  ReplaceCompanies(companies);
}

void StandinSession::LoadCompany(const std::string& code, const std::vector<fixtures::TableRows>& data) {
  Session::LoadCompany(code, data);
  Exec("ANALYZE");
}

void StandinSession::WriteIni(const std::string& path) const {
  std::ofstream out(path);
  out << "[banco]\nServidor=\nbase=" << connectionString_ << "\nusuario=\nsenha=\nbanco=ORACLE\n";
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace zr::app::testing
