#pragma once
// A session on a database of the Oracle stand-in through the "Ora" driver, each statement committed by
// itself: the companies' tables made afresh in the stand-in's PostgreSQL dialect, generated rows loaded, and a
// zr.ini that opens the database with banco=ORACLE. Used by the tests and by zr-makedb-ora for the demo.

#include <string>
#include <vector>

#include "fixtures/generator.h"
#include "fixtures/session.h"

namespace zr::app::testing {

class StandinSession : public fixtures::Session {
 public:
  // `connectionString` is the "base" of the zr.ini, e.g. "DSN=zrstandin;Database=zembra_demo".
  explicit StandinSession(std::string connectionString);

  // Drops and recreates EMPRESA, ARQLOCAL and the tables of `companies`, and lists the companies and their
  // tables.
  void CreateCompanies(const std::vector<fixtures::CompanyInfo>& companies);
  // Loads generated rows into the company's tables, then refreshes the planner's statistics.
  void LoadCompany(const std::string& code, const std::vector<fixtures::TableRows>& data);

  // Writes a zr.ini with banco=ORACLE that opens this database.
  void WriteIni(const std::string& path) const;

 private:
  std::string connectionString_;
};

}  // namespace zr::app::testing
