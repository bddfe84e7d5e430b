// "Atualizar Situação" end to end on a real Firebird database.

#include <gtest/gtest.h>

#include "app/actions.h"
#include "app_test_support.h"
#include "company_data.h"
#include "db/datetime.h"

namespace zr::app::testing {
namespace {

db::TDateTime Date(int y, int m, int d) { return db::EncodeDateTime(db::TDateParts{y, m, d}); }

class StatusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = TestDatabase::Create(::testing::UnitTest::GetInstance()->current_test_info()->name(),
                               {{"01", "Confecção Zembra"}});
    data_ = std::make_unique<CompanyData>(*db_, "01");
  }

  ActionResult Update(db::TDateTime desde, RecordingUi& ui) {
    AppComponents app(db_->Ini);
    return BitBtn2Click(app.C, ActionInput{"01 | Confecção Zembra", desde, true}, ui);
  }

  // SITUACAO of the order's rows of one material, colour and part.
  std::string Situacao(const std::string& numero, const std::string& insumo, const std::string& parte) {
    return db_->Scalar("SELECT MAX(SITUACAO) FROM PCPFTOF01 WHERE NUMERO = " + Q(numero) +
                       " AND INSUMO = " + Q(insumo) + " AND PARTE = " + Q(parte));
  }

  std::unique_ptr<TestDatabase> db_;
  std::unique_ptr<CompanyData> data_;
};

TEST_F(StatusTest, MarksRowsWithdrawnForTheOrderAndLeavesTheOthersOpen) {
  struct Case {
    const char* name;
    const char* numero;
    const char* insumo;
    const char* parte;
    const char* expected;
  };
  const std::string today = "2018-06-01";
  data_->Existing("000001", "MAT1", "FRENTE", 1, "AZUL", "A", today);
  data_->Existing("000001", "MAT1", "COSTAS", 2, "AZUL", "A", today);
  data_->Movement("000001", "MAT1", "AZUL", "S", "BC", "0.0001");
  data_->Existing("000001", "MAT2", "FRENTE", 3, "PRETO", "A", today);
  data_->Movement("000001", "MAT2", "PRETO", "E", "BC", "5");
  data_->Movement("000001", "MAT2", "PRETO", "S", "TR", "5");
  data_->Existing("000001", "MAT3", "FRENTE", 4, "VERDE", "A", today);
  data_->Movement("000001", "MAT3", "VERDE", "S", "BC", "5");
  data_->Movement("000001", "MAT3", "VERDE", "S", "BC", "-5");
  data_->Existing("000002", "MAT1", "FRENTE", 1, "AZUL", "A", today);
  data_->Movement("000002/07-X", "MAT1", "AZUL", "S", "BC", "1");
  data_->Existing("000003", "MAT1", "FRENTE", 1, "AZUL", "A", today);
  data_->Movement("00003", "MAT1", "AZUL", "S", "BC", "1");
  data_->Existing("000004", "MAT1", "FRENTE", 1, "AZUL", "A", "2017-01-01");
  data_->Existing("000004", "MAT1", "COSTAS", 2, "AZUL", "A", today);
  data_->Movement("000004", "MAT1", "AZUL", "S", "BC", "1");
  data_->Existing("000005", "MAT1", "FRENTE", 1, "AZUL", "A", "2017-01-01");
  data_->Movement("000005", "MAT1", "AZUL", "S", "BC", "1");
  data_->Existing("000006", "MAT1", "FRENTE", 1, "AZUL", "B", today);
  data_->Existing("000007", "MAT1", "FRENTE", 1, "AZUL", "A", today);
  data_->Movement("000007", "MAT1", "PRETO", "S", "BC", "1");

  RecordingUi ui;
  const ActionResult r = Update(Date(2018, 1, 1), ui);

  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text, "Importação concluída.");
  EXPECT_EQ(ui.Messages[0].Caption, "Zembra");
  EXPECT_EQ(ui.Closes, 1);
  const Case cases[] = {
      {"a tiny withdrawal marks the row", "000001", "MAT1", "FRENTE", "B"},
      {"every row of the order, material and colour changes, whatever its part", "000001", "MAT1", "COSTAS",
       "B"},
      {"an entry and a transfer are no withdrawals", "000001", "MAT2", "FRENTE", "A"},
      {"withdrawals summing to zero leave the row open", "000001", "MAT3", "FRENTE", "A"},
      {"the document number counts by its first six characters", "000002", "MAT1", "FRENTE", "B"},
      {"a shorter document number is another order", "000003", "MAT1", "FRENTE", "A"},
      {"a row before the date changes with a listed row of the same material", "000004", "MAT1", "FRENTE",
       "B"},
      {"a listed row with the withdrawal changes", "000004", "MAT1", "COSTAS", "B"},
      {"a row before the date alone is not listed", "000005", "MAT1", "FRENTE", "A"},
      {"a row already withdrawn stays so", "000006", "MAT1", "FRENTE", "B"},
      {"a withdrawal of another colour does not count", "000007", "MAT1", "FRENTE", "A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Situacao(c.numero, c.insumo, c.parte), c.expected);
  }
  EXPECT_EQ(r.Baixadas, 5);
  for (const std::string& e : ui.Events) {
    EXPECT_TRUE(e.rfind("max", 0) != 0 && e.rfind("pos", 0) != 0) << "the progress bar moved: " << e;
  }
}

TEST_F(StatusTest, AnEmptyTableGivesNoUpdateAndStillCommitsAndCloses) {
  RecordingUi ui;
  const ActionResult r = Update(0.0, ui);
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text, "Importação concluída.");
  EXPECT_EQ(ui.Closes, 1);
  EXPECT_EQ(r.Baixadas, 0);
  EXPECT_EQ(ui.Events, (std::vector<std::string>{"busy", "ready", "message", "close"}));
}

TEST_F(StatusTest, AFailingUpdateRollsBackEveryChangeAndKeepsTheWindowOpen) {
  for (const char* numero : {"000001", "000002", "000003"}) {
    data_->Existing(numero, "MAT1", "FRENTE", 1, "AZUL", "A", "2018-06-01");
    data_->Movement(numero, "MAT1", "AZUL", "S", "BC", "1");
  }
  db_->Exec("CREATE EXCEPTION E_RECUSA 'baixa recusada'");
  db_->Exec(
      "CREATE TRIGGER TR_RECUSA FOR PCPFTOF01 BEFORE UPDATE AS BEGIN IF (NEW.NUMERO = '000003') THEN EXCEPTION "
      "E_RECUSA; END");

  RecordingUi ui;
  const ActionResult r = Update(Date(2018, 1, 1), ui);

  EXPECT_FALSE(r.Ok);
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0].Text.rfind("Erro na importação.\r", 0), 0u);
  EXPECT_NE(ui.Messages[0].Text.find("baixa recusada"), std::string::npos);
  EXPECT_EQ(ui.Closes, 0);
  EXPECT_FALSE(ui.Busy);
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE SITUACAO = 'A'"), "3");
}

TEST_F(StatusTest, QuotesAndAccentsInNumbersAndMaterialsMatchTheirMovements) {
  data_->Existing("OF'É01", "LINHA'Ç", "FRENTE", 1, "AÇÚCAR'", "A", "2018-06-01");
  data_->Movement("OF'É01/02", "LINHA'Ç", "AÇÚCAR'", "S", "BC", "1");

  RecordingUi ui;
  Update(Date(2018, 1, 1), ui);

  EXPECT_EQ(Situacao("OF'É01", "LINHA'Ç", "FRENTE"), "B");
}

}  // namespace
}  // namespace zr::app::testing
