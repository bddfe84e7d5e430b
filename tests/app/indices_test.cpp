// The indexes both actions need, read from the real server's plan and catalog (embedded Firebird, the Firebird
// server, the Oracle stand-in): what is missing and the exact statement that creates it, creating it, a user
// without the right, and zembra-cli's "indices" command and the warning before an action.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/indices.h"
#include "app_test_support.h"
#include "common/ascii.h"
#include "db/errors.h"
#include "fixtures/generator.h"
#include "program_run.h"
#include "standin_database.h"
#include "support/targets.h"

namespace zr::app::testing {
namespace {

constexpr const char* kItem = "01 | Confecção Zembra";

// The lookups in the order VerificaIndices gives them.
enum Busca { kSituacao, kExclusao, kBaixa, kFicha2, kFicha3, kPreco };

class IndicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZR_SKIP_UNLESS_TARGET_AVAILABLE();
    standin_ = testsupport::CurrentTarget() == testsupport::Target::Standin;
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    // A site that never created the index of the movements by order number.
    const std::vector<fixtures::CompanyInfo> companies = {{"01", "Confecção Zembra", false}};
    // A clothing plant in small: several orders per product, many movements per material and colour.
    const auto data = fixtures::GenerateCompany(
        {.Orders = 150, .PartsPerOrder = 3, .MaterialsPerPart = 4, .Products = 6, .Seed = 11});
    if (standin_) {
      dir_ = FreshDir(name);
      ora_ = std::make_unique<StandinDatabase>(dir_, companies);
      ora_->LoadCompany("01", data);
      ini_ = ora_->Ini;
    } else {
      fb_ = TestDatabase::Create(name, companies);
      fb_->Session().LoadCompany("01", data);
      dir_ = fb_->Dir;
      ini_ = fb_->Ini;
    }
  }

  fixtures::Session& Db() {
    if (standin_) return *ora_;
    return fb_->Session();
  }
  const char* Dialect(const char* firebird, const char* oracle) const { return standin_ ? oracle : firebird; }

  std::vector<IndiceDaBusca> Verifica() {
    AppComponents app(ini_);
    return VerificaIndices(app.C, kItem);
  }

  // Another program opens the database next: an embedded one opens in one process at a time.
  void Release() {
    if (fb_) fb_->Release();
  }

  // The zr.ini of the same database with another user.
  std::string IniOf(const std::string& user, const std::string& password) {
    std::ifstream in(ini_);
    std::stringstream text;
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("usuario=", 0) == 0) line = "usuario=" + user;
      if (line.rfind("senha=", 0) == 0) line = "senha=" + password;
      text << line << "\n";
    }
    const std::string path = dir_ + "outro-usuario.ini";
    std::ofstream(path) << text.str();
    return path;
  }

  Outcome Cli(const std::vector<std::string>& args) {
    std::vector<std::string> all = args;
    all.push_back("--ini");
    all.push_back(ini_);
    return RunProgram(ZEMBRA_CLI, all, dir_);
  }

  bool standin_ = false;
  std::string dir_;
  std::string ini_;
  std::unique_ptr<TestDatabase> fb_;
  std::unique_ptr<StandinDatabase> ora_;
};

TEST_F(IndicesTest, TheStatusQueryWithoutItsIndexIsNamedWithTheStatementForTheDriver) {
  const std::vector<IndiceDaBusca> buscas = Verifica();
  ASSERT_EQ(buscas.size(), 6u);
  const IndiceDaBusca& situacao = buscas[kSituacao];
  EXPECT_TRUE(situacao.DaSituacao);
  EXPECT_EQ(situacao.Estado, EstadoIndice::Falta);
  EXPECT_EQ(situacao.Tabela, "MAT_MOV01");
  EXPECT_EQ(situacao.Indice, "IX_MAT_MOV01_DOC6");
  // On Oracle the index is on the expression the translated status query holds, or the server cannot use it.
  EXPECT_EQ(
      situacao.Comando,
      Dialect("CREATE INDEX IX_MAT_MOV01_DOC6 ON MAT_MOV01 COMPUTED BY (SUBSTRING(NUM_DOCTO FROM 1 FOR 6))",
              "CREATE INDEX IX_MAT_MOV01_DOC6 ON MAT_MOV01 (SUBSTR(NUM_DOCTO,1,6))"));
  // The movements are found by material and colour only, the walk the missing index would spare.
  EXPECT_NE(common::UpperAscii(situacao.Plano).find("IX_MAT_MOV01_CC"), std::string::npos) << situacao.Plano;

  // The schema gives every other lookup its index.
  const struct {
    Busca busca;
    const char* tabela;
    const char* indice;
  } servidas[] = {{kExclusao, "PCPFTOF01", "IX_PCPFTOF01_NUM"},
                  {kBaixa, "PCPFTOF01", "IX_PCPFTOF01_NUM"},
                  {kFicha2, "PCPFT201", "PK_PCPFT201"},
                  {kFicha3, "PCPFT301", "IX_PCPFT301_CII"},
                  {kPreco, "MAT_ITEN01", "IX_MAT_ITEN01_CC"}};
  for (const auto& s : servidas) {
    const IndiceDaBusca& b = buscas[s.busca];
    SCOPED_TRACE(b.Busca);
    EXPECT_FALSE(b.DaSituacao);
    EXPECT_EQ(b.Tabela, s.tabela);
    EXPECT_EQ(b.Indice, s.indice);
    EXPECT_TRUE(b.Comando.empty()) << b.Comando;
    // Firebird reads through every index an equality can use; PostgreSQL may read a small table whole.
    if (standin_) {
      EXPECT_FALSE(PrecisaDeIndice(b)) << b.Plano;
    } else {
      EXPECT_EQ(b.Estado, EstadoIndice::Usado) << b.Plano;
    }
  }
}

