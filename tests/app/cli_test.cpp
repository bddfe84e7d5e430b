// zembra-cli as a scheduler runs it: arguments, exit codes, messages and the summary line.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app_test_support.h"
#include "company_data.h"
#include "program_run.h"

namespace zr::app::testing {
namespace {

namespace fs = std::filesystem;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = TestDatabase::Create(::testing::UnitTest::GetInstance()->current_test_info()->name(),
                               {{"01", "Confecção Zembra"}, {"02", "Malharia D'Ouro"}});
    CompanyData data(*db_, "01");
    for (const char* numero : {"000001", "000002"}) {
      data.Order(numero, "PRD1", "2018-02-01");
      data.Item(numero, 1, "5");
      data.Part(numero, "FRENTE");
    }
    data.Sheet("PRD1", 1, "MAT1", "FRENTE", "1", "S", "001", "AZUL");
    data.Sheet("PRD1", 2, "MAT2", "FRENTE", "1", "S", "001", "PRETO");
    data.Movement("000001/01", "MAT1", "AZUL", "S", "BC", "1");
  }

  Outcome Cli(std::vector<std::string> args) { return Run(ZEMBRA_CLI, args); }
  Outcome Run(const std::string& program, std::vector<std::string> args) {
    db_->Release();
    return RunProgram(program, args, db_->Dir);
  }
  std::vector<std::string> WithIni(std::vector<std::string> args) {
    args.push_back("--ini");
    args.push_back(db_->Ini);
    return args;
  }

  std::unique_ptr<TestDatabase> db_;
};

TEST_F(CliTest, BadArgumentsExitWithTwoAndSayWhatIsWrong) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {"no action", {}, "falta a ação"},
      {"an unknown action", {"exportar", "--empresa", "01", "--desde", "01/01/2018"}, "ação desconhecida"},
      {"no company", {"importar", "--desde", "01/01/2018"}, "falta --empresa"},
      {"no date", {"importar", "--empresa", "01"}, "falta --desde"},
      {"a date that does not exist", {"importar", "--empresa", "01", "--desde", "31/02/2018"}, "data inválida"},
      {"a date month first", {"importar", "--empresa", "01", "--desde", "2018-01-31"}, "data inválida"},
      {"an option without its value", {"importar", "--empresa"}, "falta o valor de --empresa"},
      {"the pending filter on the status update",
       {"situacao", "--empresa", "01", "--desde", "01/01/2018", "--pendente"},
       "--pendente vale só para importar"},
      {"an unknown option", {"importar", "--empresa", "01", "--desde", "01/01/2018", "--sim"}, "desconhecido"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome o = Cli(WithIni(c.args));
    EXPECT_EQ(o.Exit, 2);
    EXPECT_TRUE(Contains(o.Err, c.says)) << o.Err;
    EXPECT_TRUE(o.Out.empty()) << o.Out;
  }
}

TEST_F(CliTest, HelpExplainsTheActionsOptionsAndExitCodes) {
  const Outcome o = Cli({"--help"});
  EXPECT_EQ(o.Exit, 0);
  for (const char* part : {"importar", "situacao", "--empresa", "--desde", "--pendente", "--ini", "zr.ini",
                           "Código de saída"}) {
    EXPECT_TRUE(Contains(o.Out, part)) << part;
  }
}

TEST_F(CliTest, AnUnknownCompanyNamesTheCodesThatExist) {
  const Outcome o = Cli(WithIni({"importar", "--empresa", "99", "--desde", "01/01/2018"}));
  EXPECT_EQ(o.Exit, 2) << o.Err;
  EXPECT_TRUE(Contains(o.Err, "\"99\"")) << o.Err;
  EXPECT_TRUE(Contains(o.Err, "\"01\", \"02\"")) << o.Err;
}

TEST_F(CliTest, AFailedConnectionExitsWithOne) {
  const Outcome o = Cli({"importar", "--empresa", "01", "--desde", "01/01/2018", "--ini", db_->Dir + "none.ini"});
  EXPECT_EQ(o.Exit, 1);
  EXPECT_EQ(o.Err.rfind("Falha na conexão com o banco.\n", 0), 0u) << o.Err;
}

