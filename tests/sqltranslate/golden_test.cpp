// Whole-pipeline records: "# title:", "# driver:", the SQL lines, "----", the lines sent.
// One test per record; a fresh query and cache each.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sqltranslate/pipeline.h"
#include "support/test_names.h"
#include "test_support.h"

namespace zr::sqlt {
namespace {

struct GoldenRecord {
  std::string file;
  std::string title;
  std::string driver;
  std::vector<std::string> input;
  std::vector<std::string> expected;
};

void DropTrailingEmptyLines(std::vector<std::string>& lines) {
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
}

std::vector<GoldenRecord> LoadRecords() {
  std::vector<GoldenRecord> records;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(ZR_SQLT_GOLDEN_DIR)) {
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& path : files) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    GoldenRecord* current = nullptr;
    bool inExpected = false;
    while (std::getline(in, line)) {
      if (line.rfind("# title: ", 0) == 0) {
        if (current != nullptr) DropTrailingEmptyLines(current->expected);
        records.push_back({path.filename().string(), line.substr(9), {}, {}, {}});
        current = &records.back();
        inExpected = false;
      } else if (current == nullptr) {
        continue;  // the file's own comments
      } else if (line.rfind("# driver: ", 0) == 0 && current->input.empty() && !inExpected) {
        current->driver = line.substr(10);
      } else if (line == "----") {
        inExpected = true;
      } else {
        (inExpected ? current->expected : current->input).push_back(line);
      }
    }
    if (current != nullptr) DropTrailingEmptyLines(current->expected);
  }
  return records;
}

class GoldenTest : public ::testing::TestWithParam<GoldenRecord> {};

TEST_P(GoldenTest, TranslatesAsRecorded) {
  const GoldenRecord& record = GetParam();
  TextQuery query(record.driver);
  testing::MemoryDictionary dictionary = testing::ExampleDictionary();
  dictionary.AttachTo(query);
  for (const std::string& line : record.input) query.SQL().Add(line);
  TranslationCache cache;
  ConverteSQL(query, cache);
  std::string expected;
  for (const std::string& line : record.expected) expected += line + "\r\n";
  EXPECT_EQ(query.SqlText(), expected) << record.file << ": " << record.title;
}

std::string TestName(const ::testing::TestParamInfo<GoldenRecord>& info) {
  return testsupport::TitledTestName(info.param.title, info.index);
}

INSTANTIATE_TEST_SUITE_P(Records, GoldenTest, ::testing::ValuesIn(LoadRecords()), TestName);

}  // namespace
}  // namespace zr::sqlt
