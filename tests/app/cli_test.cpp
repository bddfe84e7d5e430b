// zembra-cli as a scheduler runs it: arguments, exit codes, messages, the summary line, the simulation, the
// report and the JSON summary. On the server target only the tests whose outcome depends on the database run
// (the actions, their transaction, their counts); the rest does not change with the server.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "app_test_support.h"
#include "company_data.h"
#include "program_run.h"
#include "support/targets.h"

namespace zr::app::testing {
namespace {

namespace fs = std::filesystem;

// Tests whose outcome does not depend on the database run once, on the embedded target.
#define ZR_EMBEDDED_ONLY()                                                     \
  do {                                                                         \
    if (testsupport::CurrentTarget() != testsupport::Target::EmbeddedFirebird) \
      GTEST_SKIP() << "the same on every target: runs on the embedded one";    \
  } while (false)

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

// Standard error without the progress lines written to a log before the messages.
std::string WithoutProgress(const std::string& err) {
  return std::regex_replace(err, std::regex("ordens e partes: [0-9]+ de [0-9]+ \\([0-9]+%\\)\n"), "");
}

TEST_F(CliTest, BadArgumentsExitWithTwoAndSayWhatIsWrong) {
  ZR_EMBEDDED_ONLY();
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
      {"a date that does not exist",
       {"importar", "--empresa", "01", "--desde", "31/02/2018"},
       "data inválida"},
      {"a date month first", {"importar", "--empresa", "01", "--desde", "2018-01-31"}, "data inválida"},
      {"an option without its value", {"importar", "--empresa"}, "falta o valor de --empresa"},
      {"the pending filter on the status update",
       {"situacao", "--empresa", "01", "--desde", "01/01/2018", "--pendente"},
       "--pendente vale só para importar"},
      {"an unknown option",
       {"importar", "--empresa", "01", "--desde", "01/01/2018", "--sim"},
       "desconhecido"},
      {"a report without its file",
       {"importar", "--empresa", "01", "--desde", "01/01/2018", "--relatorio"},
       "falta o valor de --relatorio"},
      {"the company twice",
       {"importar", "--empresa", "01", "--desde", "01/01/2018", "--empresa", "02"},
       "a opção --empresa foi dada mais de uma vez"},
      {"the date twice",
       {"situacao", "--desde", "01/01/2018", "--empresa", "01", "--desde", "01/01/2019"},
       "a opção --desde foi dada mais de uma vez"},
      {"the pending filter twice",
       {"importar", "--empresa", "01", "--desde", "01/01/2018", "--pendente", "--pendente"},
       "a opção --pendente foi dada mais de uma vez"},
      {"the simulation twice",
       {"importar", "--empresa", "01", "--desde", "01/01/2018", "--simular", "--simular"},
       "a opção --simular foi dada mais de uma vez"},
      {"the report twice",
       {"importar", "--empresa", "01", "--desde", "01/01/2018", "--relatorio", "a.csv", "--relatorio",
        "b.csv"},
       "a opção --relatorio foi dada mais de uma vez"},
      {"the SQL log twice, once with a folder",
       {"importar", "--empresa", "01", "--desde", "01/01/2018", "--log-sql", "logs", "--log-sql"},
       "a opção --log-sql foi dada mais de uma vez"},
      {"the JSON summary twice",
       {"importar", "--empresa", "01", "--desde", "01/01/2018", "--json", "--json"},
       "a opção --json foi dada mais de uma vez"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome o = Cli(WithIni(c.args));
    EXPECT_EQ(o.Exit, 2) << o.Err;
    EXPECT_TRUE(Contains(o.Err, c.says)) << o.Err;
    const bool json = std::find(c.args.begin(), c.args.end(), "--json") != c.args.end();
    EXPECT_EQ(o.Out.empty(), !json) << o.Out;
  }
  // With --json a refused command line still gives its one object.
  const Outcome o =
      Cli(WithIni({"importar", "--json", "--empresa", "01", "--empresa", "02", "--desde", "01/01/2018"}));
  EXPECT_EQ(o.Exit, 2);
  EXPECT_EQ(
      o.Out,
      "{\"resultado\":\"erro\",\"codigo_saida\":2,\"mensagem\":\"zembra-cli: a opção --empresa foi dada mais "
      "de uma vez.\"}\n");
}

TEST_F(CliTest, HelpExplainsTheActionsOptionsAndExitCodes) {
  ZR_EMBEDDED_ONLY();
  const Outcome o = Cli({"--help"});
  EXPECT_EQ(o.Exit, 0);
  for (const char* part :
       {"importar", "situacao", "--empresa", "--desde", "--pendente", "--ini", "zr.ini", "--simular",
        "--relatorio", "--json", "--log-sql", "Código de saída", "3 ação concluída"}) {
    EXPECT_TRUE(Contains(o.Out, part)) << part;
  }
}

TEST_F(CliTest, AnUnknownCompanyNamesTheCodesThatExist) {
  ZR_EMBEDDED_ONLY();
  const Outcome o = Cli(WithIni({"importar", "--empresa", "99", "--desde", "01/01/2018"}));
  EXPECT_EQ(o.Exit, 2) << o.Err;
  EXPECT_TRUE(Contains(o.Err, "\"99\"")) << o.Err;
  EXPECT_TRUE(Contains(o.Err, "\"01\", \"02\"")) << o.Err;
}

TEST_F(CliTest, AFailedConnectionExitsWithOneAndNamesTheSettingsFileRead) {
  ZR_EMBEDDED_ONLY();
  fs::create_directories(db_->Dir + "folder.ini");
  std::ofstream(db_->Dir + "empty.ini") << "[banco]\n";
  struct Case {
    const char* name;
    std::string ini;
    std::string note;
    // The note is the error's own message, the one line after the first: a file that could not be read gave
    // every key the empty value, and the connection's complaint about them is left out.
    bool onlyLine;
  };
  const Case cases[] = {
      {"a missing file", db_->Dir + "none.ini",
       "Arquivo de configuração não encontrado: " + db_->Dir + "none.ini", true},
      {"a folder", db_->Dir + "folder.ini", "Arquivo de configuração é uma pasta: " + db_->Dir + "folder.ini",
       true},
      {"a file without the settings", db_->Dir + "empty.ini",
       "Arquivo de configuração lido: " + db_->Dir + "empty.ini", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome o = Cli({"importar", "--empresa", "01", "--desde", "01/01/2018", "--ini", c.ini});
    EXPECT_EQ(o.Exit, 1);
    EXPECT_EQ(o.Err.rfind("Falha na conexão com o banco.\n", 0), 0u) << o.Err;
    EXPECT_TRUE(Contains(o.Err, "\n" + c.note + "\n")) << o.Err;
    EXPECT_EQ(o.Err.find("Arquivo de configuração"), o.Err.rfind("Arquivo de configuração")) << o.Err;
    if (c.onlyLine) {
      EXPECT_EQ(o.Err, "Falha na conexão com o banco.\n" + c.note + "\n");
    } else {
      EXPECT_TRUE(
          Contains(o.Err, "Falha na conexão com o banco.\nThe connection parameter Database is empty"))
          << o.Err;
    }
    EXPECT_EQ(o.Out, "");
  }
}

TEST_F(CliTest, ACommonRefusalGetsAPortugueseLineAfterTheServersWholeMessage) {
  for (const RefusalCase& c : RefusalCases(*db_)) {
    SCOPED_TRACE(c.Name);
    // The test's own attachment holds the embedded database where another program must hold it.
    if (c.HeldElsewhere) db_->Session();
    const Outcome o =
        c.HeldElsewhere
            ? RunProgram(ZEMBRA_CLI, {"situacao", "--empresa", "01", "--desde", "01/01/2018", "--ini", c.Ini},
                         db_->Dir)
            : Cli({"situacao", "--empresa", "01", "--desde", "01/01/2018", "--ini", c.Ini});
    EXPECT_EQ(o.Exit, 1);
    EXPECT_EQ(o.Err.rfind("Falha na conexão com o banco.\n", 0), 0u) << o.Err;
    const size_t server = o.Err.find(c.Server);
    ASSERT_NE(server, std::string::npos) << o.Err;
    const size_t advice = o.Err.find("\n" + c.Advice + "\n");
    ASSERT_NE(advice, std::string::npos) << o.Err;
    EXPECT_LT(server, advice) << "the server's words come first";
    EXPECT_TRUE(Contains(o.Err, "\n" + c.Advice + "\nArquivo de configuração lido: " + c.Ini + "\n"))
        << o.Err;
    db_->Release();
  }
}

TEST_F(CliTest, AnOverlongSettingNamesItsKey) {
  ZR_EMBEDDED_ONLY();
  std::ifstream in(db_->Ini);
  const std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* key : {"Servidor", "base", "usuario", "senha", "banco"}) {
    SCOPED_TRACE(key);
    // The key goes first in the section, so that it is the one read.
    std::string big = ini;
    big.insert(big.find('\n', big.find("[banco]")) + 1,
               std::string(key) + "=127.0.0.1:" + std::string(1 << 20, 'x') + "\n");
    const std::string path = db_->Dir + "big.ini";
    std::ofstream(path, std::ios::trunc) << big;
    const Outcome o = Cli({"situacao", "--empresa", "01", "--desde", "01/01/2018", "--ini", path});
    EXPECT_EQ(o.Exit, 1);
    EXPECT_TRUE(Contains(
        o.Err, "Falha na conexão com o banco.\nO valor de \"" + std::string(key) +
                   "\" na seção [banco] de zr.ini é longo demais: 1048586 bytes, o máximo é 32767.\n"))
        << o.Err.substr(0, 300);
    EXPECT_FALSE(Contains(o.Err, "Clumplet")) << o.Err.substr(0, 300);
  }
}

TEST_F(CliTest, ASettingsFileThatIsNotARegularFileIsRefusedAtOnce) {
  const std::string fifo = db_->Dir + "fifo.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directories(db_->Dir + "folder.ini");
  struct Case {
    const char* name;
    std::string ini;
    std::string line;  // the refusal, which names the file and says what it is
  };
  const Case cases[] = {
      {"a pipe that no one writes", fifo, "Arquivo de configuração não é um arquivo comum: " + fifo},
      {"a folder", db_->Dir + "folder.ini",
       "Arquivo de configuração é uma pasta: " + db_->Dir + "folder.ini"},
      {"a device", "/dev/null", "Arquivo de configuração não é um arquivo comum: /dev/null"}};
  db_->Release();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Reading a pipe would wait for ever: the run is bounded and killed if it hangs.
    Started run =
        StartProgram(ZEMBRA_CLI, {"importar", "--empresa", "01", "--desde", "01/01/2018", "--ini", c.ini},
                     db_->Dir, "settings");
    const Outcome o = WaitProgram(run, std::chrono::seconds(30));
    EXPECT_EQ(o.Exit, 1);
    EXPECT_EQ(o.Out, "");
    EXPECT_EQ(o.Err, "Falha na conexão com o banco.\n" + c.line + "\n");
  }
}

TEST_F(CliTest, ImportThenStatusUpdateReportTheirMessagesAndSummaries) {
  const Outcome imported =
      Cli(WithIni({"importar", "--empresa", "01", "--desde", "01/01/2018", "--pendente"}));
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
  EXPECT_EQ(WithoutProgress(o.Err).rfind("Erro na importação.\n", 0), 0u) << o.Err;
  EXPECT_TRUE(Contains(o.Err, "pedido recusado")) << o.Err;
  EXPECT_FALSE(Contains(o.Out, "Erro")) << "errors go to stderr only: " << o.Out;
  EXPECT_TRUE(Contains(o.Out, "importar: 1 de 2 ordens e partes processadas")) << o.Out;
  EXPECT_TRUE(Contains(o.Out, " s (tudo desfeito)\n")) << o.Out;
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "0");
}

