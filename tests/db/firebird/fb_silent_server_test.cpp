// Servers that do not answer: an address that accepts the connection and never replies, and a private server
// frozen (SIGSTOP) in the middle of a transaction. Every wait is bounded by the connection's own limits,
// shortened here through the entries ConnectTimeout and CancelGrace.

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
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
    EXPECT_EQ(e.Kind(), TDatabaseErrorKind::ConnectTimedOut) << e.what();
    EXPECT_EQ(e.Facts().Server, address);
    EXPECT_EQ(e.Facts().Seconds, 2);
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
  std::optional<EDatabaseError> failure;
  try {
    statement->Execute({}, 1, 0);  // no time-out: it may take as long as the server works
  } catch (const EDatabaseError& e) {
    failure = e;
  }
  const auto waited = Clock::now() - start;
  // Ending the transaction does not wait either (the client may report the rollback of a lost attachment as
  // done: the server drops its work anyway).
  try {
    connection->Rollback();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Kind(), TDatabaseErrorKind::LinkLost) << e.what();
    EXPECT_EQ(e.Facts().Server, address_);
  }
  const auto ended = Clock::now() - start;
  statement.reset();
  connection.reset();
  kill(pid_, SIGCONT);

  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->Kind(), TDatabaseErrorKind::LinkLost) << failure->what();
  EXPECT_EQ(failure->Facts().Server, address_);
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
    std::string server;  // the server the error names among its facts
  };
  const Case cases[] = {
      {"a batch under a time-out", 1000, TDatabaseErrorKind::NoAnswer, "Timeout expired", ""},
      {"a batch without a time-out", kNoTimeout, TDatabaseErrorKind::LinkLost, "stopped answering", address_},
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
      EXPECT_EQ(e.Facts().Server, c.server);
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

// Thaws the server after `limit` if the test has not by then, so that a call that would wait forever on a
// frozen server fails the test instead of hanging it.
class ThawAnyway {
 public:
  ThawAnyway(pid_t pid, std::chrono::seconds limit)
      : thread_([this, pid, limit] {
          std::unique_lock lock(mutex_);
          if (!done_.wait_for(lock, limit, [this] { return over_; })) {
            thawed_ = true;
            kill(pid, SIGCONT);
          }
        }) {}
  ~ThawAnyway() { Stop(); }
  // True when the server had to be thawed to end the call.
  bool Stop() {
    {
      std::lock_guard lock(mutex_);
      over_ = true;
    }
    done_.notify_all();
    if (thread_.joinable()) thread_.join();
    return thawed_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool over_ = false;
  bool thawed_ = false;
  std::thread thread_;
};

// What one case works with: the connection, and the statement or batch it leaves ready for the frozen call.
struct Work {
  std::unique_ptr<driver::Connection> connection;
  std::unique_ptr<driver::Statement> statement;
  std::unique_ptr<driver::Batch> batch;
  ParamSet params;
};

// The server freezes right before one kind of call: the steps before it run on a live server and leave that
// call to be the next one that waits for the server. The call ends within the connection's limits: a call
// under a time-out with the time-out error (the cancel goes unanswered and the attachment is closed), a call
// without one with the lost-server error (the server no longer answers a new connection). Either way the
// server, thawed, has dropped the unfinished work: the rows written in the transaction are not there.
// Some calls may end otherwise, by the nature of a lost link: the client reports the rollback of a lost
// attachment as done (the server drops the work anyway), and may leave closing a cursor or freeing a
// statement to go with the next request; and a commit the server received before it froze is applied when it
// wakes (the client cannot tell): the work is then there whole, never in part.
TEST_F(FrozenServerTest, EveryKindOfCallOnAFrozenServerEndsWithinTheLimitsAndItsWorkIsUndone) {
  constexpr uint32_t kTimeout = 1000;
  const auto inTransaction = [](Work& w) {
    w.connection->StartTransaction();
    Exec(*w.connection, "INSERT INTO T (N) VALUES (100)");
    Exec(*w.connection, "INSERT INTO T (N) VALUES (101)");
  };
  const auto prepared = [](Work& w, const std::string& sql, uint32_t timeout) {
    w.statement = w.connection->CreateStatement();
    w.statement->SetTimeout(timeout);
    w.statement->Prepare(sql);
  };
  enum Outcome { kFailsAndUndoes, kMaySucceed, kMayCommit };
  struct Case {
    const char* name;
    TDatabaseErrorKind kind;  // NoAnswer for a call under a time-out, LinkLost for one without
    std::function<void(Work&)> before;
    std::function<void(Work&)> frozen;
    Outcome outcome = kFailsAndUndoes;
  };
  const Case cases[] = {
      {"starting the connection's transaction", TDatabaseErrorKind::LinkLost, [](Work&) {},
       [](Work& w) { w.connection->StartTransaction(); }},
      {"starting the own transaction of a statement outside one", TDatabaseErrorKind::LinkLost,
       [](Work& w) { w.statement = w.connection->CreateStatement(); },
       [](Work& w) { w.statement->Prepare("INSERT INTO T (N) VALUES (101)"); }},
      {"committing", TDatabaseErrorKind::LinkLost, inTransaction, [](Work& w) { w.connection->Commit(); },
       kMayCommit},
      {"rolling back", TDatabaseErrorKind::LinkLost, inTransaction, [](Work& w) { w.connection->Rollback(); },
       kMaySucceed},
      {"the savepoint around an array execution", TDatabaseErrorKind::NoAnswer,
       [&](Work& w) {
         inTransaction(w);
         // An untyped marker keeps the statement out of a block: its elements run one by one in a savepoint.
         prepared(w, "INSERT INTO T (N) SELECT 101 FROM RDB$DATABASE WHERE ? IS NULL", kTimeout);
         w.params.Add(ftInteger, {TFDValue(), TFDValue()});
       },
       [](Work& w) { w.statement->Execute(w.params.Columns(), 2, 0); }},
      {"preparing", TDatabaseErrorKind::NoAnswer,
       [&](Work& w) {
         inTransaction(w);
         w.statement = w.connection->CreateStatement();
         w.statement->SetTimeout(kTimeout);
       },
       [](Work& w) { w.statement->Prepare("UPDATE T SET N = N + 1000"); }},
      {"executing", TDatabaseErrorKind::LinkLost,
       [&](Work& w) {
         inTransaction(w);
         prepared(w, "UPDATE T SET N = N + 1000", kNoTimeout);
       },
       [](Work& w) { w.statement->Execute({}, 1, 0); }},
      {"fetching", TDatabaseErrorKind::NoAnswer,
       [&](Work& w) {
         inTransaction(w);
         prepared(w, "SELECT N FROM T", kTimeout);
         w.statement->Execute({}, 1, 0);
       },
       [](Work& w) {
         std::vector<TFDValue> row;
         w.statement->Fetch(row);
       }},
      {"reading a BLOB", TDatabaseErrorKind::LinkLost,
       [&](Work& w) {
         inTransaction(w);
         prepared(w, "SELECT B FROM T WHERE B IS NOT NULL", kNoTimeout);
         w.statement->Execute({}, 1, 0);
         // The first fetch brings the cursor's few rows to the client at once: the next row is at hand, and
         // reading its BLOB is the call that waits for the server.
         std::vector<TFDValue> row;
         ASSERT_TRUE(w.statement->Fetch(row));
       },
       [](Work& w) {
         std::vector<TFDValue> row;
         w.statement->Fetch(row);
       }},
      {"closing a cursor", TDatabaseErrorKind::LinkLost,
       [&](Work& w) {
         inTransaction(w);
         prepared(w, "SELECT N FROM T", kNoTimeout);
         w.statement->Execute({}, 1, 0);
         std::vector<TFDValue> row;
         ASSERT_TRUE(w.statement->Fetch(row));
       },
       [](Work& w) { w.statement->CloseCursor(); }, kMaySucceed},
      {"freeing a prepared statement", TDatabaseErrorKind::LinkLost,
       [&](Work& w) {
         inTransaction(w);
         prepared(w, "UPDATE T SET N = N + 1000", kNoTimeout);
       },
       [](Work& w) { w.statement.reset(); }, kMaySucceed},
      {"writing a BLOB", TDatabaseErrorKind::NoAnswer,
       [&](Work& w) {
         inTransaction(w);
         prepared(w, "INSERT INTO T (N, B) VALUES (101, ?)", kTimeout);
         w.params.Add(ftMemo, {TFDValue(std::string("a text kept as a BLOB"))});
       },
       [](Work& w) { w.statement->Execute(w.params.Columns(), 1, 0); }},
      {"a batch", TDatabaseErrorKind::NoAnswer,
       [&](Work& w) {
         inTransaction(w);
         w.batch = w.connection->CreateBatch();
         ASSERT_TRUE(w.batch);
         ASSERT_TRUE(w.batch->Add({"UPDATE T SET N = N + 1000", {}, 1, 0}));
         ASSERT_TRUE(w.batch->Add({"INSERT INTO T (N) VALUES (101)", {}, 1, 0}));
       },
       [](Work& w) { w.batch->Execute(kTimeout); }},
  };
  TStringList params = params_;
  params.Add("CancelGrace=500");
  params.Add("ProbeAfter=500");
  params.Add("ConnectTimeout=1");
  {
    auto setup = driver::Connect("FB", params);
    Exec(*setup, "CREATE TABLE T (N INTEGER, B BLOB SUB_TYPE TEXT)");
    for (int n = 1; n <= 3; ++n) Exec(*setup, "INSERT INTO T VALUES (" + std::to_string(n) + ", 'texto')");
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Work w;
    w.connection = driver::Connect("FB", params);
    c.before(w);
    if (::testing::Test::HasFatalFailure()) return;

    ASSERT_EQ(kill(pid_, SIGSTOP), 0);
    ThawAnyway safety(pid_, std::chrono::seconds(20));
    const auto start = Clock::now();
    try {
      c.frozen(w);
      if (c.outcome != kMaySucceed) ADD_FAILURE() << "the call ended without an error on a frozen server";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Kind(), c.kind) << e.what();
      if (c.kind == TDatabaseErrorKind::NoAnswer) {
        EXPECT_THAT(e.what(), HasSubstr("Timeout expired"));
      } else {
        EXPECT_EQ(e.Facts().Server, address_);
      }
    }
    const auto waited = Clock::now() - start;
    // Giving the connection up does not wait for the server either.
    w = Work();
    const auto closed = Clock::now() - start;
    EXPECT_FALSE(safety.Stop()) << "the call waited until the server was thawed";
    kill(pid_, SIGCONT);

    // The limits are a second or so; the client by itself would wait minutes, or for ever.
    EXPECT_LT(waited, std::chrono::seconds(15));
    EXPECT_LT(closed, std::chrono::seconds(20));
    auto again = driver::Connect("FB", params_);
    const int64_t written = ValueAsInteger(Scalar(*again, "SELECT COUNT(*) FROM T WHERE N > 3"));
    if (c.outcome == kMayCommit && written != 0) {
      EXPECT_EQ(written, 2) << "a commit applied in part";
      Exec(*again, "DELETE FROM T WHERE N > 3");
    } else {
      EXPECT_EQ(written, 0);
    }
    EXPECT_EQ(ValueAsInteger(Scalar(*again, "SELECT COUNT(*) FROM T")), 3);
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
