// The connection and transaction components: defaults, the combined name, copying a parent connection,
// disconnecting, and the log switch.

#include <gtest/gtest.h>

#include <string>

#include "data/database.h"
#include "data/query.h"
#include "data/sql_log.h"
#include "db/errors.h"
#include "host/host.h"
#include "support/recording_driver.h"
#include "support/scratch_database.h"

namespace zr::data {
namespace {

TEST(DatabaseDefaultsTest, ANewConnectionIsDisconnectedWithRollbackOnDisconnectAndNoAutomaticStop) {
  TZRDatabase db;
  EXPECT_FALSE(db.Connected());
  EXPECT_FALSE(db.GravaLog());
  EXPECT_EQ(db.Port(), 0);
  EXPECT_EQ(db.DadosGravaLog(), nullptr);
  EXPECT_EQ(db.TxOptions().DisconnectAction, db::xdRollback);
  EXPECT_TRUE(db.TxOptions().AutoStart);
  EXPECT_FALSE(db.TxOptions().AutoStop);
  EXPECT_FALSE(db.TxOptions().AutoCommit());
  for (const std::string* text : {&db.DatabaseName(), &db.HostName(), &db.Database(), &db.User(),
                                  &db.Password(), &db.NmUsuario(), &db.NmMaquina(), &db.NrIP()}) {
    EXPECT_EQ(*text, "");
  }
}

TEST(DatabaseDefaultsTest, ANewTransactionStartsByItselfStaysOpenAndRollsBackOnDisconnect) {
  TZRTransaction tx;
  EXPECT_TRUE(tx.Options().AutoStart);
  EXPECT_FALSE(tx.Options().AutoStop);
  EXPECT_FALSE(tx.Options().AutoCommit());
  EXPECT_EQ(tx.Options().DisconnectAction, db::xdRollback);
}

TEST(DatabaseNameTest, TheCombinedNameIsSplitAtItsFirstColonExceptForSQLite) {
  struct Case {
    const char* name;
    const char* driver;
    const char* value;
    const char* host;
    const char* database;
  };
  const Case cases[] = {
      {"host and a Windows path: the path stays whole", "FB", "srv:C:\\dados\\erp.fdb", "srv",
       "C:\\dados\\erp.fdb"},
      {"a bare path with a drive letter is split at the drive letter", "FB", "C:\\dados\\erp.fdb", "C",
       "\\dados\\erp.fdb"},
      {"blanks around: the host as written, the database trimmed", "Ora", " srv01 : ORCL \t", " srv01 ",
       "ORCL"},
      {"no colon: the whole name is the database and the host is emptied", "FB", "/var/dados/erp.fdb", "",
       "/var/dados/erp.fdb"},
      {"no colon: the database is not trimmed", "FB", " erp.fdb ", "", " erp.fdb "},
      {"SQLite: a drive letter stays in the database", "SQLite", "C:\\dados\\zr.db", "", "C:\\dados\\zr.db"},
      {"a colon at the start gives an empty host", "FB", ":erp", "", "erp"},
      {"sqlite in lower case is any other driver", "sqlite", "C:\\x.db", "C", "\\x.db"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TZRDatabase db;
    db.SetDriverName(c.driver);
    db.SetHostName("anterior");
    db.SetDatabase("anterior.fdb");
    db.SetDatabaseName(c.value);
    EXPECT_EQ(db.DatabaseName(), c.value);
    EXPECT_EQ(db.HostName(), c.host);
    EXPECT_EQ(db.Database(), c.database);
  }
}

TEST(DatabaseNameTest, ANameOfBlanksOnlyIsStoredAndChangesNeitherHostNorDatabase) {
  TZRDatabase db;
  db.SetHostName("srv");
  db.SetDatabase("erp.fdb");
  db.SetDatabaseName(" \t ");
  EXPECT_EQ(db.DatabaseName(), " \t ");
  EXPECT_EQ(db.HostName(), "srv");
  EXPECT_EQ(db.Database(), "erp.fdb");
}

class GetDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::ResetRecordingDrivers(); }
};

TEST_F(GetDatabaseTest, WithoutAParentItFailsAndLeavesTheConnectionUntouched) {
  TZRDatabase db;
  db.SetDriverName("PG");
  db.SetHostName("srv");
  try {
    db.GetDatabase(nullptr);
    FAIL() << "no parent";
  } catch (const db::EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Conexão pai não existe.");
  }
  EXPECT_EQ(db.DriverName(), "PG");
  EXPECT_EQ(db.HostName(), "srv");
  EXPECT_TRUE(testing::Recorded().Connects.empty());
}

TEST_F(GetDatabaseTest, AFailedConnectBecomesErroAoAbrirABaseWithTheConnectMessageAfterACarriageReturn) {
  TZRDatabase parent;
  parent.SetDriverName("Ora");
  parent.SetDatabaseName("srvora:ORCL");
  parent.SetHostName("srvora2");  // the parent's own fields win over what the split derives
  parent.SetPort(1521);
  parent.SetUser("zr");
  parent.SetPassword("pw");
  parent.SetNmUsuario("maria");

  TZRDatabase child;
  child.SetNmUsuario("jose");
  try {
    child.GetDatabase(&parent);
    FAIL() << "the test driver has no server";
  } catch (const db::EDatabaseError& e) {
    EXPECT_EQ(std::string(e.what()), "Erro ao abrir a base \rOra: sem servidor de teste");
  }
  EXPECT_FALSE(child.Connected());
  EXPECT_EQ(child.DriverName(), "Ora");
  EXPECT_EQ(child.DatabaseName(), "srvora:ORCL");
  EXPECT_EQ(child.HostName(), "srvora2");
  EXPECT_EQ(child.Database(), "ORCL");
  EXPECT_EQ(child.Port(), 1521);
  EXPECT_EQ(child.User(), "zr");
  EXPECT_EQ(child.Password(), "pw");
  EXPECT_EQ(child.NmUsuario(), "jose") << "not copied";
  ASSERT_EQ(testing::Recorded().Connects.size(), 1u);
  EXPECT_EQ(testing::Recorded().Connects[0],
            (std::vector<std::string>{"DriverID=Ora", "Server=srvora2", "Database=ORCL", "User_name=zr",
                                      "Password=pw", "Port=1521", "AuthMode=NORMAL"}));
}

// The child reads the same legacy database in the same code page as its parent.
TEST_F(GetDatabaseTest, TheCodePageOfALegacyDatabaseIsCopiedWithTheSettings) {
  TZRDatabase parent;
  parent.SetDriverName("FB");
  parent.SetHostName("127.0.0.1");
  parent.SetDatabase("/tmp/nao_existe.fdb");
  parent.SetPort(1);  // nothing listens there: the connect fails at once
  parent.SetCharsetLegado("WIN1250");
  TZRDatabase child;
  EXPECT_THROW(child.GetDatabase(&parent), db::EDatabaseError);
  EXPECT_EQ(child.CharsetLegado(), "WIN1250");
  EXPECT_EQ(child.Params().Values("CharsetLegado"), "WIN1250");
}

TEST_F(GetDatabaseTest, AConnectedConnectionIsDisconnectedWithItsLogOffAndConnectedWithTheParentsSettings) {
  testing::ScratchDatabase scratch;
  scratch.Run({"CREATE TABLE T (ID INTEGER)"});
  TZRDatabase parent;
  scratch.Configure(parent);

  TZRDatabase child;
  child.SetDriverName("XYZ");
  child.SetDatabase(scratch.Path());  // the test driver opens it: the child starts connected elsewhere
  child.SetConnected(true);
  child.SetGravaLog(true);
  ASSERT_TRUE(child.Connected());
  const TZRGravaLog* record = child.DadosGravaLog();

  child.GetDatabase(&parent);
  EXPECT_TRUE(child.Connected());
  EXPECT_EQ(child.DriverName(), "FB");
  EXPECT_FALSE(child.GravaLog()) << "disconnecting switched the log off";
  EXPECT_EQ(child.DadosGravaLog(), record) << "and kept its record";

  TZRQuery query;
  query.SetDatabase(&child);
  query.SQL().Add("SELECT COUNT(*) AS N FROM T");
  query.Open();
  EXPECT_EQ(query.FieldByName("N").AsInteger(), 0);
}

TEST(DisconnectTest, DisconnectingRollsBackWhatWasNotCommittedAndSwitchesTheLogOff) {
  testing::ScratchDatabase scratch;
  scratch.Run({"CREATE TABLE T (ID INTEGER)"});
  TZRDatabase db;
  scratch.Configure(db);
  db.SetConnected(true);
  db.SetGravaLog(true);
  ASSERT_NE(db.DadosGravaLog(), nullptr);

  TZRQuery insert;
  insert.SetDatabase(&db);
  insert.SQL().Add("INSERT INTO T (ID) VALUES (1)");
  db.SetGravaLogProperty(false);  // no log file from this test
  insert.ExecSQL();
  db.SetGravaLogProperty(true);

  db.SetConnected(false);
  EXPECT_FALSE(db.GravaLog());
  EXPECT_NE(db.DadosGravaLog(), nullptr);

  db.SetConnected(true);
  TZRQuery count;
  count.SetDatabase(&db);
  count.SQL().Add("SELECT COUNT(*) AS N FROM T");
  count.Open();
  EXPECT_EQ(count.FieldByName("N").AsInteger(), 0) << "the uncommitted insert was rolled back";
}

TEST(GravaLogSwitchTest, SwitchingOnCreatesTheRecordOnceAndReadsTheHostAgainEachTime) {
  TZRDatabase db;
  db.SetGravaLog(true);
  EXPECT_TRUE(db.GravaLog());
  TZRGravaLog* record = db.DadosGravaLog();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->NmMaquina, host::ComputerName());
  EXPECT_EQ(record->NrIP, host::LocalIP());

