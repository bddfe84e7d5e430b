// Start-up against a real database: connecting from zr.ini, the company list, the company table names.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "app/company.h"
#include "app/settings.h"
#include "db/errors.h"
#include "app_test_support.h"

namespace zr::app::testing {
namespace {

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = TestDatabase::Create(::testing::UnitTest::GetInstance()->current_test_info()->name(), {});
  }
  std::unique_ptr<TestDatabase> db_;
};

TEST_F(StartupTest, AGoodSettingsFileConnectsWithTheFirebirdDriver) {
  db::TComponent owner;
  TFormComponents c = CreateFormComponents(owner);
  ConectaBanco(*c.ZRDatabase1, db_->Ini);
  EXPECT_TRUE(c.ZRDatabase1->Connected());
  EXPECT_EQ(c.ZRDatabase1->DriverName(), "FB");
  EXPECT_EQ(c.ZRDatabase1->Port(), 0);
  EXPECT_EQ(c.ZRDatabase1->HostName(), UseServer() ? "127.0.0.1" : "");
}

// A settings file that cannot be read fails the connection with the line that names it, not with the
// connection's complaint about the empty values read from it; opening the connection again, as an action does
// after such a start-up, fails the same way. A database that cannot be opened keeps the server's own message.
TEST_F(StartupTest, ASettingsFileThatCannotBeReadFailsToConnectWithTheLineThatNamesIt) {
  std::filesystem::create_directories(db_->Dir + "folder.ini");
  const RefusalCase ausente = RefusalCases(*db_).front();  // a database file that does not exist
  struct Case {
    const char* name;
    std::string ini;
    std::string message;  // the whole message, or, for the server's, a part of it
    bool whole;
  };
  const Case cases[] = {
      {"a missing file", db_->Dir + "absent/zr.ini",
       "Arquivo de configuração não encontrado: " + db_->Dir + "absent/zr.ini", true},
      {"a folder", db_->Dir + "folder.ini", "Arquivo de configuração é uma pasta: " + db_->Dir + "folder.ini",
       true},
      {ausente.Name, ausente.Ini, ausente.Server, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    db::TComponent owner;
    TFormComponents components = CreateFormComponents(owner);
    for (const auto& [step, open] : {std::pair<const char*, std::function<void()>>{
                                         "start-up", [&] { ConectaBanco(*components.ZRDatabase1, c.ini); }},
                                     {"again", [&] { AbreConexao(*components.ZRDatabase1, c.ini); }}}) {
      SCOPED_TRACE(step);
      try {
        open();
        ADD_FAILURE() << "connected";
      } catch (const db::EDatabaseError& e) {
        if (c.whole) {
          EXPECT_EQ(std::string(e.what()), c.message);
        } else {
          EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
          EXPECT_EQ(std::string(e.what()).find("Arquivo de configuração"), std::string::npos) << e.what();
        }
      }
      EXPECT_FALSE(components.ZRDatabase1->Connected());
    }
  }
}

TEST_F(StartupTest, CompaniesAreListedInTheServersOrderAsCodeBarName) {
  db_->Exec("INSERT INTO EMPRESA (EMP_PAT, EMP_NOME) VALUES ('02', 'Malharia D''Ouro')");
  db_->Exec("INSERT INTO EMPRESA (EMP_PAT, EMP_NOME) VALUES ('01', 'Confecção Zembra')");
  db_->Exec("INSERT INTO EMPRESA (EMP_PAT, EMP_NOME) VALUES ('10', NULL)");
  const auto serverOrder = db_->Select("SELECT EMP_PAT, EMP_NOME FROM EMPRESA");

  AppComponents app(db_->Ini);
  std::vector<std::string> items;
  CarregaEmpresas(*app.C.QryAux, [&](const std::string& item) { items.push_back(item); });

  ASSERT_EQ(items.size(), serverOrder.size());
  for (size_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(items[i], serverOrder[i][0] + " | " + serverOrder[i][1]);
  EXPECT_EQ(items, (std::vector<std::string>{"02 | Malharia D'Ouro", "01 | Confecção Zembra", "10 | "}));
  EXPECT_TRUE(app.C.QryAux->Active());
}

TEST_F(StartupTest, TableNamesAreFormedFromTheCompanyCodeAndConfirmedInArqlocal) {
  db_->Exec("INSERT INTO ARQLOCAL (ARQUIVO) VALUES ('PCPFT212')");
  db_->Exec("INSERT INTO ARQLOCAL (ARQUIVO) VALUES ('PCPFT20''1')");
  struct Case {
    const char* name;
    const char* item;
    const char* expected;
  };
  const Case cases[] = {
      {"a listed name", "12 | Empresa doze", "PCPFT212"},
      {"a name missing from ARQLOCAL is formed all the same", "13 | Empresa treze", "PCPFT213"},
      {"an empty list gives the base name", "", "PCPFT2"},
      {"an empty code gives the base name", " | Sem código", "PCPFT2"},
      {"a code is cut at its first separator", "A | B | C", "PCPFT2A"},
      {"a code holding a quote is looked up with the quote doubled", "0'1 | Aspas", "PCPFT20'1"},
      {"an item without the separator has no code", "12", "PCPFT2"},
  };
  AppComponents app(db_->Ini);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(BuscaArquivo(*app.C.QryAux, c.item, "PCPFT2"), c.expected);
  }
}

TEST_F(StartupTest, AWrongPasswordFailsOnTheServer) {
  if (!UseServer()) GTEST_SKIP() << "the embedded engine does not check passwords";
  const std::string ini = db_->Dir + "wrong.ini";
  std::ofstream(ini) << "[banco]\nServidor=127.0.0.1:3050\nbase=" << db_->Target.Database
                     << "\nusuario=SYSDBA\nsenha=errada\n";
  db::TComponent owner;
  TFormComponents c = CreateFormComponents(owner);
  try {
    ConectaBanco(*c.ZRDatabase1, ini);
    FAIL() << "connected with a wrong password";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("user name and password"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace zr::app::testing
