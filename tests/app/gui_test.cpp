// The window on Qt's offscreen platform, driven with Qt Test, over a real Firebird database.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/actions.h"
#include "app/startup.h"
#include "app_test_support.h"
#include "company_data.h"
#include "gui/form1.h"
#include "host/host.h"
#include "program_run.h"
#include "window_test_support.h"

namespace zr::app::testing {
namespace {

using gui::MessageKind;
namespace fs = std::filesystem;

// A settings file the window starts from, and the Portuguese line its connection message ends with.
struct SettingsCase {
  const char* name;
  std::string ini;
  std::string line;
};

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
  // Two such orders, so that the import runs on after its first order.
  void TwoOrders() {
    OneOrder();
    CompanyData data(*db_, "01");
    data.Order("000002", "PRD1", "2018-02-01");
    data.Item("000002", 1, "5");
    data.Part("000002", "FRENTE");
  }
  void ChooseCompany01() { Child<QComboBox>("CbEmp")->setCurrentIndex(1); }
  // Settings files that cannot be read, made in the test's directory: missing, a folder, a pipe no one writes.
  std::vector<SettingsCase> UnreadableSettings() {
    const std::string fifo = db_->Dir + "fifo.ini";
    EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directories(db_->Dir + "folder.ini");
    return {{"a missing file", db_->Dir + "absent/zr.ini",
             "Arquivo de configuração não encontrado: " + db_->Dir + "absent/zr.ini"},
            {"a folder", db_->Dir + "folder.ini",
             "Arquivo de configuração é uma pasta: " + db_->Dir + "folder.ini"},
            {"a pipe, refused before anything waits for it", fifo,
             "Arquivo de configuração não é um arquivo comum: " + fifo}};
  }

  std::unique_ptr<TestDatabase> db_;
};

// The real modal box, read while it is open and closed with its OK button: CR LF pairs and lone CRs are
// single line ends, and the box has its one OK button and no details button.
TEST(MessageBoxTest, ShowsEachLineEndOnceWithOneOkButton) {
  App();
  gui::SetMessageHook(nullptr);
  QString text;
  std::vector<QMessageBox::StandardButton> buttons;
  bool detailsButton = true;
  bool seen = false;
  // Looks for the open box every 10 ms; the box's own event loop runs the timer, so the wait ends with it.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (box == nullptr || !box->isVisible()) continue;
      seen = true;
      text = box->text();
      for (QAbstractButton* button : box->buttons()) buttons.push_back(box->standardButton(button));
      detailsButton = !box->detailedText().isEmpty();
      box->button(QMessageBox::Ok)->click();
      poll.stop();
      return;
    }
  });
  poll.start(10);
  gui::ShowMessageBox(
      nullptr, MessageKind::Information, "Zembra",
      "Erro na importação.\rERRO PROVÁVEL DE DEADLOCK :\r\rDELETE FROM PCPFTOF01\r\nWHERE NUMERO = '1'\r\n");
  ASSERT_TRUE(seen) << "the box was open";
  EXPECT_EQ(
      text.toStdString(),
      "Erro na importação.\nERRO PROVÁVEL DE DEADLOCK :\n\nDELETE FROM PCPFTOF01\nWHERE NUMERO = '1'\n");
  EXPECT_EQ(buttons, std::vector<QMessageBox::StandardButton>{QMessageBox::Ok});
  EXPECT_FALSE(detailsButton);
}

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

// A legacy database (default character set NONE) holds the company's name in Windows-1252 bytes.
TEST_F(GuiTest, TheCompanyListOfALegacyDatabaseShowsItsAccents) {
  db_ = TestDatabase::Create("GuiLegacy", {{"01", "Confecções"}}, "NONE");
  db_->Release();
  Open(db_->Ini);
  EXPECT_TRUE(shown_.empty());
  auto* cb = Child<QComboBox>("CbEmp");
  ASSERT_EQ(cb->count(), 1);
  EXPECT_EQ(cb->itemText(0).toStdString(), "01 | Confecções");
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
      {"Label68", {8, 38, 51, 13}},     {"EdtOFEmi", {62, 34, 87, 21}}, {"CbOFPend", {157, 37, 85, 17}},
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
  for (const char* name :
       {"ZRDatabase1", "ZRTransaction1", "QryBusca", "QryAux", "QryCons", "QryInsert", "QryGrava"}) {
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

// A settings file that cannot be read gives every key the empty value (or is refused before it is read): the
// line that names it is the error's own message, in place of the connection's complaint about the empty
// values, and it is said once.
TEST_F(GuiTest,
       ASettingsFileThatCannotBeReadIsTheConnectionMessagesOneLineAfterItsFirstAndTheWindowStillOpens) {
  for (const SettingsCase& c : UnreadableSettings()) {
    SCOPED_TRACE(c.name);
    shown_.clear();
    Open(c.ini);
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].Kind, MessageKind::Standard);
    EXPECT_EQ(shown_[0].Caption, ApplicationTitle(host::ExecutablePath()));
    EXPECT_EQ(shown_[0].Text, "Falha na conexão com o banco.\r" + c.line);
    EXPECT_TRUE(form_->isVisible());
    EXPECT_EQ(Child<QComboBox>("CbEmp")->count(), 0);
    delete form_.data();
  }
}