TEST_F(CliTest, LineEndsInAnErrorMessagePrintAsSingleLineEnds) {
  ZR_EMBEDDED_ONLY();
  // The deadlock message carries the statement's CR LF line ends; so does this exception's text.
  db_->Exec("CREATE EXCEPTION E_RECUSA 'primeira linha\r\nsegunda linha\rterceira'");
  db_->Exec("CREATE TRIGGER TR_RECUSA FOR PCPFTOF01 BEFORE INSERT AS BEGIN EXCEPTION E_RECUSA; END");
  const Outcome o = Cli(WithIni({"importar", "--empresa", "01", "--desde", "01/01/2018"}));
  EXPECT_EQ(o.Exit, 1);
  EXPECT_TRUE(Contains(o.Err, "\n-primeira linha\nsegunda linha\nterceira\n-At trigger")) << o.Err;
  EXPECT_FALSE(Contains(o.Err, "\r")) << o.Err;
  EXPECT_FALSE(Contains(o.Err, "\n\n")) << o.Err;
}

TEST_F(CliTest, AnEmptyDateTakesEveryOrderLikeTheWindowsEmptiedField) {
  ZR_EMBEDDED_ONLY();
  CompanyData data(*db_, "01");
  data.Order("000003", "PRD1", "1950-05-05");
  data.Item("000003", 1, "5");
  data.Part("000003", "FRENTE");
  const Outcome o = Cli(WithIni({"importar", "--empresa", "01", "--desde", ""}));
  EXPECT_EQ(o.Exit, 0) << o.Err;
  EXPECT_TRUE(Contains(o.Out, "importar: 3 de 3 ordens e partes processadas")) << o.Out;
}

