// Windows only: the SQL log as Windows programs write it. The file is in the system's ANSI code page ("ß" is
// one byte), the time stamp takes the date and time separators of the regional settings, and "Logs\" lies in
// a folder whose name the ANSI code page cannot spell.

#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "data/detail/log_location.h"
#include "host/wide_text.h"
#include "data/sql_log.h"

namespace zr::data {
namespace {

namespace fs = std::filesystem;

using zr::host::detail::InCodePage;

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

// Sets one regional separator of the user for the lifetime of the object, and puts the old one back.
class UserSeparator {
 public:
  UserSeparator(LCTYPE kind, const wchar_t* value) : kind_(kind) {
    GetLocaleInfoW(LOCALE_USER_DEFAULT, kind_, saved_, 8);
    set_ = SetLocaleInfoW(LOCALE_USER_DEFAULT, kind_, value) != 0;
  }
  ~UserSeparator() { SetLocaleInfoW(LOCALE_USER_DEFAULT, kind_, saved_); }
  UserSeparator(const UserSeparator&) = delete;
  UserSeparator& operator=(const UserSeparator&) = delete;
  bool Set() const { return set_; }

 private:
  LCTYPE kind_;
  wchar_t saved_[8] = {};
  bool set_ = false;
};

class SqlLogWindowsTest : public testing::Test {
 protected:
  void SetUp() override {
    // Cyrillic letters are in no Western ANSI code page: only the wide calls reach this folder.
    base_ = fs::temp_directory_path() /
            fs::path(L"zr_log_" + std::to_wstring(GetCurrentProcessId()) + L" Produ\u00e7\u00e3o \u0416");
    fs::create_directories(base_);
    detail::SetLogBaseDirForTesting(Utf8(base_) + "\\");
  }
  void TearDown() override {
    detail::SetLogBaseDirForTesting(std::nullopt);
    std::error_code ignored;
    fs::remove_all(base_, ignored);
  }

  // Today's file of machine PCFAB01, whole.
  std::string TodaysLog() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &t);
    char date[16] = {};
    std::strftime(date, sizeof date, "%Y%m%d", &local);
    const fs::path file = base_ / "Logs" / ("PCFAB01-" + std::string(date) + ".log");
    std::ifstream in(file, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << "no log file " << Utf8(file);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  fs::path base_;
};

TEST_F(SqlLogWindowsTest, TheLineIsWrittenInTheAnsiCodePageUnderAFolderAnsiCannotSpell) {
  ASSERT_EQ(InCodePage(CP_ACP, L"\u00df").size(), 1u) << "ANSI code page " << GetACP();
  GravaLogSQL("PCFAB01", "10.0.0.7", "Jos\xC3\xA9", "SELECT 'a|b', 'a\xC3\xA7\xC3\xA3o'\r\nFROM T\r\n");
  const std::string log = TodaysLog();
  ASSERT_GE(log.size(), 2u);
  const std::string head = InCodePage(CP_ACP, L"|10.0.0.7|Jos\u00e9|");
  const std::string tail = InCodePage(CP_ACP, L"|SELECT 'a\u00dfb', 'a\u00e7\u00e3o' FROM T|\r\n");
  EXPECT_EQ(log.substr(0, head.size()), head);
  ASSERT_GE(log.size(), tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
  EXPECT_EQ(log.size(), head.size() + 17 + tail.size()) << "one line, a 17-character time stamp";
  if (GetACP() == 1252) {
    EXPECT_NE(log.find("'a\xDF"
                       "b'"),
              std::string::npos)
        << "sharp s is the one byte DF in Windows-1252";
    EXPECT_EQ(log.find("\xC3"), std::string::npos) << "no UTF-8 in the file";
  }
}

TEST_F(SqlLogWindowsTest, TheTimeStampTakesTheRegionalDateAndTimeSeparators) {
  struct Case {
    const char* name;
    const wchar_t* date;
    const wchar_t* time;
    char dateSeparator, timeSeparator;
  };
  const Case cases[] = {
      {"Brazilian settings keep slash and colon", L"/", L":", '/', ':'},
      {"dashes and full stops", L"-", L".", '-', '.'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UserSeparator date(LOCALE_SDATE, c.date);
    UserSeparator time(LOCALE_STIME, c.time);
    ASSERT_TRUE(date.Set() && time.Set()) << "the regional settings cannot be changed here";
    const std::time_t before = std::time(nullptr);
    GravaLogSQL("PCFAB01", "", "", "SELECT 1 FROM RDB$DATABASE");
    const std::time_t after = std::time(nullptr);
    const std::string log = TodaysLog();
    fs::remove_all(base_ / "Logs");
    ASSERT_GE(log.size(), 20u);
    const std::string stamp = log.substr(3, 17);  // after the bars around an empty address and user
    // The entry's time lies between the two clock readings; a stamp is formed from each to compare.
    bool matched = false;
    for (std::time_t t = before; t <= after && !matched; ++t) {
      std::tm local{};
      localtime_s(&local, &t);
      char expected[32] = {};
      std::snprintf(expected, sizeof expected, "%02d%c%02d%c%02d %02d%c%02d%c%02d", local.tm_mday,
                    c.dateSeparator, local.tm_mon + 1, c.dateSeparator, local.tm_year % 100, local.tm_hour,
                    c.timeSeparator, local.tm_min, c.timeSeparator, local.tm_sec);
      matched = stamp == expected;
    }
    EXPECT_TRUE(matched) << stamp;
    EXPECT_EQ(log.substr(0, 3), "|||");
  }
}

TEST_F(SqlLogWindowsTest, WhenLogsIsAFileTheEntryGoesToTheFolderItself) {
  std::ofstream(base_ / "Logs") << "not a folder";
  GravaLogSQL("PCFAB01", "", "", "SELECT 1");
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &t);
  char date[16] = {};
  std::strftime(date, sizeof date, "%Y%m%d", &local);
  std::ifstream in(base_ / ("PCFAB01-" + std::string(date) + ".log"), std::ios::binary);
  ASSERT_TRUE(in.is_open());
  const std::string log(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>{});
  EXPECT_EQ(log.substr(20), "|SELECT 1|\r\n");
}

// Another program holding the day's file open without sharing it (as an editor may): the entry cannot be
// written, and the input/output error says so instead of the statement going on unlogged.
TEST_F(SqlLogWindowsTest, ADaysFileLockedByAnotherProgramIsAnInputOutputError) {
  GravaLogSQL("PCFAB01", "", "", "SELECT 1");  // creates the folder and the file
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &t);
  char date[16] = {};
  std::strftime(date, sizeof date, "%Y%m%d", &local);
  const fs::path file = base_ / "Logs" / ("PCFAB01-" + std::string(date) + ".log");
  HANDLE lock =
      CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_THROW(GravaLogSQL("PCFAB01", "", "", "SELECT 2"), EInOutError);
  CloseHandle(lock);
  GravaLogSQL("PCFAB01", "", "", "SELECT 3");
  const std::string log = TodaysLog();
  EXPECT_NE(log.find("|SELECT 1|"), std::string::npos);
  EXPECT_EQ(log.find("|SELECT 2|"), std::string::npos);
  EXPECT_NE(log.find("|SELECT 3|"), std::string::npos);
}

}  // namespace
}  // namespace zr::data
