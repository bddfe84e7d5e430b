#pragma once
// Windows only: UTF-16 texts of the system calls as the UTF-8 strings of the rest of the program, and back;
// shared by every layer that calls the system (host services, the SQL log, the Firebird client's loader).

#ifdef _WIN32
#include <windows.h>

#include <string>

namespace zr::host::detail {

// `text` in the code page `codePage` (CP_ACP: the system's ANSI code page).
inline std::string InCodePage(UINT codePage, const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

inline std::string ToUtf8(const std::wstring& text) { return InCodePage(CP_UTF8, text); }

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
