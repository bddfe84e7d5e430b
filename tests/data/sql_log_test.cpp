// The SQL log file: where it lies, its name, its lines, and its input/output errors.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <string>

#include "data/detail/log_location.h"
#include "data/sql_log.h"
#include "support/log_folder.h"

namespace zr::data {
namespace {

namespace fs = std::filesystem;

class SqlLogTest : public ::testing::Test {
 protected:
  SqlLogTest()
      : dir_(fs::temp_directory_path() / ("zr_log_" + std::to_string(getpid()))),
        log_((dir_ / "app").string() + "/") {}
  void SetUp() override { fs::create_directories(dir_ / "app"); }
  void TearDown() override { fs::remove_all(dir_); }

  // The one line written for `statement`, its time stamp replaced by "<ts>" after its shape was checked.
  std::string LineFor(const std::string& statement) {
    GravaLogSQL("PCFAB01", "10.0.0.7", "maria", statement);
    const auto lines = testing::LogFolder::Lines(log_.TodaysFile("PCFAB01"));
    EXPECT_EQ(lines.size(), 1u);
    fs::remove(log_.TodaysFile("PCFAB01"));
    if (lines.empty()) return {};
    std::string line = lines[0];
    const std::string head = "|10.0.0.7|maria|";
    EXPECT_EQ(line.substr(0, head.size()), head);
    EXPECT_TRUE(testing::LooksLikeTimeStamp(line.substr(head.size(), 17))) << line;
    return line.replace(head.size(), 17, "<ts>");
  }

