#pragma once
// What zembra-cli leaves behind for scripts and audits: the text for a terminal, the CSV report of what an
// action changed, and the one-object JSON summary.

#include <cstdint>
#include <string>

#include "app/actions.h"
#include "app/indices.h"
#include "arguments.h"

namespace zr::app::cli {

// Text for a terminal: every CR LF pair and every lone CR becomes one line feed; line ends at the end are
// dropped (the caller ends the last line).
std::string TerminalText(const std::string& text);

// The report of a finished action, UTF-8, ";" between fields, CR LF after each line, a header line first.
// Import: one line per order and part handled; status update: one line per update that changed rows.
// A field holding ";", a double quote or a line end is enclosed in double quotes, its quotes doubled.
std::string CsvReport(Command acao, const ActionResult& result);

// Everything the JSON summary says about one run.
struct RunSummary {
  Command Acao = Command::Importar;
  std::string Empresa;  // the code asked for
  db::TDateTime Desde = 0.0;
  bool Simular = false;
  const ActionResult* Result = nullptr;  // the counts; none when the run ended before the action
  double Seconds = 0.0;                  // the action's time, as in the summary line
  int Exit = 0;
  std::string Message;           // on failure: what went wrong, as printed
  int64_t MarcasDesfeitas = -1;  // a simulated import's "B" marks that would go back to "A"; -1: not known
  bool Interrompido = false;     // ended by SIGINT or SIGTERM
  // The status query's lookup when it lacks its index (the warning printed before the action); none else.
  const IndiceDaBusca* AvisoIndice = nullptr;
};

// One JSON object on one line: "acao", "empresa", "desde" (YYYY-MM-DD), "simulacao", "contagens",
// "segundos", "resultado" ("ok", "erro" or "interrompido"), "codigo_saida", for a simulated import "marcas_b_voltariam_a_a",
// with a warning about the status query's index "aviso_indice" ({"mensagem", "tabela", "indice", "comando",
// "corrigir"}) and, on failure, "mensagem". Text that is not
// valid UTF-8 has each bad byte replaced by U+FFFD, so the object always parses.
std::string JsonSummary(const RunSummary& run);

// The JSON object of a command line refused before anything ran (exit code 2): "resultado", "codigo_saida"
// and "mensagem" only, since the action and company may not be known.
std::string JsonUsageError(const std::string& message);

}  // namespace zr::app::cli
