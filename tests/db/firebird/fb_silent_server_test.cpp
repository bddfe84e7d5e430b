// Servers that do not answer: an address that accepts the connection and never replies, and a private server
// frozen (SIGSTOP) in the middle of a transaction. Every wait is bounded by the connection's own limits,
// shortened here through the entries ConnectTimeout and CancelGrace.

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "db/errors.h"
#include "db/options.h"
#include "db/firebird/driver.h"
#include "fb_test_support.h"
#include "silent_listener.h"

namespace zr::db::firebird::testing {
namespace {

using ::testing::HasSubstr;
using Clock = std::chrono::steady_clock;

TStringList EntriesFor(const std::string& server, const std::string& database) {
  TStringList params;
  params.Add("DriverID=FB");
  params.Add("Server=" + server);
  params.Add("Database=" + database);
  params.Add("User_name=SYSDBA");
  params.Add("Password=" +
             std::string(std::getenv("ZR_FB_PASSWORD") ? std::getenv("ZR_FB_PASSWORD") : "masterkey"));
  return params;
}

TEST(FbSilentServerTest, ConnectingToAnAddressThatNeverAnswersGivesUpAndNamesIt) {
  RegisterDriver();
  const std::string address = db::testing::ProcessLoopback(3);
  db::testing::SilentListener listener(address, 3050);
  ASSERT_TRUE(listener.Listening()) << "cannot listen on " << address << ":3050";
  TStringList params = EntriesFor(address, "/nowhere/zembra.fdb");
  params.Add("ConnectTimeout=2");
  const auto start = Clock::now();
  try {
    driver::Connect("FB", params);
    FAIL() << "connected to a server that never answered";
  } catch (const EDatabaseError& e) {
    EXPECT_THAT(e.what(), HasSubstr("O servidor " + address + " não respondeu em 2 s"));
  }
  // The client's own limit is three minutes; the entry's two seconds apply.
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(60));
}

// A Firebird server of this test alone on a loopback address of its own, started and stopped by
// scripts/firebird-private.sh.
class FrozenServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (getuid() != 0) GTEST_SKIP() << "a private server needs root, as the shared one";
    RegisterDriver();
    dir_ = "/tmp/zr-fbprivate-" + std::to_string(getpid());
    address_ = db::testing::ProcessLoopback(5);
    const std::string command = std::string("bash '") + ZR_FB_PRIVATE + "' start " + dir_ + " " + address_ +
                                " >" + dir_ + ".start 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadAll(dir_ + ".start");
    pid_ = std::stoi(ReadAll(dir_ + "/server.pid"));
    params_ = EntriesFor(address_, dir_ + "/data/frozen.fdb");
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
  std::string address_;
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

TEST_F(FrozenServerTest, ACallWithoutATimeOutEndsWhenTheServerNoLongerAnswersANewConnection) {
  TStringList params = params_;
  params.Add("ProbeAfter=500");
  params.Add("ConnectTimeout=2");
  auto connection = driver::Connect("FB", params);
  Exec(*connection, "CREATE TABLE T (N INTEGER)");
  connection->StartTransaction();
  Exec(*connection, "INSERT INTO T VALUES (1)");
  auto statement = connection->CreateStatement();
  statement->Prepare("UPDATE T SET N = 5");

  ASSERT_EQ(kill(pid_, SIGSTOP), 0);
  const auto start = Clock::now();
  std::string message;
  try {
    statement->Execute({}, 1, 0);  // no time-out: it may take as long as the server works
  } catch (const EDatabaseError& e) {
    message = e.what();
  }
  const auto waited = Clock::now() - start;
  // Ending the transaction does not wait either (the client may report the rollback of a lost attachment as
  // done: the server drops its work anyway).
  try {
    connection->Rollback();
  } catch (const EDatabaseError& e) {
    EXPECT_THAT(e.what(), HasSubstr("O servidor " + address_ + " parou de responder"));
  }
  const auto ended = Clock::now() - start;
  statement.reset();
  connection.reset();
  kill(pid_, SIGCONT);

  EXPECT_THAT(message, HasSubstr("O servidor " + address_ + " parou de responder"));
  EXPECT_LT(waited, std::chrono::seconds(30));
  EXPECT_LT(ended, std::chrono::seconds(30));
  auto again = driver::Connect("FB", params_);
  EXPECT_EQ(ValueAsInteger(Scalar(*again, "SELECT COUNT(*) FROM T")), 0);
}

// A batch on a server that freezes fails as one statement would: with a time-out, as timed out; without
// one, once the server no longer answers a new connection, with the message that says so. Either way the
// wait is bounded and the server drops the transaction's work.
TEST_F(FrozenServerTest, ABatchOnAFrozenServerFailsAsAStatementWould) {
  struct Case {
    const char* name;
    uint32_t timeout;
    TDatabaseErrorKind kind;
    std::string message;
  };
  const Case cases[] = {
      {"a batch under a time-out", 1000, TDatabaseErrorKind::NoAnswer, "Timeout expired"},
      {"a batch without a time-out", kNoTimeout, TDatabaseErrorKind::LinkLost,
       "O servidor " + address_ + " parou de responder"},
  };
  TStringList params = params_;
  params.Add("CancelGrace=500");
  params.Add("ProbeAfter=500");
  params.Add("ConnectTimeout=2");
  Exec(*driver::Connect("FB", params), "CREATE TABLE T (N INTEGER)");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto connection = driver::Connect("FB", params);
    connection->StartTransaction();
    Exec(*connection, "INSERT INTO T VALUES (1)");
    auto batch = connection->CreateBatch();
    ASSERT_TRUE(batch);
    ASSERT_TRUE(batch->Add({"UPDATE T SET N = 5", {}, 1, 0}));
    ASSERT_TRUE(batch->Add({"INSERT INTO T VALUES (2)", {}, 1, 0}));

    ASSERT_EQ(kill(pid_, SIGSTOP), 0);
    const auto start = Clock::now();
    try {
      batch->Execute(c.timeout);
      ADD_FAILURE() << "a frozen server ran the batch";
    } catch (const EDatabaseError& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.message));
      EXPECT_EQ(e.Kind(), c.kind) << e.what();
    }
    const auto waited = Clock::now() - start;
    batch.reset();
    connection.reset();
    kill(pid_, SIGCONT);

    EXPECT_LT(waited, std::chrono::seconds(30));
    auto again = driver::Connect("FB", params_);
    EXPECT_EQ(ValueAsInteger(Scalar(*again, "SELECT COUNT(*) FROM T")), 0);
  }
}

TEST_F(FrozenServerTest, ALongWaitOnAServerThatAnswersIsLeftAlone) {
  TStringList params = params_;
  params.Add("ProbeAfter=300");
  auto holder = driver::Connect("FB", params);
  Exec(*holder, "CREATE TABLE T (N INTEGER)");
  Exec(*holder, "INSERT INTO T VALUES (1)");
  holder->StartTransaction();
  Exec(*holder, "UPDATE T SET N = 2");

  // The waiter's update waits for the holder's lock, without a time-out, through several probes.
  auto waiter = driver::Connect("FB", params);
  std::string failure;
  std::thread wait([&] {
    try {
      Exec(*waiter, "UPDATE T SET N = 3");
    } catch (const EDatabaseError& e) {
      failure = e.what();
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  holder->Rollback();
  wait.join();
  EXPECT_EQ(failure, "");
  EXPECT_EQ(ValueAsInteger(Scalar(*holder, "SELECT N FROM T")), 3);
}

}  // namespace
}  // namespace zr::db::firebird::testing
