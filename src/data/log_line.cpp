#include "log_line.h"

#include <cstdio>

#include "common/ascii.h"
#include "log_platform.h"

namespace zr::data::detail {

namespace {

constexpr std::string_view kSeparator = "|";
constexpr std::string_view kSeparatorStandIn = "\xC3\x9F";  // "ß", U+00DF, in UTF-8

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  size_t start = 0;
  for (size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
    out.append(text, start, at - start).append(to);
    start = at + from.size();
  }
  out.append(text, start);
  return out;
}

std::string Format(const char* pattern, const std::tm& t) {
  char text[32] = {};
  std::strftime(text, sizeof text, pattern, &t);
  return text;
}

}  // namespace

std::string LogFileName(const std::string& NmMaquina, const std::tm& now) {
  const std::string machine = NmMaquina.empty() ? "MaqDesconhecida" : NmMaquina;
  return machine + "-" + Format("%Y%m%d", now) + ".log";
}

std::string CleanStatement(std::string_view SQL) {
  return std::string(
      common::TrimBlanks(ReplaceAll(ReplaceAll(SQL, "\r\n", " "), kSeparator, kSeparatorStandIn)));
}

std::string LogLine(const std::string& NrIP, const std::string& NmUsuario, const std::tm& now,
                    std::string_view SQL) {
  std::string line;
  line.append(kSeparator).append(NrIP);
  line.append(kSeparator).append(NmUsuario);
  line.append(kSeparator).append(LogTimeStamp(now));
  line.append(kSeparator).append(CleanStatement(SQL));
  line.append(kSeparator).append("\r\n");
  return InLogEncoding(line);
}

}  // namespace zr::data::detail
