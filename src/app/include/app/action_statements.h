#pragma once
// The statements the two actions run once per order and part or per status row, in the Firebird dialect,
// as lines of SQL text: built here once, for the actions and for the check of the indexes they need.

#include <string>
#include <vector>

#include "db/datetime.h"

namespace zr::app {

// The technical sheet of product `Codigo`, restricted to part `Parte` unless it is blank: materials and colours
// with their highest priced cost.
std::vector<std::string> LinhasFichaTecnica(const std::string& NmPCPFT2, const std::string& NmPCPFT3,
                                            const std::string& NmMAT_ITEN, const std::string& Codigo,
                                            const std::string& Parte);

// The delete of an order's PCPFTOF rows of part `Parte` (every part when it is blank).
std::vector<std::string> LinhasExclusaoOrdem(const std::string& NmPCPFTOF, const std::string& Numero,
                                             const std::string& Parte);

// The status query: every PCPFTOF row with DATA on or after `Desde`, with QTDE_BAI, the sum of the movements
// that withdrew its material and colour for its order. The expression that ties a movement to an order is
// kExpressaoDocumento.
std::vector<std::string> LinhasConsultaSituacao(const std::string& NmMAT_MOV, const std::string& NmPCPFTOF,
                                                db::TDateTime Desde);
inline constexpr const char* kExpressaoDocumento = "SUBSTRING(MAT_MOV.NUM_DOCTO FROM 1 FOR 6)";

// The update that marks "B" the open rows of an order's material and colour.
std::vector<std::string> LinhasBaixa(const std::string& NmPCPFTOF, const std::string& Numero,
                                     const std::string& Insumo, const std::string& CorI);

}  // namespace zr::app
