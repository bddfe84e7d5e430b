// The window on an "Ora" connection (zr.ini with banco=ORACLE) to the Oracle stand-in, on Qt's offscreen
// platform: start-up, both buttons and a failing import, each action beside the same window on embedded
// Firebird over the same generated company, with the same PCPFTOF on both. The generated company holds no
// empty text and no CHAR order number, the cases where Oracle's results differ from Firebird's (those are
// in standin_test.cpp).

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QPushButton>
#include <QTest>

#include "program_run.h"
#include "standin_pair.h"
#include "window_test_support.h"

namespace zr::app::testing {
namespace {

using gui::MessageKind;

// What the window is given before a button is clicked.
struct Click {
  const char* button;  // BitBtn1 "Importar" or BitBtn2 "Atualizar Situação"
  QDate desde;
  bool pendente;
};

class OraWindowTest : public WindowTest, protected StandinPair {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    if (StandinDisabled()) GTEST_SKIP() << "the Oracle stand-in is switched off (ZR_STANDIN=0)";
    CreatePair();
  }

  // Opens the window on `ini` (freeing one left open), chooses company 01, fills the fields and clicks the
  // button; then runs the deferred deletes, so that a window the action closed is gone.
  void Run(const std::string& ini, const Click& click) {
    delete form_.data();
    shown_.clear();
    Open(ini);
    auto* cb = Child<QComboBox>("CbEmp");
    const int index = cb->findText(QString::fromUtf8(kEmpresa));
    ASSERT_GE(index, 0) << kEmpresa;
    cb->setCurrentIndex(index);
    Child<QDateEdit>("EdtOFEmi")->setDate(click.desde);
    Child<QCheckBox>("CbOFPend")->setChecked(click.pendente);
    QTest::mouseClick(Child<QPushButton>(click.button), Qt::LeftButton);
    DeletePending();
  }

  // The action completed: one information box and the window closed.
  void ExpectConcluded() {
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].Kind, MessageKind::Information);
    EXPECT_EQ(shown_[0].Caption, "Zembra");
    EXPECT_EQ(shown_[0].Text, "Importação concluída.");
    EXPECT_TRUE(form_.isNull()) << "the window stays open after success";
  }
};

TEST_F(OraWindowTest, TheWindowStartsWithoutAMessageAndListsTheCompaniesInTheServersOrder) {
  ora_->Exec("INSERT INTO EMPRESA (EMP_PAT, EMP_NOME) VALUES ('10', NULL)");
  const auto serverOrder = ora_->Select("SELECT EMP_PAT, EMP_NOME FROM EMPRESA");

  Open(ora_->Ini);
  EXPECT_TRUE(shown_.empty());
  EXPECT_TRUE(form_->Components().ZRDatabase1->Connected());
  EXPECT_EQ(form_->Components().ZRDatabase1->DriverName(), "Ora");
  auto* cb = Child<QComboBox>("CbEmp");
  ASSERT_EQ(static_cast<size_t>(cb->count()), serverOrder.size());
  for (int i = 0; i < cb->count(); ++i) {
    EXPECT_EQ(cb->itemText(i).toStdString(), serverOrder[i][0] + " | " + serverOrder[i][1]);
  }
  EXPECT_EQ(cb->currentIndex(), 0);
}

TEST_F(OraWindowTest, BothButtonsGiveTheSamePcpftofAsTheWindowOnFirebird) {
  Generated();
  struct Step {
    const char* name;
    Click click;
  };
  const Step steps[] = {
      {"Importar of the pending orders from 15/01/2017", {"BitBtn1", QDate(2017, 1, 15), true}},
      {"Atualizar Situação from 20/01/2017", {"BitBtn2", QDate(2017, 1, 20), true}},
      {"Importar of every order from 14/01/2017, rows marked B replaced",
       {"BitBtn1", QDate(2017, 1, 14), false}},
      {"Atualizar Situação from 13/01/2017", {"BitBtn2", QDate(2017, 1, 13), true}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    for (const std::string& ini : {fb_->Ini, ora_->Ini}) {
      SCOPED_TRACE(ini);
      Run(ini, s.click);
      ExpectConcluded();
    }
    ExpectSamePcpftof();
  }
  // The scenario did real work: rows written, withdrawn and still open.
  EXPECT_GT(std::stoi(ora_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE SITUACAO = 'B'")), 0);
  EXPECT_GT(std::stoi(ora_->Scalar("SELECT COUNT(*) FROM PCPFTOF01 WHERE SITUACAO = 'A'")), 0);
}

TEST_F(OraWindowTest, AFailedImportShowsTheErrorLeavesTheWindowOpenAndPcpftofUnchanged) {
  Generated();
  Run(ora_->Ini, {"BitBtn1", QDate(2017, 1, 27), true});
  ExpectConcluded();
  // A row of an order not imported yet is refused.
  ora_->Exec("ALTER TABLE PCPFTOF01 ADD CONSTRAINT CK_RECUSA CHECK (NUMERO <> '000025')");
  const auto before = ora_->Select(kPcpftofSql);
  ASSERT_FALSE(before.empty());

  Run(ora_->Ini, {"BitBtn1", QDate(2017, 1, 14), false});
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Kind, MessageKind::Information);
  EXPECT_EQ(shown_[0].Caption, "Zembra");
  EXPECT_EQ(shown_[0].Text.rfind("Erro na importação.\r", 0), 0u) << shown_[0].Text;
  EXPECT_TRUE(Contains(shown_[0].Text, "ck_recusa")) << shown_[0].Text;
  ASSERT_FALSE(form_.isNull());
  EXPECT_TRUE(form_->isVisible());
  EXPECT_TRUE(Child<QWidget>("Panel1")->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(ora_->Select(kPcpftofSql), before);
}

// Where Oracle's results differ from Firebird's, the window shows the same completion on both; only the rows
// differ: a material with an empty colour is withdrawn on Firebird and stays open on Oracle (NULL = NULL).
TEST_F(OraWindowTest, AMaterialWithAnEmptyColourStaysOpenOnOracleWhereFirebirdMarksItWithdrawn) {
  for (
      const char* sql : {
          "INSERT INTO PCPFTOF01 (NUMERO, TIPO, INSUMO, PARTE, CONSUMO, COR, COR_I, ID, CUSTO, SITUACAO, DATA) "
          "VALUES ('000101', 'MP', 'LINHA', 'FRENTE', 1.5, '', '', 1, 0, 'A', '2018-02-01')",
          "INSERT INTO MAT_MOV01 (LANCAMENTO, NUM_DOCTO, CODIGO, COR, OPERACAO, TP_MOV, QTDE, DATA) VALUES "
          "(1, '000101/01', 'LINHA', '', 'S', 'BC', 1, '2018-02-03')",
      }) {
    Both(sql);
  }
  for (const std::string& ini : {fb_->Ini, ora_->Ini}) {
    SCOPED_TRACE(ini);
    Run(ini, {"BitBtn2", QDate(2018, 1, 31), true});
    ExpectConcluded();
  }
  EXPECT_EQ(fb_->Scalar("SELECT SITUACAO FROM PCPFTOF01"), "B");
  EXPECT_EQ(ora_->Scalar("SELECT SITUACAO FROM PCPFTOF01"), "A");
}

}  // namespace
}  // namespace zr::app::testing
