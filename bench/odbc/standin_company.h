#pragma once
// A generated company on the Oracle stand-in: EMPRESA, ARQLOCAL and the company's tables created in the
// stand-in's PostgreSQL dialect and filled from the fixtures' generator through the "Ora" driver.

#include <cstdint>
#include <string>

#include "fixtures/generator.h"
#include "fixtures/session.h"

namespace zr::bench {

class StandinCompany : public fixtures::Session {
 public:
  // Replaces whatever the database held of these tables. `connectionString` is the "Database" entry of an
  // "Ora" connection ("DSN=zrstandin;Database=zembra_bench").
  StandinCompany(const std::string& connectionString, const fixtures::CompanyInfo& company,
                 const fixtures::CompanySize& size);

  const fixtures::CompanyInfo& Company() const { return company_; }
  std::string Table(const std::string& baseName) const { return baseName + company_.Code; }

  // The first value of the first row of `sql`, as an integer.
  int64_t Count(const std::string& sql);

 private:
  fixtures::CompanyInfo company_;
};

}  // namespace zr::bench
