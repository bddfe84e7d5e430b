#include "spy_driver.h"

#include "db/firebird/driver.h"

namespace zr::db::testing {

SpyJournal& Spy() {
  static SpyJournal journal;
  return journal;
}

void RegisterSpyDriver() {
  firebird::RegisterDriver();
  testsupport::RegisterJournalDriver("FBSPY", "FB", Spy());
}

}  // namespace zr::db::testing
