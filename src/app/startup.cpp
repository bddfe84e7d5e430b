#include "app/startup.h"

namespace zr::app {

std::string ApplicationTitle(const std::string& ExecutablePath) {
  const size_t slash = ExecutablePath.find_last_of("/\\");
  std::string name = slash == std::string::npos ? ExecutablePath : ExecutablePath.substr(slash + 1);
  name = name.substr(0, name.find('.'));
  for (size_t i = 0; i < name.size(); ++i) {
    char& ch = name[i];
    if (i == 0 && ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    if (i > 0 && ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return name;
}

}  // namespace zr::app
