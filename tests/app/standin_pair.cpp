#include "standin_pair.h"

#include <gtest/gtest.h>

#include <vector>

#include "fixtures/generator.h"

namespace zr::app::testing {

void StandinPair::CreatePair() {
  const std::vector<fixtures::CompanyInfo> companies = {{"01", "Confecção Zembra"},
                                                        {"02", "Malharia D'Ouro"}};
  fb_ = TestDatabase::Create(::testing::UnitTest::GetInstance()->current_test_info()->name(), companies);
  ora_ = std::make_unique<StandinDatabase>(fb_->Dir + "ora/", companies);
}

void StandinPair::Both(const std::string& sql) {
  fb_->Exec(sql);
  ora_->Exec(sql);
}

void StandinPair::Generated() {
  const auto data = fixtures::GenerateCompany(
      {.Orders = 30, .PartsPerOrder = 3, .MaterialsPerPart = 4, .Products = 6, .Seed = 7});
  fb_->Session().LoadCompany("01", data);
  ora_->LoadCompany("01", data);
}

void StandinPair::ExpectSamePcpftof() { EXPECT_EQ(ora_->Select(kPcpftofSql), fb_->Select(kPcpftofSql)); }

}  // namespace zr::app::testing
