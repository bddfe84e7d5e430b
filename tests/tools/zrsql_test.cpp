// zrsql as a DBA runs it: standard input in, standard output byte for byte, exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class ZrsqlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("zrsql_test_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string Write(const std::string& name, const std::string& content) {
    const fs::path path = dir / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  Outcome Run(const std::string& args, const std::string& input) {
    const std::string in = Write("stdin", input);
    const std::string command = std::string("'") + ZRSQL_PATH + "' " + args + " < '" + in + "' > '" +
                                (dir / "stdout").string() + "' 2> '" + (dir / "stderr").string() + "'";
    const int status = std::system(command.c_str());
    Outcome o;
    o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    o.out = Read(dir / "stdout");
    o.err = Read(dir / "stderr");
    return o;
  }

  fs::path dir;
};

TEST_F(ZrsqlTest, TranslatesForOracleByteForByte) {
  const Outcome o =
      Run("--driver Ora", "SELECT COALESCE(A,0) AS X\nFROM T\rWHERE D = '01/31/2018' AND B <> ''");
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out, "SELECT nvl(A,0)  X\r\nFROM T\r\nWHERE D = '31/01/2018' AND B  IS NOT NULL \r\n");
  EXPECT_EQ(o.err, "");
}

TEST_F(ZrsqlTest, OtherDriversGetTheirOwnForm) {
  const std::string input = "SELECT udf_len(NOME) FROM T WHERE D = '01/31/2018' ORDER BY 1 DESCENDING\r\n";
  EXPECT_EQ(Run("--driver FB", input).out,
            "SELECT char_length(NOME) FROM T WHERE D = '01/31/2018' ORDER BY 1 DESC\r\n");
  EXPECT_EQ(Run("--driver PG", input).out,
            "SELECT char_length(NOME) FROM T WHERE D = '2018-1-31' ORDER BY 1 DESC\r\n");
  EXPECT_EQ(Run("--driver MSSQL", input).out,
            "SELECT char_length(NOME) FROM T WHERE D = '01/31/2018' ORDER BY 1 DESC\r\n");
}

TEST_F(ZrsqlTest, EmptyInputGivesEmptyOutput) {
  const Outcome o = Run("--driver Ora", "");
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out, "");
}

TEST_F(ZrsqlTest, ExpandsColumnsFromTheColumnsFile) {
  const std::string columns = Write("columns.tsv",
                                    "TABELA\tID\tNUMBER\r\n"
                                    "OUTRA\tX\tNUMBER\n"
                                    "TABELA\tNOME\tVARCHAR2\n"
                                    "TABELA\tOBS\t CLOB \n"
                                    "\n"
                                    "TABELA\tFOTO\tBLOB\n"
                                    "TABELA\tTEXTO\tNCLOB\n"
                                    "TABELA\tDATA\tDATE\n");
  const Outcome o =
      Run("--driver Ora --columns '" + columns + "'", "SELECT DISTINCT t.* FROM TABELA t WHERE t.ID > 0");
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.out, "SELECT DISTINCT t.ID, T.NOME, T.TEXTO, T.DATA  FROM TABELA t WHERE t.ID > 0\r\n");
}

TEST_F(ZrsqlTest, ANeededDictionaryWithoutColumnsFails) {
  const Outcome o = Run("--driver Ora", "SELECT DISTINCT t.* FROM TABELA t WHERE t.ID > 0");
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_NE(o.err.find("TABELA"), std::string::npos) << o.err;
  EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << "one line";
}

TEST_F(ZrsqlTest, BadArgumentsAndUnreadableFilesExitWithTwo) {
  const struct {
    const char* name;
    std::string args;
  } cases[] = {
      {"no driver", ""},
      {"a driver without its name", "--driver"},
      {"an unknown argument", "--driver Ora --verbose"},
      {"a columns file that does not exist",
       "--driver Ora --columns '" + (dir / "missing.tsv").string() + "'"},
      {"a columns line without three fields",
       "--driver Ora --columns '" + Write("bad.tsv", "TABELA\tID\n") + "'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome o = Run(c.args, "SELECT 1 FROM T");
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_FALSE(o.err.empty());
    EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << "one line: " << o.err;
  }
}

TEST_F(ZrsqlTest, HelpExplainsTheTool) {
  const Outcome o = Run("--help", "");
  EXPECT_EQ(o.exitCode, 0);
  for (const char* word :
       {"--driver", "--columns", "TABLE<TAB>COLUMN<TAB>DATA_TYPE", "CR LF", "Exit status"}) {
    EXPECT_NE(o.out.find(word), std::string::npos) << word;
  }
}

}  // namespace
