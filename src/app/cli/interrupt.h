#pragma once
// Ending zembra-cli on SIGINT or SIGTERM (on Windows: Ctrl+C, Ctrl+Break or closing the console), whatever it
// is waiting for.

#include <functional>
#include <optional>
#include <string>

namespace zr::app::cli {

// Blocks SIGINT and SIGTERM in the calling thread, and so in every thread started after it (the database
// client's too), and starts a thread that waits for them. On either signal it writes a line to standard error
// and ends the process at once, even while connecting or while a server does not answer. Nothing is committed
// by ending: the servers roll back the open transaction of a connection that closes, and the embedded engine
// treats the transaction of a process that is gone as rolled back. Call it first in main, before any other
// thread exists.
void EndOnInterrupt();

// The line an interrupt writes, without a line end: "zembra-cli: interrompido (SIGINT); ...".
std::string InterruptLine(const std::string& signalName);

// What an interrupt does besides its line: called on the interrupt thread, while the main thread holds no
// InterruptLock, with the signal's name ("SIGINT"). It returns the exit code, or nothing when the main thread
// has already told the run's outcome and is only ending: the interrupt is then ignored. Without a handler an
// interrupt exits with 1.
using InterruptHandler = std::function<std::optional<int>(const std::string& signalName)>;
void SetInterruptHandler(InterruptHandler handler);

// Held by the main thread while it changes what the handler reads, or prints what an interrupt must not
// print twice; an interrupt waits for it.
class InterruptLock {
 public:
  InterruptLock();
  ~InterruptLock();
  InterruptLock(const InterruptLock&) = delete;
  InterruptLock& operator=(const InterruptLock&) = delete;
};

}  // namespace zr::app::cli
