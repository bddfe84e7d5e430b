#include "app_test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/drivers.h"
#include "app/settings.h"
#include "fixtures/environment.h"
#include "support/targets.h"

// Under the leak sanitizer: the Firebird client library and fontconfig keep memory of their own to the end
// of the process (character set converters, authentication state, font caches); those are not this
// program's leaks.
extern "C" const char* __lsan_default_suppressions() { return zr::app::testing::kLibraryLeaks; }

namespace zr::app::testing {

namespace fs = std::filesystem;

bool UseServer() { return testsupport::CurrentTarget() == testsupport::Target::FirebirdServer; }

std::string FreshDir(const std::string& name) {
  // The server's databases live where scripts/firebird-server.sh lets the server write.
  const fs::path root = UseServer() ? fs::path(fixtures::FbServerSettings().Dir) : fs::temp_directory_path();
  const fs::path dir = root / ("zr-app-tests-" + std::to_string(getpid())) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  // The server runs as its own user and creates its files here.
  for (fs::path p = dir; p != root; p = p.parent_path()) {
    fs::permissions(p, fs::perms::all, fs::perm_options::replace);
  }
  return dir.string() + "/";
}

std::unique_ptr<TestDatabase> TestDatabase::Create(const std::string& name,
                                                   const std::vector<fixtures::CompanyInfo>& companies,
                                                   const std::string& defaultCharSet) {
  RegisterDrivers();
  auto t = std::make_unique<TestDatabase>();
  t->Dir = FreshDir(name);
  t->Target.Database = t->Dir + "zembra.fdb";
  t->Target.DefaultCharSet = defaultCharSet;
  if (UseServer()) {
    t->Target.Server = "127.0.0.1";
    t->Target.Password = fixtures::FbServerSettings().Password;
  }
  fixtures::CreateFbDatabase(t->Target, true);
  t->Session().CreateSharedTables();
  for (const fixtures::CompanyInfo& company : companies) t->Session().AddCompany(company);
  t->Ini = t->Dir + kSettingsFileName;
  fixtures::WriteZrIni(t->Ini, t->Target);
  return t;
}

TestDatabase::~TestDatabase() {
  Release();
  std::error_code ignored;
  fs::remove_all(Dir, ignored);
}

fixtures::FbSession& TestDatabase::Session() {
  if (!session_) session_ = std::make_unique<fixtures::FbSession>(Target);
  return *session_;
}

std::vector<RefusalCase> RefusalCases(TestDatabase& db) {
  const auto ini = [&db](const char* file, const std::function<void(fixtures::FbTarget&)>& change) {
    fixtures::FbTarget target = db.Target;
    change(target);
    fixtures::WriteZrIni(db.Dir + file, target);
    return db.Dir + file;
  };
  std::vector<RefusalCase> cases = {
      {"a database file that does not exist",
       ini("ausente.ini", [&db](fixtures::FbTarget& t) { t.Database = db.Dir + "ausente.fdb"; }),
       "No such file or directory",
       "O arquivo do banco de dados não foi encontrado. Confira o caminho na chave \"base\" do arquivo de "
       "configuração."}};
  if (UseServer()) {
    cases.push_back(
        {"a wrong password", ini("senha.ini", [](fixtures::FbTarget& t) { t.Password = "errada"; }),
         "Your user name and password are not defined",
         "O usuário ou a senha foram recusados. Confira as chaves \"usuario\" e \"senha\" do arquivo "
         "de configuração."});
    cases.push_back({"a server that does not listen",
                     ini("porta.ini", [](fixtures::FbTarget& t) { t.Server = "127.0.0.1/1"; }),
                     "Unable to complete network request to host",
                     "O servidor não foi alcançado. Confira se ele está ligado e acessível pela rede, e o "
                     "endereço na chave \"Servidor\" do arquivo de configuração."});
  } else {
    cases.push_back(
        {"a database another program holds", db.Ini, "Database already opened with engine instance",
         "O banco de dados já está aberto por outro programa; um banco embutido abre em um programa "
         "de cada vez. Feche o outro programa e tente de novo.",
         true});
  }
  return cases;
}

AppComponents::AppComponents(const std::string& ini) {
  RegisterDrivers();
  ConectaBanco(*C.ZRDatabase1, ini);
}

void RecordingUi::SetBusy(bool Value) {
  Busy = Value;
  Events.push_back(Value ? "busy" : "ready");
}

void RecordingUi::SetProgressMax(int Value) {
  Max = Value;
  Events.push_back("max " + std::to_string(Value));
}

void RecordingUi::SetProgress(int Position) {
  Positions.push_back(Position);
  Events.push_back("pos " + std::to_string(Position));
}

void RecordingUi::ProcessMessages() {
  ++Processed;
  Events.push_back("process");
  if (OnProcess) OnProcess(Processed);
}

void RecordingUi::ShowMessage(const std::string& Text, const std::string& Caption) {
  Messages.push_back({Text, Caption});
  Events.push_back("message");
}

void RecordingUi::CloseWindow() {
  ++Closes;
  Events.push_back("close");
}

}  // namespace zr::app::testing
