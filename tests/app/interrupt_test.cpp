// zembra-cli ends on SIGINT or SIGTERM whatever it waits for: a server that never answers the connection, or
// a lock in the middle of an import. It exits with 1 and a message, and what the action wrote is undone.

#include <signal.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "app_test_support.h"
#include "fixtures/generator.h"
#include "program_run.h"
#include "silent_listener.h"
#include "standin_database.h"
#include "standin_pair.h"

namespace zr::app::testing {
namespace {

using namespace std::chrono_literals;
using Rows = std::vector<std::vector<std::string>>;

struct SignalCase {
  const char* name;
  int signal;
  const char* says;
};
const SignalCase kSignals[] = {{"SIGTERM", SIGTERM, "interrompido (SIGTERM)"},
                               {"SIGINT", SIGINT, "interrompido (SIGINT)"}};

TEST(InterruptTest, EndsWhileWaitingForAServerThatNeverAnswers) {
  const std::string address = db::testing::ProcessLoopback(6);
  db::testing::SilentListener listener(address, 3050);
  ASSERT_TRUE(listener.Listening()) << "cannot listen on " << address << ":3050";
  const std::string dir = FreshDir("InterruptWhileConnecting");
  {
    std::ofstream ini(dir + "zr.ini");
    ini << "[banco]\nServidor=" << address
        << ":3050\nbase=/nowhere/zembra.fdb\nusuario=SYSDBA\nsenha=masterkey\n";
  }
  for (const SignalCase& c : kSignals) {
    SCOPED_TRACE(c.name);
    Started run = StartProgram(
        ZEMBRA_CLI, {"importar", "--empresa", "01", "--desde", "01/01/2000", "--ini", dir + "zr.ini"}, dir,
        "connect");
    // Long enough to be inside the client's connect call, far below its time-out.
    std::this_thread::sleep_for(1s);
    kill(run.Pid, c.signal);
    const Outcome o = WaitProgram(run, 10s);
    EXPECT_EQ(o.Exit, 1) << o.Out << o.Err;
    EXPECT_TRUE(Contains(o.Err, c.says)) << o.Err;
  }
  std::filesystem::remove_all(dir);
}

enum class Server { Firebird, Standin };

class InterruptActionTest : public ::testing::TestWithParam<Server> {
 protected:
  void SetUp() override {
    const std::vector<fixtures::CompanyInfo> companies = {{"01", "Confecção Zembra"}};
    const auto data = fixtures::GenerateCompany(
        {.Orders = 30, .PartsPerOrder = 2, .MaterialsPerPart = 3, .Products = 4, .Seed = 5});
    const std::string name = GetParam() == Server::Firebird ? "InterruptOnFirebird" : "InterruptOnStandin";
    if (GetParam() == Server::Firebird) {
      fb_ = TestDatabase::Create(name, companies);
      fb_->Session().LoadCompany("01", data);
      dir_ = fb_->Dir;
      ini_ = fb_->Ini;
    } else {
      if (StandinDisabled()) GTEST_SKIP() << "the Oracle stand-in is switched off (ZR_STANDIN=0)";
      dir_ = FreshDir(name);
      ora_ = std::make_unique<StandinDatabase>(dir_, companies);
      ora_->LoadCompany("01", data);
      ini_ = ora_->Ini;
    }
  }

  Rows Select(const std::string& sql) { return fb_ ? fb_->Select(sql) : ora_->Select(sql); }
  std::string Scalar(const std::string& sql) { return fb_ ? fb_->Scalar(sql) : ora_->Scalar(sql); }

  bool DeleteWaits() {
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

  std::vector<std::string> Import() const {
    return {"importar", "--empresa", "01", "--desde", "01/01/2000", "--ini", ini_};
  }

  std::unique_ptr<TestDatabase> fb_;
  std::unique_ptr<StandinDatabase> ora_;
  std::string dir_;
  std::string ini_;
};

TEST_P(InterruptActionTest, EndsInTheMiddleOfAnImportAndLeavesPcpftofAsItWas) {
  ASSERT_EQ(RunProgram(ZEMBRA_CLI, Import(), dir_).Exit, 0);
  // The status update marks some rows "B": a fresh import would turn them back to "A".
  ASSERT_EQ(
      RunProgram(ZEMBRA_CLI, {"situacao", "--empresa", "01", "--desde", "01/01/2000", "--ini", ini_}, dir_)
          .Exit,
      0);
  const Rows before = Select(kPcpftofSql);
  ASSERT_NE(Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE SITUACAO = 'B'"), "0");

  for (const SignalCase& c : kSignals) {
    SCOPED_TRACE(c.name);
    // An ordinary user holds the rows of the later orders, so the import rewrites a part of the company and
    // then waits.
    AppComponents user(ini_);
    user.C.QryAux->Close();
    user.C.QryAux->SQL().Clear();
    user.C.QryAux->SQL().Add("UPDATE PCPFTOF01 SET SITUACAO = SITUACAO WHERE NUMERO >= '000015'");
    user.C.QryAux->ExecSQL();
    user.C.ZRDatabase1->FlushWrites();  // the update reaches the server now and holds its rows

    Started run = StartProgram(ZEMBRA_CLI, Import(), dir_, "import");
    const bool waits = WaitUntil([&] { return DeleteWaits(); }, 30s);
    kill(run.Pid, c.signal);
    const Outcome o = WaitProgram(run, 10s);
    user.C.ZRTransaction1->RollbackRetaining();
    ASSERT_TRUE(waits) << o.Out << o.Err;

    EXPECT_EQ(o.Exit, 1) << o.Out << o.Err;
    EXPECT_TRUE(Contains(o.Err, c.says)) << o.Err;
    EXPECT_EQ(Select(kPcpftofSql), before);
  }
}

std::string ServerName(const ::testing::TestParamInfo<Server>& param) {
  return param.param == Server::Firebird ? "FirebirdServer" : "OracleStandin";
}

INSTANTIATE_TEST_SUITE_P(OnEachServer, InterruptActionTest,
                         ::testing::Values(Server::Firebird, Server::Standin), ServerName);

}  // namespace
}  // namespace zr::app::testing
