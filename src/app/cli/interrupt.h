#pragma once
// Ending zembra-cli on SIGINT or SIGTERM (on Windows: Ctrl+C, Ctrl+Break or closing the console), whatever it
// is waiting for.

namespace zr::app::cli {

// Blocks SIGINT and SIGTERM in the calling thread, and so in every thread started after it (the database
// client's too), and starts a thread that waits for them. On either signal it writes a line to standard error
// and ends the process at once with exit code 1, even while connecting or while a server does not answer.
// Nothing is committed by ending: the servers roll back the open transaction of a connection that closes, and
// the embedded engine treats the transaction of a process that is gone as rolled back. Call it first in
// main, before any other thread exists.
void EndOnInterrupt();

}  // namespace zr::app::cli