TEST_F(GuiTest, ACommonRefusalGetsAPortugueseLineAfterTheServersWholeMessage) {
  for (const RefusalCase& c : RefusalCases(*db_)) {
    // The window runs in this process, so no other program can hold the database for it.
    if (c.HeldElsewhere) continue;
    SCOPED_TRACE(c.Name);
    shown_.clear();
    db_->Release();
    Open(c.Ini);
    ASSERT_EQ(shown_.size(), 1u);
    const std::string& text = shown_[0].Text;
    EXPECT_EQ(text.rfind("Falha na conexão com o banco.\r", 0), 0u) << text;
    const size_t server = text.find(c.Server);
    ASSERT_NE(server, std::string::npos) << text;
    const std::string advice = "\r" + c.Advice;
    ASSERT_GT(text.size(), advice.size());
    EXPECT_EQ(text.substr(text.size() - advice.size()), advice) << text;
    EXPECT_LT(server, text.size() - advice.size()) << "the server's words come first";
    delete form_.data();
  }
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

TEST_F(GuiTest, AnotherActionOfTheCompanyRunningMakesImportarStopWithAMessageAndLeavesTheWindowReady) {
  OneOrder();
  Open(db_->Ini);
  ChooseCompany01();
  // Another program imports the same company; while it runs, the user presses Importar on the window.
  AppComponents other(db_->Ini);
  RecordingUi otherUi;
  bool pressed = false;
  otherUi.OnProcess = [&](int) {
    if (pressed) return;
    pressed = true;
    QTest::mouseClick(Child<QPushButton>("BitBtn1"), Qt::LeftButton);
  };
  const ActionResult first = BitBtn1Click(other.C, {"01 | Confecção Zembra", 0.0, true}, otherUi);

  EXPECT_TRUE(pressed);
  EXPECT_TRUE(first.Ok) << first.Message;
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Text, std::string("Erro na importação.\r") + kMsgOutraAcao);
  DeletePending();
  ASSERT_FALSE(form_.isNull());
  EXPECT_TRUE(Child<QWidget>("Panel1")->isEnabled());
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "1");
}

TEST_F(GuiTest, ClosingTheWindowWhileAnActionRunsAsksAndNoLetsTheActionGoOn) {
  TwoOrders();
  struct Case {
    const char* name;
    std::function<void(gui::TForm1*)> close;
  };
  const Case cases[] = {
      {"the title bar's close button or Alt+F4", [](gui::TForm1* form) { form->close(); }},
      {"Escape", [](gui::TForm1* form) { QTest::keyClick(form, Qt::Key_Escape); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    shown_.clear();
    asked_.clear();
    db_->Exec("DELETE FROM PCPFTOF01");
    db_->Release();
    Open(db_->Ini);
    ChooseCompany01();
    // A second request while the question is open asks nothing more.
    gui::SetQuestionHook([&](const std::string& caption, const std::string& text) {
      asked_.push_back({MessageKind::Standard, caption, text});
      if (asked_.size() == 1) c.close(form_.data());
      return false;
    });
    QTimer::singleShot(0, [&] { c.close(form_.data()); });
    QTest::mouseClick(Child<QPushButton>("BitBtn1"), Qt::LeftButton);

    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].Caption, ApplicationTitle(host::ExecutablePath()));
    EXPECT_EQ(asked_[0].Text, "Interromper a ação em andamento? Nada será gravado.");
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].Text, "Importação concluída.");
    DeletePending();
    EXPECT_TRUE(form_.isNull()) << "the window closes after the action, as always";
    EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "2");
  }
}

TEST_F(GuiTest, EscapeWithoutARunningActionAsksNothing) {
  Open(db_->Ini);
  QTest::keyClick(form_.data(), Qt::Key_Escape);
  EXPECT_TRUE(asked_.empty());
  DeletePending();
  ASSERT_FALSE(form_.isNull());
  EXPECT_TRUE(form_->isVisible());
}

