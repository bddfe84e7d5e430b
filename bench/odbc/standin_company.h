#pragma once
// A generated company on the Oracle stand-in: EMPRESA, ARQLOCAL and the company's tables created in the
// stand-in's PostgreSQL dialect and filled from the fixtures' generator through the "Ora" driver.

#include <memory>
#include <string>

#include "db/connection.h"
#include "fixtures/firebird_db.h"
#include "fixtures/generator.h"

namespace zr::bench {

class StandinCompany {
 public:
  // Replaces whatever the database held of these tables. `connectionString` is the "Database" entry of an
  // "Ora" connection ("DSN=zrstandin;Database=zembra_bench").
  StandinCompany(const std::string& connectionString, const fixtures::CompanyInfo& company,
                 const fixtures::CompanySize& size);

  db::TFDConnection& Connection() { return *connection_; }
  const fixtures::CompanyInfo& Company() const { return company_; }
  std::string Table(const std::string& baseName) const { return baseName + company_.Code; }

  // Runs a statement in auto-commit.
  void Exec(const std::string& sql);
  int64_t Count(const std::string& sql);

 private:
  void Load(const fixtures::TableRows& rows);

  fixtures::CompanyInfo company_;
  std::unique_ptr<db::TFDConnection> connection_;
};

}  // namespace zr::bench