TEST_F(CliTest, WithoutIniItReadsZrIniNextToTheExecutable) {
  ZR_EMBEDDED_ONLY();
  const std::string copy = db_->Dir + "bin/zembra-cli";
  fs::create_directories(db_->Dir + "bin");
  fs::copy_file(ZEMBRA_CLI, copy);
  fixtures::WriteZrIni(db_->Dir + "bin/zr.ini", db_->Target);
  const Outcome o = Run(copy, {"situacao", "--empresa", "02", "--desde", "01/01/2018"});
  EXPECT_EQ(o.Exit, 0) << o.Err;
  EXPECT_TRUE(Contains(o.Out, "situacao: 0 linhas lidas, 0 marcadas \"B\", ")) << o.Out;
}

// True when `text` is well-formed UTF-8.
bool ValidUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

TEST_F(CliTest, AMessageAboutAnAccentedCompanyCodeKeepsWholeCharacters) {
  ZR_EMBEDDED_ONLY();
  // Company tables named with an accented code are not valid plain identifiers on Firebird: the engine
  // reports the first byte of the offending character as the unknown token.
  db_->Exec("INSERT INTO EMPRESA (EMP_PAT, EMP_NOME) VALUES ('Ç1', 'Acentuada')");
  const Outcome o = Cli(WithIni({"importar", "--empresa", "Ç1", "--desde", "01/01/2018", "--json"}));
  EXPECT_EQ(o.Exit, 1);
  EXPECT_TRUE(Contains(o.Err, "Token unknown")) << o.Err;
  EXPECT_TRUE(ValidUtf8(o.Err)) << o.Err;
  EXPECT_TRUE(ValidUtf8(o.Out)) << o.Out;
  EXPECT_TRUE(Contains(o.Out, "\"empresa\":\"Ç1\"")) << o.Out;
}

// PCPFTOF whole, every column as text, in one order.
std::vector<std::vector<std::string>> WholePcpftof(TestDatabase& db) {
  return db.Select(
      "SELECT NUMERO, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, COR, COR_I, ID, CUSTO, SITUACAO, DATA "
      "FROM PCPFTOF01 ORDER BY NUMERO, PARTE, ID, COR, COR_I, SITUACAO, DATA");
}

// The JSON object with its time replaced by S.
std::string WithoutSeconds(const std::string& json) {
  return std::regex_replace(json, std::regex("\"segundos\":[0-9.]+"), "\"segundos\":S");
}

