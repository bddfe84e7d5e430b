#pragma once
// The Oracle stand-in for the application's tests: a private database of this test program (created through
// scripts/pg-standin.sh on first use, dropped when the program ends), with the companies' tables made afresh
// for each test.

#include <string>
#include <vector>

#include "standin_session.h"

namespace zr::app::testing {

// True when the environment switches the stand-in off (ZR_STANDIN=0).
bool StandinDisabled();

class StandinDatabase : public StandinSession {
 public:
  // Recreates the shared tables and the tables of `companies` and writes the zr.ini into `dir`.
  StandinDatabase(const std::string& dir, const std::vector<fixtures::CompanyInfo>& companies);

  std::string Ini;  // the zr.ini that opens this database on "Ora"
};

}  // namespace zr::app::testing
