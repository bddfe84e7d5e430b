#include "interrupt.h"

#include "app/end_run.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <signal.h>

#include <thread>
#endif

namespace zr::app::cli {

#ifdef _WIN32

namespace {

// Ctrl+C, Ctrl+Break and closing the console window arrive on a thread of their own; the process ends there
// at once, as on the other systems, whatever the main thread is waiting for.
BOOL WINAPI OnConsoleControl(DWORD event) {
  EndRunNow(event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT
                ? "\r\nzembra-cli: interrompido (Ctrl+C); o que não estava confirmado foi desfeito.\r\n"
                : "\r\nzembra-cli: interrompido; o que não estava confirmado foi desfeito.\r\n");
}

}  // namespace

void EndOnInterrupt() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

#else

void EndOnInterrupt() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread([signals] {
    int received = 0;
    while (sigwait(&signals, &received) != 0) {
    }
    // The main thread may be inside a client call: the process ends here, without it.
    EndRunNow(received == SIGINT
                  ? "\nzembra-cli: interrompido (SIGINT); o que não estava confirmado foi desfeito.\n"
                  : "\nzembra-cli: interrompido (SIGTERM); o que não estava confirmado foi desfeito.\n");
  }).detach();
}

#endif

}  // namespace zr::app::cli
