#pragma once
// A session on a database of the Oracle stand-in through the "Ora" driver, each statement committed by
// itself: the companies' tables made afresh in the stand-in's PostgreSQL dialect, generated rows loaded, and a
// zr.ini that opens the database with banco=ORACLE. Used by the tests and by zr-makedb-ora for the demo.

#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "fixtures/firebird_db.h"
#include "fixtures/generator.h"

namespace zr::app::testing {

class StandinSession {
 public:
  // `connectionString` is the "base" of the zr.ini, e.g. "DSN=zrstandin;Database=zembra_demo".
  explicit StandinSession(std::string connectionString);
  ~StandinSession();

  // Drops and recreates EMPRESA, ARQLOCAL and the tables of `companies`, and lists the companies and their
  // tables.
  void CreateCompanies(const std::vector<fixtures::CompanyInfo>& companies);
  void LoadCompany(const std::string& code, const std::vector<fixtures::TableRows>& data);

  // Statements as written; values read as text (null as empty text).
  void Exec(const std::string& sql);
  std::vector<std::vector<std::string>> Select(const std::string& sql);
  std::string Scalar(const std::string& sql);

  // Writes a zr.ini with banco=ORACLE that opens this database.
  void WriteIni(const std::string& path) const;

 private:
  std::string connectionString_;
  std::unique_ptr<db::TFDConnection> connection_;
};

}  // namespace zr::app::testing
