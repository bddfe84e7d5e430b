#include "standin_company.h"

#include <algorithm>

#include "db/odbc/driver.h"
#include "db/query.h"
#include "fixtures/schema.h"

namespace zr::bench {
namespace {

std::string Quoted(const std::string& value) {
  std::string out = "'";
  for (char ch : value) {
    out += ch;
    if (ch == '\'') out += '\'';
  }
  return out + "'";
}

}  // namespace

StandinCompany::StandinCompany(const std::string& connectionString, const fixtures::CompanyInfo& company,
                               const fixtures::CompanySize& size)
    : company_(company), connection_(std::make_unique<db::TFDConnection>()) {
  db::odbc::RegisterDriver();
  connection_->SetDriverName("Ora");
  connection_->Params().Add("Database=" + connectionString);
  connection_->Open();
  Exec("DROP TABLE IF EXISTS EMPRESA, ARQLOCAL");
  for (const std::string& name : fixtures::CompanyTableNames(company.Code)) Exec("DROP TABLE IF EXISTS " + name);
  for (const std::string& sql : fixtures::SharedTableStatements(fixtures::Dialect::PostgreSQL)) Exec(sql);
  for (const std::string& sql : fixtures::CompanyTableStatements(company.Code, fixtures::Dialect::PostgreSQL)) {
    Exec(sql);
  }
  Exec("INSERT INTO EMPRESA (EMP_PAT, EMP_NOME) VALUES (" + Quoted(company.Code) + ", " + Quoted(company.Name) + ")");
  for (const std::string& name : fixtures::CompanyTableNames(company.Code)) {
    Exec("INSERT INTO ARQLOCAL (ARQUIVO, DESCRICAO) VALUES (" + Quoted(name) + ", " +
         Quoted("Tabela da empresa " + company.Code) + ")");
  }
  for (const fixtures::TableRows& rows : fixtures::GenerateCompany(size)) Load(rows);
  Exec("ANALYZE");
}

void StandinCompany::Exec(const std::string& sql) {
  db::TFDQuery query;
  query.SetConnection(connection_.get());
  query.SQL().Add(sql);
  query.ExecSQL();
}

int64_t StandinCompany::Count(const std::string& sql) {
  db::TFDQuery query;
  query.SetConnection(connection_.get());
  query.SQL().Add(sql);
  query.Open();
  return query.Fields(0).AsLargeInt();
}

void StandinCompany::Load(const fixtures::TableRows& rows) {
  if (rows.Rows.empty()) return;
  std::string columns, markers;
  for (const std::string& c : rows.Columns) {
    columns += (columns.empty() ? "" : ", ") + c;
    markers += (markers.empty() ? ":" : ", :") + c;
  }
  db::TFDQuery query;
  query.SetConnection(connection_.get());
  query.SQL().Add("INSERT INTO " + Table(rows.BaseName) + " (" + columns + ") VALUES (" + markers + ")");
  constexpr size_t kBatch = 500;
  for (size_t first = 0; first < rows.Rows.size(); first += kBatch) {
    const size_t count = std::min(kBatch, rows.Rows.size() - first);
    query.Params().SetArraySize(static_cast<int>(count));
    for (size_t c = 0; c < rows.Columns.size(); ++c) {
      db::TFDParam& param = query.Params().ParamByName(rows.Columns[c]);
      for (size_t r = 0; r < count; ++r) {
        const int i = static_cast<int>(r);
        const db::TFDValue& v = rows.Rows[first + r][c];
        if (const auto* s = std::get_if<std::string>(&v)) {
          param.SetAsStrings(i, *s);
        } else if (const auto* n = std::get_if<int64_t>(&v)) {
          param.SetAsIntegers(i, *n);
        } else if (const auto* b = std::get_if<db::TFDBcd>(&v)) {
          param.SetAsFloats(i, db::BcdToDouble(*b));
        } else if (const auto* f = std::get_if<double>(&v)) {
          param.SetAsFloats(i, *f);
        } else if (const auto* d = std::get_if<db::TFDTimeStamp>(&v)) {
          param.SetAsDates(i, d->Value);
        } else {
          param.ClearElement(i);
        }
      }
    }
    query.Execute(static_cast<int>(count), 0);
  }
}

}  // namespace zr::bench
