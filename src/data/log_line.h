#pragma once
// The SQL log's file name and line format.

#include <ctime>
#include <string>
#include <string_view>

namespace zr::data::detail {

// "PCFAB01-20240131.log"; "MaqDesconhecida-20240131.log" when the machine name is empty.
std::string LogFileName(const std::string& NmMaquina, const std::tm& now);

// The statement as one line: every CR LF pair becomes one blank, every "|" becomes "ß" (so the statement
// never holds the field separator), blanks and control characters are trimmed from both ends. A lone CR or
// LF stays.
std::string CleanStatement(std::string_view SQL);

// "|" NrIP "|" NmUsuario "|" dd/mm/yy hh:mm:ss "|" cleaned statement "|" CR LF, in the file's encoding (see
// log_platform.h).
std::string LogLine(const std::string& NrIP, const std::string& NmUsuario, const std::tm& now,
                    std::string_view SQL);

}  // namespace zr::data::detail
