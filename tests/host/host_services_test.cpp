// The executable's location, the computer's name and the local address, as the SQL log uses them.

#include <gtest/gtest.h>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/host.h"

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr const char* kProgramName = "host_tests.exe";
constexpr char kSeparator = '\\';
#else
constexpr const char* kProgramName = "host_tests";
constexpr char kSeparator = '/';
#endif

TEST(HostServicesTest, TheExecutablePathNamesThisTestProgram) {
  const std::string path = zr::host::ExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(fs::path(path).is_absolute());
  EXPECT_TRUE(fs::is_regular_file(path));
  EXPECT_EQ(fs::path(path).filename(), kProgramName);
}

TEST(HostServicesTest, TheExecutableFolderIsThePathWithoutTheFileNameAndEndsWithASeparator) {
  const std::string path = zr::host::ExecutablePath();
  const std::string dir = zr::host::ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), kSeparator);
  EXPECT_EQ(dir + kProgramName, path);
  EXPECT_TRUE(fs::is_directory(dir));
}

TEST(HostServicesTest, TheComputerNameIsTheHostsOwnNameCutToFifteenCharacters) {
  const std::string name = zr::host::ComputerName();
  ASSERT_FALSE(name.empty());
  EXPECT_LE(name.size(), 15u);
  EXPECT_EQ(name.find('.'), std::string::npos);
  EXPECT_EQ(name.find('\0'), std::string::npos);
#ifdef _WIN32
  // Windows publishes the same name to every process as COMPUTERNAME.
  const char* published = std::getenv("COMPUTERNAME");
  ASSERT_NE(published, nullptr);
  EXPECT_EQ(name, published);
#else
  char full[256] = {};
  ASSERT_EQ(gethostname(full, sizeof full - 1), 0);
  EXPECT_EQ(std::string(full).rfind(name, 0), 0u) << "the name is the start of the host name " << full;
#endif
}

TEST(HostServicesTest, TheLocalAddressIsOneIPv4AddressInDottedNotation) {
  const std::string ip = zr::host::LocalIP();
#ifdef _WIN32
  WSADATA winsock;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &winsock), 0);
#endif
  in_addr parsed{};
  ASSERT_EQ(inet_pton(AF_INET, ip.c_str(), &parsed), 1) << ip;
  char back[INET_ADDRSTRLEN] = {};
  ASSERT_NE(inet_ntop(AF_INET, &parsed, back, sizeof back), nullptr);
  EXPECT_EQ(ip, back) << "written in canonical dotted decimal form";
  EXPECT_NE(ip, "0.0.0.0");
}

}  // namespace
