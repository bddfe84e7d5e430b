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

TEST_P(ConcurrentRunsTest, TheLockFiresNoUpdateTriggerOfArqlocalOrEmpresa) {
  // A site's audit of ARQLOCAL and EMPRESA writes every update of them down; the lock only reads their rows.
  auto exec = [&](const std::string& sql) { fb_ ? fb_->Exec(sql) : ora_->Exec(sql); };
  if (ora_) {
    exec("DROP TABLE IF EXISTS ZR_ALTERACOES");
    exec("CREATE TABLE ZR_ALTERACOES (TABELA VARCHAR(31))");
    exec(
        "CREATE OR REPLACE FUNCTION zr_anota() RETURNS trigger AS $$ BEGIN INSERT INTO ZR_ALTERACOES VALUES "
        "(TG_TABLE_NAME); RETURN NULL; END $$ LANGUAGE plpgsql");
    for (const char* table : {"ARQLOCAL", "EMPRESA"}) {
      exec(std::string("CREATE TRIGGER TR_ANOTA AFTER UPDATE ON ") + table +
           " FOR EACH ROW EXECUTE FUNCTION zr_anota()");
    }
  } else {
    exec("CREATE TABLE ZR_ALTERACOES (TABELA VARCHAR(31))");
    for (const char* table : {"ARQLOCAL", "EMPRESA"}) {
      exec(std::string("CREATE TRIGGER TR_ANOTA_") + table + " FOR " + table +
           " AFTER UPDATE AS BEGIN INSERT INTO ZR_ALTERACOES VALUES ('" + table + "'); END");
    }
  }
  // Company 01 is locked through ARQLOCAL; company 02, once ARQLOCAL no longer lists its PCPFTOF, through
  // EMPRESA.
  exec("DELETE FROM ARQLOCAL WHERE ARQUIVO = 'PCPFTOF02'");
  for (const char* empresa : {"01", "02"}) {
    for (const char* action : {"importar", "situacao"}) {
      SCOPED_TRACE(std::string(action) + " " + empresa);
      const Outcome run = RunProgram(
          ZEMBRA_CLI, {action, "--empresa", empresa, "--desde", "01/01/2000", "--ini", ini_}, dir_);
      EXPECT_EQ(run.Exit, 0) << run.Out << run.Err;
    }
  }
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ZR_ALTERACOES"), "0");
}

INSTANTIATE_TEST_SUITE_P(OnEachServer, ConcurrentRunsTest,
                         ::testing::Values(Server::Firebird, Server::Standin), ServerName);

}  // namespace
}  // namespace zr::app::testing
