// Both actions end to end on an "Ora" connection (zr.ini with banco=ORACLE) to the Oracle stand-in, each
// scenario run beside the same data on embedded Firebird: the same PCPFTOF contents, counts, progress and
// messages on both.
//
// The stand-in stores '' as NULL and compares CHAR with VARCHAR2 values without blank-padding, as Oracle does,
// so the shared scenarios stay clear of empty texts and CHAR order numbers; where Oracle's results differ from
// Firebird's, the last tests below run the same data on both servers and expect each server's own result.
// Bare SYSDATE, which the stand-in does not know, is never sent.
//
// Every statement reaches the stand-in translated: its dates are day first (datestyle DMY), so the chosen
// dates below have a day after the 12th and an untranslated month-first literal would be refused. One test
// also reads the statement log.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/actions.h"
#include "app/company.h"
#include "app/settings.h"
#include "app_test_support.h"
#include "company_data.h"
#include "data/detail/log_location.h"
#include "db/datetime.h"
#include "program_run.h"
#include "standin_pair.h"

namespace zr::app::testing {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;

db::TDateTime Date(int y, int m, int d) { return db::EncodeDateTime(db::TDateParts{y, m, d}); }

// One run of an action on one server: what it returned and what it showed.
struct ActionRun {
  ActionResult Result;
  RecordingUi Ui;
};

class OracleTest : public ::testing::Test, protected StandinPair {
 protected:
  void SetUp() override {
    if (StandinDisabled()) GTEST_SKIP() << "the Oracle stand-in is switched off (ZR_STANDIN=0)";
    CreatePair();
  }

  static std::unique_ptr<ActionRun> Action(const std::string& ini, bool import, db::TDateTime desde,
                                           bool pendente) {
    auto run = std::make_unique<ActionRun>();
    AppComponents app(ini);
    const ActionInput input{kEmpresa, desde, pendente};
    run->Result = import ? BitBtn1Click(app.C, input, run->Ui) : BitBtn2Click(app.C, input, run->Ui);
    return run;
  }

