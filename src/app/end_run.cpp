#include "app/end_run.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace zr::app {

void EndRunNow(const std::string& Line) {
  const char* text = Line.data();
  size_t left = Line.size();
#ifdef _WIN32
  DWORD written = 0;
  if (left > 0) WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(left), &written, nullptr);
  ExitProcess(1);
#else
  while (left > 0) {
    const ssize_t written = write(STDERR_FILENO, text, left);
    if (written <= 0) break;
    text += written;
    left -= static_cast<size_t>(written);
  }
  _exit(1);
#endif
}

}  // namespace zr::app