  fs::path dir_;
  testing::LogFolder log_;
};

TEST_F(SqlLogTest, EachStatementBecomesOneLineOfFourFieldsBetweenBarsEndedByCrLf) {
  struct Case {
    const char* name;
    const char* statement;
    const char* logged;
  };
  const Case cases[] = {
      {"the final line break of the SQL text is trimmed away", "SELECT EMP_PAT, EMP_NOME FROM EMPRESA\r\n",
       "SELECT EMP_PAT, EMP_NOME FROM EMPRESA"},
      {"three lines are joined by single blanks", "SELECT A\r\nFROM T\r\nWHERE X = 1\r\n",
       "SELECT A FROM T WHERE X = 1"},
      {"a bar inside the statement becomes sharp s", "SELECT 'a|b' || 'c' FROM T",
       "SELECT 'a\xC3\x9F"
       "b' \xC3\x9F\xC3\x9F 'c' FROM T"},
      {"a lone CR and a lone LF are written as they are", "SELECT 1\rFROM T\nWHERE 1=1",
       "SELECT 1\rFROM T\nWHERE 1=1"},
      {"a CR before a CR LF pair stays", "A\r\r\nB", "A\r B"},
      {"blanks and control characters at both ends are trimmed", "\t \x01 SELECT 1 \x02\r\n\r\n", "SELECT 1"},
      {"text in UTF-8 is written unchanged", "UPDATE T SET NOME = 'Produção'",
       "UPDATE T SET NOME = 'Produção'"},
      {"an empty statement leaves an empty field", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LineFor(c.statement), std::string("|10.0.0.7|maria|<ts>|") + c.logged + "|\r\n");
  }
}

// The clock fixed at moments whose day is above 12, so that a month written first would show.
TEST_F(SqlLogTest, TheTimeStampIsDayMonthYearThenTimeAndTheFileNameYearMonthDay) {
  struct Case {
    const char* name;
    std::tm now;
    const char* fileName;
    const char* line;
  };
  auto moment = [](int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
  };
  const Case cases[] = {
      {"31 January 2024 at 14:05:09", moment(2024, 1, 31, 14, 5, 9), "PCFAB01-20240131.log",
       "|10.0.0.7||31/01/24 14:05:09|SELECT EMP_PAT, EMP_NOME FROM EMPRESA|\r\n"},
      {"13 December 1999 at 23:59:58", moment(1999, 12, 13, 23, 59, 58), "PCFAB01-19991213.log",
       "|10.0.0.7||13/12/99 23:59:58|SELECT EMP_PAT, EMP_NOME FROM EMPRESA|\r\n"},
      {"single digits padded: 15 March 2007 at 08:07:06", moment(2007, 3, 15, 8, 7, 6),
       "PCFAB01-20070315.log", "|10.0.0.7||15/03/07 08:07:06|SELECT EMP_PAT, EMP_NOME FROM EMPRESA|\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    detail::SetLogClockForTesting(c.now);
    GravaLogSQL("PCFAB01", "10.0.0.7", "", "SELECT EMP_PAT, EMP_NOME FROM EMPRESA\r\n");
    detail::SetLogClockForTesting(std::nullopt);
    const std::string file = log_.Base() + "Logs/" + c.fileName;
    EXPECT_EQ(testing::LogFolder::Lines(file), std::vector<std::string>{c.line});
  }
}

TEST_F(SqlLogTest, EmptyUserAndAddressStartTheLineWithThreeBarsAndTheTimeStamp) {
  GravaLogSQL("PCFAB01", "", "", "SELECT 1");
  const auto lines = testing::LogFolder::Lines(log_.TodaysFile("PCFAB01"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(0, 3), "|||");
  EXPECT_TRUE(testing::LooksLikeTimeStamp(lines[0].substr(3, 17)));
  EXPECT_EQ(lines[0].substr(20), "|SELECT 1|\r\n");
}

TEST_F(SqlLogTest, EntriesAreAppendedInOrderToTheDaysFileOfTheMachine) {
  fs::create_directories(log_.Base() + "Logs");
  std::ofstream(log_.TodaysFile("PCFAB01"), std::ios::binary) << "linha anterior\r\n";
  GravaLogSQL("PCFAB01", "1.2.3.4", "", "SELECT 1");
  GravaLogSQL("PCFAB01", "1.2.3.4", "", "SELECT 2");
  GravaLogSQL("PCFAB02", "1.2.3.4", "", "SELECT 3");
  const auto lines = testing::LogFolder::Lines(log_.TodaysFile("PCFAB01"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "linha anterior\r\n");
  EXPECT_NE(lines[1].find("|SELECT 1|"), std::string::npos);
  EXPECT_NE(lines[2].find("|SELECT 2|"), std::string::npos);
  EXPECT_EQ(testing::LogFolder::Lines(log_.TodaysFile("PCFAB02")).size(), 1u) << "one file per machine";
}

TEST_F(SqlLogTest, WithoutAMachineNameTheFileIsMaqDesconhecida) {
  GravaLogSQL("", "1.2.3.4", "", "SELECT 1");
  EXPECT_TRUE(fs::is_regular_file(log_.TodaysFile("")));
  EXPECT_NE(log_.TodaysFile("").find("/Logs/MaqDesconhecida-"), std::string::npos);
  EXPECT_EQ(testing::LogFolder::Lines(log_.TodaysFile("")).size(), 1u);
}

TEST_F(SqlLogTest, MissingLevelsOfTheFolderAreCreated) {
  testing::LogFolder deeper((dir_ / "a" / "b").string() + "/");
  GravaLogSQL("PCFAB01", "", "", "SELECT 1");
  EXPECT_EQ(testing::LogFolder::Lines(deeper.TodaysFile("PCFAB01")).size(), 1u);
}

TEST_F(SqlLogTest, WhenLogsIsAFileTheEntryGoesToTheExecutablesFolder) {
  std::ofstream(log_.Base() + "Logs") << "not a folder";
  GravaLogSQL("PCFAB01", "", "", "SELECT 1");
  const std::string fileName = fs::path(log_.TodaysFile("PCFAB01")).filename().string();
  const auto lines = testing::LogFolder::Lines(log_.Base() + fileName);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(20), "|SELECT 1|\r\n");
  EXPECT_TRUE(fs::is_regular_file(log_.Base() + "Logs")) << "left as it was";
}

TEST_F(SqlLogTest, AFileThatCannotBeOpenedIsAnInputOutputError) {
  fs::create_directories(log_.TodaysFile("PCFAB01"));  // a folder where the file should be
  EXPECT_THROW(GravaLogSQL("PCFAB01", "", "", "SELECT 1"), EInOutError);
}

int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

TEST_F(SqlLogTest, AWriteThatFailsAfterTheOpenClosesTheFileBeforeTheErrorLeaves) {
  fs::create_directories(log_.Base() + "Logs");
  fs::create_symlink("/dev/full", log_.TodaysFile("PCFAB01"));  // opens, then every write fails: disk full
  const int before = OpenDescriptors();
  EXPECT_THROW(GravaLogSQL("PCFAB01", "", "", "SELECT 1"), EInOutError);
  EXPECT_EQ(OpenDescriptors(), before);
}

// Lets files of this process grow by at most `room` more bytes beyond `size` while it lives: a write past the
// limit is cut there and fails, as on a full disk. The signal the kernel sends for it is ignored meanwhile.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit cut = old_;
    cut.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &cut);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldHandler_)(int);
};

TEST_F(SqlLogTest, AnEntryCutByAFailedWriteLeavesTheNextEntryOnALineOfItsOwn) {
  GravaLogSQL("PCFAB01", "", "", "SELECT 1");
  const std::string file = log_.TodaysFile("PCFAB01");
  const auto whole = static_cast<rlim_t>(fs::file_size(file));
  {
    const FileSizeLimit full(whole + 10);
    EXPECT_THROW(GravaLogSQL("PCFAB01", "", "", "SELECT 2 FROM A_LONG_TABLE_NAME"), EInOutError);
  }
  ASSERT_EQ(fs::file_size(file), whole + 10) << "the second entry is cut after ten bytes";
  GravaLogSQL("PCFAB01", "", "", "SELECT 3");
  GravaLogSQL("PCFAB01", "", "", "SELECT 4");

  const auto lines = testing::LogFolder::Lines(file);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(20), "|SELECT 1|\r\n");
  EXPECT_EQ(lines[1].size(), 12u) << "the cut entry, ended so that it stands alone: " << lines[1];
  EXPECT_EQ(lines[1].substr(10), "\r\n");
  EXPECT_EQ(lines[2].substr(20), "|SELECT 3|\r\n");
  EXPECT_EQ(lines[3].substr(20), "|SELECT 4|\r\n") << "a whole entry adds no empty line";
}

TEST_F(SqlLogTest, AChosenFolderTakesTheFilesDirectlyAndIsCreatedWithItsMissingLevels) {
  const fs::path chosen = dir_ / "chosen" / "sql";
  DefinePastaLog(chosen.string());
  GravaLogSQL("PCFAB01", "", "", "SELECT 1");
  DefinePastaLog("");
  const std::string name = fs::path(log_.TodaysFile("PCFAB01")).filename().string();
  const auto lines = testing::LogFolder::Lines((chosen / name).string());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(20), "|SELECT 1|\r\n");
  EXPECT_FALSE(fs::exists(log_.TodaysFile("PCFAB01")));

  GravaLogSQL("PCFAB01", "", "", "SELECT 2");
  EXPECT_EQ(testing::LogFolder::Lines(log_.TodaysFile("PCFAB01")).size(), 1u)
      << "the empty text restores Logs/";

  std::ofstream((dir_ / "afile").string()) << "x";
  DefinePastaLog((dir_ / "afile" / "sql").string());
  EXPECT_THROW(GravaLogSQL("PCFAB01", "", "", "SELECT 3"), EInOutError) << "a chosen folder has no fallback";
  DefinePastaLog("");
}

}  // namespace
}  // namespace zr::data
