#include "support/recording_driver.h"

#include <filesystem>

#include "db/errors.h"
#include "db/firebird/driver.h"

namespace zr::data::testing {

Recording& Recorded() {
  static Recording recording;
  return recording;
}

void RegisterRecordingDriver(const std::string& name, const std::string& target) {
  testsupport::RegisterJournalDriver(name, target, Recorded());
}

void ResetRecordingDrivers() {
  static const bool registered = [] {
    db::firebird::RegisterDriver();
    for (const std::string name : {"Ora", "ora", "Oracle", "PG", "SQLite", "XYZ"}) {
      testsupport::RegisterJournalDriver(name, "FB", Recorded(), [name](const db::TStringList& params) {
        const std::string database = params.Values("Database");
        if (database.empty() || !std::filesystem::is_regular_file(database)) {
          throw db::EDatabaseError(name + ": sem servidor de teste");
        }
      });
    }
    return true;
  }();
  (void)registered;
  Recorded() = Recording{};
}

}  // namespace zr::data::testing
