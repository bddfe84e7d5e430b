// The window on Qt's offscreen platform, driven with Qt Test, over a real Firebird database.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "app/startup.h"
#include "app_test_support.h"
#include "company_data.h"
#include "gui/form1.h"
#include "host/host.h"
#include "window_test_support.h"

namespace zr::app::testing {
namespace {

using gui::MessageKind;

class GuiTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    db_ = TestDatabase::Create(::testing::UnitTest::GetInstance()->current_test_info()->name(),
                               {{"02", "Malharia D'Ouro"}, {"01", "Confecção Zembra"}});
  }

  // One order of company 01 with one sheet material, imported by the window.
  void OneOrder(const std::string& start = "2018-02-01") {
    CompanyData data(*db_, "01");
    data.Order("000001", "PRD1", start);
    data.Item("000001", 1, "5");
    data.Part("000001", "FRENTE");
    data.Sheet("PRD1", 1, "MAT1", "FRENTE", "1", "S", "001", "AZUL");
  }
  void ChooseCompany01() { Child<QComboBox>("CbEmp")->setCurrentIndex(1); }

  std::unique_ptr<TestDatabase> db_;
};

TEST_F(GuiTest, AGoodSettingsFileOpensTheWindowWithTheCompaniesInTheServersOrder) {
  Open(db_->Ini);
  EXPECT_TRUE(shown_.empty());
  auto* cb = Child<QComboBox>("CbEmp");
  ASSERT_EQ(cb->count(), 2);
  EXPECT_EQ(cb->itemText(0).toStdString(), "02 | Malharia D'Ouro");
  EXPECT_EQ(cb->itemText(1).toStdString(), "01 | Confecção Zembra");
  EXPECT_EQ(cb->currentIndex(), 0);
  EXPECT_FALSE(cb->isEditable());
  EXPECT_TRUE(form_->Components().ZRDatabase1->Connected());
}

TEST_F(GuiTest, TheWindowHasItsControlsCaptionsPlacesAndDefaults) {
  Open(db_->Ini);
  EXPECT_EQ(form_->windowTitle().toStdString(), "Zembra");
  EXPECT_EQ(form_->size(), QSize(624, 157));
  EXPECT_EQ(form_->font().pixelSize(), 11);
  struct Place {
    const char* name;
    QRect geometry;
  };
  const Place places[] = {
      {"PbPCPFTOF", {0, 141, 624, 16}}, {"Panel1", {0, 0, 624, 141}},   {"CbEmp", {7, 10, 408, 21}},
      {"Label68", {8, 38, 51, 13}},     {"EdtOFEmi", {62, 34, 87, 21}},  {"CbOFPend", {157, 37, 85, 17}},
      {"BitBtn1", {8, 58, 94, 30}},     {"BitBtn2", {105, 58, 94, 30}},
  };
  for (const Place& p : places) {
    SCOPED_TRACE(p.name);
    EXPECT_EQ(Child<QWidget>(p.name)->geometry(), p.geometry);
  }
  EXPECT_EQ(Child<QLabel>("Label68")->text().toStdString(), "A partir de");
  EXPECT_EQ(Child<QDateEdit>("EdtOFEmi")->text().toStdString(), "01/01/2000");
  EXPECT_TRUE(Child<QDateEdit>("EdtOFEmi")->calendarPopup());
  EXPECT_EQ(Child<QCheckBox>("CbOFPend")->text().toStdString(), "OF Pendente");
  EXPECT_TRUE(Child<QCheckBox>("CbOFPend")->isChecked());
  EXPECT_EQ(Child<QPushButton>("BitBtn1")->text().toStdString(), "Importar");
  EXPECT_EQ(Child<QPushButton>("BitBtn2")->text().toStdString(), "Atualizar Situação");
  EXPECT_EQ(Child<QProgressBar>("PbPCPFTOF")->minimum(), 0);
  EXPECT_EQ(Child<QProgressBar>("PbPCPFTOF")->value(), 0);
  for (const char* name : {"CbEmp", "Label68", "EdtOFEmi", "CbOFPend", "BitBtn1", "BitBtn2"}) {
    EXPECT_EQ(Child<QWidget>(name)->parentWidget(), Child<QWidget>("Panel1")) << name;
  }
  for (const char* name : {"ZRDatabase1", "ZRTransaction1", "QryBusca", "QryAux", "QryCons", "QryInsert",
                           "QryGrava"}) {
    const db::TComponent* owner = form_->Components().ZRDatabase1->Owner();
    EXPECT_NE(owner->FindComponent(name), nullptr) << name;
  }
}

