#include "interrupt.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <thread>
#endif

namespace zr::app::cli {

#ifdef _WIN32

namespace {

// Ctrl+C, Ctrl+Break and closing the console window arrive on a thread of their own; the process ends there
// at once, as on the other systems, whatever the main thread is waiting for.
BOOL WINAPI OnConsoleControl(DWORD event) {
  const char* text =
      event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT
          ? "\r\nzembra-cli: interrompido (Ctrl+C); o que não estava confirmado foi desfeito.\r\n"
          : "\r\nzembra-cli: interrompido; o que não estava confirmado foi desfeito.\r\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(lstrlenA(text)), &written, nullptr);
  ExitProcess(1);
}

}  // namespace

void EndOnInterrupt() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

#else

namespace {

void WriteAll(const char* text) {
  size_t left = std::strlen(text);
  while (left > 0) {
    const ssize_t written = write(STDERR_FILENO, text, left);
    if (written <= 0) return;
    text += written;
    left -= static_cast<size_t>(written);
  }
}

}  // namespace

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
    WriteAll(received == SIGINT
                 ? "\nzembra-cli: interrompido (SIGINT); o que não estava confirmado foi desfeito.\n"
                 : "\nzembra-cli: interrompido (SIGTERM); o que não estava confirmado foi desfeito.\n");
    // No destructor runs: the main thread may be inside a client call. Closing the process closes its
    // connections, and the servers roll back what was not committed.
    _exit(1);
  }).detach();
}

#endif

}  // namespace zr::app::cli