// The lines after the header, sorted: the servers list orders without ORDER BY.
std::vector<std::string> SortedBody(const std::string& csv) {
  std::vector<std::string> lines;
  size_t start = csv.find("\r\n");
  if (start == std::string::npos) return lines;
  start += 2;
  for (size_t end = csv.find("\r\n", start); end != std::string::npos; end = csv.find("\r\n", start)) {
    lines.push_back(csv.substr(start, end - start));
    start = end + 2;
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST_F(CliTest, ASimulationShowsWhatTheRunWouldDoAndWritesNothing) {
  ASSERT_EQ(Cli(WithIni({"importar", "--empresa", "01", "--desde", "01/01/2018"})).Exit, 0);
  ASSERT_EQ(Cli(WithIni({"situacao", "--empresa", "01", "--desde", "01/01/2018"})).Exit, 0);
  ASSERT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE SITUACAO = 'B'"), "1");

  struct Step {
    const char* name;
    std::vector<std::string> args;
    const char* summary;
    const char* simulated;  // what only the simulation says, after the counts
    const char* counts;
  };
  const Step steps[] = {
      {"a re-import, which would turn the B mark back into A",
       {"importar", "--empresa", "01", "--desde", "01/01/2018"},
       "importar: 2 de 2 ordens e partes processadas, 4 linhas excluídas, 4 gravadas, ",
       "1 marcas \"B\" voltariam a \"A\", ",
       "\"contagens\":{\"ordens_partes\":2,\"processadas\":2,\"excluidas\":4,\"gravadas\":4}"},
      {"the status update that marks it again",
       {"situacao", "--empresa", "01", "--desde", "01/01/2018"},
       "situacao: 4 linhas lidas, 1 marcadas \"B\", ",
       "",
       "\"contagens\":{\"linhas_lidas\":4,\"marcadas\":1}"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    const auto before = WholePcpftof(*db_);
    std::vector<std::string> simulated = WithIni(s.args);
    simulated.insert(simulated.end(), {"--simular", "--relatorio", db_->Dir + "sim.csv"});
    const Outcome sim = Cli(simulated);
    EXPECT_EQ(sim.Exit, 0) << sim.Err;
    EXPECT_TRUE(Contains(sim.Out, "Importação concluída.\n")) << sim.Out;
    EXPECT_TRUE(Contains(sim.Out, s.summary + std::string(s.simulated))) << sim.Out;
    EXPECT_TRUE(Contains(sim.Out, " s (simulação: nada foi gravado, tudo desfeito)\n")) << sim.Out;
    EXPECT_EQ(WholePcpftof(*db_), before) << "PCPFTOF is left exactly as it was";

    std::vector<std::string> real = WithIni(s.args);
    real.insert(real.end(), {"--relatorio", db_->Dir + "real.csv", "--json"});
    const Outcome run = Cli(real);
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_TRUE(Contains(run.Err, s.summary)) << "the same counts, now done: " << run.Err;
    EXPECT_TRUE(Contains(run.Out, s.counts)) << run.Out;
    EXPECT_NE(WholePcpftof(*db_), before);
    EXPECT_EQ(ReadFile(db_->Dir + "sim.csv"), ReadFile(db_->Dir + "real.csv"))
        << "the simulation reported the run";
  }
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE SITUACAO = 'B'"), "1");
}

TEST_F(CliTest, ASimulationSucceedsWhereTheRunWouldEvenWhenTheMarksCannotBeCounted) {
  // Company 02 lists no order, so the import never touches its PCPFTOF, which is missing.
  db_->Exec("DROP TABLE PCPFTOF02");
  const Outcome sim =
      Cli(WithIni({"importar", "--empresa", "02", "--desde", "01/01/2018", "--simular", "--json"}));
  EXPECT_EQ(sim.Exit, 0) << sim.Err;
  EXPECT_TRUE(
      Contains(sim.Err, "importar: 0 de 0 ordens e partes processadas, 0 linhas excluídas, 0 gravadas, "))
      << sim.Err;
  EXPECT_FALSE(Contains(sim.Err, "voltariam")) << sim.Err;
  EXPECT_FALSE(Contains(sim.Out, "marcas_b")) << sim.Out;
  EXPECT_EQ(Cli(WithIni({"importar", "--empresa", "02", "--desde", "01/01/2018"})).Exit, 0);
}

TEST_F(CliTest, AFailingSimulationExitsWithOneAndTheMessage) {
  db_->Exec("CREATE EXCEPTION E_RECUSA 'pedido recusado'");
  db_->Exec(
      "CREATE TRIGGER TR_RECUSA FOR PCPFTOF01 BEFORE INSERT AS BEGIN IF (NEW.NUMERO = '000002') THEN EXCEPTION "
      "E_RECUSA; END");
  const Outcome o = Cli(WithIni({"importar", "--empresa", "01", "--desde", "01/01/2018", "--simular"}));
  EXPECT_EQ(o.Exit, 1);
  EXPECT_EQ(WithoutProgress(o.Err).rfind("Erro na importação.\n", 0), 0u) << o.Err;
  EXPECT_TRUE(Contains(o.Err, "pedido recusado")) << o.Err;
  EXPECT_TRUE(Contains(o.Out, " s (tudo desfeito; simulação: nada foi gravado)\n")) << o.Out;
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "0");
}

TEST_F(CliTest, TheReportListsEachOrderAndPartImportedAndEachUpdateThatMarkedRows) {
  CompanyData data(*db_, "01");
  data.Order("000003", "PRD2", "2018-02-01");  // a product without a sheet: nothing deleted or written
  data.Item("000003", 1, "5");
  data.Part("000003", "FRENTE");
  data.Existing("000003", "MAT9", "FRENTE", 1, "CRU", "A", "2017-05-05");
  data.Order("000004", "PRD1", "2018-02-01");  // a part no sheet material has, with the separator in it
  data.Item("000004", 1, "5");
  data.Part("000004", "A;\"B\"");
  data.Existing("000001", "MAT1", "FRENTE", 1, "AZUL", "B", "2017-05-05");
  data.Existing("000001", "MAT1", "FRENTE", 7, "AZUL", "B", "2017-05-05");
  data.Existing("000001", "MAT1", "FRENTE", 8, "AZUL", "B", "2017-05-05");

  const std::string report = db_->Dir + "importar.csv";
  const Outcome imported =
      Cli(WithIni({"importar", "--empresa", "01", "--desde", "01/01/2018", "--relatorio", report}));
  ASSERT_EQ(imported.Exit, 0) << imported.Err;
  const std::string csv = ReadFile(report);
  EXPECT_EQ(csv.substr(0, csv.find("\r\n") + 2), "numero;parte;produto;excluidas;gravadas\r\n");
  EXPECT_EQ(SortedBody(csv),
            (std::vector<std::string>{"000001;FRENTE;PRD1;3;2", "000002;FRENTE;PRD1;0;2",
                                      "000003;FRENTE;PRD2;0;0", "000004;\"A;\"\"B\"\"\";PRD1;0;0"}));

  // Two listed rows of order 000002, material MAT2 and colour PRETO: the first update marks both, the
  // second changes nothing and is not reported.
  data.Existing("000002", "MAT2", "COSTAS", 9, "PRETO", "A", "2018-01-05");
  db_->Exec(
      "INSERT INTO MAT_MOV01 (LANCAMENTO, NUM_DOCTO, CODIGO, COR, OPERACAO, TP_MOV, QTDE, DATA) "
      "VALUES (99, '000002', 'MAT2', 'PRETO', 'S', 'BC', 2, CURRENT_DATE)");
  const std::string marks = db_->Dir + "situacao.csv";
  const Outcome updated =
      Cli(WithIni({"situacao", "--empresa", "01", "--desde", "01/01/2018", "--relatorio", marks}));
  ASSERT_EQ(updated.Exit, 0) << updated.Err;
  EXPECT_TRUE(Contains(updated.Out, "situacao: 5 linhas lidas, 3 marcadas \"B\", ")) << updated.Out;
  const std::string csv2 = ReadFile(marks);
  EXPECT_EQ(csv2.substr(0, csv2.find("\r\n") + 2), "numero;insumo;cor;marcadas\r\n");
  EXPECT_EQ(SortedBody(csv2), (std::vector<std::string>{"000001;MAT1;AZUL;1", "000002;MAT2;PRETO;2"}));
}

TEST_F(CliTest, TheReportIsWrittenWhereALinkPipeOrDeviceLeadsAndNeverReplacesThem) {
  ZR_EMBEDDED_ONLY();
  const std::string header = "numero;insumo;cor;marcadas\r\n";
  const std::vector<std::string> run = WithIni({"situacao", "--empresa", "01", "--desde", "01/01/2018"});
  const auto withReport = [&](const std::string& report) {
    std::vector<std::string> args = run;
    args.insert(args.end(), {"--relatorio", report});
    return args;
  };

  {
    SCOPED_TRACE("a link to a file: the file gets the report, the link stays");
    const std::string file = db_->Dir + "dia.csv", link = db_->Dir + "ultimo.csv";
    std::ofstream(file) << "an earlier run's report\r\n";
    fs::create_symlink(file, link);
    const Outcome o = Cli(withReport(link));
    EXPECT_EQ(o.Exit, 0) << o.Err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(file), header);
    EXPECT_FALSE(fs::exists(link + ".parcial"));
  }
  for (const std::string& stdoutPath : {std::string("/dev/stdout"), std::string("/proc/self/fd/1")}) {
    SCOPED_TRACE("a link to the descriptor of a redirected output: " + stdoutPath);
    const std::string link = db_->Dir + "saida.csv";
    fs::remove(link);
    fs::create_symlink(stdoutPath, link);
    for (const std::string& report : {link, stdoutPath}) {
      const Outcome o = Cli(withReport(report));
      EXPECT_EQ(o.Exit, 0) << o.Err;
      EXPECT_TRUE(fs::is_symlink(link));
      // The report follows what the program printed there, in the same file.
      EXPECT_EQ(o.Out.rfind("Importação concluída.\nsituacao: ", 0), 0u) << o.Out;
      EXPECT_TRUE(Contains(o.Out, "s\n" + header)) << o.Out;
    }
  }
  EXPECT_TRUE(fs::is_symlink("/dev/stdout"));
  {
    SCOPED_TRACE("a pipe: its reader gets the report");
    const std::string pipe = db_->Dir + "relatorio.fifo";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::string read;
    std::thread reader([&] { read = ReadFile(pipe); });
    const Outcome o = Cli(withReport(pipe));
    // A run that never opened the pipe would leave the reader waiting: open and close it once.
    const int unblock = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    if (unblock >= 0) close(unblock);
    reader.join();
    EXPECT_EQ(o.Exit, 0) << o.Err;
    EXPECT_EQ(read, header);
    EXPECT_EQ(fs::status(pipe).type(), fs::file_type::fifo);
    EXPECT_FALSE(fs::exists(pipe + ".parcial"));
  }
  {
    SCOPED_TRACE("a link to a device");
    const std::string link = db_->Dir + "nada.csv";
    fs::create_symlink("/dev/null", link);
    const Outcome o = Cli(withReport(link));
    EXPECT_EQ(o.Exit, 0) << o.Err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::status("/dev/null").type(), fs::file_type::character);
    EXPECT_FALSE(fs::exists(link + ".parcial"));
  }
}

