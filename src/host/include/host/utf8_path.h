#pragma once
// File names as the UTF-8 strings of the rest of the program: on Windows a path built from a plain string
// would read it in the ANSI code page, losing accented names.

#include <filesystem>
#include <string>

namespace zr::host {

// The path named by the UTF-8 text `text`.
inline std::filesystem::path PathFromUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

// The UTF-8 text of `path`, as messages show it.
inline std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

}  // namespace zr::host
