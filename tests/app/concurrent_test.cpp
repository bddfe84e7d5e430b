// Two zembra-cli runs on the same company at once, on the Firebird server and on the Oracle stand-in: the
// second waits a few seconds for the first, then stops with a clear message having written nothing, and the
// first ends as it would alone. PCPFTOF never holds an order's rows twice.
//
// To hold the first run in the middle of its action for as long as the test needs, an ordinary user keeps
// every PCPFTOF row locked in an open transaction: the first run's first DELETE waits for that user, as it
// would in an office, until the user rolls back.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/actions.h"
#include "app_test_support.h"
#include "fixtures/generator.h"
#include "program_run.h"
#include "server_company_test.h"
#include "standin_pair.h"

namespace zr::app::testing {
namespace {

using namespace std::chrono_literals;

class ConcurrentRunsTest : public ServerCompanyTest {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    CreateCompany(FlatName(name), {{"01", "Confecção Zembra"}, {"02", "Malharia D'Ouro"}},
                  {.Orders = 30, .PartsPerOrder = 2, .MaterialsPerPart = 3, .Products = 4, .Seed = 11});
  }

  static std::string FlatName(std::string name) {
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    return name;
  }

  std::vector<std::string> Args(const char* action) const {
    return {action, "--empresa", "01", "--desde", "01/01/2000", "--ini", ini_};
  }
};

TEST_P(ConcurrentRunsTest, ASecondActionOfTheCompanyStopsWithAMessageAndWritesNothing) {
  struct Case {
    const char* name;
    const char* action;
  };
  const Case cases[] = {{"a second import", "importar"}, {"a status update", "situacao"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // PCPFTOF as one import alone leaves it.
    ASSERT_EQ(RunProgram(ZEMBRA_CLI, Args("importar"), dir_).Exit, 0);
    const Rows alone = Select(kPcpftofSql);
    ASSERT_FALSE(alone.empty());

    auto user = std::make_unique<AppComponents>(ini_);
    user->C.QryAux->Close();
    user->C.QryAux->SQL().Clear();
    user->C.QryAux->SQL().Add("UPDATE PCPFTOF01 SET SITUACAO = SITUACAO");
    user->C.QryAux->ExecSQL();
    user->C.ZRDatabase1->FlushWrites();  // the update reaches the server now and holds its rows

    Started first = StartProgram(ZEMBRA_CLI, Args("importar"), dir_, "first");
    const bool held = WaitUntil([&] { return DeleteWaits(); }, 30s);
    Outcome second;
    if (held) second = RunProgram(ZEMBRA_CLI, Args(c.action), dir_);
    user->C.ZRTransaction1->RollbackRetaining();
    user.reset();
    const Outcome firstEnd = WaitProgram(first, 120s);
    ASSERT_TRUE(held) << "the first run never reached its DELETE:\n" << firstEnd.Out << firstEnd.Err;

    EXPECT_EQ(second.Exit, 1);
    const std::string said = second.Out + second.Err;
    EXPECT_TRUE(Contains(said, kMsgOutraAcao)) << said;
    EXPECT_TRUE(Contains(said, "(tudo desfeito)")) << said;
    EXPECT_EQ(firstEnd.Exit, 0) << firstEnd.Out << firstEnd.Err;
    EXPECT_TRUE(Contains(firstEnd.Out + firstEnd.Err, kMsgConcluida));
    EXPECT_EQ(Select(kPcpftofSql), alone);
  }
}

TEST_P(ConcurrentRunsTest, AnotherCompanyIsNotHeldUp) {
  auto user = std::make_unique<AppComponents>(ini_);
  user->C.QryAux->Close();
  user->C.QryAux->SQL().Clear();
  user->C.QryAux->SQL().Add("UPDATE ARQLOCAL SET ARQUIVO = ARQUIVO WHERE ARQUIVO LIKE '%01'");
  user->C.QryAux->ExecSQL();
  user->C.ZRDatabase1->FlushWrites();  // the update reaches the server now and holds its rows
  const Outcome other =
      RunProgram(ZEMBRA_CLI, {"importar", "--empresa", "02", "--desde", "01/01/2000", "--ini", ini_}, dir_);
  user->C.ZRTransaction1->RollbackRetaining();
  EXPECT_EQ(other.Exit, 0) << other.Out << other.Err;
}

INSTANTIATE_TEST_SUITE_P(OnEachServer, ConcurrentRunsTest,
                         ::testing::Values(Server::Firebird, Server::Standin), ServerName);

}  // namespace
}  // namespace zr::app::testing