TEST_F(CliTest, OptionsMayComeBeforeTheActionAndDatesAreTypedAsInTheWindow) {
  ZR_EMBEDDED_ONLY();
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* desde;  // as the JSON object gives it
  };
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string year = std::to_string(local.tm_year + 1900);
  const Case cases[] = {
      {"every option before the action",
       {"--empresa", "01", "--desde", "01/01/2024", "situacao"},
       "2024-01-01"},
      {"the action between options", {"--empresa", "01", "situacao", "--desde", "1.6.2017"}, "2017-06-01"},
      {"dashes", {"situacao", "--empresa", "01", "--desde", "1-6-2017"}, "2017-06-01"},
      {"digits only, two-digit year", {"situacao", "--empresa", "01", "--desde", "010617"}, "2017-06-01"},
      {"one-digit day and month, two-digit year",
       {"situacao", "--empresa", "01", "--desde", "1/6/17"},
       "2017-06-01"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = WithIni(c.args);
    args.push_back("--json");
    const Outcome o = Cli(args);
    EXPECT_EQ(o.Exit, 0) << o.Err;
    EXPECT_TRUE(Contains(o.Out, std::string("\"desde\":\"") + c.desde + "\"")) << o.Out;
  }
  const Outcome dayAndMonth = Cli(WithIni({"situacao", "--empresa", "01", "--desde", "15.6", "--json"}));
  EXPECT_TRUE(Contains(dayAndMonth.Out, "\"desde\":\"" + year + "-06-15\"")) << dayAndMonth.Out;

  const Outcome bad = Cli(WithIni({"--desde", "31.06.2017", "--empresa", "01", "situacao"}));
  EXPECT_EQ(bad.Exit, 2);
  EXPECT_TRUE(
      Contains(bad.Err,
               "zembra-cli: data inválida \"31.06.2017\": junho de 2017 não tem dia 31. Use DD/MM/AAAA, "
               "por exemplo 31/01/2018.\n"))
      << bad.Err;
  const Outcome twoActions = Cli(WithIni({"situacao", "--empresa", "01", "--desde", "", "importar"}));
  EXPECT_EQ(twoActions.Exit, 2);
  EXPECT_TRUE(Contains(twoActions.Err, "argumento desconhecido \"importar\"")) << twoActions.Err;
}

