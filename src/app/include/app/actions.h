#pragma once
// The two actions of the window: "Importar" and "Atualizar Situação".

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/action_ui.h"
#include "app/components.h"
#include "db/datetime.h"

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
  std::string Empresa;         // the company item text, "EMP_PAT | EMP_NOME" (empty when none is chosen)
  db::TDateTime Desde = 0.0;   // the date field; the zero date when the field is empty or invalid
  bool Pendente = true;        // "OF Pendente": only orders with an open quantity (import only)
  bool Simular = false;        // command line only: the whole action runs, then is rolled back, not committed
  // Command line only, under Simular: run in the action's transaction, first thing and just before the
  // rollback, so that the caller can read what the action would change. An error fails the action.
  std::function<void()> AntesDaSimulacao = {};
  std::function<void()> AntesDeDesfazer = {};
};

// One order and part the import handled: its rows deleted and written (both 0 when its sheet is empty).
struct OrdemTratada {
  std::string Numero;
  std::string Parte;
  std::string Produto;         // the product code, OF1.CODIGO
  int64_t Excluidas = 0;
  int64_t Gravadas = 0;
};

// One update of the status action that changed rows: the order's rows of a material and colour marked "B".
struct BaixaFeita {
  std::string Numero;
  std::string Insumo;
  std::string CorI;
  int64_t Marcadas = 0;
};

// What an action did, for summaries. On failure the counts tell how far it came before the rollback.
struct ActionResult {
  bool Ok = false;
  std::string Message;         // the text shown at the end
  int OrdensPartes = 0;        // order and part rows listed (import)
  int Processadas = 0;         // order and part rows, or status rows, handled
  int64_t Excluidas = 0;       // PCPFTOF rows deleted (import)
  int64_t Gravadas = 0;        // PCPFTOF rows written (import)
  int64_t Baixadas = 0;        // PCPFTOF rows changed from "A" to "B" (status update)
  std::vector<OrdemTratada> Ordens;  // import: every order and part handled, in the order handled
  std::vector<BaixaFeita> Baixas;    // status update: every update that changed rows, in the order run
};

// Both actions first lock the company: they update its PCPFTOF entry of ARQLOCAL to itself (its EMPRESA row
// when ARQLOCAL does not list it) in the action's transaction, so a second action of the same company, from
// any program, waits at most kEsperaTravaEmpresa for the first one's commit or rollback and then fails with
// kMsgOutraAcao, having written nothing.

// "Importar": replaces each listed order's PCPFTOF rows per part from the technical sheets, in one
// transaction committed at the end (rolled back instead under Input.Simular); on any error rolls back and
// reports it. Shows the final message and, after success, closes the window through `Ui`.
ActionResult BitBtn1Click(const TFormComponents& C, const ActionInput& Input, ActionUi& Ui);

// "Atualizar Situação": marks as "B" the open PCPFTOF rows whose material was withdrawn for the order.
ActionResult BitBtn2Click(const TFormComponents& C, const ActionInput& Input, ActionUi& Ui);

}  // namespace zr::app
