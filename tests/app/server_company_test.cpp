#include "server_company_test.h"

namespace zr::app::testing {

std::string ServerName(const ::testing::TestParamInfo<Server>& info) {
  return info.param == Server::Firebird ? "FirebirdServer" : "OracleStandin";
}

void ServerCompanyTest::CreateCompany(const std::string& name,
                                      const std::vector<fixtures::CompanyInfo>& companies,
                                      const fixtures::CompanySize& size) {
  const auto data = fixtures::GenerateCompany(size);
  if (GetParam() == Server::Firebird) {
    fb_ = TestDatabase::Create(name, companies);
    fb_->Session().LoadCompany("01", data);
    dir_ = fb_->Dir;
    ini_ = fb_->Ini;
    return;
  }
  if (StandinDisabled()) GTEST_SKIP() << "the Oracle stand-in is switched off (ZR_STANDIN=0)";
  dir_ = FreshDir(name);
  ora_ = std::make_unique<StandinDatabase>(dir_, companies);
  ora_->LoadCompany("01", data);
  ini_ = ora_->Ini;
}

ServerCompanyTest::Rows ServerCompanyTest::Select(const std::string& sql) {
  return fb_ ? fb_->Select(sql) : ora_->Select(sql);
}

std::string ServerCompanyTest::Scalar(const std::string& sql) {
  return fb_ ? fb_->Scalar(sql) : ora_->Scalar(sql);
}

bool ServerCompanyTest::DeleteWaits() {
  if (fb_) {
    return Scalar(
               "SELECT COUNT(*) FROM MON$STATEMENTS WHERE MON$STATE = 1 "
               "AND MON$ATTACHMENT_ID <> CURRENT_CONNECTION AND MON$SQL_TEXT LIKE '%DELETE FROM PCPFTOF01%'") !=
           "0";
  }
  return Scalar(
             "SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() "
             "AND wait_event_type = 'Lock' AND query LIKE '%DELETE FROM PCPFTOF01%'") != "0";
}

}  // namespace zr::app::testing
