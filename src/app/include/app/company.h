#pragma once
// The company list and the company table names.

#include <functional>
#include <string>

#include "data/query.h"

namespace zr::app {

// The separator between EMP_PAT and EMP_NOME in a company item.
inline constexpr const char* kCompanySeparator = " | ";

// The company code of an item text: the text before the first " | "; empty when there is none.
std::string CompanyCode(const std::string& ItemText);

// Runs "SELECT EMP_PAT, EMP_NOME FROM EMPRESA" on QryAux and hands each item text (EMP_PAT, " | ",
// EMP_NOME) to `AddItem`, in the order the server returns the rows. QryAux is left open. Errors pass to the
// caller after the items read so far were handed over.
void CarregaEmpresas(data::TZRQuery& QryAux, const std::function<void(const std::string&)>& AddItem);

// The table name of base name `Base` for the company of item text `ItemText`: Base followed by the company
// code, as ARQLOCAL holds it when it lists that name, else as formed. Uses and leaves open QryAux; errors of
// the lookup pass to the caller.
std::string BuscaArquivo(data::TZRQuery& QryAux, const std::string& ItemText, const std::string& Base);

}  // namespace zr::app