TEST_F(CliTest, ImportThenStatusUpdateReportTheirMessagesAndSummaries) {
  const Outcome imported = Cli(WithIni({"importar", "--empresa", "01", "--desde", "01/01/2018", "--pendente"}));
  EXPECT_EQ(imported.Exit, 0) << imported.Err;
  EXPECT_TRUE(Contains(imported.Out, "Importação concluída.\n")) << imported.Out;
  EXPECT_TRUE(Contains(imported.Out,
                       "importar: 2 de 2 ordens e partes processadas, 0 linhas excluídas, 4 gravadas, "))
      << imported.Out;
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE SITUACAO = 'A'"), "4");

  const Outcome updated = Cli(WithIni({"situacao", "--empresa", "01", "--desde", "01/01/2018"}));
  EXPECT_EQ(updated.Exit, 0) << updated.Err;
  EXPECT_TRUE(Contains(updated.Out, "Importação concluída.\n")) << updated.Out;
  EXPECT_TRUE(Contains(updated.Out, "situacao: 4 linhas lidas, 1 marcadas \"B\", ")) << updated.Out;
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE SITUACAO = 'B'"), "1");
}

TEST_F(CliTest, AFailedActionIsRolledBackAndExitsWithOne) {
  db_->Exec("CREATE EXCEPTION E_RECUSA 'pedido recusado'");
  db_->Exec(
      "CREATE TRIGGER TR_RECUSA FOR PCPFTOF01 BEFORE INSERT AS BEGIN IF (NEW.NUMERO = '000002') THEN EXCEPTION "
      "E_RECUSA; END");
  // Statement by statement, so that the failure comes while its order is handled (write-behind would report
  // it when the queue is sent, after the orders of its batch).
  std::ofstream(db_->Ini, std::ios::app | std::ios::binary) << "GravacaoAgrupada=0\r\n";
  const Outcome o = Cli(WithIni({"importar", "--empresa", "01", "--desde", "01/01/2018"}));
  EXPECT_EQ(o.Exit, 1);
  EXPECT_EQ(o.Out.rfind("Erro na importação.\n", 0), 0u) << o.Out;
  EXPECT_TRUE(Contains(o.Out, "pedido recusado")) << o.Out;
  EXPECT_TRUE(Contains(o.Out, "importar: 1 de 2 ordens e partes processadas")) << o.Out;
  EXPECT_TRUE(Contains(o.Out, " s (tudo desfeito)\n")) << o.Out;
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "0");
}

TEST_F(CliTest, AnEmptyDateTakesEveryOrderLikeTheWindowsEmptiedField) {
  CompanyData data(*db_, "01");
  data.Order("000003", "PRD1", "1950-05-05");
  data.Item("000003", 1, "5");
  data.Part("000003", "FRENTE");
  const Outcome o = Cli(WithIni({"importar", "--empresa", "01", "--desde", ""}));
  EXPECT_EQ(o.Exit, 0) << o.Err;
  EXPECT_TRUE(Contains(o.Out, "importar: 3 de 3 ordens e partes processadas")) << o.Out;
}

TEST_F(CliTest, WithoutIniItReadsZrIniNextToTheExecutable) {
  const std::string copy = db_->Dir + "bin/zembra-cli";
  fs::create_directories(db_->Dir + "bin");
  fs::copy_file(ZEMBRA_CLI, copy);
  fixtures::WriteZrIni(db_->Dir + "bin/zr.ini", db_->Target);
  const Outcome o = Run(copy, {"situacao", "--empresa", "02", "--desde", "01/01/2018"});
  EXPECT_EQ(o.Exit, 0) << o.Err;
  EXPECT_TRUE(Contains(o.Out, "situacao: 0 linhas lidas, 0 marcadas \"B\", ")) << o.Out;
}

}  // namespace
}  // namespace zr::app::testing
