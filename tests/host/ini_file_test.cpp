// Reading the settings file the way the Windows profile-string reader does.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "host/host.h"

namespace {

namespace fs = std::filesystem;

class IniFileTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("zr_host_ini_" + std::to_string(getpid()));
    fs::create_directories(dir_);
    file_ = (dir_ / "zr.ini").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& contents) { std::ofstream(file_, std::ios::binary) << contents; }

  fs::path dir_;
  std::string file_;
};

TEST_F(IniFileTest, ValuesAreFoundAndReadAsTheWindowsReaderReadsThem) {
  Write(
      "; settings of the order import\r\n"
      "[outra]\r\n"
      "Servidor=errado\r\n"
      "\r\n"
      "  [ Banco ]  \r\n"
      "Servidor = srv01  \r\n"
      "BASE=C:\\dados\\erp.fdb\r\n"
      "usuario=\tSYSDBA\t\r\n"
      "senha=ab;cd#ef=gh,ij\r\n"
      "banco=FIREBIRD\r\n"
      "aspas=\"  entre aspas  \"\r\n"
      "apostrofos='x'\r\n"
      "meia=\"aberta\r\n"
      "vazio=\r\n"
      "repetida=primeira\r\n"
      "repetida=segunda\r\n"
      "linha sem igual\r\n"
      "[depois]\r\n"
      "fora=1\r\n");

  struct Case {
    const char* name;
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"section and key names match without regard to case", "BANCO", "servidor", "srv01"},
      {"a key written in upper case is found by a lower-case name", "banco", "base", "C:\\dados\\erp.fdb"},
      {"tabs around the value are dropped", "banco", "usuario", "SYSDBA"},
      {"semicolon, hash, equals sign and comma belong to the value", "banco", "senha", "ab;cd#ef=gh,ij"},
      {"a value in double quotes loses its quotes and keeps its inner blanks", "banco", "aspas",
       "  entre aspas  "},
      {"a value in single quotes loses its quotes", "banco", "apostrofos", "x"},
      {"an unmatched quote stays", "banco", "meia", "\"aberta"},
      {"an empty value is read as empty, not as the default", "banco", "vazio", ""},
      {"the first of two equal keys wins", "banco", "repetida", "primeira"},
      {"the same key in another section is not taken", "outra", "servidor", "errado"},
      {"a key of a later section is not seen from an earlier one", "banco", "fora", "dflt"},
      {"a missing key gives the default", "banco", "porta", "dflt"},
      {"a missing section gives the default", "nenhuma", "servidor", "dflt"},
      {"a line without an equals sign is no key", "banco", "linha sem igual", "dflt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(zr::host::ReadIniString(file_, c.section, c.key, "dflt"), c.expected);
  }
}

TEST_F(IniFileTest, AMissingFileGivesTheDefault) {
  EXPECT_EQ(zr::host::ReadIniString((dir_ / "nao_existe.ini").string(), "banco", "base", "padrao"), "padrao");
  EXPECT_EQ(zr::host::ReadIniString((dir_ / "nao_existe.ini").string(), "banco", "base"), "");
}

TEST_F(IniFileTest, LinesEndedByLineFeedsAndAByteOrderMarkAreRead) {
  Write("\xEF\xBB\xBF[banco]\nbase=/var/dados/erp.fdb\nusuario=joão\n");
  EXPECT_EQ(zr::host::ReadIniString(file_, "banco", "base"), "/var/dados/erp.fdb");
  EXPECT_EQ(zr::host::ReadIniString(file_, "banco", "usuario"), "joão");
}

TEST_F(IniFileTest, KeysBeforeTheFirstSectionBelongToNoSection) {
  Write("base=solta\n[banco]\nservidor=srv\n");
  EXPECT_EQ(zr::host::ReadIniString(file_, "banco", "base", "dflt"), "dflt");
  EXPECT_EQ(zr::host::ReadIniString(file_, "", "base", "dflt"), "dflt");
}

}  // namespace
