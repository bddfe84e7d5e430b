#pragma once
// The Oracle stand-in for the application's tests: a private PostgreSQL database of this test program
// (created through scripts/pg-standin.sh on first use, dropped when the program ends), reached through the
// "Ora" driver, with EMPRESA, ARQLOCAL and the companies' tables made afresh for each test.

#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "fixtures/firebird_db.h"
#include "fixtures/generator.h"

namespace zr::app::testing {

// True when the environment switches the stand-in off (ZR_STANDIN=0).
bool StandinDisabled();

class StandinDatabase {
 public:
  // Drops and recreates the shared tables and the tables of `companies` in the test program's database, and
  // writes a zr.ini with banco=ORACLE into `dir`.
  StandinDatabase(const std::string& dir, const std::vector<fixtures::CompanyInfo>& companies);
  ~StandinDatabase();

  // "DSN=zrstandin;Database=<the program's database>": the "base" of the zr.ini.
  static std::string ConnectionString();

  // Statements as written, each committed by itself; values read as text (null as empty text).
  void Exec(const std::string& sql);
  std::vector<std::vector<std::string>> Select(const std::string& sql);
  std::string Scalar(const std::string& sql);
  void LoadCompany(const std::string& code, const std::vector<fixtures::TableRows>& data);

  std::string Ini;  // the zr.ini that opens this database on "Ora"

 private:
  std::unique_ptr<db::TFDConnection> connection_;
};

}  // namespace zr::app::testing
