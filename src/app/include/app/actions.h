#pragma once
// The two actions of the window: "Importar" and "Atualizar Situação".

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/action_ui.h"
#include "app/components.h"
#include "db/datetime.h"
#include "db/row_count.h"

namespace zr::app {

inline constexpr const char* kWindowCaption = "Zembra";
inline constexpr const char* kMsgConcluida = "Importação concluída.";
inline constexpr const char* kMsgErro = "Erro na importação.";
// Why an action refused to start: another "Importar" or "Atualizar Situação" of the same company holds its lock.
inline constexpr const char* kMsgOutraAcao =
    "Outra ação desta empresa (Importar ou Atualizar Situação) está em andamento. Nada foi gravado; tente de "
    "novo quando ela terminar.";
// How long an action waits for another action of the same company to end before it gives up, in milliseconds.
inline constexpr uint32_t kEsperaTravaEmpresa = 3000;

// What the user chose on the window when pressing a button.
struct ActionInput {
  std::string Empresa;        // the company item text, "EMP_PAT | EMP_NOME" (empty when none is chosen)
  db::TDateTime Desde = 0.0;  // the date field; the zero date when the field is empty or invalid
  bool Pendente = true;       // "OF Pendente": only orders with an open quantity (import only)
  bool Simular = false;       // command line only: the whole action runs, then is rolled back, not committed
  // Command line only, under Simular: run in the action's transaction, first thing and just before the
  // rollback, so that the caller can read what the action would change. An error fails the action.
  std::function<void()> AntesDaSimulacao = {};
  std::function<void()> AntesDeDesfazer = {};
  // Command line only: keep a line per order and part (import) or per update (status) for the report.
  bool Relatorio = false;
  // The settings file the connection's properties were read from. An action whose connection is not open
  // (the window's start-up could not open it) opens it first, and a failure names this file as the start-up
  // did when it is missing or cannot be read (AbreConexao).
  std::string ArquivoConfiguracao = {};
};

// One order and part the import handled: its rows deleted and written (both 0 when its sheet is empty). The
// deleted count may wait in the write-behind queue until it is read.
struct OrdemTratada {
  std::string Numero;
  std::string Parte;
  std::string Produto;  // the product code, OF1.CODIGO
  db::TFDRowCount Excluidas = 0;
  int64_t Gravadas = 0;
};

// One update of the status action: the order's rows of a material and colour marked "B" (a count that may
// wait in the write-behind queue until it is read; 0 when the rows were already marked).
struct BaixaFeita {
  std::string Numero;
  std::string Insumo;
  std::string CorI;
  db::TFDRowCount Marcadas = 0;
};

// What an action did, for summaries. On failure the counts tell how far it came before the rollback.
struct ActionResult {
  bool Ok = false;
  std::string Message;   // the text shown at the end
  int OrdensPartes = 0;  // order and part rows listed (import)
  int Processadas = 0;   // order and part rows, or status rows, handled
  // Counts of statements that may still wait in the connection's write-behind queue add up without sending
  // it; reading a total sends what it still waits for.
  db::TFDRowCountSum Excluidas;  // PCPFTOF rows deleted (import)
  db::TFDRowCountSum Gravadas;   // PCPFTOF rows written (import)
  db::TFDRowCountSum Baixadas;   // PCPFTOF rows changed from "A" to "B" (status update)
  // Command line only, when ActionInput::Relatorio asks for them:
  std::vector<OrdemTratada> Ordens;  // import: every order and part handled, in the order handled
  std::vector<BaixaFeita> Baixas;    // status update: every update run (those that marked no row included)
};

// Both actions first lock the company: they lock its PCPFTOF entry of ARQLOCAL (its EMPRESA row when ARQLOCAL
// does not list it) with the driver's locking SELECT (SELECT ... WITH LOCK on Firebird, SELECT ... FOR UPDATE
// on Oracle) in the action's transaction, changing nothing and firing no trigger, so a second action of the
// same company, from any program, waits at most kEsperaTravaEmpresa for the first one's commit or rollback
// and then fails with kMsgOutraAcao, having written nothing.

// "Importar": replaces each listed order's PCPFTOF rows per part from the technical sheets, in one
// transaction committed at the end (rolled back instead under Input.Simular); on any error rolls back and
// reports it: "Erro na importação.", CR, the error's message and, for a connection refused in one of the
// common ways, the Portuguese line of ConnectionRefusalAdvice after another CR, as the start-up's connection
// message has it. Shows the final message and, after success, closes the window through `Ui`.
ActionResult BitBtn1Click(const TFormComponents& C, const ActionInput& Input, ActionUi& Ui);

// "Atualizar Situação": marks as "B" the open PCPFTOF rows whose material was withdrawn for the order.
ActionResult BitBtn2Click(const TFormComponents& C, const ActionInput& Input, ActionUi& Ui);

}  // namespace zr::app
