#pragma once
// The two actions of the window: "Importar" and "Atualizar Situação".

#include <cstdint>
#include <string>

#include "app/action_ui.h"
#include "app/components.h"
#include "db/datetime.h"
#include "db/row_count.h"

namespace zr::app {

inline constexpr const char* kWindowCaption = "Zembra";
inline constexpr const char* kMsgConcluida = "Importação concluída.";
inline constexpr const char* kMsgErro = "Erro na importação.";

// What the user chose on the window when pressing a button.
struct ActionInput {
  std::string Empresa;         // the company item text, "EMP_PAT | EMP_NOME" (empty when none is chosen)
  db::TDateTime Desde = 0.0;   // the date field; the zero date when the field is empty or invalid
  bool Pendente = true;        // "OF Pendente": only orders with an open quantity (import only)
};

// What an action did, for summaries. On failure the counts tell how far it came before the rollback.
struct ActionResult {
  bool Ok = false;
  std::string Message;         // the text shown at the end
  int OrdensPartes = 0;        // order and part rows listed (import)
  int Processadas = 0;         // order and part rows, or status rows, handled
  // Counts of statements that may still wait in the connection's write-behind queue add up without sending
  // it; reading a total sends what it still waits for.
  db::TFDRowCountSum Excluidas;  // PCPFTOF rows deleted (import)
  db::TFDRowCountSum Gravadas;   // PCPFTOF rows written (import)
  db::TFDRowCountSum Baixadas;   // PCPFTOF rows changed from "A" to "B" (status update)
};

// "Importar": replaces each listed order's PCPFTOF rows per part from the technical sheets, in one
// transaction committed at the end; on any error rolls back and reports it. Shows the final message and,
// after success, closes the window through `Ui`.
ActionResult BitBtn1Click(const TFormComponents& C, const ActionInput& Input, ActionUi& Ui);

// "Atualizar Situação": marks as "B" the open PCPFTOF rows whose material was withdrawn for the order.
ActionResult BitBtn2Click(const TFormComponents& C, const ActionInput& Input, ActionUi& Ui);

}  // namespace zr::app
