// The connection's parameter entries and mapping rules, rebuilt at every connect, as the framework and its
// driver receive them.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "data/database.h"
#include "db/errors.h"
#include "support/recording_driver.h"
#include "support/scratch_database.h"

namespace zr::data {
namespace {

using Entries = std::vector<std::string>;
using testing::Recorded;

struct ExpectedRule {
  db::TFDDataType Source, Target;
  std::optional<int> PrecMin, PrecMax, ScaleMin, ScaleMax, SizeMin, SizeMax;
};
using RuleSet = std::vector<ExpectedRule>;

const RuleSet kNoRules = {};
const RuleSet kFirebirdRules = {
    {db::dtBCD, db::dtDouble, 2, 21, 2, 15, {}, {}},
    {db::dtFmtBCD, db::dtDouble, 2, 21, 2, 15, {}, {}},
    {db::dtDateTimeStamp, db::dtTime, {}, {}, {}, {}, {}, {}},
};
const RuleSet kOracleRules = {
    {db::dtBCD, db::dtCurrency, 0, 18, 2, 4, 2, 8},
    {db::dtFmtBCD, db::dtCurrency, 0, 38, 0, 38, 2, 8},
    {db::dtBCD, db::dtInt32, 0, 9, 0, 0, 0, 0},
    {db::dtDateTime, db::dtDate, {}, {}, {}, {}, {}, {}},
    {db::dtDateTimeStamp, db::dtTime, {}, {}, {}, {}, {}, {}},
};

void ExpectRules(const db::TFDFormatOptions& options, const RuleSet& expected) {
  EXPECT_EQ(options.OwnMapRules, !expected.empty());
  ASSERT_EQ(options.MapRules.Count(), static_cast<int>(expected.size()));
  for (int i = 0; i < options.MapRules.Count(); ++i) {
    SCOPED_TRACE("rule " + std::to_string(i + 1));
    const db::TFDMapRule& got = options.MapRules[i];
    const ExpectedRule& want = expected[static_cast<size_t>(i)];
    EXPECT_EQ(got.SourceDataType, want.Source);
    EXPECT_EQ(got.TargetDataType, want.Target);
    EXPECT_EQ(got.PrecMin, want.PrecMin);
    EXPECT_EQ(got.PrecMax, want.PrecMax);
    EXPECT_EQ(got.ScaleMin, want.ScaleMin);
    EXPECT_EQ(got.ScaleMax, want.ScaleMax);
    EXPECT_EQ(got.SizeMin, want.SizeMin);
    EXPECT_EQ(got.SizeMax, want.SizeMax);
  }
}

class ConnectionParamsTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::ResetRecordingDrivers(); }
};

TEST_F(ConnectionParamsTest, EveryConnectHandsTheDriverTheEntriesOfItsNameInOrder) {
  struct Case {
    const char* name;
    const char* driver;
    const char* host;
    const char* database;
    const char* user;
    const char* password;
    int32_t port;
    Entries expected;
    const RuleSet* rules;
  };
  const Case cases[] = {
      {"Oracle gets the common entries, then AuthMode=NORMAL, and the Oracle rules",
       "Ora",
       "srv01",
       "ORCL",
       "zr",
       "segredo",
       1521,
       {"DriverID=Ora", "Server=srv01", "Database=ORCL", "User_name=zr", "Password=segredo", "Port=1521",
        "AuthMode=NORMAL"},
       &kOracleRules},
      {"values are trimmed of blanks and control characters before they are written",
       "Ora",
       " \tsrv01\x01 ",
       "  ORCL\r\n",
       "\x02zr ",
       " segredo\t",
       0,
       {"DriverID=Ora", "Server=srv01", "Database=ORCL", "User_name=zr", "Password=segredo",
        "AuthMode=NORMAL"},
       &kOracleRules},
      {"an empty host, user and password leave their entries out; Database= stays even when empty",
       "Ora",
       "",
       "",
       "",
       "",
       0,
       {"DriverID=Ora", "Database=", "AuthMode=NORMAL"},
       &kOracleRules},
      {"a user and a password of blanks only are left out",
       "Ora",
       "srv",
       "ORCL",
       "   ",
       " \t ",
       0,
       {"DriverID=Ora", "Server=srv", "Database=ORCL", "AuthMode=NORMAL"},
       &kOracleRules},
      {"a negative port is written with its sign",
       "PG",
       "srv",
       "base",
       "",
       "",
       -5,
       {"DriverID=PG", "Server=srv", "Database=base", "Port=-5"},
       &kNoRules},
      {"ora in lower case is any other driver: no AuthMode, no rules",
       "ora",
       "srv",
       "ORCL",
       "zr",
       "pw",
       1521,
       {"DriverID=ora", "Server=srv", "Database=ORCL", "User_name=zr", "Password=pw", "Port=1521"},
       &kNoRules},
      {"Oracle spelt out is any other driver",
       "Oracle",
       "srv",
       "ORCL",
       "",
       "",
       0,
       {"DriverID=Oracle", "Server=srv", "Database=ORCL"},
       &kNoRules},
      {"another driver gets only the common entries",
       "XYZ",
       "h",
       "d",
       "u",
       "p",
       7,
       {"DriverID=XYZ", "Server=h", "Database=d", "User_name=u", "Password=p", "Port=7"},
       &kNoRules},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TZRDatabase db;
    db.SetDriverName(c.driver);
    db.SetHostName(c.host);
    db.SetDatabase(c.database);
    db.SetUser(c.user);
    db.SetPassword(c.password);
    db.SetPort(c.port);
    db.Params().Add("Stale=entry");  // left from an earlier connect: must not survive
    db.FormatOptions().MapRules.Add().SourceDataType = db::dtBlob;

    Recorded().Connects.clear();
    EXPECT_THROW(db.SetConnected(true), db::EDatabaseError);  // the test driver has no server
    EXPECT_FALSE(db.Connected());
    EXPECT_EQ(db.Params().Lines(), c.expected) << "the list stays as built after a failed connect";
    ASSERT_EQ(Recorded().Connects.size(), 1u);
    EXPECT_EQ(Recorded().Connects[0], c.expected) << "what the driver received";
    ExpectRules(db.FormatOptions(), *c.rules);
  }
}

