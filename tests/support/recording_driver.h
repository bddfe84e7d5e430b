#pragma once
// Test drivers registered with the framework under driver names that have no server here ("Ora", "ora",
// "Oracle", "PG", "SQLite", "XYZ"). Each records the parameter entries it receives at connect. When the
// entry "Database=" names an existing file it opens that file with the real Firebird driver and records
// every statement it prepares (and, through the shared journal, time-outs, executions and transaction
// calls); otherwise it refuses with "<name>: sem servidor de teste".

#include "support/passthrough_driver.h"

namespace zr::data::testing {

// Connects: one list of entries per connect, in the order received. Prepared: every statement prepared
// through a forwarding connection.
using Recording = testsupport::DriverJournal;

// Registers the drivers once per process and empties the recording.
void ResetRecordingDrivers();

// Registers under `name` a recording driver that hands every connect on to the driver registered as
// `target` (a real driver registered under a name of its own), recording the statements it prepares.
// Does not empty the recording.
void RegisterRecordingDriver(const std::string& name, const std::string& target);
Recording& Recorded();

}  // namespace zr::data::testing
