#pragma once
// Points the SQL log at a folder of the test's own for the lifetime of the object, and reads it back.

#include <string>
#include <vector>

namespace zr::data::testing {

class LogFolder {
 public:
  // `base` ends with a separator; "Logs/" is created below it by the log itself.
  explicit LogFolder(std::string base);
  ~LogFolder();
  LogFolder(const LogFolder&) = delete;
  LogFolder& operator=(const LogFolder&) = delete;

  const std::string& Base() const noexcept { return base_; }
  // The file of `machine` for today ("MaqDesconhecida" when empty) under "Logs/".
  std::string TodaysFile(const std::string& machine) const;
  // The file's contents split after each CR LF (each line keeps its CR LF); empty when there is none.
  static std::vector<std::string> Lines(const std::string& file);

 private:
  std::string base_;
};

// "dd/mm/yy hh:mm:ss"-shaped text.
bool LooksLikeTimeStamp(const std::string& text);

}  // namespace zr::data::testing
