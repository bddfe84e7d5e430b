#pragma once
// What the application's tests share: a fresh Firebird database per test (embedded, or on the server in the
// ".../server" runs), the window's components connected through a zr.ini, and a recorder of what an
// action shows.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/action_ui.h"
#include "app/components.h"
#include "db/component.h"
#include "fixtures/firebird_db.h"

namespace zr::app::testing {

// Leak-sanitizer suppressions for memory the client libraries keep to the end of the process.
inline constexpr const char* kLibraryLeaks =
    "leak:libfbclient.so\nleak:libEngine12.so\nleak:libicuuc.so\nleak:libfontconfig.so\nleak:libtommath.so\n";

// True when the tests run against the Firebird server on 127.0.0.1:3050: the ".../server" runs of a program
// registered with TARGETS embedded server (support/targets.h).
bool UseServer();

// A fresh, empty directory for one test, writable by the Firebird server.
std::string FreshDir(const std::string& name);

// A new database named after the test, with EMPRESA, ARQLOCAL and the companies' (empty) tables.
struct TestDatabase {
  fixtures::FbTarget Target;
  std::string Dir;
  std::string Ini;  // a zr.ini that opens Target

  // Detaches and removes the test's directory with the database.
  ~TestDatabase();

  // `defaultCharSet` "NONE" makes a legacy database (fixtures::FbTarget).
  static std::unique_ptr<TestDatabase> Create(const std::string& name,
                                              const std::vector<fixtures::CompanyInfo>& companies,
                                              const std::string& defaultCharSet = "");
  void Exec(const std::string& sql) { Session().Exec(sql); }
  std::vector<std::vector<std::string>> Select(const std::string& sql) { return Session().Select(sql); }
  std::string Scalar(const std::string& sql) { return Session().Scalar(sql); }
  // The test's own attachment, opened when first needed.
  fixtures::FbSession& Session();
  // Closes the test's attachment: an embedded database opens in one process at a time, so this comes before
  // another program opens it.
  void Release() { session_.reset(); }

 private:
  std::unique_ptr<fixtures::FbSession> session_;
};

// A common refusal of a connection, made for real on the current target: the settings file written for it, a
// part of the server's own message, and the Portuguese line that must follow that message.
struct RefusalCase {
  const char* Name;
  std::string Ini;     // a settings file, written in the test's directory, whose connection is refused
  std::string Server;  // a part of the server's (or the engine's) message
  std::string Advice;  // the line that says what happened and what to do
  // The refusal needs the database attached by another program (the test's own attachment stays open).
  bool HeldElsewhere = false;
};
// The refusals the current target can produce: a database file that does not exist; on the server a wrong
// password and a server that does not listen; on the embedded engine a database another program holds.
std::vector<RefusalCase> RefusalCases(TestDatabase& db);

// The window's components, owned by a plain owner, connected from a zr.ini.
struct AppComponents {
  db::TComponent Owner;
  TFormComponents C = CreateFormComponents(Owner);
  explicit AppComponents(const std::string& ini);
};

// Records everything an action asks of its surroundings, in order.
class RecordingUi : public ActionUi {
 public:
  struct Message {
    std::string Text;
    std::string Caption;
  };

  void SetBusy(bool Busy) override;
  void SetProgressMax(int Max) override;
  void SetProgress(int Position) override;
  void ProcessMessages() override;
  void ShowMessage(const std::string& Text, const std::string& Caption) override;
  void CloseWindow() override;

  std::vector<std::string> Events;  // "busy", "ready", "max N", "pos N", "process", "message", "close"
  std::vector<Message> Messages;
  std::vector<int> Positions;
  int Max = -1;
  int Closes = 0;
  int Processed = 0;
  bool Busy = false;
  std::function<void(int)> OnProcess;  // called with the count of ProcessMessages calls so far
};

}  // namespace zr::app::testing