TEST_F(CliTest, ProgressGoesToALogOneLinePerTenthOfTheWork) {
  ZR_EMBEDDED_ONLY();
  CompanyData data(*db_, "01");
  for (int n = 10; n < 30; ++n) {
    const std::string numero = "0000" + std::to_string(n);
    data.Order(numero, "PRD1", "2018-02-01");
    data.Item(numero, 1, "5");
    data.Part(numero, "FRENTE");
  }
  const Outcome o = Cli(WithIni({"importar", "--empresa", "01", "--desde", "01/01/2018"}));
  ASSERT_EQ(o.Exit, 0) << o.Err;
  std::string expected;
  for (int tenth = 1; tenth <= 10; ++tenth) {
    expected += "ordens e partes: " + std::to_string((tenth * 22 + 9) / 10) + " de 22 (" +
                std::to_string(tenth * 10) + "%)\n";
  }
  EXPECT_EQ(o.Err, expected);
  EXPECT_FALSE(Contains(o.Err, "\r"));
}

TEST_F(CliTest, TheStatusUpdateTellsALogEveryThousandRowsRead) {
  ZR_EMBEDDED_ONLY();
  // 2048 rows of a material never withdrawn: read, none marked. One row, doubled eleven times.
  CompanyData(*db_, "01").Existing("000001", "MAT7", "FRENTE", 0, "CRU", "A", "2018-01-05");
  for (int rows = 1; rows < 2048; rows *= 2) {
    db_->Exec(
        "INSERT INTO PCPFTOF01 (NUMERO, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, COR, COR_I, ID, "
        "CUSTO, SITUACAO, DATA) SELECT NUMERO, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, COR, COR_I, "
        "ID + " +
        std::to_string(rows) + ", CUSTO, SITUACAO, DATA FROM PCPFTOF01");
  }
  const Outcome o = Cli(WithIni({"situacao", "--empresa", "01", "--desde", "01/01/2018"}));
  ASSERT_EQ(o.Exit, 0) << o.Err;
  EXPECT_EQ(o.Err, "linhas de situação lidas: 1000\nlinhas de situação lidas: 2000\n");
}

TEST_F(CliTest, AFailureLeavesNoReportAndSaysSo) {
  const std::string report = db_->Dir + "relatorio.csv";
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int exit;
  };
  const Case cases[] = {
      {"a failed action", WithIni({"importar", "--empresa", "01", "--desde", "01/01/2018"}), 1},
      {"a failed simulation", WithIni({"importar", "--empresa", "01", "--desde", "01/01/2018", "--simular"}),
       1},
      {"an unknown company", WithIni({"importar", "--empresa", "77", "--desde", "01/01/2018"}), 2},
      {"a failed connection",
       {"importar", "--empresa", "01", "--desde", "01/01/2018", "--ini", db_->Dir + "no.ini"},
       1},
  };
  db_->Exec("CREATE EXCEPTION E_RECUSA 'pedido recusado'");
  db_->Exec(
      "CREATE TRIGGER TR_RECUSA FOR PCPFTOF01 BEFORE INSERT AS BEGIN IF (NEW.NUMERO = '000002') THEN EXCEPTION "
      "E_RECUSA; END");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(report);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--relatorio", report, "--json"});
    const Outcome o = Cli(args);
    EXPECT_EQ(o.Exit, c.exit) << o.Err;
    EXPECT_FALSE(fs::exists(report)) << "no report describes work that did not happen";
    EXPECT_FALSE(fs::exists(report + ".parcial"));

    // A file already at that path, an earlier day's report, is left as it was.
    std::ofstream(report) << "an earlier run's report\r\n";
    EXPECT_EQ(Cli(args).Exit, c.exit);
    EXPECT_EQ(ReadFile(report), "an earlier run's report\r\n");
    EXPECT_FALSE(fs::exists(report + ".parcial"));
    EXPECT_TRUE(Contains(o.Err, "Relatório não gravado: \"" + report + "\".\n")) << o.Err;
    EXPECT_TRUE(Contains(o.Out, "Relatório não gravado")) << "the JSON message says it too: " << o.Out;
  }
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "0");
}

