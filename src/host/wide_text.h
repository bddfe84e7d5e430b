#pragma once
// Windows only: UTF-16 texts of the system calls as the UTF-8 strings of the rest of the program, and back.

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

inline std::wstring FromCodePage(UINT codePage, const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

inline std::wstring FromUtf8(const std::string& text) { return FromCodePage(CP_UTF8, text); }

inline bool IsValidUtf8(const std::string& text) {
  return text.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                             static_cast<int>(text.size()), nullptr, 0) != 0;
}

}  // namespace zr::host::detail
#endif