TEST_F(GuiTest, TabOrderRunsFromImportarThroughTheFieldsToAtualizarSituacao) {
  Open(db_->Ini);
  QApplication::setActiveWindow(form_);
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
  Child<QWidget>("BitBtn1")->setFocus();
  std::vector<std::string> order;
  for (int i = 0; i < 5; ++i) {
    QWidget* focus = QApplication::focusWidget();
    while (focus && focus->objectName().isEmpty()) focus = focus->parentWidget();
    order.push_back(focus ? focus->objectName().toStdString() : "");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"BitBtn1", "CbEmp", "EdtOFEmi", "CbOFPend", "BitBtn2"}));
}

TEST_F(GuiTest, AMissingSettingsFileShowsOneConnectionMessageAndTheWindowStillOpens) {
  Open(db_->Dir + "absent/zr.ini");
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Kind, MessageKind::Standard);
  EXPECT_EQ(shown_[0].Caption, ApplicationTitle(host::ExecutablePath()));
  EXPECT_EQ(shown_[0].Text.rfind("Falha na conexão com o banco.\r", 0), 0u) << shown_[0].Text;
  EXPECT_GT(shown_[0].Text.size(), std::string("Falha na conexão com o banco.\r").size());
  EXPECT_TRUE(form_->isVisible());
  EXPECT_EQ(Child<QComboBox>("CbEmp")->count(), 0);
}

TEST_F(GuiTest, AWrongPasswordShowsOneConnectionMessage) {
  if (!UseServer()) GTEST_SKIP() << "the embedded engine does not check passwords";
  const std::string ini = db_->Dir + "wrong.ini";
  std::ofstream(ini) << "[banco]\nServidor=127.0.0.1:3050\nbase=" << db_->Target.Database
                     << "\nusuario=SYSDBA\nsenha=errada\n";
  Open(ini);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Text.rfind("Falha na conexão com o banco.\r", 0), 0u);
  EXPECT_NE(shown_[0].Text.find("user name and password"), std::string::npos) << shown_[0].Text;
  EXPECT_TRUE(form_->isVisible());
}

TEST_F(GuiTest, AFailingCompanyListGoesToTheDefaultErrorReport) {
  db_->Exec("DROP TABLE EMPRESA");
  Open(db_->Ini);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Kind, MessageKind::Error);
  EXPECT_EQ(shown_[0].Caption, ApplicationTitle(host::ExecutablePath()));
  EXPECT_NE(shown_[0].Text.find("EMPRESA"), std::string::npos) << shown_[0].Text;
  EXPECT_TRUE(form_->isVisible());
}

TEST_F(GuiTest, ACompanyListFailingHalfwayKeepsTheItemsReadWithNoneChosen) {
  db_->Exec("CREATE TABLE EMPRESA_BASE (EMP_PAT VARCHAR(10), DIVISOR INTEGER)");
  db_->Exec("INSERT INTO EMPRESA_BASE VALUES ('01', 1)");
  db_->Exec("INSERT INTO EMPRESA_BASE VALUES ('02', 0)");
  db_->Exec("DROP TABLE EMPRESA");
  db_->Exec(
      "CREATE VIEW EMPRESA (EMP_PAT, EMP_NOME) AS SELECT EMP_PAT, CAST(1 / DIVISOR AS VARCHAR(10)) FROM "
      "EMPRESA_BASE");
  Open(db_->Ini);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Kind, MessageKind::Error);
  auto* cb = Child<QComboBox>("CbEmp");
  EXPECT_LE(cb->count(), 1);
  EXPECT_EQ(cb->currentIndex(), -1);
  EXPECT_TRUE(cb->currentText().isEmpty());
}

TEST_F(GuiTest, ImportarDisablesThePanelWhileItRunsThenReportsAndClosesTheWindow) {
  OneOrder();
  Open(db_->Ini);
  ChooseCompany01();
  bool panelEnabled = true;
  bool waitCursor = false;
  QTimer::singleShot(0, [&] {
    panelEnabled = form_->findChild<QWidget*>("Panel1")->isEnabled();
    waitCursor = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
  });
  QTest::mouseClick(Child<QPushButton>("BitBtn1"), Qt::LeftButton);

  EXPECT_FALSE(panelEnabled);
  EXPECT_TRUE(waitCursor);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Kind, MessageKind::Information);
  EXPECT_EQ(shown_[0].Caption, "Zembra");
  EXPECT_EQ(shown_[0].Text, "Importação concluída.");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  DeletePending();
  EXPECT_TRUE(form_.isNull()) << "the window stays open after success";
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "1");
}

