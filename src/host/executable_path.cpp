// Where the running program lies: the log files and the settings file are found next to it.

#include <string>

#include "host/host.h"

#ifdef _WIN32
#include <windows.h>

#include "host/wide_text.h"
#else
#include <climits>
#include <unistd.h>

#include <vector>
#endif

namespace zr::host {

#ifdef _WIN32

std::string ExecutablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return detail::ToUtf8(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

#else

std::string ExecutablePath() {
  // /proc/self/exe names the program file even when it was started through a relative path or a link.
  std::vector<char> buffer(PATH_MAX);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
    buffer.resize(buffer.size() * 2);
  }
}

#endif

std::string ExecutableDir() {
  const std::string path = ExecutablePath();
#ifdef _WIN32
  const auto cut = path.find_last_of("\\/");
#else
  const auto cut = path.rfind('/');
#endif
  if (cut == std::string::npos) return {};
  return path.substr(0, cut + 1);
}

}  // namespace zr::host
