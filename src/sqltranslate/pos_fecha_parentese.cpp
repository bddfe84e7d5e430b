// (a (b) c) ...  ->  position of the ")" that closes the first "("
#include "sqltranslate/passes.h"

namespace zr::sqlt {

std::size_t PosFechaParentese(std::string_view text) {
  long depth = 1;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '(') {
      ++depth;
    } else if (text[i] == ')' && --depth == 0) {
      return i + 1;
    }
  }
  return 1;
}

}  // namespace zr::sqlt
