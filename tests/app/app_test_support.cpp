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