TEST_F(CliTest, AReportThatCannotBeCreatedStopsTheRunBeforeAnythingIsDone) {
  ZR_EMBEDDED_ONLY();
  const std::string ini = ReadFile(db_->Ini);
  struct Case {
    const char* name;
    std::string report;
    std::string says;
  };
  const Case cases[] = {
      {"a folder that does not exist", db_->Dir + "no/such/folder/r.csv",
       "zembra-cli: o relatório \"" + db_->Dir +
           "no/such/folder/r.csv\" não pode ser criado: arquivo ou pasta não encontrado.\n"},
      {"the settings file itself", db_->Ini,
       "zembra-cli: o relatório não pode ser o arquivo de configuração \"" + db_->Ini + "\"."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome o =
        Cli(WithIni({"importar", "--empresa", "01", "--desde", "01/01/2018", "--relatorio", c.report}));
    EXPECT_EQ(o.Exit, 2);
    EXPECT_TRUE(Contains(o.Err, c.says)) << o.Err;
    EXPECT_EQ(o.Out, "");
    EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "0");
    EXPECT_EQ(ReadFile(db_->Ini), ini);
  }
}

TEST_F(CliTest, AReportThatCannotBeWrittenAfterTheCommitExitsWithThree) {
  // A full disk: the file opens, the write fails. A device named as the report is never removed.
  const Outcome o = Cli(WithIni(
      {"importar", "--empresa", "01", "--desde", "01/01/2018", "--relatorio", "/dev/full", "--json"}));
  EXPECT_EQ(o.Exit, 3) << o.Err;
  EXPECT_TRUE(Contains(o.Err, "A ação foi concluída, mas o relatório \"/dev/full\" não pôde ser gravado: "))
      << o.Err;
  EXPECT_TRUE(Contains(o.Out, "\"resultado\":\"erro\",\"codigo_saida\":3,")) << o.Out;
  EXPECT_FALSE(Contains(o.Err, "removido")) << o.Err;
  EXPECT_TRUE(fs::exists("/dev/full"));
  EXPECT_FALSE(fs::exists("/dev/full.parcial"));
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "4") << "the import itself was committed";
}

TEST_F(CliTest, APartialReportIsRemovedWhenItsWriteFails) {
  if (!UseServer()) GTEST_SKIP() << "the file-size limit would stop the embedded engine's own writes";
  CompanyData data(*db_, "01");
  for (int n = 10; n < 70; ++n) {
    const std::string numero = "0000" + std::to_string(n);
    data.Order(numero, "PRD1", "2018-02-01");
    data.Item(numero, 1, "5");
    data.Part(numero, "FRENTE");
  }
  const std::string report = db_->Dir + "r.csv";
  // The program may write files of 512 bytes (dash counts blocks of 512 bytes, bash of 1024); its report
  // is longer than either. The kernel's signal for the
  // write past the limit is ignored, so the write fails as on a full disk.
  // Its messages and progress lines go through a pipe to a reader outside the limit, which writes them on.
  const std::string code = db_->Dir + "exit-code";
  std::string command = "(trap '' XFSZ; ulimit -f 1; " + ShellQuoted(ZEMBRA_CLI);
  for (const std::string& a :
       WithIni({"importar", "--empresa", "01", "--desde", "01/01/2018", "--relatorio", report})) {
    command += " " + ShellQuoted(a);
  }
  command += "; echo $? >" + ShellQuoted(code) + ") 2>&1 | cat >&2; exit $(cat " + ShellQuoted(code) + ")";
  const Outcome o = Run("/bin/sh", {"-c", command});
  EXPECT_EQ(o.Exit, 3) << o.Err;
  EXPECT_TRUE(Contains(o.Err, "; o arquivo parcial foi removido.\n")) << o.Err;
  EXPECT_FALSE(fs::exists(report));
  EXPECT_FALSE(fs::exists(report + ".parcial"));
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "124");
}

TEST_F(CliTest, WithJsonTheOnlyOutputIsOneObject) {
  const Outcome done = Cli(WithIni({"importar", "--empresa", "01", "--desde", "31/01/2018", "--json"}));
  EXPECT_EQ(done.Exit, 0) << done.Err;
  EXPECT_EQ(WithoutSeconds(done.Out),
            "{\"acao\":\"importar\",\"empresa\":\"01\",\"desde\":\"2018-01-31\",\"simulacao\":false,"
            "\"contagens\":{\"ordens_partes\":2,\"processadas\":2,\"excluidas\":0,\"gravadas\":4},"
            "\"segundos\":S,\"resultado\":\"ok\",\"codigo_saida\":0}\n");
  EXPECT_TRUE(Contains(done.Err, "Importação concluída.\nimportar: 2 de 2 ordens e partes processadas"))
      << done.Err;

  db_->Exec("CREATE EXCEPTION E_RECUSA 'pedido \"recusado\"'");
  db_->Exec("CREATE TRIGGER TR_RECUSA FOR PCPFTOF01 BEFORE UPDATE AS BEGIN EXCEPTION E_RECUSA; END");
  const Outcome failed = Cli(WithIni({"situacao", "--empresa", "01", "--desde", "", "--json", "--simular"}));
  EXPECT_EQ(failed.Exit, 1);
  const std::string out = WithoutSeconds(failed.Out);
  EXPECT_EQ(out.rfind("{\"acao\":\"situacao\",\"empresa\":\"01\",\"desde\":\"1899-12-30\",\"simulacao\":true,"
                      "\"contagens\":{\"linhas_lidas\":",
                      0),
            0u)
      << out;
  EXPECT_TRUE(
      Contains(out, "\"resultado\":\"erro\",\"codigo_saida\":1,\"mensagem\":\"Erro na importação.\\n"))
      << out;
  EXPECT_TRUE(Contains(out, "pedido \\\"recusado\\\"")) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
}

