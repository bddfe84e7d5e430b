// Both actions on a legacy company: a database created with the default character set NONE whose text
// Windows programs wrote as Windows-1252 bytes. Accented values read from it go back into the statements and
// must match what is stored, and what the actions write must be the bytes such a program writes.

#include <gtest/gtest.h>

#include <fstream>

#include "app/actions.h"
#include "app/company.h"
#include "app_test_support.h"
#include "company_data.h"
#include "db/datetime.h"
#include "db/errors.h"

namespace zr::app::testing {
namespace {

db::TDateTime Date(int y, int m, int d) { return db::EncodeDateTime(db::TDateParts{y, m, d}); }

const char* const kCompany = "01 | Confecções";

class LegacyTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = TestDatabase::Create(::testing::UnitTest::GetInstance()->current_test_info()->name(),
                               {{"01", "Confecções"}}, "NONE");
    data_ = std::make_unique<CompanyData>(*db_, "01");
  }

  // The bytes stored in `column` of PCPFTOF01's rows of material `insumo`, read without any conversion.
  std::string Stored(const std::string& column, const std::string& insumo) {
    return db_->Scalar("SELECT CAST(MAX(" + column +
                       ") AS VARCHAR(60) CHARACTER SET OCTETS) FROM PCPFTOF01 " +
                       "WHERE INSUMO = " + Q(insumo));
  }

  // Order 000001 of product CAMISA, part "FRENTE ÚNICA": the cloth in "VERDE D'ÁGUA", priced; a "BOTÃO" and
  // ten plain buttons in "MADREPÉROLA", each withdrawn for the order (on the server, the ten updates of one
  // shape go as one block); an older row of the order and part to replace.
  void Company() {
    data_->Order("000001", "CAMISA", "2018-06-01");
    data_->Item("000001", 1, "5");
    data_->Part("000001", "FRENTE ÚNICA");
    data_->Sheet("CAMISA", 1, "TECIDO", "FRENTE ÚNICA", "1.5", "S", "MADREPÉROLA", "VERDE D'ÁGUA");
    data_->Price("TECIDO", "VERDE D'ÁGUA", "12.5");
    for (int i = 0; i <= 10; ++i) {
      const std::string botao = i == 10 ? std::string("BOTÃO") : "BOTAO " + std::to_string(i);
      data_->Sheet("CAMISA", 2 + i, botao, "FRENTE ÚNICA", "1", "N", "VERDE D'ÁGUA", "MADREPÉROLA");
      data_->Movement("000001", botao, "MADREPÉROLA", "S", "BC", "1");
    }
    data_->Existing("000001", "ANTIGO", "FRENTE ÚNICA", 99, "MADREPÉROLA", "A", "2018-01-01");
  }

  ActionResult Run(bool importar) {
    AppComponents app(db_->Ini);
    RecordingUi ui;
    const ActionInput input{kCompany, Date(2018, 1, 1), true};
    return importar ? BitBtn1Click(app.C, input, ui) : BitBtn2Click(app.C, input, ui);
  }

  std::unique_ptr<TestDatabase> db_;
  std::unique_ptr<CompanyData> data_;
};

TEST_F(LegacyTextTest, TheCompanyIsLoadedAsAWindowsProgramWritesIt) {
  Company();
  EXPECT_EQ(db_->Scalar("SELECT RDB$CHARACTER_SET_NAME FROM RDB$DATABASE"), "NONE");
  EXPECT_EQ(db_->Scalar("SELECT CAST(EMP_NOME AS VARCHAR(60) CHARACTER SET OCTETS) FROM EMPRESA"),
            "Confec\xE7\xF5"
            "es");
  EXPECT_EQ(
      db_->Scalar("SELECT CAST(MAX(COR_I) AS VARCHAR(60) CHARACTER SET OCTETS) FROM PCPFT301 WHERE ID = 1"),
      "VERDE D'\xC1GUA");
}