  // Runs the action on both servers and expects the same outcome; returns the stand-in's run.
  std::unique_ptr<ActionRun> OnBoth(bool import, db::TDateTime desde, bool pendente = true) {
    const auto fb = Action(fb_->Ini, import, desde, pendente);
    auto ora = Action(ora_->Ini, import, desde, pendente);
    EXPECT_EQ(ora->Result.Ok, fb->Result.Ok);
    EXPECT_EQ(ora->Ui.Closes, fb->Ui.Closes);
    // The order list has no ORDER BY: each server lists the orders in an order of its own, so a failure
    // comes after a different number of orders; only a completed run has counts to compare.
    if (fb->Result.Ok) {
      EXPECT_EQ(ora->Result.OrdensPartes, fb->Result.OrdensPartes);
      EXPECT_EQ(ora->Result.Processadas, fb->Result.Processadas);
      EXPECT_EQ(ora->Result.Excluidas, fb->Result.Excluidas);
      EXPECT_EQ(ora->Result.Gravadas, fb->Result.Gravadas);
      EXPECT_EQ(ora->Result.Baixadas, fb->Result.Baixadas);
      EXPECT_EQ(ora->Ui.Events, fb->Ui.Events);
      EXPECT_EQ(ora->Ui.Messages.size(), 1u);
      EXPECT_EQ(ora->Result.Message, fb->Result.Message) << ora->Result.Message;
    }
    ExpectSamePcpftof();
    return ora;
  }
};

void ExpectConcluded(const ActionRun& run) {
  ASSERT_EQ(run.Ui.Messages.size(), 1u);
  EXPECT_EQ(run.Ui.Messages[0].Text, "Importação concluída.");
  EXPECT_EQ(run.Ui.Messages[0].Caption, "Zembra");
  EXPECT_EQ(run.Ui.Closes, 1);
  EXPECT_TRUE(run.Result.Ok);
}

TEST_F(OracleTest, StartUpConnectsWithTheOraDriverListsTheCompaniesAndFindsTheirTables) {
  ora_->Exec("INSERT INTO EMPRESA (EMP_PAT, EMP_NOME) VALUES ('10', NULL)");
  ora_->Exec("INSERT INTO ARQLOCAL (ARQUIVO) VALUES ('PCPFT20''1')");
  const Rows serverOrder = ora_->Select("SELECT EMP_PAT, EMP_NOME FROM EMPRESA");

  AppComponents app(ora_->Ini);
  EXPECT_TRUE(app.C.ZRDatabase1->Connected());
  EXPECT_EQ(app.C.ZRDatabase1->DriverName(), "Ora");
  EXPECT_EQ(app.C.ZRDatabase1->Port(), 1521);
  EXPECT_EQ(app.C.ZRDatabase1->HostName(), "");

  std::vector<std::string> items;
  CarregaEmpresas(*app.C.QryAux, [&](const std::string& item) { items.push_back(item); });
  ASSERT_EQ(items.size(), serverOrder.size());
  for (size_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(items[i], serverOrder[i][0] + " | " + serverOrder[i][1]);
  EXPECT_EQ(items, (std::vector<std::string>{"01 | Confecção Zembra", "02 | Malharia D'Ouro", "10 | "}));

  EXPECT_EQ(BuscaArquivo(*app.C.QryAux, items[1], "PCPFTOF"), "PCPFTOF02");
  EXPECT_EQ(BuscaArquivo(*app.C.QryAux, "0'1 | Aspas", "PCPFT2"), "PCPFT20'1");
}

TEST_F(OracleTest, AGeneratedCompanyGivesTheSamePcpftofAsOnFirebirdThroughImportsAndStatusUpdate) {
  Generated();
  struct Step {
    const char* name;
    bool import;
    db::TDateTime desde;
    bool pendente;
  };
  const Step steps[] = {
      {"import of the pending orders from 15/01/2017", true, Date(2017, 1, 15), true},
      {"status update from 20/01/2017", false, Date(2017, 1, 20), true},
      {"import of every order from the zero date, rows marked B replaced", true, 0.0, false},
      {"status update from the zero date", false, 0.0, true},
      {"status update again changes nothing more", false, Date(2017, 1, 13), true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    const auto ora = OnBoth(s.import, s.desde, s.pendente);
    ExpectConcluded(*ora);
  }
  // The scenario did real work: rows written, withdrawn and still open.
  EXPECT_GT(std::stoi(ora_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE SITUACAO = 'B'")), 0);
  EXPECT_GT(std::stoi(ora_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE SITUACAO = 'A'")), 0);
  EXPECT_GT(std::stoi(ora_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE CUSTO = 0")), 0);
  EXPECT_GT(std::stoi(ora_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE CUSTO > 0")), 0);
  EXPECT_EQ(ora_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE CAST(DATA AS DATE) <> CURRENT_DATE"), "0");
}

TEST_F(OracleTest, QuotesAndAccentsTravelUnchangedThroughBothActions) {
  for (
      const char* sql : {
          "INSERT INTO OF101 (NUMERO, CODIGO, DT_INICIO) VALUES ('OF''É01', 'CAMISA D''ÁGUA', '2018-02-01')",
          "INSERT INTO OF_ITEN01 (NUMERO, ITEM, COR, TAMANHO, QTDE) VALUES ('OF''É01', 1, '001', 'M', 2)",
          "INSERT INTO FACCAO01 (NUMERO, PARTE) VALUES ('OF''É01', 'MANGA D''ÁGUA')",
          "INSERT INTO PCPFT201 (CODIGO, ID, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, PRECO) VALUES "
          "('CAMISA D''ÁGUA', 1, 'MP', 'LINHA''Ç', 'CORTE', 'Tecido', 'MANGA D''ÁGUA', 'P-G', 1.5, 'S')",
          "INSERT INTO PCPFT301 (CODIGO, INSUMO, ID, COR, COR_I) VALUES "
          "('CAMISA D''ÁGUA', 'LINHA''Ç', 1, 'ÇÃ''1', 'AÇÚCAR''')",
          "INSERT INTO MAT_ITEN01 (CODIGO, COR, TAMANHO, PRECO_MED) VALUES ('LINHA''Ç', 'AÇÚCAR''', 'U', 2)",
          "INSERT INTO MAT_MOV01 (LANCAMENTO, NUM_DOCTO, CODIGO, COR, OPERACAO, TP_MOV, QTDE, DATA) VALUES "
          "(1, 'OF''É01/02', 'LINHA''Ç', 'AÇÚCAR''', 'S', 'BC', 1, '2018-02-03')",
      }) {
    Both(sql);
  }

  ExpectConcluded(*OnBoth(true, Date(2018, 1, 31)));
  EXPECT_EQ(ora_->Select(kPcpftofSql), (Rows{{"OF'É01", "MANGA D'ÁGUA", "1", "MP", "LINHA'Ç", "CORTE",
                                              "Tecido", "P-G", "ÇÃ'1", "AÇÚCAR'", "1.5000", "2.0000", "A"}}));
  ExpectConcluded(*OnBoth(false, Date(2018, 1, 31)));
  EXPECT_EQ(ora_->Scalar("SELECT SITUACAO FROM PCPFTOF01"), "B");
}

TEST_F(OracleTest, AFailureHalfwayRollsBackEverythingAndTheNextRunSucceeds) {
  Generated();
  ExpectConcluded(*OnBoth(true, Date(2017, 1, 27)));
  // A row of an order not imported yet is refused by both servers alike.
  Both("ALTER TABLE PCPFTOF01 ADD CONSTRAINT CK_RECUSA CHECK (NUMERO <> '000025')");
  const Rows before = ora_->Select(kPcpftofSql);

  const auto failed = OnBoth(true, Date(2017, 1, 14), false);
  EXPECT_FALSE(failed->Result.Ok);
  ASSERT_EQ(failed->Ui.Messages.size(), 1u);
  EXPECT_EQ(failed->Ui.Messages[0].Text.rfind("Erro na importação.\r", 0), 0u) << failed->Ui.Messages[0].Text;
  EXPECT_TRUE(Contains(failed->Ui.Messages[0].Text, "ck_recusa")) << failed->Ui.Messages[0].Text;
  EXPECT_EQ(failed->Ui.Closes, 0);
  EXPECT_FALSE(failed->Ui.Busy);
  EXPECT_EQ(ora_->Select(kPcpftofSql), before);

  Both("ALTER TABLE PCPFTOF01 DROP CONSTRAINT CK_RECUSA");
  ExpectConcluded(*OnBoth(true, Date(2017, 1, 14), false));
}

// The statement log of the connection, switched on for this test, holds what was sent: translated, dates
// day first, and no array insert.
TEST_F(OracleTest, TheStatementLogShowsEveryStatementTranslatedBeforeItWasSent) {
  Generated();
  const std::string logBase = fb_->Dir + "log/";
  fs::create_directories(logBase);
  data::detail::SetLogBaseDirForTesting(logBase);
  for (bool import : {true, false}) {
    AppComponents app(ora_->Ini);
    app.C.ZRDatabase1->SetGravaLog(true);
    RecordingUi ui;
    EXPECT_TRUE(
        (import ? BitBtn1Click : BitBtn2Click)(app.C, ActionInput{kEmpresa, Date(2017, 1, 29), true}, ui).Ok);
  }
  data::detail::SetLogBaseDirForTesting(std::nullopt);

  std::string log;
  for (const auto& entry : fs::directory_iterator(logBase + "Logs")) log += ReadFile(entry.path());
  EXPECT_TRUE(Contains(log, "WHERE OF1.DT_INICIO >= '29/01/2017' AND OF_I.QTDE > 0|")) << log;
  EXPECT_TRUE(Contains(log, "WHERE PCPFTOF.DATA >= '29/01/2017'|")) << log;
  EXPECT_TRUE(Contains(log, "DELETE FROM PCPFTOF01 WHERE NUMERO = '000029' AND PARTE IN ('FRENTE')|")) << log;
  EXPECT_TRUE(Contains(log, "FROM ARQLOCAL")) << log;
  EXPECT_FALSE(Contains(log, "01/29/2017")) << log;
  EXPECT_TRUE(Contains(log, "SUBSTR(MAT_MOV.NUM_DOCTO,1,6)")) << log;
  EXPECT_FALSE(Contains(log, "SUBSTRING(")) << log;
  EXPECT_FALSE(Contains(log, "COALESCE(")) << log;
  EXPECT_FALSE(Contains(log, "INSERT INTO")) << log;
}

// zembra-cli as a scheduler runs it with a zr.ini naming the Oracle connection.
Outcome Cli(const std::vector<std::string>& args, const std::string& dir) {
  return RunProgram(ZEMBRA_CLI, args, dir);
}

TEST_F(OracleTest, ZembraCliRunsBothActionsOnOracleWithTheResultsOfTheLibraryOnFirebird) {
  Generated();
  fb_->Release();
  struct Step {
    const char* name;
    std::vector<std::string> args;
    bool import;
    db::TDateTime desde;
  };
  const Step steps[] = {
      {"importar",
       {"importar", "--empresa", "01", "--desde", "15/01/2017", "--pendente"},
       true,
       Date(2017, 1, 15)},
      {"situacao", {"situacao", "--empresa", "01", "--desde", "16/01/2017"}, false, Date(2017, 1, 16)},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    const auto fb = Action(fb_->Ini, s.import, s.desde, true);
    std::vector<std::string> args = s.args;
    args.insert(args.end(), {"--ini", ora_->Ini});
    const Outcome o = Cli(args, fb_->Dir);
    EXPECT_EQ(o.Exit, 0) << o.Err;
    EXPECT_TRUE(Contains(o.Out, "Importação concluída.\n")) << o.Out;
    const ActionResult& r = fb->Result;
    const std::string summary =
        s.import ? "importar: " + std::to_string(r.Processadas) + " de " + std::to_string(r.OrdensPartes) +
                       " ordens e partes processadas, " + std::to_string(r.Excluidas) +
                       " linhas excluídas, " + std::to_string(r.Gravadas) + " gravadas, "
                 : "situacao: " + std::to_string(r.Processadas) + " linhas lidas, " +
                       std::to_string(r.Baixadas) + " marcadas \"B\", ";
    EXPECT_TRUE(Contains(o.Out, summary)) << o.Out << "\nexpected: " << summary;
    ExpectSamePcpftof();
  }
}

// The lines of a CSV report after its header, sorted: each server lists the orders in an order of its own.
std::vector<std::string> SortedReport(const std::string& csv) {
  std::vector<std::string> lines;
  size_t start = csv.find("\r\n");
  if (start == std::string::npos) return lines;
  for (start += 2; start < csv.size();) {
    const size_t end = csv.find("\r\n", start);
    lines.push_back(csv.substr(start, end - start));
    start = end == std::string::npos ? csv.size() : end + 2;
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The "contagens" member of a JSON summary.
std::string Counts(const std::string& json) {
  const size_t at = json.find("\"contagens\":");
  return at == std::string::npos ? std::string() : json.substr(at, json.find('}', at) + 1 - at);
}

TEST_F(OracleTest, ZembraCliSimulatesOnOracleWithTheCountsAndTheReportOfTheRealRun) {
  Generated();
  // A first import and status update, so that the re-import has rows to replace and "B" marks to undo.
  Action(fb_->Ini, true, Date(2017, 1, 15), false);
  Action(fb_->Ini, false, Date(2017, 1, 15), false);
  fb_->Release();
  const std::string dir = fb_->Dir;
  for (const char* action : {"importar", "situacao"}) {
    ASSERT_EQ(Cli({action, "--empresa", "01", "--desde", "15/01/2017", "--ini", ora_->Ini}, dir).Exit, 0);
  }
  ExpectSamePcpftof();

  for (const char* action : {"importar", "situacao"}) {
    SCOPED_TRACE(action);
    fb_->Release();  // the embedded database opens in one process at a time
    const std::vector<std::string> base = {action, "--empresa", "01", "--desde", "15/01/2017", "--json"};
    const auto before = ora_->Select(kPcpftofSql + std::string(", P.DATA"));
    std::vector<std::string> args = base;
    args.insert(args.end(), {"--simular", "--relatorio", dir + "sim.csv", "--ini", ora_->Ini});
    const Outcome sim = Cli(args, dir);
    EXPECT_EQ(sim.Exit, 0) << sim.Err;
    EXPECT_TRUE(Contains(sim.Err, "(simulação: nada foi gravado, tudo desfeito)")) << sim.Err;
    EXPECT_EQ(ora_->Select(kPcpftofSql + std::string(", P.DATA")), before) << "nothing written on Oracle";

    const std::string countB = "SELECT COUNT(*) FROM PCPFTOF01 WHERE SITUACAO = 'B'";
    const int marksBefore = std::stoi(ora_->Scalar(countB));
    args = base;
    args.insert(args.end(), {"--relatorio", dir + "ora.csv", "--log-sql", dir + "sql", "--ini", ora_->Ini});
    const Outcome ora = Cli(args, dir);
    EXPECT_EQ(ora.Exit, 0) << ora.Err;
    if (std::string(action) == "importar") {
      const int undone = marksBefore - std::stoi(ora_->Scalar(countB));
      EXPECT_GT(undone, 0);
      EXPECT_TRUE(Contains(sim.Out, "\"marcas_b_voltariam_a_a\":" + std::to_string(undone) + "}")) << sim.Out;
    }
    args = base;
    args.insert(args.end(), {"--relatorio", dir + "fb.csv", "--ini", fb_->Ini});
    const Outcome fb = Cli(args, dir);
    EXPECT_EQ(fb.Exit, 0) << fb.Err;
    ExpectSamePcpftof();

    EXPECT_EQ(Counts(sim.Out), Counts(ora.Out)) << sim.Out << "\n" << ora.Out;
    EXPECT_EQ(Counts(ora.Out), Counts(fb.Out)) << ora.Out << "\n" << fb.Out;
    EXPECT_FALSE(Counts(fb.Out).empty());
    const auto report = SortedReport(ReadFile(dir + "ora.csv"));
    EXPECT_FALSE(report.empty());
    EXPECT_EQ(SortedReport(ReadFile(dir + "sim.csv")), report);
    EXPECT_EQ(SortedReport(ReadFile(dir + "fb.csv")), report);
  }
  // The DBA's view: what was sent to the stand-in, translated.
  std::string log;
  for (const auto& entry : fs::directory_iterator(dir + "sql")) log += ReadFile(entry.path());
  EXPECT_TRUE(Contains(log, "SUBSTR(MAT_MOV.NUM_DOCTO,1,6)")) << log.substr(0, 2000);
  EXPECT_TRUE(Contains(log, "DELETE FROM PCPFTOF01")) << log.substr(0, 2000);
  EXPECT_FALSE(Contains(log, "SUBSTRING(")) << log.substr(0, 2000);
}

TEST_F(OracleTest, ZembraCliExitsWithOneWhenTheOracleDatabaseIsMissing) {
  const std::string ini = fb_->Dir + "ora/missing.ini";
  std::ofstream(ini) << "[banco]\nbase=DSN=zrstandin;Database=zr_app_standin_absent\nbanco=oracle\n";
  const Outcome o = Cli({"importar", "--empresa", "01", "--desde", "15/01/2017", "--ini", ini}, fb_->Dir);
  EXPECT_EQ(o.Exit, 1);
  EXPECT_EQ(o.Err.rfind("Falha na conexão com o banco.\n", 0), 0u) << o.Err;
  EXPECT_TRUE(Contains(o.Err, "zr_app_standin_absent")) << o.Err;
}

// Where Oracle's results differ from Firebird's: the same statements, the same data, each server's answer.
class OracleDiffersTest : public OracleTest {
 protected:
  void Both(const std::vector<std::string>& statements) {
    for (const std::string& sql : statements) StandinPair::Both(sql);
  }
  // Runs the action on both servers; each must complete.
  void OnEach(bool import, db::TDateTime desde, bool pendente = true) {
    for (const std::string* ini : {&fb_->Ini, &ora_->Ini}) {
      SCOPED_TRACE(*ini);
      ExpectConcluded(*Action(*ini, import, desde, pendente));
    }
  }
  // One product PRD1 whose sheet has the material LINHA for the part FRENTE, in the colour `corI`.
  void Sheet(const std::string& corI) {
    Both(
        {"INSERT INTO PCPFT201 (CODIGO, ID, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, PRECO) VALUES "
         "('PRD1', 1, 'MP', 'LINHA', 'CORTE', 'Tecido', 'FRENTE', 'U', 1.5, 'S')",
         "INSERT INTO PCPFT301 (CODIGO, INSUMO, ID, COR, COR_I) VALUES ('PRD1', 'LINHA', 1, " + Q(corI) +
             ", " + Q(corI) + ")",
         "INSERT INTO MAT_ITEN01 (CODIGO, COR, TAMANHO, PRECO_MED) VALUES ('LINHA', " + Q(corI) +
             ", 'U', 3)"});
  }
  // An order of PRD1 for the part FRENTE starting on 01/02/2018, with an open item unless `items` is false.
  void Order(const std::string& numero, bool items = true) {
    Both({"INSERT INTO OF101 (NUMERO, CODIGO, DT_INICIO) VALUES (" + Q(numero) + ", 'PRD1', '2018-02-01')",
          "INSERT INTO FACCAO01 (NUMERO, PARTE) VALUES (" + Q(numero) + ", 'FRENTE')"});
    if (items) Both({"INSERT INTO OF_ITEN01 (NUMERO, ITEM, QTDE) VALUES (" + Q(numero) + ", 1, 2)"});
  }
  void Withdrawal(int lancamento, const std::string& numDocto, const std::string& cor) {
    Both(
        {"INSERT INTO MAT_MOV01 (LANCAMENTO, NUM_DOCTO, CODIGO, COR, OPERACAO, TP_MOV, QTDE, DATA) VALUES (" +
         std::to_string(lancamento) + ", " + Q(numDocto) + ", 'LINHA', " + Q(cor) +
         ", 'S', 'BC', 1, '2018-02-03')"});
  }
};

// NULL on Oracle, so the text "<null>" instead of an empty one.
constexpr const char* kRowsByInsumo =
    "SELECT INSUMO, COALESCE(COR_I, '<null>'), CAST(CUSTO AS VARCHAR(20)), SITUACAO FROM PCPFTOF01 P "
    "ORDER BY P.INSUMO";

TEST_F(OracleDiffersTest, AMaterialWithAnEmptyColourIsNeitherPricedNorMarkedWithdrawnOnOracle) {
  Sheet("");
  Both(
      {"INSERT INTO PCPFT201 (CODIGO, ID, TIPO, INSUMO, SETOR, APLICACAO, PARTE, FAIXA, CONSUMO, PRECO) VALUES "
       "('PRD1', 2, 'AV', 'BOTAO', 'CORTE', 'Botão', 'FRENTE', 'U', 2, 'S')",
       "INSERT INTO PCPFT301 (CODIGO, INSUMO, ID, COR, COR_I) VALUES ('PRD1', 'BOTAO', 2, 'AZUL', 'AZUL')",
       "INSERT INTO MAT_ITEN01 (CODIGO, COR, TAMANHO, PRECO_MED) VALUES ('BOTAO', 'AZUL', 'U', 4)",
       "INSERT INTO MAT_MOV01 (LANCAMENTO, NUM_DOCTO, CODIGO, COR, OPERACAO, TP_MOV, QTDE, DATA) VALUES "
       "(2, '000101/01', 'BOTAO', 'AZUL', 'S', 'BC', 1, '2018-02-03')"});
  Order("000101");
  Withdrawal(1, "000101/01", "");

  OnEach(true, Date(2018, 1, 31));
  OnEach(false, Date(2018, 1, 31));
  // Firebird: '' = '' joins the price and the withdrawal. Oracle: NULL = NULL is never true.
  EXPECT_EQ(fb_->Select(kRowsByInsumo),
            (Rows{{"BOTAO", "AZUL", "4.0000", "B"}, {"LINHA", "", "3.0000", "B"}}));
  EXPECT_EQ(ora_->Select(kRowsByInsumo),
            (Rows{{"BOTAO", "AZUL", "4.0000", "B"}, {"LINHA", "<null>", "0.0000", "A"}}));
}

TEST_F(OracleDiffersTest, RowsWithAnEmptyOrderNumberAreNeverMarkedWithdrawnOnOracleAndStillReplaced) {
  Sheet("AZUL");
  Order("000201", false);  // no items: the order list gives an empty order number
  Withdrawal(1, "", "AZUL");
  const std::string rows = "SELECT COALESCE(NUMERO, '<null>'), SITUACAO FROM PCPFTOF01";

  OnEach(true, Date(2018, 1, 31), false);
  OnEach(false, Date(2018, 1, 31));
  EXPECT_EQ(fb_->Select(rows), (Rows{{"", "B"}}));
  EXPECT_EQ(ora_->Select(rows), (Rows{{"<null>", "A"}}));

  // The delete of an order with an empty number reaches the rows on both servers ("= ''" becomes IS NULL for
  // Oracle), so a second import replaces them instead of adding more.
  OnEach(true, Date(2018, 1, 31), false);
  EXPECT_EQ(fb_->Select(rows), (Rows{{"", "A"}}));
  EXPECT_EQ(ora_->Select(rows), (Rows{{"<null>", "A"}}));
}

TEST_F(OracleDiffersTest, AnOrderNumberShorterThanItsCharColumnNeverMatchesADocumentNumberOnOracle) {
  // PCPFTOF with the order number in a CHAR(6): '4711' is stored as '4711  '.
  Both({"DROP TABLE PCPFTOF01"});
  const std::string columns =
      "NUMERO CHAR(6), TIPO VARCHAR(5), INSUMO VARCHAR(20), SETOR VARCHAR(20), APLICACAO VARCHAR(60), "
      "PARTE VARCHAR(20), FAIXA VARCHAR(10), CONSUMO NUMERIC(15,4), COR VARCHAR(10), COR_I VARCHAR(10), "
      "ID INTEGER, CUSTO NUMERIC(15,4), SITUACAO CHAR(1), DATA ";
  fb_->Exec("CREATE TABLE PCPFTOF01 (" + columns + "DATE)");
  ora_->Exec("CREATE TABLE PCPFTOF01 (" + columns + "TIMESTAMP(0))");
  Sheet("AZUL");
  Order("4711");
  Order("000102");
  Withdrawal(1, "4711", "AZUL");
  Withdrawal(2, "000102/01", "AZUL");
  const std::string rows = "SELECT SITUACAO FROM PCPFTOF01 P ORDER BY P.NUMERO";

  OnEach(true, Date(2018, 1, 31));
  OnEach(false, Date(2018, 1, 31));
  // Firebird pads SUBSTRING(NUM_DOCTO FROM 1 FOR 6) = '4711' to the CHAR's length; Oracle compares the
  // VARCHAR2 '4711' with '4711  ' as they stand. A full-length order number matches on both.
  EXPECT_EQ(fb_->Select(rows), (Rows{{"B"}, {"B"}}));
  EXPECT_EQ(ora_->Select(rows), (Rows{{"B"}, {"A"}}));
}

}  // namespace
}  // namespace zr::app::testing