TEST_F(IndicesTest, ADroppedIndexIsAskedForOnceByTheLookupsItServed) {
  Db().Exec("DROP INDEX IX_PCPFTOF01_NUM");
  const std::vector<IndiceDaBusca> buscas = Verifica();
  for (const Busca busca : {kExclusao, kBaixa}) {
    SCOPED_TRACE(buscas[busca].Busca);
    EXPECT_EQ(buscas[busca].Estado, EstadoIndice::Falta);
    EXPECT_EQ(buscas[busca].Comando, "CREATE INDEX IX_PCPFTOF01_NUM ON PCPFTOF01 (NUMERO)");
  }
  EXPECT_FALSE(PrecisaDeIndice(buscas[kFicha3]));
}

TEST_F(IndicesTest, AnInactiveIndexIsToldFromAMissingOne) {
  if (standin_) GTEST_SKIP() << "only Firebird keeps an index inactive on request";
  Db().Exec("ALTER INDEX IX_PCPFT301_CII INACTIVE");
  const IndiceDaBusca b = Verifica()[kFicha3];
  EXPECT_EQ(b.Estado, EstadoIndice::Inativo);
  EXPECT_EQ(b.Indice, "IX_PCPFT301_CII");
  EXPECT_EQ(b.Comando, "ALTER INDEX IX_PCPFT301_CII ACTIVE");
}

TEST_F(IndicesTest, AnIndexOnAnotherExpressionDoesNotServeAndKeepsItsName) {
  // Five characters of the document number are not the six the status query compares.
  Db().Exec(
      Dialect("CREATE INDEX IX_MAT_MOV01_DOC6 ON MAT_MOV01 COMPUTED BY (SUBSTRING(NUM_DOCTO FROM 1 FOR 5))",
              "CREATE INDEX IX_MAT_MOV01_DOC6 ON MAT_MOV01 (SUBSTR(NUM_DOCTO,1,5))"));
  const IndiceDaBusca b = Verifica()[kSituacao];
  EXPECT_EQ(b.Estado, EstadoIndice::Falta);
  EXPECT_EQ(b.Indice, "IX_MAT_MOV01_DOC6_2");
  EXPECT_EQ(b.Comando.rfind("CREATE INDEX IX_MAT_MOV01_DOC6_2 ON MAT_MOV01 ", 0), 0u) << b.Comando;
}

TEST_F(IndicesTest, CreatingTheIndexPutsItInTheServersPlan) {
  AppComponents app(ini_);
  const IndiceDaBusca antes = VerificaIndiceSituacao(app.C, kItem);
  ASSERT_EQ(antes.Estado, EstadoIndice::Falta);
  CriaIndice(app.C, antes);
  const IndiceDaBusca depois = VerificaIndiceSituacao(app.C, kItem);
  EXPECT_EQ(depois.Estado, EstadoIndice::Usado) << depois.Plano;
  EXPECT_EQ(depois.Indice, "IX_MAT_MOV01_DOC6");
  EXPECT_NE(common::UpperAscii(depois.Plano).find("IX_MAT_MOV01_DOC6"), std::string::npos) << depois.Plano;
  // A second connection sees it too: it was committed.
  EXPECT_EQ(Verifica()[kSituacao].Estado, EstadoIndice::Usado);
}

