#include "standin_company.h"

#include <memory>

#include "db/connection.h"
#include "db/string_list.h"
#include "db/odbc/driver.h"
#include "db/query.h"

namespace zr::bench {
namespace {

std::unique_ptr<db::TFDConnection> OpenOra(const std::string& connectionString) {
  db::odbc::RegisterDriver();
  db::TStringList params;
  params.Add("Database=" + connectionString);
  return fixtures::OpenConnection("Ora", params);
}

}  // namespace

StandinCompany::StandinCompany(const std::string& connectionString, const fixtures::CompanyInfo& company,
                               const fixtures::CompanySize& size)
    : Session(OpenOra(connectionString), fixtures::Dialect::PostgreSQL), company_(company) {
  ReplaceCompanies({company});
  LoadCompany(company.Code, fixtures::GenerateCompany(size));
  Exec("ANALYZE");
}

int64_t StandinCompany::Count(const std::string& sql) {
  db::TFDQuery query;
  query.SetConnection(&Connection());
  query.SQL().Add(sql);
  query.Open();
  return query.Fields(0).AsLargeInt();
}

}  // namespace zr::bench