TEST_F(CliTest, LogSqlWritesEveryStatementSentIntoTheFolderGivenOrLogsNextToTheProgram) {
  ZR_EMBEDDED_ONLY();
  const std::string copy = db_->Dir + "bin/zembra-cli";
  fs::create_directories(db_->Dir + "bin");
  fs::copy_file(ZEMBRA_CLI, copy);
  struct Case {
    const char* name;
    std::vector<std::string> option;
    std::string folder;
  };
  const Case cases[] = {
      {"a folder given, created with its missing levels",
       {"--log-sql", db_->Dir + "sql/dia"},
       db_->Dir + "sql/dia"},
      {"no folder: Logs next to the program", {"--log-sql"}, db_->Dir + "bin/Logs"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = WithIni({"situacao", "--empresa", "01", "--desde", "01/01/2018"});
    args.insert(args.end(), c.option.begin(), c.option.end());
    const Outcome o = Run(copy, args);
    EXPECT_EQ(o.Exit, 0) << o.Err;
    ASSERT_TRUE(fs::is_directory(c.folder));
    std::string log;
    for (const auto& entry : fs::directory_iterator(c.folder)) log += ReadFile(entry.path());
    EXPECT_TRUE(Contains(log, "|SELECT EMP_PAT, EMP_NOME FROM EMPRESA|\r\n")) << log;
    EXPECT_TRUE(Contains(log, "|SELECT ARQUIVO FROM ARQLOCAL WHERE ARQUIVO = 'PCPFTOF01'|\r\n")) << log;
    EXPECT_TRUE(Contains(log, "WHERE SUBSTRING(MAT_MOV.NUM_DOCTO FROM 1 FOR 6) = PCPFTOF.NUMERO")) << log;
  }
  const fs::path file = fs::directory_iterator(db_->Dir + "bin/Logs")->path();
  const auto size = fs::file_size(file);
  const Outcome without = Run(copy, WithIni({"situacao", "--empresa", "01", "--desde", "01/01/2018"}));
  EXPECT_EQ(without.Exit, 0);
  EXPECT_EQ(fs::file_size(file), size) << "without the option nothing is logged";
}

// A legacy company (default character set NONE, Windows-1252 bytes): zembra-cli's messages, its summary and
// its SQL log are UTF-8, and its actions match the accented values.
TEST(CliLegacyTest, ALegacyCompanyRunsAndItsNamesReadRight) {
  auto db = TestDatabase::Create("CliLegacyTest", {{"01", "Confecções"}}, "NONE");
  db->Exec("INSERT INTO EMPRESA (EMP_PAT, EMP_NOME) VALUES ('Ç9', 'Tecelagem Ação')");
  CompanyData data(*db, "01");
  data.Order("000001", "CAMISA", "2018-02-01");
  data.Item("000001", 1, "5");
  data.Part("000001", "FRENTE ÚNICA");
  data.Sheet("CAMISA", 1, "BOTÃO", "FRENTE ÚNICA", "1", "S", "VERDE D'ÁGUA", "MADREPÉROLA");
  data.Movement("000001", "BOTÃO", "MADREPÉROLA", "S", "BC", "1");
  db->Release();
  const auto cli = [&](std::vector<std::string> args) {
    args.insert(args.end(), {"--ini", db->Ini});
    return RunProgram(ZEMBRA_CLI, args, db->Dir);
  };

  const Outcome unknown = cli({"importar", "--empresa", "99", "--desde", "01/01/2018"});
  EXPECT_EQ(unknown.Exit, 2);
  EXPECT_TRUE(Contains(unknown.Err, "empresas existentes: \"01\", \"Ç9\".")) << unknown.Err;

  const Outcome imported =
      cli({"importar", "--empresa", "01", "--desde", "01/01/2018", "--log-sql", db->Dir + "sql"});
  EXPECT_EQ(imported.Exit, 0) << imported.Err;
  EXPECT_TRUE(Contains(imported.Out, "Importação concluída.")) << imported.Out;
  std::string log;
  for (const auto& entry : fs::directory_iterator(db->Dir + "sql")) log += ReadFile(entry.path());
  EXPECT_TRUE(
      Contains(log, "DELETE FROM PCPFTOF01 WHERE NUMERO = '000001' AND PARTE IN ('FRENTE ÚNICA')|\r\n"))
      << log;

  const Outcome status = cli({"situacao", "--empresa", "01", "--desde", "01/01/2018"});
  EXPECT_EQ(status.Exit, 0) << status.Err;
  EXPECT_EQ(db->Scalar("SELECT SITUACAO || '|' || CAST(COR_I AS VARCHAR(20) CHARACTER SET OCTETS) FROM "
                       "PCPFTOF01 WHERE INSUMO = 'BOTÃO'"),
            "B|MADREP\xC9ROLA");
}

}  // namespace
}  // namespace zr::app::testing
