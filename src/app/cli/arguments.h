#pragma once
// The command line of zembra-cli.

#include <stdexcept>
#include <string>
#include <vector>

#include "db/datetime.h"

namespace zr::app::cli {

enum class Command { Importar, Situacao, Indices, Ajuda };

struct Options {
  Command Acao = Command::Ajuda;
  std::string Empresa;  // EMP_PAT of the company
  db::TDateTime Desde = 0.0;
  bool Pendente = false;
  std::string Ini;          // empty: zr.ini next to the executable
  bool Simular = false;     // run the action, then roll it back
  std::string Relatorio;    // the CSV report of what changed; empty: none
  bool Json = false;        // one JSON object on stdout at the end, nothing else there
  bool LogSql = false;      // the connection's SQL log on
  std::string PastaLogSql;  // its folder; empty: "Logs/" next to the executable
  bool Criar = false;       // indices: create the missing indexes
};

// A command line that cannot be run; the message says what is wrong.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name. UsageError for anything missing, unknown, malformed or given
// twice.
Options ParseArguments(const std::vector<std::string>& args);

// A date typed as in the window's date field (DD/MM/YYYY and its shorter forms), or the zero date for the
// empty text; UsageError, saying what was not understood, when it is no calendar date.
db::TDateTime ParseDate(const std::string& text);

// The text of --help.
std::string HelpText();

}  // namespace zr::app::cli
