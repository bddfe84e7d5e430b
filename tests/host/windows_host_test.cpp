// Windows only: the host services where Windows differs from Linux. Texts are UTF-8 inside the program and
// UTF-16 at the system's calls, so a folder whose name holds characters outside the ANSI code page must work;
// settings files come as Notepad saves them; the computer's name and local address come from the system.

#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/wide_text.h"

namespace {

namespace fs = std::filesystem;

using zr::host::detail::InCodePage;

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

fs::path FromUtf8(const std::string& text) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A folder of the test's own whose name holds Portuguese accents, a sharp s and a Cyrillic letter; the last is
// in no Western ANSI code page, so only the wide calls of the system can reach it.
class WindowsHostTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / FromUtf8("zr_host_" + std::to_string(GetCurrentProcessId()) +
                                                " Produ\xC3\xA7\xC3\xA3o \xC3\x9F \xD0\x96");
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  fs::path dir_;
};

TEST_F(WindowsHostTest, FromAFolderWithNonAnsiCharactersTheProgramFindsItselfAndItsSettingsFile) {
  const fs::path probe = FromUtf8(zr::host::ExecutableDir() + "host_probe.exe");
  ASSERT_TRUE(fs::is_regular_file(probe)) << Utf8(probe);
  const fs::path copy = dir_ / "host_probe.exe";
  fs::copy_file(probe, copy, fs::copy_options::overwrite_existing);
  // The value itself holds the folder's name: the file is UTF-8 with a byte order mark.
  const std::string base = "C:\\Dados\\Produ\xC3\xA7\xC3\xA3o \xD0\x96\\erp.fdb";
  WriteBytes(dir_ / "zr.ini", "\xEF\xBB\xBF[banco]\r\nbase=" + base + "\r\n");

  std::wstring commandLine = L"\"" + copy.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             dir_.c_str(), &startup, &process));
  const DWORD waited = WaitForSingleObject(process.hProcess, 60000);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  ASSERT_EQ(waited, WAIT_OBJECT_0) << "the probe did not end within a minute";
  ASSERT_EQ(exitCode, 0u);

  const std::string folder = Utf8(dir_) + "\\";
  EXPECT_EQ(ReadBytes(dir_ / "probe.txt"), folder + "host_probe.exe\n" + folder + "\n" + base + "\n");
}

// A settings file as Notepad saves it: ANSI, UTF-8 with a byte order mark, UTF-8 without one (Notepad's
// default since Windows 10), "Unicode" (UTF-16 with a byte order mark); lines ended by CR LF.
TEST_F(WindowsHostTest, SettingsFilesSavedByNotepadInEachEncodingReadAlike) {
  // Values with accents that the ANSI code pages of Western Europe hold.
  const std::wstring text =
      L"[banco]\r\nServidor=srv01:3050\r\nbase=C:\\Dados\\Produ\u00e7\u00e3o\\erp.fdb\r\n"
      L"usuario=Jo\u00e3o\r\nsenha=a\u00df;b\r\n";
  std::string utf16 = "\xFF\xFE";
  utf16.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"ANSI", InCodePage(CP_ACP, text)},
      {"UTF-8 with byte order mark", "\xEF\xBB\xBF" + InCodePage(CP_UTF8, text)},
      {"UTF-8 without byte order mark", InCodePage(CP_UTF8, text)},
      {"Unicode (UTF-16 with byte order mark)", utf16},
  };
  ASSERT_EQ(InCodePage(CP_ACP, L"\u00e7\u00e3\u00df").size(), 3u)
      << "the ANSI code page (" << GetACP() << ") holds one byte per accented letter";
  const fs::path file = dir_ / "zr.ini";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(file, c.bytes);
    const std::string name = Utf8(file);
    EXPECT_EQ(zr::host::ReadIniString(name, "banco", "servidor"), "srv01:3050");
    EXPECT_EQ(zr::host::ReadIniString(name, "BANCO", "base"), "C:\\Dados\\Produ\xC3\xA7\xC3\xA3o\\erp.fdb");
    EXPECT_EQ(zr::host::ReadIniString(name, "banco", "usuario"), "Jo\xC3\xA3o");
    EXPECT_EQ(zr::host::ReadIniString(name, "banco", "senha"), "a\xC3\x9F;b");
    EXPECT_EQ(zr::host::ReadIniString(name, "banco", "banco", "dflt"), "dflt");
  }
}

// Where Windows' own profile-string reader understands the file (ANSI and UTF-16), it and the program's reader
// give the same value.
TEST_F(WindowsHostTest, TheProgramsReaderAgreesWithWindowsProfileStringReader) {
  const std::wstring text =
      L"; coment\u00e1rio\r\n  [ Banco ]  \r\nServidor = srv01  \r\nbase=\"  C:\\Produ\u00e7\u00e3o  \"\r\n"
      L"senha=ab;cd#ef=gh,ij\r\nvazio=\r\n";
  const fs::path file = dir_ / "zr.ini";
  WriteBytes(file, InCodePage(CP_ACP, text));
  for (const wchar_t* key : {L"servidor", L"BASE", L"senha", L"vazio", L"falta"}) {
    SCOPED_TRACE(InCodePage(CP_UTF8, key));
    wchar_t value[256] = {};
    GetPrivateProfileStringW(L"banco", key, L"dflt", value, 256, file.c_str());
    EXPECT_EQ(zr::host::ReadIniString(Utf8(file), "banco", InCodePage(CP_UTF8, key), "dflt"),
              InCodePage(CP_UTF8, value));
  }
}

// The address is one the machine's network adapters hold (or the loopback address when none is up).
TEST(WindowsHostServicesTest, TheLocalAddressBelongsToOneOfTheMachinesAdapters) {
  const std::string ip = zr::host::LocalIP();
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer(size);
  auto* adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
  ULONG result = GetAdaptersAddresses(AF_INET, 0, nullptr, adapters, &size);
  if (result == ERROR_BUFFER_OVERFLOW) {
    buffer.resize(size);
    adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    result = GetAdaptersAddresses(AF_INET, 0, nullptr, adapters, &size);
  }
  ASSERT_EQ(result, static_cast<ULONG>(NO_ERROR));
  std::set<std::string> known = {"127.0.0.1"};
  for (const IP_ADAPTER_ADDRESSES* a = adapters; a != nullptr; a = a->Next) {
    for (const IP_ADAPTER_UNICAST_ADDRESS* u = a->FirstUnicastAddress; u != nullptr; u = u->Next) {
      const auto* address = reinterpret_cast<const sockaddr_in*>(u->Address.lpSockaddr);
      char text[INET_ADDRSTRLEN] = {};
      if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr) known.insert(text);
    }
  }
  EXPECT_TRUE(known.count(ip) == 1) << ip << " is not an address of this machine";
}

// Windows' own computer-name call, asked directly with room for any length, gives the same name.
TEST(WindowsHostServicesTest, TheComputerNameIsWhatWindowsReports) {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(name, &size));
  EXPECT_EQ(zr::host::ComputerName(), InCodePage(CP_UTF8, std::wstring(name, size)));
}

}  // namespace