TEST_F(GuiTest, AFailedImportShowsTheErrorAndLeavesTheWindowReady) {
  OneOrder();
  db_->Exec("CREATE EXCEPTION E_RECUSA 'pedido recusado'");
  db_->Exec("CREATE TRIGGER TR_RECUSA FOR PCPFTOF01 BEFORE INSERT AS BEGIN EXCEPTION E_RECUSA; END");
  Open(db_->Ini);
  ChooseCompany01();
  QTest::mouseClick(Child<QPushButton>("BitBtn1"), Qt::LeftButton);

  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Kind, MessageKind::Information);
  EXPECT_EQ(shown_[0].Text.rfind("Erro na importação.\r", 0), 0u) << shown_[0].Text;
  EXPECT_NE(shown_[0].Text.find("pedido recusado"), std::string::npos);
  DeletePending();
  ASSERT_FALSE(form_.isNull());
  EXPECT_TRUE(Child<QWidget>("Panel1")->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Child<QProgressBar>("PbPCPFTOF")->maximum(), 1);
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "0");
}

TEST_F(GuiTest, ClosingTheWindowWhileAnActionRunsIsRefused) {
  OneOrder();
  CompanyData data(*db_, "01");
  data.Order("000002", "PRD1", "2018-02-01");
  data.Item("000002", 1, "5");
  data.Part("000002", "FRENTE");
  db_->Exec("CREATE EXCEPTION E_RECUSA 'pedido recusado'");
  db_->Exec(
      "CREATE TRIGGER TR_RECUSA FOR PCPFTOF01 BEFORE INSERT AS BEGIN IF (NEW.NUMERO = '000002') THEN EXCEPTION "
      "E_RECUSA; END");
  Open(db_->Ini);
  ChooseCompany01();
  bool closeRequested = false;
  QTimer::singleShot(0, [&] {
    closeRequested = true;
    form_->close();
  });
  QTest::mouseClick(Child<QPushButton>("BitBtn1"), Qt::LeftButton);

  EXPECT_TRUE(closeRequested);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Text.rfind("Erro na importação.\r", 0), 0u) << shown_[0].Text;
  DeletePending();
  ASSERT_FALSE(form_.isNull());
  EXPECT_TRUE(form_->isVisible());
}

TEST_F(GuiTest, AnActionWithoutAConnectionReportsTheErrorAndTheWindowStaysReady) {
  Open(db_->Dir + "absent/zr.ini");
  ASSERT_EQ(shown_.size(), 1u);
  for (const char* button : {"BitBtn1", "BitBtn2"}) {
    SCOPED_TRACE(button);
    shown_.clear();
    QTest::mouseClick(Child<QPushButton>(button), Qt::LeftButton);
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].Kind, MessageKind::Information);
    EXPECT_EQ(shown_[0].Text.rfind("Erro na importação.\r", 0), 0u) << shown_[0].Text;
    DeletePending();
    ASSERT_FALSE(form_.isNull());
    EXPECT_TRUE(Child<QWidget>("Panel1")->isEnabled());
  }
}

TEST_F(GuiTest, AnEmptyDateFieldImportsEveryOrder) {
  OneOrder("1950-05-05");
  Open(db_->Ini);
  ChooseCompany01();
  auto* date = Child<QDateEdit>("EdtOFEmi");
  date->setFocus();
  date->selectAll();
  QTest::keyClick(date, Qt::Key_Delete);
  EXPECT_EQ(form_->DataInicial(), 0.0);
  QTest::mouseClick(Child<QPushButton>("BitBtn1"), Qt::LeftButton);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Text, "Importação concluída.");
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "1");
}

TEST_F(GuiTest, AtualizarSituacaoReportsAndClosesTheWindow) {
  CompanyData data(*db_, "01");
  data.Existing("000001", "MAT1", "FRENTE", 1, "AZUL", "A", "2018-06-01");
  data.Movement("000001", "MAT1", "AZUL", "S", "BC", "1");
  Open(db_->Ini);
  ChooseCompany01();
  QTest::mouseClick(Child<QPushButton>("BitBtn2"), Qt::LeftButton);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Text, "Importação concluída.");
  DeletePending();
  EXPECT_TRUE(form_.isNull());
  EXPECT_EQ(db_->Scalar("SELECT SITUACAO FROM PCPFTOF01"), "B");
}

}  // namespace
}  // namespace zr::app::testing