// Yes ends the program at once, so the window runs in a program of its own: this test program, asked for
// the one test below through ZR_INTERRUPTED_WINDOW_INI, which names the settings file to open.
TEST_F(GuiTest, ClosingTheWindowWhileAnActionRunsAndAnsweringYesEndsTheProgramWithNothingCommitted) {
  TwoOrders();
  db_->Release();
  setenv("ZR_INTERRUPTED_WINDOW_INI", db_->Ini.c_str(), 1);
  const Outcome o = RunProgram(host::ExecutablePath(), {"--gtest_filter=InterruptedWindow.*"}, db_->Dir);
  unsetenv("ZR_INTERRUPTED_WINDOW_INI");

  EXPECT_EQ(o.Exit, 1) << o.Out << o.Err;
  EXPECT_TRUE(Contains(o.Out, "asked: Interromper a ação em andamento? Nada será gravado.\n")) << o.Out;
  EXPECT_FALSE(Contains(o.Out, "still running")) << o.Out;
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "0") << "nothing was committed";
  // Nor is the company left locked: the next import runs and commits.
  db_->Release();
  AppComponents next(db_->Ini);
  RecordingUi ui;
  const ActionResult r = BitBtn1Click(next.C, {"01 | Confecção Zembra", 0.0, true}, ui);
  EXPECT_TRUE(r.Ok) << r.Message;
}

// The program of the test above: the window imports from the settings file named, its user closes it during
// the run and answers Yes. Skipped when run on its own.
class InterruptedWindow : public WindowTest {};

TEST_F(InterruptedWindow, ClosedDuringImportarWithYes) {
  const char* ini = std::getenv("ZR_INTERRUPTED_WINDOW_INI");
  if (ini == nullptr) GTEST_SKIP() << "run by the test of the window closed during an action";
  Open(ini);
  Child<QComboBox>("CbEmp")->setCurrentIndex(1);
  gui::SetQuestionHook([](const std::string&, const std::string& text) {
    std::printf("asked: %s\n", text.c_str());
    std::fflush(stdout);
    return true;
  });
  QTimer::singleShot(0, [this] { form_->close(); });
  QTest::mouseClick(Child<QPushButton>("BitBtn1"), Qt::LeftButton);
  std::printf("still running\n");
  std::fflush(stdout);
}

// After a start-up that could not connect, each action tries to connect again and fails the same way: after
// its own first line it tells what the start-up's connection message told, the Portuguese line included.
TEST_F(GuiTest, AnActionWithoutAConnectionTellsWhatTheStartUpToldAndTheWindowStaysReady) {
  std::vector<SettingsCase> cases = UnreadableSettings();
  for (const RefusalCase& c : RefusalCases(*db_)) {
    if (!c.HeldElsewhere) cases.push_back({c.Name, c.Ini, c.Advice});
  }
  const std::string falha = "Falha na conexão com o banco.\r";
  for (const SettingsCase& c : cases) {
    SCOPED_TRACE(c.name);
    shown_.clear();
    db_->Release();
    Open(c.ini);
    ASSERT_EQ(shown_.size(), 1u);
    const std::string startup = shown_[0].Text;
    ASSERT_EQ(startup.rfind(falha, 0), 0u) << startup;
    ASSERT_EQ(startup.substr(startup.size() - c.line.size()), c.line) << startup;
    for (const char* button : {"BitBtn1", "BitBtn2"}) {
      SCOPED_TRACE(button);
      shown_.clear();
      QTest::mouseClick(Child<QPushButton>(button), Qt::LeftButton);
      ASSERT_EQ(shown_.size(), 1u);
      EXPECT_EQ(shown_[0].Kind, MessageKind::Information);
      EXPECT_EQ(shown_[0].Caption, "Zembra");
      EXPECT_EQ(shown_[0].Text, "Erro na importação.\r" + startup.substr(falha.size()));
      DeletePending();
      ASSERT_FALSE(form_.isNull());
      EXPECT_TRUE(Child<QWidget>("Panel1")->isEnabled());
      EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    delete form_.data();
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

// The fault this guards against: a typed date that the field dropped made Importar run from the zero date,
// which imports every order again and turns its withdrawn "B" rows back to "A".
TEST_F(GuiTest, ADateTypedIntoTheFieldIsTheDateImportarStartsFrom) {
  struct Case {
    const char* name;
    bool eraseFirst;
    const char* typed;
  };
  const Case cases[] = {
      {"digits typed into an emptied field", true, "15062017"},
      {"a date with slashes typed over the old date", false, "15/06/2017"},
  };
  CompanyData data(*db_, "01");
  data.Sheet("PRD1", 1, "MAT1", "FRENTE", "1", "S", "001", "AZUL");
  for (const char* numero : {"000001", "000002"}) {
    data.Item(numero, 1, "5");
    data.Part(numero, "FRENTE");
  }
  data.Order("000001", "PRD1", "2017-06-10");
  data.Order("000002", "PRD1", "2017-06-20");
  data.Existing("000001", "MAT1", "FRENTE", 1, "AZUL", "B", "2017-06-11");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    shown_.clear();
    Open(db_->Ini);
    ChooseCompany01();
    QApplication::setActiveWindow(form_);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
    Child<QWidget>("CbEmp")->setFocus();
    QTest::keyClick(Child<QWidget>("CbEmp"), Qt::Key_Tab);
    auto* date = Child<QDateEdit>("EdtOFEmi");
    ASSERT_TRUE(date->hasFocus());
    if (c.eraseFirst) {
      // Emptied the way the fault showed: a click into the text, Ctrl+A and Delete.
      auto* text = date->findChild<QLineEdit*>();
      QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(text->width() / 3, text->height() / 2));
      QTest::keyClick(date, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClick(date, Qt::Key_Delete);
    }
    QTest::keyClicks(date, c.typed);
    QTest::mouseClick(Child<QPushButton>("BitBtn1"), Qt::LeftButton);

    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].Text, "Importação concluída.");
    DeletePending();
    EXPECT_TRUE(form_.isNull());
    EXPECT_EQ(db_->Select("SELECT NUMERO, SITUACAO FROM PCPFTOF01 ORDER BY NUMERO"),
              (std::vector<std::vector<std::string>>{{"000001", "B"}, {"000002", "A"}}));
  }
}