TEST_F(IndicesTest, AUserWithoutTheRightGetsAClearMessageAndNoIndex) {
  if (testsupport::CurrentTarget() == testsupport::Target::FirebirdServer) {
    Db().Exec("CREATE OR ALTER USER ZR_SEM_DIREITO PASSWORD 'semdireito'");
  } else if (standin_) {
    Db().Exec(
        "DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'zr_sem_direito') THEN "
        "CREATE ROLE zr_sem_direito LOGIN; END IF; END $$");
  }
  IndiceDaBusca falta;
  {
    AppComponents app(ini_);
    falta = VerificaIndiceSituacao(app.C, kItem);
  }
  ASSERT_EQ(falta.Estado, EstadoIndice::Falta);
  {
    AppComponents outro(IniOf(standin_ ? "zr_sem_direito" : "ZR_SEM_DIREITO", "semdireito"));
    try {
      CriaIndice(outro.C, falta);
      FAIL() << "the index was created by a user without the right";
    } catch (const db::EDatabaseError& e) {
      EXPECT_EQ(e.Kind(), db::TDatabaseErrorKind::NoPermission) << e.what();
      const std::string message = e.what();
      EXPECT_NE(message.find("não tem permissão para criar o índice IX_MAT_MOV01_DOC6 em MAT_MOV01; nada foi "
                             "criado. Peça ao administrador do banco (DBA) que o crie com:\n" +
                             ComandoParaDba(falta.Comando)),
                std::string::npos)
          << message;
    }
  }
  // Nothing of it remains: the check still finds it missing.
  EXPECT_EQ(Verifica()[kSituacao].Estado, EstadoIndice::Falta);
}

TEST_F(IndicesTest, TheIndicesCommandListsCreatesAndListsAgain) {
  Release();
  const std::string command = ComandoParaDba(Verifica()[kSituacao].Comando);
  Release();

  const Outcome lista = Cli({"indices", "--empresa", "01"});
  EXPECT_EQ(lista.Exit, 4) << lista.Err;
  EXPECT_TRUE(Contains(lista.Out, command)) << lista.Out;
  EXPECT_TRUE(Contains(lista.Out, "Falta 1 índice. Para criá-lo: zembra-cli indices --empresa 01 --criar"))
      << lista.Out;

  const Outcome recusada = Cli({"indices", "--empresa", "01", "--desde", "01/01/2018"});
  EXPECT_EQ(recusada.Exit, 2);
  EXPECT_TRUE(Contains(recusada.Err, "--desde não vale para indices")) << recusada.Err;

  const Outcome cria = Cli({"indices", "--empresa", "01", "--criar"});
  EXPECT_EQ(cria.Exit, 0) << cria.Out << cria.Err;
  EXPECT_TRUE(Contains(cria.Out, "Criando IX_MAT_MOV01_DOC6 em MAT_MOV01:\n  " + command)) << cria.Out;
  EXPECT_TRUE(Contains(cria.Out, "Índice IX_MAT_MOV01_DOC6 criado.")) << cria.Out;
  EXPECT_TRUE(Contains(cria.Out, "Nenhum índice falta.")) << cria.Out;

  const Outcome depois = Cli({"indices", "--empresa", "01"});
  EXPECT_EQ(depois.Exit, 0) << depois.Out;
  EXPECT_FALSE(Contains(depois.Out, "CREATE INDEX")) << depois.Out;
}

TEST_F(IndicesTest, AnActionWarnsOnceWhileTheStatusQueryLacksItsIndexAndNotAfter) {
  Release();
  for (const char* acao : {"situacao", "importar"}) {
    SCOPED_TRACE(acao);
    const Outcome run = Cli({acao, "--empresa", "01", "--desde", "01/01/2017", "--json"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    const std::string aviso =
        "zembra-cli: aviso: não há índice em MAT_MOV01 pelo número da ordem (" +
        std::string(Dialect("SUBSTRING(NUM_DOCTO FROM 1 FOR 6)", "SUBSTR(NUM_DOCTO,1,6)")) + ")";
    EXPECT_EQ(run.Err.rfind(aviso, 0), 0u) << run.Err;  // before anything else
    EXPECT_EQ(run.Err.find("aviso"), run.Err.rfind("aviso")) << run.Err;
    EXPECT_TRUE(Contains(run.Err, "Veja \"zembra-cli indices --empresa 01\"")) << run.Err;
    EXPECT_TRUE(Contains(run.Out, "\"aviso_indice\":{\"mensagem\":\"" + aviso)) << run.Out;
    EXPECT_TRUE(Contains(run.Out, "\"corrigir\":\"zembra-cli indices --empresa 01 --criar\"")) << run.Out;
  }

  Db().Exec(
      Dialect("CREATE INDEX IX_MAT_MOV01_DOC6 ON MAT_MOV01 COMPUTED BY (SUBSTRING(NUM_DOCTO FROM 1 FOR 6))",
              "CREATE INDEX IX_MAT_MOV01_DOC6 ON MAT_MOV01 (SUBSTR(NUM_DOCTO,1,6))"));
  Release();
  for (const char* acao : {"situacao", "importar"}) {
    SCOPED_TRACE(acao);
    const Outcome run = Cli({acao, "--empresa", "01", "--desde", "01/01/2017", "--json"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_FALSE(Contains(run.Err, "aviso")) << run.Err;
    EXPECT_FALSE(Contains(run.Out, "aviso_indice")) << run.Out;
  }
}

}  // namespace
}  // namespace zr::app::testing
