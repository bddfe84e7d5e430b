#include "interrupt.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <thread>

namespace zr::app::cli {

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
    WriteAll(received == SIGINT ? "\nzembra-cli: interrompido (SIGINT); o que não estava confirmado foi desfeito.\n"
                                : "\nzembra-cli: interrompido (SIGTERM); o que não estava confirmado foi desfeito.\n");
    // No destructor runs: the main thread may be inside a client call. Closing the process closes its
    // connections, and the servers roll back what was not committed.
    _exit(1);
  }).detach();
}

}  // namespace zr::app::cli
