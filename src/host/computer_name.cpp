// The computer's name, as short as a NetBIOS name: the SQL log puts it into its file names.

#include <string>

#include "host/host.h"

#ifdef _WIN32
#include <windows.h>

#include "host/wide_text.h"
#else
#include <unistd.h>
#endif

namespace zr::host {

namespace {
// Room for 15 characters and the terminating zero, as the computer-name call of Windows provides.
constexpr size_t kMaxComputerNameLength = 15;
}  // namespace

#ifdef _WIN32

std::string ComputerName() {
  wchar_t buffer[kMaxComputerNameLength + 1] = {};
  DWORD size = static_cast<DWORD>(kMaxComputerNameLength + 1);
  if (!GetComputerNameW(buffer, &size)) return {};
  return detail::ToUtf8(std::wstring(buffer, size));
}

#else

std::string ComputerName() {
  char buffer[256] = {};
  if (gethostname(buffer, sizeof buffer - 1) != 0) return {};
  std::string name(buffer);
  // A host name may carry its domain ("pcfab01.example.com"); the computer's own name is its first label,
  // as Windows reports it.
  if (const auto dot = name.find('.'); dot != std::string::npos) name.resize(dot);
  if (name.size() > kMaxComputerNameLength) name.resize(kMaxComputerNameLength);
  return name;
}

#endif

}  // namespace zr::host
