#pragma once
// Test drivers registered with the framework under driver names that have no server here ("Ora", "ora",
// "Oracle", "PG", "SQLite", "XYZ"). Each records the parameter entries it receives at connect. When the
// entry "Database=" names an existing file it opens that file with the real Firebird driver and records
// every statement it prepares; otherwise it refuses with "<name>: sem servidor de teste".

#include <string>
#include <vector>

namespace zr::data::testing {

struct Recording {
  // One list of entries per connect, in the order received.
  std::vector<std::vector<std::string>> Connects;
  // Every statement prepared through a forwarding connection.
  std::vector<std::string> Prepared;
};

// Registers the drivers once per process and empties the recording.
void ResetRecordingDrivers();
Recording& Recorded();

}  // namespace zr::data::testing
