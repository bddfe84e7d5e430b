#pragma once
// One generated company on the Firebird server or on the Oracle stand-in, for the zembra-cli tests that run
// the same scenario on both servers: its database, the folder and zr.ini zembra-cli runs with, and what the
// tests read back.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "fixtures/generator.h"
#include "standin_database.h"

namespace zr::app::testing {

enum class Server { Firebird, Standin };

// "FirebirdServer" or "OracleStandin", for the parameterised tests' names.
std::string ServerName(const ::testing::TestParamInfo<Server>& info);

class ServerCompanyTest : public ::testing::TestWithParam<Server> {
 protected:
  using Rows = std::vector<std::vector<std::string>>;

  // Creates `companies` in a database named `name` and loads company 01 with `size`; on the stand-in, the
  // test is skipped when it is switched off (check IsSkipped() after).
  void CreateCompany(const std::string& name, const std::vector<fixtures::CompanyInfo>& companies,
                     const fixtures::CompanySize& size);

  Rows Select(const std::string& sql);
  std::string Scalar(const std::string& sql);
  // True while another attachment's DELETE on PCPFTOF01 waits for a lock.
  bool DeleteWaits();

  std::unique_ptr<TestDatabase> fb_;
  std::unique_ptr<StandinDatabase> ora_;
  std::string dir_;
  std::string ini_;
};

}  // namespace zr::app::testing
