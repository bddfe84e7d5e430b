// Windows: the Firebird client library (fbclient.dll) is loaded when the first connection needs it, not when
// the program starts. A machine without Firebird then still runs the program, and the first connection says
// which library is missing and where it was looked for.
//
// Where the library is looked for, in this order:
//   1. the program's own folder (a client library shipped beside the program wins);
//   2. the default instance of an installed Firebird, as its installer records it in the registry
//      (the instance's folder, then its "bin" folder, where Firebird 2.5 kept it);
//   3. the system's search order for DLLs (the system folder, where the installer can copy it, and PATH).
//
// The two entry points of the client that the driver calls directly, fb_get_master_interface and
// fb_sqlstate, are defined here and forward to the loaded library; everything else goes through the
// master interface.

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "db/errors.h"
#include "fb_api.h"
#include "host/wide_text.h"

namespace zr::db::firebird {

namespace {

constexpr const wchar_t* kClientDll = L"fbclient.dll";
constexpr const wchar_t* kInstancesKey = L"SOFTWARE\\Firebird Project\\Firebird Server\\Instances";
constexpr const wchar_t* kDefaultInstance = L"DefaultInstance";

using MasterEntry = Firebird::IMaster*(ISC_EXPORT*)();
using SqlStateEntry = void(ISC_EXPORT*)(char*, const ISC_STATUS*);

std::string Utf8(const std::wstring& text) { return host::detail::ToUtf8(text); }

std::wstring WithSeparator(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return folder;
}

// The running program's folder, ending with a separator.
std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const auto cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

// The root folder of the default Firebird instance the installer registered; empty when there is none.
std::wstring InstalledFirebirdFolder() {
  for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstancesKey, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) {
      continue;
    }
    std::vector<wchar_t> value(MAX_PATH + 1, L'\0');
    DWORD bytes = static_cast<DWORD>((value.size() - 1) * sizeof(wchar_t));
    DWORD type = 0;
    const LSTATUS read = RegQueryValueExW(key, kDefaultInstance, nullptr, &type,
                                          reinterpret_cast<BYTE*>(value.data()), &bytes);
    RegCloseKey(key);
    if (read == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
      const std::wstring folder(value.data());
      if (!folder.empty()) return WithSeparator(folder);
    }
  }
  return {};
}

// A library loaded from a full path finds the DLLs it depends on in its own folder.
HMODULE LoadFrom(const std::wstring& path) {
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

struct ClientLibrary {
  HMODULE module = nullptr;
  std::wstring path;  // where it was loaded from
};

ClientLibrary LoadClient() {
  std::vector<std::wstring> candidates;
  const std::wstring programFolder = ProgramFolder();
  if (!programFolder.empty()) candidates.push_back(programFolder + kClientDll);
  if (const std::wstring installed = InstalledFirebirdFolder(); !installed.empty()) {
    candidates.push_back(installed + kClientDll);
    candidates.push_back(installed + L"bin\\" + kClientDll);
  }
  std::string refused;  // libraries that are there but would not load
  for (const std::wstring& candidate : candidates) {
    if (GetFileAttributesW(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    if (HMODULE module = LoadFrom(candidate)) return {module, candidate};
    const DWORD error = GetLastError();
    refused += " " + Utf8(candidate) +
               " n\xC3\xA3o p\xC3\xB4"
               "de ser carregada (erro " +
               std::to_string(error) +
               (error == ERROR_BAD_EXE_FORMAT ? ": n\xC3\xA3o \xC3\xA9 uma biblioteca de 64 bits" : "") +
               ").";
  }
  if (HMODULE module = LoadLibraryW(kClientDll)) return {module, kClientDll};
  if (!refused.empty()) throw EDatabaseError("Biblioteca cliente do Firebird (fbclient.dll):" + refused);

  std::string message =
      "Biblioteca cliente do Firebird (fbclient.dll) n\xC3\xA3o encontrada. Procurada na pasta do programa (" +
      Utf8(programFolder) + ")";
  message += candidates.size() > 1 ? ", na instala\xC3\xA7\xC3\xA3o do Firebird (" + Utf8(candidates[1]) + ")"
                                   : ", numa instala\xC3\xA7\xC3\xA3o do Firebird (nenhuma registrada)";
  message +=
      " e nas pastas do sistema. Instale o cliente do Firebird 3.0 ou mais novo, ou copie fbclient.dll "
      "para a pasta do programa.";
  throw EDatabaseError(message);
}

std::mutex loadLock;
ClientLibrary client;
MasterEntry masterEntry = nullptr;
SqlStateEntry sqlStateEntry = nullptr;

// Loads the library once; a failed attempt is repeated on the next connection, so a library copied in
// later is found without restarting the program.
void EnsureLoaded() {
  std::lock_guard<std::mutex> guard(loadLock);
  if (masterEntry != nullptr) return;
  ClientLibrary loaded = LoadClient();
  auto master = reinterpret_cast<MasterEntry>(
      reinterpret_cast<void*>(GetProcAddress(loaded.module, "fb_get_master_interface")));
  if (master == nullptr) {
    FreeLibrary(loaded.module);
    throw EDatabaseError(
        "A biblioteca cliente do Firebird em " + Utf8(loaded.path) +
        " \xC3\xA9 anterior ao Firebird 3.0 (falta fb_get_master_interface). Instale o cliente "
        "do Firebird 3.0 ou mais novo.");
  }
  sqlStateEntry =
      reinterpret_cast<SqlStateEntry>(reinterpret_cast<void*>(GetProcAddress(loaded.module, "fb_sqlstate")));
  client = std::move(loaded);
  masterEntry = master;
}

Firebird::IMaster* LoadedMaster() {
  EnsureLoaded();
  return masterEntry();
}

}  // namespace
}  // namespace zr::db::firebird

extern "C" Firebird::IMaster* ISC_EXPORT fb_get_master_interface() {
  return zr::db::firebird::LoadedMaster();
}

extern "C" void ISC_EXPORT fb_sqlstate(char* sqlstate, const ISC_STATUS* status) {
  // Only reached for a status the loaded client produced, so the library is there.
  if (zr::db::firebird::sqlStateEntry != nullptr) {
    zr::db::firebird::sqlStateEntry(sqlstate, status);
  } else {
    sqlstate[0] = '\0';
  }
}
