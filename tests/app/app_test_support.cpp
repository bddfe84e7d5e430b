#include "app_test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/drivers.h"
#include "app/settings.h"

namespace zr::app::testing {

namespace fs = std::filesystem;

bool UseServer() {
  const char* target = std::getenv("ZR_TEST_TARGET");
  return target != nullptr && std::string(target) == "server";
}

std::string FreshDir(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("zr-app-tests-" + std::to_string(getpid())) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  // The server runs as its own user and creates its files here.
  for (fs::path p = dir; p != fs::temp_directory_path(); p = p.parent_path()) {
    fs::permissions(p, fs::perms::all, fs::perm_options::replace);
  }
  return dir.string() + "/";
}

std::unique_ptr<TestDatabase> TestDatabase::Create(const std::string& name,
                                                   const std::vector<fixtures::CompanyInfo>& companies) {
  RegisterDrivers();
  auto t = std::make_unique<TestDatabase>();
  t->Dir = FreshDir(name);
  t->Target.Database = t->Dir + "zembra.fdb";
  if (UseServer()) t->Target.Server = "127.0.0.1";
  fixtures::CreateFbDatabase(t->Target, true);
  t->Session = std::make_unique<fixtures::FbSession>(t->Target);
  t->Session->CreateSharedTables();
  for (const fixtures::CompanyInfo& company : companies) t->Session->AddCompany(company);
  t->Ini = t->Dir + kSettingsFileName;
  fixtures::WriteZrIni(t->Ini, t->Target);
  return t;
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
