#pragma once
// The indexes both actions need at a company's real size. Each action runs a few lookups once per order and
// part or once per status row; without an index each of them walks a whole table, or every movement of a
// material and colour, and an action of minutes becomes one of hours. The check asks the server how it will
// run each of those statements (its plan) and what indexes the tables have (its catalog), and names what a
// DBA must create, in the connection's dialect and with the company's table names.

#include <string>
#include <vector>

#include "app/components.h"

namespace zr::app {

enum class EstadoIndice {
  Usado,        // the server's plan reads the table through an index on the lookup's key
  ForaDoPlano,  // such an index exists, but the plan does not read through it now (a small table, old statistics)
  Inativo,      // such an index exists, but the server keeps it inactive (unusable)
  Falta,        // no index has the lookup's key
};

// One lookup of an action and the index that serves it.
struct IndiceDaBusca {
  std::string Busca;        // the lookup, in words
  bool DaSituacao = false;  // the status query's movements by order number
  std::string Tabela;       // the company's table
  std::string Chave;        // the key the statement compares, in the connection's dialect, without alias
  EstadoIndice Estado = EstadoIndice::Falta;
  std::string Indice;   // the index the plan reads, the one found, or (Falta) the one to create
  std::string Comando;  // Falta: its CREATE INDEX; Inativo: what makes it usable again; else empty
  std::string Plano;    // the server's plan of the statement, in its own words
};

// True for the states a DBA must act on: the lookup walks its table.
inline bool PrecisaDeIndice(const IndiceDaBusca& Busca) {
  return Busca.Estado == EstadoIndice::Falta || Busca.Estado == EstadoIndice::Inativo;
}

// Every lookup both actions run per row: the status query's movements by order number, PCPFTOF's delete and
// update by order number, and the technical sheet's three tables. Resolves the company's table names, then
// explains four statements and reads five tables' indexes: a few requests each, in the connection's open
// transaction, writing nothing. Errors of the server pass to the caller.
std::vector<IndiceDaBusca> VerificaIndices(const TFormComponents& C, const std::string& Empresa);

// Only the status query's lookup, which a company's size makes the costliest: two table-name lookups, one
// plan and one list of indexes, checked once before an action and never per row.
IndiceDaBusca VerificaIndiceSituacao(const TFormComponents& C, const std::string& Empresa);

// Runs `Busca.Comando` in a transaction of its own, after ending (without writing anything) the one the check
// read in, and commits it; no time-out, since building an index on a large table takes a while. On failure
// the transaction is rolled back, so nothing of that index remains, and EDatabaseError says why; when the
// user lacks the right, its kind is NoPermission and it says so in Portuguese, naming the user, the index, the
// table and the command for the DBA, followed by the server's own message.
void CriaIndice(const TFormComponents& C, const IndiceDaBusca& Busca);

// The command as a DBA types it in isql or SQL*Plus: with its closing semicolon.
inline std::string ComandoParaDba(const std::string& Comando) { return Comando + ";"; }

}  // namespace zr::app