TEST_F(ConnectionParamsTest, FirebirdEmbeddedGetsPageSizeButNoProtocolAndTheFirebirdRules) {
  testing::ScratchDatabase scratch;
  TZRDatabase db;
  scratch.Configure(db);
  db.SetConnected(true);
  EXPECT_TRUE(db.Connected());
  EXPECT_EQ(db.Params().Lines(),
            (Entries{"DriverID=FB", "Database=" + scratch.Path(), "User_name=SYSDBA", "PageSize=4096"}));
  ExpectRules(db.FormatOptions(), kFirebirdRules);
}

TEST_F(ConnectionParamsTest, FirebirdWithAHostGetsProtocolTcpipBeforePageSize) {
  TZRDatabase db;
  db.SetDriverName("FB");
  db.SetHostName("127.0.0.1");
  db.SetDatabase("/tmp/nao_existe.fdb");
  db.SetUser("SYSDBA");
  db.SetPassword("masterkey");
  db.SetPort(1);  // nothing listens there: the connect fails at once
  EXPECT_THROW(db.SetConnected(true), db::EDatabaseError);
  EXPECT_EQ(db.Params().Lines(),
            (Entries{"DriverID=FB", "Server=127.0.0.1", "Database=/tmp/nao_existe.fdb", "User_name=SYSDBA",
                     "Password=masterkey", "Port=1", "Protocol=TCPIP", "PageSize=4096"}));
  ExpectRules(db.FormatOptions(), kFirebirdRules);
}

// The code page of a legacy Firebird database goes to the Firebird driver only, and only when it is set.
TEST_F(ConnectionParamsTest, CharsetLegadoIsAFirebirdEntryAfterPageSizeWhenSet) {
  struct Case {
    const char* name;
    const char* driver;
    const char* charsetLegado;
    Entries expected;
  };
  const Case cases[] = {
      {"Firebird: trimmed, last",
       "FB",
       " WIN1250\t",
       {"DriverID=FB", "Server=127.0.0.1", "Database=/tmp/nao_existe.fdb", "Port=1", "Protocol=TCPIP",
        "PageSize=4096", "CharsetLegado=WIN1250"}},
      {"Firebird without it: no entry (the driver's default)",
       "FB",
       " ",
       {"DriverID=FB", "Server=127.0.0.1", "Database=/tmp/nao_existe.fdb", "Port=1", "Protocol=TCPIP",
        "PageSize=4096"}},
      {"Oracle converts by its own driver's settings",
       "Ora",
       "WIN1250",
       {"DriverID=Ora", "Server=127.0.0.1", "Database=/tmp/nao_existe.fdb", "Port=1", "AuthMode=NORMAL"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TZRDatabase db;
    db.SetDriverName(c.driver);
    db.SetHostName("127.0.0.1");
    db.SetDatabase("/tmp/nao_existe.fdb");
    db.SetPort(1);  // nothing listens there: the connect fails at once
    db.SetCharsetLegado(c.charsetLegado);
    EXPECT_THROW(db.SetConnected(true), db::EDatabaseError);
    EXPECT_EQ(db.Params().Lines(), c.expected);
  }
}

TEST_F(ConnectionParamsTest, AFailedConnectReachesTheCallerWithTheDriversMessage) {
  TZRDatabase db;
  db.SetDriverName("Ora");
  try {
    db.SetConnected(true);
    FAIL() << "the connect should fail";
  } catch (const db::EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Ora: sem servidor de teste");
  }
}

TEST_F(ConnectionParamsTest, EachConnectRebuildsTheListAndTheRulesFromTheCurrentProperties) {
  TZRDatabase db;
  db.SetDriverName("Ora");
  db.SetDatabase("ORCL");
  EXPECT_THROW(db.SetConnected(true), db::EDatabaseError);
  ExpectRules(db.FormatOptions(), kOracleRules);

  db.SetDriverName("PG");
  db.SetHostName("srv02");
  db.SetPort(5432);
  EXPECT_THROW(db.SetConnected(true), db::EDatabaseError);
  EXPECT_EQ(db.Params().Lines(), (Entries{"DriverID=PG", "Server=srv02", "Database=ORCL", "Port=5432"}));
  ExpectRules(db.FormatOptions(), kNoRules);
  ASSERT_EQ(Recorded().Connects.size(), 2u);
  EXPECT_EQ(Recorded().Connects[0], (Entries{"DriverID=Ora", "Database=ORCL", "AuthMode=NORMAL"}));
}

TEST_F(ConnectionParamsTest, AssigningTrueWhileConnectedRebuildsTheListAndStaysConnected) {
  testing::ScratchDatabase scratch;
  TZRDatabase db;
  scratch.Configure(db, "Ora");  // the test driver opens the file with the Firebird driver
  db.SetConnected(true);
  ASSERT_TRUE(db.Connected());
  db.SetPassword("outra");
  db.SetConnected(true);
  EXPECT_TRUE(db.Connected());
  EXPECT_EQ(db.Params().Lines(), (Entries{"DriverID=Ora", "Database=" + scratch.Path(), "User_name=SYSDBA",
                                          "Password=outra", "AuthMode=NORMAL"}));
  ExpectRules(db.FormatOptions(), kOracleRules);
}

}  // namespace
}  // namespace zr::data
