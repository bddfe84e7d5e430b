#include "app/startup.h"

#include "common/utf8.h"

namespace zr::app {

std::string ApplicationTitle(const std::string& ExecutablePath) {
  const size_t slash = ExecutablePath.find_last_of("/\\");
  std::string name = slash == std::string::npos ? ExecutablePath : ExecutablePath.substr(slash + 1);
  name = name.substr(0, name.find('.'));
  // The first character stays as it is; every later letter goes to lower case: ASCII, and the capitals of
  // Latin-1 (À to Þ but the multiplication sign), whose UTF-8 forms C3 80 to C3 9E lower to C3 A0 to C3 BE.
  size_t i = name.empty() ? 0 : common::Utf8AnnouncedLength(static_cast<unsigned char>(name[0]));
  while (i < name.size()) {
    const auto ch = static_cast<unsigned char>(name[i]);
    if (ch >= 'A' && ch <= 'Z') {
      name[i] = static_cast<char>(ch - 'A' + 'a');
    } else if (ch == 0xC3 && i + 1 < name.size()) {
      const auto next = static_cast<unsigned char>(name[i + 1]);
      if (next >= 0x80 && next <= 0x9E && next != 0x97) name[i + 1] = static_cast<char>(next + 0x20);
    }
    i += common::Utf8AnnouncedLength(ch);
  }
  return name;
}

}  // namespace zr::app