// The bar keeps its position when a new maximum is set, cut to the new range, and a maximum of 0 (no order on or
// after the date) shows an empty bar, not Qt's animated busy bar.
TEST_F(GuiTest, TheProgressBarKeepsItsPositionUnderANewMaximumAndIsEmptyWithoutOrders) {
  CompanyData data(*db_, "01");
  data.Sheet("PRD1", 1, "MAT1", "FRENTE", "1", "S", "001", "AZUL");
  const std::pair<const char*, const char*> orders[] = {
      {"000001", "2018-02-01"}, {"000002", "2018-02-02"}, {"000003", "2018-03-05"}};
  for (const auto& [numero, start] : orders) {
    data.Order(numero, "PRD1", start);
    data.Item(numero, 1, "5");
    data.Part(numero, "FRENTE");
  }
  db_->Exec("CREATE EXCEPTION E_RECUSA 'pedido recusado'");
  db_->Exec(
      "CREATE TRIGGER TR_RECUSA FOR PCPFTOF01 BEFORE INSERT AS BEGIN IF (NEW.NUMERO = '000003') THEN EXCEPTION "
      "E_RECUSA; END");
  // Statement by statement, so that the refusal comes while its order is handled (write-behind would report
  // it when the queue is sent, with the bar further on).
  std::ofstream(db_->Ini, std::ios::app | std::ios::binary) << "GravacaoAgrupada=0\r\n";
  Open(db_->Ini);
  ChooseCompany01();
  auto* bar = Child<QProgressBar>("PbPCPFTOF");
  auto import = [&](QDate from) {
    shown_.clear();
    Child<QDateEdit>("EdtOFEmi")->setDate(from);
    QTest::mouseClick(Child<QPushButton>("BitBtn1"), Qt::LeftButton);
  };

  import(QDate(2018, 1, 1));  // three orders; the third is refused
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Text.rfind("Erro na importação.\r", 0), 0u) << shown_[0].Text;
  EXPECT_EQ(bar->maximum(), 3);
  EXPECT_EQ(bar->value(), 2);

  import(QDate(2018, 3, 1));  // only the refused order: a maximum of 1 under the position 2
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Text.rfind("Erro na importação.\r", 0), 0u) << shown_[0].Text;
  EXPECT_EQ(bar->maximum(), 1);
  EXPECT_EQ(bar->value(), 1) << "a new maximum below the position fills the bar, it does not empty it";

  // No order: the bar as the closing message shows it, beside an empty bar of the same size.
  int maximum = -1, value = -1;
  bool empty = false;
  gui::SetMessageHook([&](MessageKind kind, const std::string& caption, const std::string& text) {
    shown_.push_back({kind, caption, text});
    maximum = bar->maximum();
    value = bar->value();
    QProgressBar reference(form_);
    reference.setTextVisible(false);
    reference.setRange(0, 1);
    reference.setValue(0);
    reference.setGeometry(bar->geometry());
    empty = bar->grab().toImage() == reference.grab().toImage();
  });
  import(QDate(2030, 1, 1));
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].Text, "Importação concluída.");
  EXPECT_EQ(maximum, 0);
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(empty) << "a maximum of 0 shows an empty bar";
  EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM PCPFTOF01"), "0");
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
