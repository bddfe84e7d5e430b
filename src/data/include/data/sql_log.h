#pragma once
// The SQL statement log: one line per statement in a daily file per machine under "Logs/".

#include <stdexcept>
#include <string>

namespace zr::data {

// The input/output error of the log file (cannot create, open, write or close it).
class EInOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The machine name and local IP address written into the log.
class TZRGravaLog {
 public:
  std::string NmMaquina;
  std::string NrIP;
};

// The folder the log files go into, created with its missing levels when an entry is written; an error to
// write there is the input/output error. The empty text (the default) restores "Logs/" next to the
// executable.
void DefinePastaLog(const std::string& Pasta);

// Appends one line to the day's log file of machine NmMaquina. Raises the input/output error
// (EInOutError) when the file cannot be created, opened or written.
void GravaLogSQL(const std::string& NmMaquina, const std::string& NrIP, const std::string& NmUsuario,
                 const std::string& SQL);

}  // namespace zr::data
