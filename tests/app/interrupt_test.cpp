// zembra-cli ends on SIGINT or SIGTERM whatever it waits for: a server that never answers the connection, or
// a lock in the middle of an import. It exits with 1 and a message, and what the action wrote is undone.

#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "app_test_support.h"
#include "fixtures/generator.h"
#include "program_run.h"
#include "silent_listener.h"
#include "server_company_test.h"
#include "standin_pair.h"

namespace zr::app::testing {
namespace {

using namespace std::chrono_literals;

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
  {
    SCOPED_TRACE("with a report and the JSON object");
    const std::string report = dir + "r.csv";
    Started run = StartProgram(ZEMBRA_CLI,
                               {"importar", "--empresa", "01", "--desde", "01/01/2000", "--ini",
                                dir + "zr.ini", "--relatorio", report, "--json"},
                               dir, "connect-json");
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(std::filesystem::exists(report + ".parcial"));
    kill(run.Pid, SIGTERM);
    const Outcome o = WaitProgram(run, 10s);
    EXPECT_EQ(o.Exit, 1) << o.Out << o.Err;
    EXPECT_FALSE(std::filesystem::exists(report + ".parcial"));
    EXPECT_FALSE(std::filesystem::exists(report));
    EXPECT_TRUE(Contains(o.Out,
                         "\"contagens\":{\"ordens_partes\":0,\"processadas\":0,\"excluidas\":0,"
                         "\"gravadas\":0}"))
        << o.Out;
    EXPECT_TRUE(Contains(o.Out, "\"resultado\":\"interrompido\",\"codigo_saida\":1,")) << o.Out;
  }
  std::filesystem::remove_all(dir);
}

class InterruptActionTest : public ServerCompanyTest {
 protected:
  void SetUp() override {
    CreateCompany(GetParam() == Server::Firebird ? "InterruptOnFirebird" : "InterruptOnStandin",
                  {{"01", "Confecção Zembra"}},
                  {.Orders = 30, .PartsPerOrder = 2, .MaterialsPerPart = 3, .Products = 4, .Seed = 5});
  }

  std::vector<std::string> Import() const {
    return {"importar", "--empresa", "01", "--desde", "01/01/2000", "--ini", ini_};
  }
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

    // With a report and the JSON object asked for: the partial report goes, the object tells the interrupt.
    const std::string report = dir_ + "relatorio.csv";
    std::vector<std::string> args = Import();
    args.insert(args.end(), {"--relatorio", report, "--json"});
    Started run = StartProgram(ZEMBRA_CLI, args, dir_, "import");
    const bool waits = WaitUntil([&] { return DeleteWaits(); }, 30s);
    EXPECT_TRUE(std::filesystem::exists(report + ".parcial")) << "written into while the import runs";
    kill(run.Pid, c.signal);
    const Outcome o = WaitProgram(run, 10s);
    user.C.ZRTransaction1->RollbackRetaining();
    ASSERT_TRUE(waits) << o.Out << o.Err;

    EXPECT_EQ(o.Exit, 1) << o.Out << o.Err;
    EXPECT_TRUE(Contains(o.Err, c.says)) << o.Err;
    EXPECT_EQ(Select(kPcpftofSql), before);
    EXPECT_FALSE(std::filesystem::exists(report + ".parcial"));
    EXPECT_FALSE(std::filesystem::exists(report));
    EXPECT_EQ(o.Out.rfind("{\"acao\":\"importar\",\"empresa\":\"01\",\"desde\":\"2000-01-01\",", 0), 0u)
        << o.Out;
    EXPECT_TRUE(
        Contains(o.Out, "\"resultado\":\"interrompido\",\"codigo_saida\":1,\"mensagem\":\"zembra-cli: " +
                            std::string(c.says) +
                            "; o que não estava confirmado foi desfeito.\\n"
                            "Relatório não gravado: \\\"" +
                            report + "\\\".\"}\n"))
        << o.Out;
    EXPECT_EQ(std::count(o.Out.begin(), o.Out.end(), '\n'), 1) << o.Out;
  }
}

INSTANTIATE_TEST_SUITE_P(OnEachServer, InterruptActionTest,
                         ::testing::Values(Server::Firebird, Server::Standin), ServerName);

}  // namespace
}  // namespace zr::app::testing
