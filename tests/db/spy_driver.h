#pragma once
// A driver "FBSPY" that passes every call to the real "FB" driver and writes down what the framework asked of
// it: the entries it connected with, the statements it prepared, the time-outs, the executions with their
// parameter columns, and the transaction calls (the shared journal of support/passthrough_driver.h).

#include "support/passthrough_driver.h"

namespace zr::db::testing {

using SpyExecution = testsupport::JournalExecution;
using SpyJournal = testsupport::DriverJournal;

// Registers "FBSPY" (and "FB") once; the journal is shared by every FBSPY connection.
void RegisterSpyDriver();
SpyJournal& Spy();

}  // namespace zr::db::testing
