// Reading one value of a settings (INI) file the way the Windows profile-string reader does.
//
// The file is a sequence of "[section]" headers and "key=value" lines. Section and key names match without
// regard to ASCII letter case and are compared with the blanks around them removed. The value is everything
// after the first "=", blanks around it removed and, when it is enclosed in a pair of single or double
// quotes, the quotes dropped; ";", "#", "=" and "," inside it are part of it. Lines without "=" (comments,
// blank lines) are passed over. The first matching key of a matching section wins.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "host/host.h"

#ifdef _WIN32
#include <windows.h>

#include "host/wide_text.h"
#endif

namespace zr::host {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string_view WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

#ifdef _WIN32

// Windows: the file name is UTF-8 like every text of the program, and so is the value returned. Notepad saves
// a settings file in the ANSI code page, in UTF-8 with or without a byte order mark, or in UTF-16 ("Unicode")
// with one; each is read as what it is. A file without a byte order mark that is not valid UTF-8 is ANSI.
bool ReadWholeFile(const std::string& fileName, std::string& contents) {
  // Only a regular file is read: opening a device such as CON could wait for ever.
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::path(detail::FromUtf8(fileName)), error))
    return false;
  FILE* file = _wfopen(detail::FromUtf8(fileName).c_str(), L"rb");
  if (file == nullptr) return false;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) contents.append(buffer, n);
  std::fclose(file);
  return true;
}

std::string AsUtf8(const std::string& raw) {
  if (raw.starts_with("\xEF\xBB\xBF")) return raw;  // the reader below drops the mark
  if (raw.starts_with("\xFF\xFE")) {
    std::wstring wide((raw.size() - 2) / 2, L'\0');
    std::memcpy(wide.data(), raw.data() + 2, wide.size() * sizeof(wchar_t));
    return detail::ToUtf8(wide);
  }
  if (detail::IsValidUtf8(raw)) return raw;
  return detail::ToUtf8(detail::FromCodePage(CP_ACP, raw));
}

#endif

}  // namespace

std::string ReadIniString(const std::string& FileName, const std::string& Section, const std::string& Key,
                          const std::string& Default) {
#ifdef _WIN32
  std::string raw;
  if (!ReadWholeFile(FileName, raw)) return Default;
  std::istringstream file(AsUtf8(raw));
#else
  // Only a regular file is read: opening a pipe or a device could wait for ever.
  std::error_code error;
  if (!std::filesystem::is_regular_file(FileName, error)) return Default;
  std::ifstream file(FileName, std::ios::binary);
  if (!file) return Default;
#endif

  const std::string_view section = TrimBlanks(Section);
  const std::string_view key = TrimBlanks(Key);
  bool inSection = false;
  bool firstLine = true;
  std::string line;
  while (std::getline(file, line)) {
    std::string_view text = line;
    if (firstLine && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // UTF-8 byte order mark
    firstLine = false;
    text = TrimBlanks(text);
    if (text.starts_with('[')) {
      const auto close = text.find(']');
      const std::string_view name = text.substr(1, close == std::string_view::npos ? close : close - 1);
      inSection = SameName(TrimBlanks(name), section);
      continue;
    }
    if (!inSection) continue;
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    if (SameName(TrimBlanks(text.substr(0, equals)), key)) {
      return std::string(WithoutQuotes(TrimBlanks(text.substr(equals + 1))));
    }
  }
  return Default;
}

}  // namespace zr::host
