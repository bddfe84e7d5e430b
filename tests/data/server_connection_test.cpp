// The connection component against the Firebird server on loopback: the entries it builds for a host
// (Server=, Protocol=TCPIP) open a real remote attachment.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "data/database.h"
#include "data/query.h"
#include "db/firebird/driver.h"
#include "fixtures/environment.h"

namespace zr::data {
namespace {

using fixtures::Env;

bool ServerListens() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(3050);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(s);
  return ok;
}

class ServerConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ServerListens()) GTEST_SKIP() << "no Firebird server on 127.0.0.1:3050 (scripts/test.sh starts it)";
    db::firebird::RegisterDriver();
    // A folder the server's own user can write (scripts/firebird-server.sh makes it).
    path_ =
        Env("ZR_FB_SERVER_DIR", "/tmp/zr-fbserver") + "/zr_data_server_" + std::to_string(getpid()) + ".fdb";
    db::firebird::CreateDatabase(Entries());
  }
  void TearDown() override {
    if (!path_.empty()) db::firebird::DropDatabase(Entries());
  }

  db::TStringList Entries() const {
    db::TStringList params;
    params.Add("DriverID=FB");
    params.Add("Server=localhost");
    params.Add("Database=" + path_);
    params.Add("User_name=" + user_);
    params.Add("Password=" + password_);
    return params;
  }

  static std::string RemoteProtocol(TZRDatabase& db) {
    TZRQuery q;
    q.SetDatabase(&db);
    q.SQL().Add("SELECT COALESCE(MON$REMOTE_PROTOCOL, 'embedded') AS P FROM MON$ATTACHMENTS");
    q.SQL().Add("WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION");
    q.Open();
    return q.FieldByName("P").AsString();
  }

  std::string path_;
  std::string user_ = Env("ZR_FB_USER", "SYSDBA");
  std::string password_ = Env("ZR_FB_PASSWORD", "masterkey");
};

TEST_F(ServerConnectionTest, AHostNameGivesATcpAttachmentThroughTheServer) {
  TZRDatabase db;
  db.SetDriverName("FB");
  db.SetHostName(" localhost ");
  db.SetDatabase(path_);
  db.SetUser(user_);
  db.SetPassword(password_);
  db.SetConnected(true);
  EXPECT_EQ(
      db.Params().Lines(),
      (std::vector<std::string>{"DriverID=FB", "Server=localhost", "Database=" + path_, "User_name=" + user_,
                                "Password=" + password_, "Protocol=TCPIP", "PageSize=4096"}));
  EXPECT_EQ(RemoteProtocol(db).rfind("TCP", 0), 0u);
}

TEST_F(ServerConnectionTest, AChildConnectionOpensTheParentsHostAndDatabaseFromTheCombinedName) {
  TZRDatabase parent;
  parent.SetDriverName("FB");
  parent.SetDatabaseName("localhost:" + path_);
  parent.SetUser(user_);
  parent.SetPassword(password_);

  TZRDatabase child;
  child.GetDatabase(&parent);
  EXPECT_TRUE(child.Connected());
  EXPECT_EQ(child.HostName(), "localhost");
  EXPECT_EQ(child.Database(), path_);
  EXPECT_EQ(RemoteProtocol(child).rfind("TCP", 0), 0u);
}

}  // namespace
}  // namespace zr::data
