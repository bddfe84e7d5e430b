// NAME(args)  ->  (TO_CHAR((args),'FORMAT'))
#include "sqltranslate/passes.h"
#include "text_ops.h"

namespace zr::sqlt {

std::string ConverteToChar(std::string_view text, std::string_view name, std::size_t position,
                           std::string_view format) {
  if (position == 0 || position - 1 + name.size() >= text.size()) return std::string(text);
  const std::size_t restStart = position - 1 + name.size();
  const std::string_view rest = text.substr(restStart);
  // The call must open right after the name and be closed; anything else stays as written.
  if (rest.front() != '(') return std::string(text);
  const std::size_t close = PosFechaParentese(rest);
  if (close == 1) return std::string(text);
  std::string out;
  out.reserve(text.size() + 16 + format.size());
  out.append(text.substr(0, position - 1));
  out += "(TO_CHAR(";
  out.append(rest.substr(0, close));
  out += ',';
  out += text::QuotedStr(format);
  out += "))";
  out.append(rest.substr(close));
  return out;
}

}  // namespace zr::sqlt
