#include "standin_database.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include <gtest/gtest.h>

#include "app/settings.h"
#include "support/targets.h"

namespace zr::app::testing {

bool StandinDisabled() { return !testsupport::UnavailableReason(testsupport::Target::Standin).empty(); }

namespace {

const std::string& ProgramDatabase() {
  static const std::string name = "zr_app_standin_" + std::to_string(getpid());
  return name;
}

void RunScript(const std::string& args) {
  const std::string command = std::string("bash '") + ZR_PG_STANDIN + "' " + args + " >/dev/null";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("pg-standin.sh failed: " + args);
}

// Creates the program's database when the first test needs it and drops it after the last test.
class ProgramDatabaseLifetime : public ::testing::Environment {
 public:
  static const std::string& Created() {
    if (!created) {
      RunScript("database " + ProgramDatabase());
      created = true;
    }
    return ProgramDatabase();
  }
  void TearDown() override {
    if (created) RunScript("psql -q -c 'DROP DATABASE IF EXISTS " + ProgramDatabase() + " WITH (FORCE)'");
  }

 private:
  static inline bool created = false;
};

[[maybe_unused]] ::testing::Environment* const kLifetime =
    ::testing::AddGlobalTestEnvironment(new ProgramDatabaseLifetime);

}  // namespace

StandinDatabase::StandinDatabase(const std::string& dir, const std::vector<fixtures::CompanyInfo>& companies)
    : StandinSession("DSN=zrstandin;Database=" + ProgramDatabaseLifetime::Created()) {
  CreateCompanies(companies);
  std::filesystem::create_directories(dir);
  Ini = dir + kSettingsFileName;
  WriteIni(Ini);
}

}  // namespace zr::app::testing
