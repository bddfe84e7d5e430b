// The executable's location, the computer's name and the local address, as the SQL log uses them.

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <filesystem>
#include <string>

#include "host/host.h"

namespace {

namespace fs = std::filesystem;

TEST(HostServicesTest, TheExecutablePathNamesThisTestProgram) {
  const std::string path = zr::host::ExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(fs::path(path).is_absolute());
  EXPECT_TRUE(fs::is_regular_file(path));
  EXPECT_EQ(fs::path(path).filename(), "host_tests");
}

TEST(HostServicesTest, TheExecutableFolderIsThePathWithoutTheFileNameAndEndsWithASeparator) {
  const std::string path = zr::host::ExecutablePath();
  const std::string dir = zr::host::ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(dir + "host_tests", path);
  EXPECT_TRUE(fs::is_directory(dir));
}

TEST(HostServicesTest, TheComputerNameIsTheHostsOwnNameCutToFifteenCharacters) {
  const std::string name = zr::host::ComputerName();
  ASSERT_FALSE(name.empty());
  EXPECT_LE(name.size(), 15u);
  EXPECT_EQ(name.find('.'), std::string::npos);
  EXPECT_EQ(name.find('\0'), std::string::npos);
  char full[256] = {};
  ASSERT_EQ(gethostname(full, sizeof full - 1), 0);
  EXPECT_EQ(std::string(full).rfind(name, 0), 0u) << "the name is the start of the host name " << full;
}

TEST(HostServicesTest, TheLocalAddressIsOneIPv4AddressInDottedNotation) {
  const std::string ip = zr::host::LocalIP();
  in_addr parsed{};
  ASSERT_EQ(inet_pton(AF_INET, ip.c_str(), &parsed), 1) << ip;
  char back[INET_ADDRSTRLEN] = {};
  ASSERT_NE(inet_ntop(AF_INET, &parsed, back, sizeof back), nullptr);
  EXPECT_EQ(ip, back) << "written in canonical dotted decimal form";
  EXPECT_NE(ip, "0.0.0.0");
}

}  // namespace
