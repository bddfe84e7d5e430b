// The application's text helpers and settings reading, without a database.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/company.h"
#include "app/components.h"
#include "app/settings.h"
#include "app/sql_text.h"
#include "app/startup.h"
#include "db/datetime.h"

namespace zr::app {
namespace {

TEST(SqlText, QuotedLiteralsDoubleEveryInnerQuote) {
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(QuotedStr("S"), "'S'");
  EXPECT_EQ(QuotedStr("D'Ouro''"), "'D''Ouro'''''");
  EXPECT_EQ(QuotedStr("ção"), "'ção'");
}

TEST(SqlText, DateLiteralsPutTheMonthFirst) {
  struct Case {
    const char* name;
    db::TDateTime date;
    const char* expected;
  };
  const Case cases[] = {
      {"31 January 2018", db::EncodeDateTime({2018, 1, 31}), "'01/31/2018'"},
      {"the zero date", 0.0, "'12/30/1899'"},
      {"a time of day is dropped", db::EncodeDateTime({2020, 12, 5, 23, 59, 59}), "'12/05/2020'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DateLiteral(c.date), c.expected);
  }
}

TEST(SqlText, TrimDropsBlanksAndControlCharacters) {
  EXPECT_EQ(Trim("  \t\r\n "), "");
  EXPECT_EQ(Trim(" FRENTE \x01"), "FRENTE");
  EXPECT_EQ(Trim("A B"), "A B");
}

TEST(Settings, TheHostIsTheTextBeforeTheFirstColon) {
  struct Case {
    const char* name;
    const char* servidor;
    const char* host;
  };
  const Case cases[] = {
      {"host and port", "srv01:3050", "srv01"},
      {"host and a Windows path", "srv01:C:\\dados\\erp.fdb", "srv01"},
      {"a plain host without a colon gives no host", "srv01", ""},
      {"a leading colon gives no host", ":3050", ""},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(HostPart(c.servidor), c.host);
  }
}

TEST(Settings, TheDatabaseKindSelectsTheDriverAndPort) {
  struct Case {
    const char* name;
    const char* banco;
    const char* driver;
    int port;
  };
  const Case cases[] = {
      {"oracle in lower case", "oracle", "Ora", 1521},
      {"Oracle capitalised", "Oracle", "Ora", 1521},
      {"ORACLE", "ORACLE", "Ora", 1521},
      {"ORA is not Oracle", "ORA", "FB", 0},
      {"more text after ORACLE", "ORACLE10", "FB", 0},
      {"empty", "", "FB", 0},
  };
  const auto dir = std::filesystem::temp_directory_path() / "zr-app-units";
  std::filesystem::create_directories(dir);
  const std::string ini = (dir / "zr.ini").string();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ofstream(ini, std::ios::trunc) << "[BANCO]\r\n  SERVIDOR = srv:1 \r\nbase=/x;y#z=w,v.fdb\r\nbanco="
                                        << c.banco << "\r\n";
    db::TComponent owner;
    TFormComponents comps = CreateFormComponents(owner);
    // No driver is registered here: connecting fails after the properties were set.
    EXPECT_ANY_THROW(ConectaBanco(*comps.ZRDatabase1, ini));
    EXPECT_EQ(comps.ZRDatabase1->DriverName(), c.driver);
    EXPECT_EQ(comps.ZRDatabase1->Port(), c.port);
    EXPECT_EQ(comps.ZRDatabase1->HostName(), "srv");
    EXPECT_EQ(comps.ZRDatabase1->Database(), "/x;y#z=w,v.fdb");
  }
}

TEST(Startup, TheApplicationTitleIsTheFileNameCapitalisedUpToItsFirstStop) {
  EXPECT_EQ(ApplicationTitle("/opt/zembra/zembra"), "Zembra");
  EXPECT_EQ(ApplicationTitle("C:\\Prog\\ZEMBRA.EXE"), "Zembra");
  EXPECT_EQ(ApplicationTitle("/x/zembra.v2.bin"), "Zembra");
  EXPECT_EQ(ApplicationTitle("zembra-cli"), "Zembra-cli");
}

TEST(Company, TheCodeIsTheTextBeforeTheFirstSeparator) {
  EXPECT_EQ(CompanyCode("12 | Empresa"), "12");
  EXPECT_EQ(CompanyCode("A | B | C"), "A");
  EXPECT_EQ(CompanyCode("12"), "");
  EXPECT_EQ(CompanyCode(""), "");
  EXPECT_EQ(CompanyCode("12 |Empresa"), "");
}

}  // namespace
}  // namespace zr::app
