// The application's text helpers and settings reading, without a database.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "app/company.h"
#include "app/components.h"
#include "app/connection_refusal.h"
#include "app/error_text.h"
#include "app/settings.h"
#include "app/sql_text.h"
#include "app/startup.h"
#include "app/typed_date.h"
#include "db/datetime.h"
#include "db/errors.h"
#include "host/system_error.h"
#include "host/utf8_path.h"

namespace zr::app {
namespace {

TEST(TypedDate, DatesReadAsPeopleTypeThem) {
  struct Case {
    const char* name;
    const char* text;
    TypedDate::Kind kind;
    int year, month, day;
    const char* problem;  // for Invalid
  };
  const Case cases[] = {
      {"slashes", "15/06/2017", TypedDate::Date, 2017, 6, 15, ""},
      {"dots", "1.6.2017", TypedDate::Date, 2017, 6, 1, ""},
      {"dashes", "1-6-2017", TypedDate::Date, 2017, 6, 1, ""},
      {"separators mixed", "01.06-2017", TypedDate::Date, 2017, 6, 1, ""},
      {"eight digits", "15062017", TypedDate::Date, 2017, 6, 15, ""},
      {"six digits", "150617", TypedDate::Date, 2017, 6, 15, ""},
      {"a two-digit year from 50 is of the last century", "1.6.50", TypedDate::Date, 1950, 6, 1, ""},
      {"a two-digit year below 50 is of this century", "1/6/49", TypedDate::Date, 2049, 6, 1, ""},
      {"day and month in the current year", "15-6", TypedDate::Date, 2031, 6, 15, ""},
      {"blanks around", "  29/02/2024 ", TypedDate::Date, 2024, 2, 29, ""},
      {"nothing", "   ", TypedDate::Empty, 0, 0, 0, ""},
      {"a day the month does not have", "31/06/2017", TypedDate::Invalid, 0, 0, 0,
       "junho de 2017 não tem dia 31"},
      {"29 February out of a leap year", "29.02.2023", TypedDate::Invalid, 0, 0, 0,
       "fevereiro de 2023 não tem dia 29"},
      {"a thirteenth month", "01-13-2017", TypedDate::Invalid, 0, 0, 0, "não existe o mês 13"},
      {"the year first", "2017-06-15", TypedDate::Invalid, 0, 0, 0,
       "o dia vem primeiro, depois o mês e o ano"},
      {"no year after the separator", "15/06/", TypedDate::Invalid, 0, 0, 0, "falta o ano"},
      {"three-digit year", "15/06/201", TypedDate::Invalid, 0, 0, 0, "o ano \"201\" deve ter 2 ou 4 dígitos"},
      {"too few digits", "1506", TypedDate::Invalid, 0, 0, 0,
       "sem separadores, a data tem 8 dígitos (DDMMAAAA) ou 6 (DDMMAA), não 4"},
      {"a letter", "15/06/2017x", TypedDate::Invalid, 0, 0, 0,
       "\"x\" não vale numa data: use só números e \"/\", \".\" ou \"-\""},
      {"an accented letter is named whole", "1é/06/2017", TypedDate::Invalid, 0, 0, 0,
       "\"é\" não vale numa data: use só números e \"/\", \".\" ou \"-\""},
      {"four parts", "1/2/3/4", TypedDate::Invalid, 0, 0, 0, "há partes demais: a data é dia, mês e ano"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TypedDate t = ReadTypedDate(c.text, 2031);
    EXPECT_EQ(t.kind, c.kind);
    if (c.kind == TypedDate::Date) {
      EXPECT_EQ(t.Year, c.year);
      EXPECT_EQ(t.Month, c.month);
      EXPECT_EQ(t.Day, c.day);
    }
    EXPECT_EQ(t.Problem, c.problem);
  }
}

TEST(SystemError, CommonErrorsReadInPortuguese) {
  EXPECT_EQ(host::SystemErrorText(ENOENT), "arquivo ou pasta não encontrado");
  EXPECT_EQ(host::SystemErrorText(EACCES), "sem permissão de acesso");
  EXPECT_EQ(host::SystemErrorText(ENOSPC), "não há espaço livre no disco");
}

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
    std::ofstream(ini, std::ios::trunc)
        << "[BANCO]\r\n  SERVIDOR = srv:1 \r\nbase=/x;y#z=w,v.fdb\r\nbanco=" << c.banco << "\r\n";
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

// The settings file's path is UTF-8 like every text of the program; on Windows a folder named with accents
// must not make a file that is there look missing.
TEST(Settings, AFileInAFolderNamedWithAccentsIsFoundAndAMissingOneIsNamed) {
  namespace fs = std::filesystem;
  const std::string dirText = host::PathToUtf8(fs::temp_directory_path() / "zr-app-units") + "/Produção Ação";
  const fs::path dir = host::PathFromUtf8(dirText);
  fs::create_directories(dir);
  std::ofstream(dir / "zr.ini", std::ios::trunc) << "[banco]\r\nbase=x.fdb\r\n";
  fs::remove(dir / "outro.ini");

  EXPECT_EQ(SettingsFileProblem(dirText + "/zr.ini"), "");
  EXPECT_EQ(SettingsFileNote(dirText + "/zr.ini"), "Arquivo de configuração lido: " + dirText + "/zr.ini");
  EXPECT_EQ(SettingsFileProblem(dirText + "/outro.ini"),
            "Arquivo de configuração não encontrado: " + dirText + "/outro.ini");
  EXPECT_EQ(SettingsFileProblem(dirText), "Arquivo de configuração é uma pasta: " + dirText);
  EXPECT_EQ(LeIni("banco", "base", dirText + "/zr.ini"), "x.fdb");
}

TEST(Startup, TheApplicationTitleKeepsTheFirstCharacterAndLowersTheLaterLettersUpToTheFirstStop) {
  struct Case {
    const char* name;
    const char* path;
    const char* title;
  };
  const Case cases[] = {
      {"a lower-case name stays lower case", "/opt/zembra/zembra", "zembra"},
      {"an upper-case name keeps its first letter", "C:\\Prog\\ZEMBRA.EXE", "Zembra"},
      {"a capitalised name stays as it is", "/opt/Zembra", "Zembra"},
      {"the name ends at the first full stop", "/x/zembra.v2.bin", "zembra"},
      {"a bare file name", "zembra-cli", "zembra-cli"},
      {"mixed case after the first letter", "/x/zEMBRA-CLI", "zembra-cli"},
      {"a leading digit is kept and the letters after it lowered", "/x/2ZEMBRA.exe", "2zembra"},
      {"Latin-1 capitals after the first letter are lowered", "/x/ÇÃO-ÉDITION", "Ção-édition"},
      {"the multiplication sign is no letter", "/x/A×B", "A×b"},
      {"a name that begins with a full stop is empty", "/x/.zembra", ""},
      {"a byte no character starts with (F8) hides no letter after it", "/x/A\370BCDE", "A\370bcde"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ApplicationTitle(c.path), c.title);
  }
}

TEST(Company, TheCodeIsTheTextBeforeTheFirstSeparator) {
  EXPECT_EQ(CompanyCode("12 | Empresa"), "12");
  EXPECT_EQ(CompanyCode("A | B | C"), "A");
  EXPECT_EQ(CompanyCode("12"), "");
  EXPECT_EQ(CompanyCode(""), "");
  EXPECT_EQ(CompanyCode("12 |Empresa"), "");
}

// Messages as the Firebird client and engine, the Oracle client and the ODBC driver word them; those the tests
// cannot make for real (no permission, as root) are here too.
TEST(ConnectionRefusal, TheCommonRefusalsAreToldInPortugueseAndOthersAreNot) {
  struct Case {
    const char* name;
    const char* error;
    const char* advice;  // its start; empty: no line
  };
  const Case cases[] = {
      {"a database file that does not exist",
       "I/O error during \"open\" operation for file \"/d/x.fdb\"\n-Error while trying to open file\n-No such file "
       "or directory\nSQLSTATE = 08001",
       "O arquivo do banco de dados não foi encontrado."},
      {"a database file the user may not open",
       "I/O error during \"open\" operation for file \"/d/x.fdb\"\n-Error while trying to open file\n-Permission "
       "denied\nSQLSTATE = 08001",
       "Sem permissão para abrir o arquivo do banco de dados."},
      {"Firebird's lock folder closed to the user",
       "operating system directive access failed\n-Permission denied\n-/tmp/firebird/",
       "Sem permissão na pasta de travas do Firebird"},
      {"a database another program holds",
       "I/O error during \"lock\" operation for file \"/d/x.fdb\"\n-Database already opened with engine instance, "
       "incompatible with current\nSQLSTATE = 08001",
       "O banco de dados já está aberto por outro programa;"},
      {"a wrong password on Firebird",
       "Your user name and password are not defined. Ask your database administrator to set up a Firebird "
       "login.\nSQLSTATE = 28000",
       "O usuário ou a senha foram recusados."},
      {"a wrong password on Oracle", "ORA-01017: invalid username/password; logon denied",
       "O usuário ou a senha foram recusados."},
      {"a server that does not listen",
       "Unable to complete network request to host \"127.0.0.1\".\n-Failed to establish a connection.",
       "O servidor não foi alcançado."},
      {"an Oracle listener that is not there", "ORA-12541: TNS:no listener", "O servidor não foi alcançado."},
      {"an empty database setting", "The connection parameter Database is empty: no database to open", ""},
      {"a table that is missing", "Dynamic SQL Error\n-Table unknown\n-EMPRESA", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string advice = ConnectionRefusalAdvice(c.error);
    EXPECT_EQ(advice.rfind(c.advice, 0), 0u) << advice;
    EXPECT_EQ(advice.empty(), *c.advice == '\0') << advice;
  }
}

// The drivers raise kinds and facts; the user reads these sentences, in the window and from zembra-cli.
TEST(DescreveErro, KindsAndFactsBecomeTheSentencesTheUserReads) {
  using db::TDatabaseErrorKind;
  const auto facts = [](auto fill) {
    db::TDatabaseErrorFacts f;
    fill(f);
    return f;
  };
  const db::TDatabaseErrorFacts firebirdServer = facts([](auto& f) {
    f.Server = "127.0.0.9";
    f.Product = "Firebird";
    f.Seconds = 2;
    f.Cause = "connection rejected by remote interface";
  });
  const db::TDatabaseErrorFacts odbcServer = facts([](auto& f) {
    f.Server = "10.0.0.4:1521";
    f.Seconds = 30;
    f.Cause = "[SQLSTATE HYT00] [native 0] Login timeout expired";
  });
  const db::TDatabaseErrorFacts dataSource = facts([](auto& f) {
    f.DataSource = "ZR";
    f.Seconds = 5;
    f.Cause = "x";
  });
  const db::TDatabaseErrorFacts value = facts([](auto& f) {
    f.Text = "VERDE D'ĀGUA";
    f.Character = "Ā";
    f.CodePoint = 0x100;
    f.CodePage = "WIN1252";
  });
  const db::TDatabaseErrorFacts statement = facts([](auto& f) {
    f.InStatement = true;
    f.Text = "SELECT X AS ŁUK FROM T";
    f.Character = "Ł";
    f.CodePoint = 0x141;
    f.CodePage = "WIN1252";
  });
  const db::TDatabaseErrorFacts byte = facts([](auto& f) {
    f.Text = "AB\\xC9";
    f.CodePoint = 0xC9;
    f.CodePage = "WIN1252";
  });
  const db::TDatabaseErrorFacts legacy = facts([](auto& f) {
    f.Setting = "CharsetLegado";
    f.Value = "LATIN9";
    f.Choices = "WIN1250, WIN1252";
  });
  const db::TDatabaseErrorFacts port = facts([](auto& f) {
    f.Setting = "Port";
    f.Value = "x";
  });
  struct Case {
    const char* name;
    db::EDatabaseError error;
    std::string expected;
  };
  const Case cases[] = {
      {"a Firebird server that did not answer the connect",
       db::EDatabaseError("m", TDatabaseErrorKind::ConnectTimedOut, firebirdServer),
       "O servidor 127.0.0.9 não respondeu em 2 s; verifique se o Firebird está no ar nesse endereço.\n"
       "(connection rejected by remote interface)"},
      {"a server behind ODBC that did not answer the connect",
       db::EDatabaseError("m", TDatabaseErrorKind::ConnectTimedOut, odbcServer),
       "O servidor 10.0.0.4:1521 não respondeu em 30 s; verifique se ele está no ar nesse endereço.\n"
       "([SQLSTATE HYT00] [native 0] Login timeout expired)"},
      {"a data source whose server did not answer the connect",
       db::EDatabaseError("m", TDatabaseErrorKind::ConnectTimedOut, dataSource),
       "O servidor da fonte de dados ZR não respondeu em 5 s; verifique se ele está no ar nesse endereço.\n(x)"},
      {"a connect that did not answer, nothing known of where it went",
       db::EDatabaseError("m", TDatabaseErrorKind::ConnectTimedOut, facts([](auto& f) { f.Seconds = 5; })),
       "O servidor do banco não respondeu em 5 s; verifique se ele está no ar nesse endereço.\n()"},
      {"a server that stopped answering",
       db::EDatabaseError("m", TDatabaseErrorKind::LinkLost, facts([](auto& f) { f.Server = "127.0.0.8"; })),
       "O servidor 127.0.0.8 parou de responder e a conexão foi fechada; o que não estava confirmado é desfeito "
       "pelo servidor."},
      {"a lost link the server told itself",
       db::EDatabaseError("connection shutdown", TDatabaseErrorKind::LinkLost), "connection shutdown"},
      {"a value the code page cannot hold",
       db::EDatabaseError("m", TDatabaseErrorKind::TextNotConvertible, value),
       "O valor \"VERDE D'ĀGUA\" tem o caractere \"Ā\" (U+0100), que não existe no conjunto de caracteres "
       "WIN1252 em que a base guarda seus textos."},
      {"a statement the code page cannot hold",
       db::EDatabaseError("m", TDatabaseErrorKind::TextNotConvertible, statement),
       "O comando SQL \"SELECT X AS ŁUK FROM T\" tem o caractere \"Ł\" (U+0141), que não existe no conjunto de "
       "caracteres WIN1252 em que a base guarda seus textos."},
      {"a value that is not UTF-8", db::EDatabaseError("m", TDatabaseErrorKind::TextNotConvertible, byte),
       "O valor \"AB\\xC9\" tem o byte 0xC9, que não é texto UTF-8."},
      {"an unknown legacy code page", db::EDatabaseError("m", TDatabaseErrorKind::InvalidSetting, legacy),
       "CharsetLegado=LATIN9 não é um conjunto de caracteres conhecido; use um destes: WIN1250, WIN1252."},
      {"another entry the driver refused",
       db::EDatabaseError("Invalid Port", TDatabaseErrorKind::InvalidSetting, port), "Invalid Port"},
      {"a time-out, worded by the query itself",
       db::EDatabaseError("Timeout expired", TDatabaseErrorKind::NoAnswer), "Timeout expired"},
      {"a failure told again in other words keeps those words",
       db::EDatabaseError("ERRO PROVÁVEL DE DEADLOCK :\r\rX",
                          db::EDatabaseError("m", TDatabaseErrorKind::TextNotConvertible, value)),
       "ERRO PROVÁVEL DE DEADLOCK :\r\rX"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DescreveErro(c.error), c.expected);
  }
  EXPECT_EQ(DescreveErro(std::runtime_error("outro erro")), "outro erro");
}

}  // namespace
}  // namespace zr::app