TEST_F(LegacyTextTest, ImportThenStatusThenImportAgainMatchEveryAccentedValue) {
  Company();
  const ActionResult imported = Run(true);
  ASSERT_TRUE(imported.Ok) << imported.Message;
  // The older row of the order and part went: the delete matched "FRENTE ÚNICA".
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE INSUMO = 'ANTIGO'"), "0");
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "12");
  // The bytes a Windows-1252 program writes; the price found through the accented colour.
  EXPECT_EQ(Stored("PARTE", "TECIDO"), "FRENTE \xDANICA");
  EXPECT_EQ(Stored("COR", "TECIDO"), "MADREP\xC9ROLA");
  EXPECT_EQ(Stored("COR_I", "TECIDO"), "VERDE D'\xC1GUA");
  EXPECT_EQ(Stored("INSUMO", "BOTÃO"), "BOT\xC3O");
  EXPECT_EQ(Stored("COR_I", "BOTAO 3"), "MADREP\xC9ROLA");
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE INSUMO = 'TECIDO' AND CUSTO = 12.5"), "1");

  const ActionResult status = Run(false);
  ASSERT_TRUE(status.Ok) << status.Message;
  // Each update matched "MADREPÉROLA" (and "BOTÃO"); the cloth was not withdrawn.
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE SITUACAO = 'B' AND COR_I = 'MADREPÉROLA'"),
            "11");
  EXPECT_EQ(db_->Scalar("SELECT SITUACAO FROM PCPFTOF01 WHERE INSUMO = 'TECIDO'"), "A");

  const ActionResult again = Run(true);
  ASSERT_TRUE(again.Ok) << again.Message;
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "12");
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE SITUACAO = 'A'"), "12");
}

TEST_F(LegacyTextTest, TheCompanyListAndTheTableNamesOfARQLOCALReadAndMatch) {
  db_->Exec("INSERT INTO ARQLOCAL (ARQUIVO) VALUES ('PCPFTOFÇ9')");
  AppComponents app(db_->Ini);
  std::vector<std::string> items;
  CarregaEmpresas(*app.C.QryAux, [&](const std::string& item) { items.push_back(item); });
  EXPECT_EQ(items, std::vector<std::string>{kCompany});
  EXPECT_EQ(BuscaArquivo(*app.C.QryAux, "Ç9 | Tecelagem", "PCPFTOF"), "PCPFTOFÇ9");
  EXPECT_EQ(app.C.QryAux->FieldByName("ARQUIVO").AsString(), "PCPFTOFÇ9");  // found, not only formed
  data::TZRQuery& lock = *app.C.QryInsert;
  lock.Close();
  lock.SQL().Clear();
  lock.SQL().Add("UPDATE ARQLOCAL SET ARQUIVO = ARQUIVO WHERE ARQUIVO = 'PCPFTOFÇ9'");
  lock.ExecSQL();
  EXPECT_EQ(lock.RowsAffected(), 1);
}

TEST_F(LegacyTextTest, AValueTheCodePageCannotHoldFailsTheStatementNamingIt) {
  AppComponents app(db_->Ini);
  data::TZRQuery& query = *app.C.QryAux;
  query.Close();
  query.SQL().Clear();
  query.SQL().Add("UPDATE EMPRESA SET EMP_NOME = 'Łódź Têxtil' WHERE EMP_PAT = '01'");
  try {
    query.ExecSQL();
    app.C.ZRDatabase1->FlushWrites();  // on the server the statement may wait to go with others
    ADD_FAILURE() << "no error";
  } catch (const db::EDatabaseError& e) {
    EXPECT_EQ(
        std::string(e.what()),
        "O valor \"Łódź Têxtil\" tem o caractere \"Ł\" (U+0141), que não existe no conjunto de caracteres "
        "WIN1252 em que a base guarda seus textos.");
  }
  app.C.ZRTransaction1->RollbackRetaining();
  EXPECT_EQ(db_->Scalar("SELECT EMP_NOME FROM EMPRESA"), "Confecções");
}

// The zr.ini key names the code page the programs wrote in.
TEST_F(LegacyTextTest, CharsetLegadoInTheSettingsNamesTheCodePage) {
  db_->Exec("UPDATE EMPRESA SET EMP_NOME = CAST(X'A5B9' AS VARCHAR(2) CHARACTER SET OCTETS)");
  db_->Release();
  std::ofstream(db_->Ini, std::ios::app | std::ios::binary) << "CharsetLegado=WIN1250\r\n";
  AppComponents app(db_->Ini);
  std::vector<std::string> items;
  CarregaEmpresas(*app.C.QryAux, [&](const std::string& item) { items.push_back(item); });
  EXPECT_EQ(items, std::vector<std::string>{"01 | Ąą"});
}

TEST_F(LegacyTextTest, AnUnknownCharsetLegadoFailsTheConnectionNamingTheKey) {
  db_->Release();
  std::ofstream(db_->Ini, std::ios::app | std::ios::binary) << "CharsetLegado=LATIN9\r\n";
  try {
    AppComponents app(db_->Ini);
    ADD_FAILURE() << "connected";
  } catch (const db::EDatabaseError& e) {
    EXPECT_EQ(
        std::string(e.what()).rfind("CharsetLegado=LATIN9 não é um conjunto de caracteres conhecido; use um "
                                    "destes: WIN1250, ",
                                    0),
        0u)
        << e.what();
  }
}

}  // namespace
}  // namespace zr::app::testing
