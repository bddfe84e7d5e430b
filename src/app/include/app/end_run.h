#pragma once
// Ending a run at once, when the user interrupts it: zembra-cli on a signal, the window when the user closes
// it during an action and confirms.

#include <string>

namespace zr::app {

// Writes `Line` (when not empty) to standard error and ends the process at once with exit code 1, whatever
// it is waiting for. No destructor runs: another thread may be inside a database client's call. Nothing is
// committed by ending: the connections close with the process, the servers cancel what a closed connection
// was running and roll back its open transaction, and the embedded engine treats the transaction of a
// process that is gone as rolled back. Safe to call from any thread, a signal thread included.
[[noreturn]] void EndRunNow(const std::string& Line);

}  // namespace zr::app
