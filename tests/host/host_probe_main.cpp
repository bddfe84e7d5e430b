// host_probe: started by the Windows host tests from a copy placed in a folder of their choice. Writes, as
// UTF-8 lines into "probe.txt" beside itself, what the host services report from there: the executable's
// path, its folder, and the "base" value of section "banco" of the "zr.ini" beside it.

#include <cstdio>
#include <string>

#include "host/host.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
std::wstring Wide(const std::string& text) {
  std::wstring out(text.size(), L'\0');
  out.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                     out.data(), static_cast<int>(out.size()))));
  return out;
}
#endif

}  // namespace

int main() {
  const std::string dir = zr::host::ExecutableDir();
  const std::string report = zr::host::ExecutablePath() + "\n" + dir + "\n" +
                             zr::host::ReadIniString(dir + "zr.ini", "banco", "base", "<none>") + "\n";
#ifdef _WIN32
  FILE* out = _wfopen(Wide(dir + "probe.txt").c_str(), L"wb");
#else
  FILE* out = std::fopen((dir + "probe.txt").c_str(), "wb");
#endif
  if (out == nullptr) return 1;
  const bool written = std::fwrite(report.data(), 1, report.size(), out) == report.size();
  return std::fclose(out) == 0 && written ? 0 : 1;
}
