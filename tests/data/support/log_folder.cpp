#include "support/log_folder.h"

#include <ctime>
#include <fstream>
#include <sstream>

#include "data/detail/log_location.h"

namespace zr::data::testing {

LogFolder::LogFolder(std::string base) : base_(std::move(base)) { detail::SetLogBaseDirForTesting(base_); }

LogFolder::~LogFolder() { detail::SetLogBaseDirForTesting(std::nullopt); }

std::string LogFolder::TodaysFile(const std::string& machine) const {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char date[16] = {};
  std::strftime(date, sizeof date, "%Y%m%d", &local);
  return base_ + "Logs/" + (machine.empty() ? std::string("MaqDesconhecida") : machine) + "-" + date + ".log";
}

std::vector<std::string> LogFolder::Lines(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  const std::string text = all.str();
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, end + 2 - start));
    start = end + 2;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

bool LooksLikeTimeStamp(const std::string& text) {
  const std::string shape = "99/99/99 99:99:99";
  if (text.size() != shape.size()) return false;
  for (size_t i = 0; i < shape.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (shape[i] == '9' ? !digit : text[i] != shape[i]) return false;
  }
  return true;
}

}  // namespace zr::data::testing