  record->NmMaquina = "OUTRA";
  record->NrIP = "10.9.9.9";
  db.SetGravaLog(true);
  EXPECT_EQ(db.DadosGravaLog(), record) << "the same record";
  EXPECT_EQ(record->NmMaquina, host::ComputerName()) << "read again";
  EXPECT_EQ(record->NrIP, host::LocalIP());
}

TEST(GravaLogSwitchTest, ARecordWithABlankMachineNameIsLeftAsItIs) {
  TZRDatabase db;
  db.SetGravaLog(true);
  db.DadosGravaLog()->NmMaquina = " \t";
  db.DadosGravaLog()->NrIP = "10.9.9.9";
  db.SetGravaLog(true);
  EXPECT_EQ(db.DadosGravaLog()->NmMaquina, " \t");
  EXPECT_EQ(db.DadosGravaLog()->NrIP, "10.9.9.9");
}

TEST(GravaLogSwitchTest, SwitchingOffFreesTheRecordAndThePropertyAloneCreatesNone) {
  TZRDatabase db;
  db.SetGravaLog(true);
  db.SetGravaLog(false);
  EXPECT_FALSE(db.GravaLog());
  EXPECT_EQ(db.DadosGravaLog(), nullptr);
  db.SetGravaLogProperty(true);
  EXPECT_TRUE(db.GravaLog());
  EXPECT_EQ(db.DadosGravaLog(), nullptr) << "the property touches the field only";
}

}  // namespace
}  // namespace zr::data
