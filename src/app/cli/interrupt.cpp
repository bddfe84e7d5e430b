#include "interrupt.h"

#include <cstdio>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <thread>
#endif

namespace zr::app::cli {

namespace {

std::recursive_mutex& Lock() {
  static std::recursive_mutex lock;
  return lock;
}

InterruptHandler& Handler() {
  static InterruptHandler handler;
  return handler;
}

// Runs on the interrupt's own thread: the handler's work, the line, and the end of the process. No destructor
// runs: the main thread may be inside a client call. Closing the process closes its connections, and the
// servers roll back what was not committed.
void Interrupted(const std::string& signalName) {
  std::lock_guard<std::recursive_mutex> held(Lock());
  int exit = 1;
  if (Handler()) {
    const std::optional<int> code = Handler()(signalName);
    if (!code) return;
    exit = *code;
  }
  std::fflush(stdout);
  std::fprintf(stderr, "\n%s\n", InterruptLine(signalName).c_str());
  std::fflush(stderr);
#ifdef _WIN32
  ExitProcess(static_cast<UINT>(exit));
#else
  _exit(exit);
#endif
}

#ifdef _WIN32

// Ctrl+C, Ctrl+Break and closing the console window arrive on a thread of their own; the process ends there
// at once, as on the other systems, whatever the main thread is waiting for.
BOOL WINAPI OnConsoleControl(DWORD event) {
  Interrupted(event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? "Ctrl+C" : "console fechado");
  return TRUE;
}

#endif

}  // namespace

std::string InterruptLine(const std::string& signalName) {
  return "zembra-cli: interrompido (" + signalName + "); o que não estava confirmado foi desfeito.";
}

void SetInterruptHandler(InterruptHandler handler) {
  std::lock_guard<std::recursive_mutex> held(Lock());
  Handler() = std::move(handler);
}

InterruptLock::InterruptLock() { Lock().lock(); }
InterruptLock::~InterruptLock() { Lock().unlock(); }

#ifdef _WIN32

void EndOnInterrupt() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

#else

void EndOnInterrupt() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread([signals] {
    for (;;) {
      int received = 0;
      if (sigwait(&signals, &received) != 0) continue;
      Interrupted(received == SIGINT ? "SIGINT" : "SIGTERM");
    }
  }).detach();
}

#endif

}  // namespace zr::app::cli
