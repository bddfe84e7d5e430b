#pragma once
// Windows only: UTF-16 texts of the system calls as the UTF-8 strings of the rest of the program.

#ifdef _WIN32
#include <windows.h>

#include <string>

namespace zr::host::detail {

inline std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

}  // namespace zr::host::detail
#endif
