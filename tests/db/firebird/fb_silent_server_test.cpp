// Servers that do not answer: an address that accepts the connection and never replies, and a private server
// frozen (SIGSTOP) in the middle of a transaction. Every wait is bounded by the connection's own limits,
// shortened here through the entries ConnectTimeout and CancelGrace.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "db/errors.h"
#include "db/firebird/driver.h"
#include "fb_test_support.h"

namespace zr::db::firebird::testing {
namespace {

using ::testing::HasSubstr;
using Clock = std::chrono::steady_clock;

// Accepts connections on address:3050 and never sends a byte; the connections stay open until it goes.
class SilentListener {
 public:
  explicit SilentListener(const char* address) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(3050);
    inet_pton(AF_INET, address, &at.sin_addr);
    listening_ = bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 && listen(fd_, 8) == 0;
    if (listening_) thread_ = std::thread([this] { Accept(); });
  }
  ~SilentListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    for (int c : accepted_) close(c);
    close(fd_);
  }
  bool Listening() const { return listening_; }

 private:
  void Accept() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 100) == 1) {
        const int c = accept(fd_, nullptr, nullptr);
        if (c >= 0) accepted_.push_back(c);
      }
    }
  }

  int fd_ = -1;
  bool listening_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::vector<int> accepted_;
};

TStringList EntriesFor(const std::string& server, const std::string& database) {
  TStringList params;
  params.Add("DriverID=FB");
  params.Add("Server=" + server);
  params.Add("Database=" + database);
  params.Add("User_name=SYSDBA");
  params.Add("Password=" + std::string(std::getenv("ZR_FB_PASSWORD") ? std::getenv("ZR_FB_PASSWORD") : "masterkey"));
  return params;
}

TEST(FbSilentServerTest, ConnectingToAnAddressThatNeverAnswersGivesUpAndNamesIt) {
  RegisterDriver();
  SilentListener listener("127.0.0.9");
  ASSERT_TRUE(listener.Listening()) << "cannot listen on 127.0.0.9:3050";
  TStringList params = EntriesFor("127.0.0.9", "/nowhere/zembra.fdb");
  params.Add("ConnectTimeout=2");
  const auto start = Clock::now();
  try {
    driver::Connect("FB", params);
    FAIL() << "connected to a server that never answered";
  } catch (const EDatabaseError& e) {
    EXPECT_THAT(e.what(), HasSubstr("O servidor 127.0.0.9 não respondeu em 2 s"));
  }
  // The client's own limit is three minutes; the entry's two seconds apply.
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(60));
}

// A Firebird server of this test alone on 127.0.0.8, started and stopped by scripts/firebird-private.sh.
class FrozenServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (getuid() != 0) GTEST_SKIP() << "a private server needs root, as the shared one";
    RegisterDriver();
    dir_ = "/tmp/zr-fbprivate-" + std::to_string(getpid());
    const std::string command = std::string("bash '") + ZR_FB_PRIVATE + "' start " + dir_ + " 127.0.0.8 >" + dir_ +
                                ".start 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadAll(dir_ + ".start");
    pid_ = std::stoi(ReadAll(dir_ + "/server.pid"));
    params_ = EntriesFor("127.0.0.8", dir_ + "/data/frozen.fdb");
    CreateDatabase(params_);
  }
  void TearDown() override {
    if (dir_.empty()) return;
    const std::string command = std::string("bash '") + ZR_FB_PRIVATE + "' stop " + dir_;
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::filesystem::remove(dir_ + ".start");
  }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string dir_;
  pid_t pid_ = -1;
  TStringList params_;
};

TEST_F(FrozenServerTest, AnUnansweredCancelClosesTheAttachmentAndTheServerDropsItsWork) {
  TStringList params = params_;
  params.Add("CancelGrace=500");
  auto connection = driver::Connect("FB", params);
  Exec(*connection, "CREATE TABLE T (N INTEGER)");
  connection->StartTransaction();
  Exec(*connection, "INSERT INTO T VALUES (1)");

  auto statement = connection->CreateStatement();
  statement->Prepare("INSERT INTO T VALUES (2)");
  statement->SetTimeout(1000);

  ASSERT_EQ(kill(pid_, SIGSTOP), 0);
  const auto start = Clock::now();
  std::string message;
  try {
    statement->Execute({}, 1, 0);
  } catch (const EDatabaseError& e) {
    message = e.what();
  }
  const auto waited = Clock::now() - start;
  // Giving the connection up must not wait for the server either.
  statement.reset();
  connection.reset();
  const auto closed = Clock::now() - start;
  kill(pid_, SIGCONT);

  EXPECT_THAT(message, HasSubstr("Timeout expired"));
  EXPECT_LT(waited, std::chrono::seconds(30));
  EXPECT_LT(closed, std::chrono::seconds(30));
  auto again = driver::Connect("FB", params_);
  EXPECT_EQ(ValueAsInteger(Scalar(*again, "SELECT COUNT(*) FROM T")), 0);
}

}  // namespace
}  // namespace zr::db::firebird::testing
