#pragma once
// zembra-cli's side of the indexes both actions need: the listing and creation of "zembra-cli indices", and the
// one-line warning an action's run prints when its status query has no index for the movements by order.

#include <string>
#include <vector>

#include "app/components.h"
#include "app/indices.h"

namespace zr::app::cli {

// Exit code of "indices" when indexes are missing and --criar was not given.
inline constexpr int kExitFaltamIndices = 4;

// The command that lists the company's indexes, and the one that creates what is missing.
std::string ComandoIndices(const std::string& empresa, bool criar);

// The listing: one line per lookup (its state, table, index and what it is), and under each lookup that
// needs a DBA the command that mends it, as typed in isql or SQL*Plus.
std::string ListaIndices(const std::vector<IndiceDaBusca>& buscas, const std::string& empresa,
                         const std::string& driverName);

// The warning of an action's run, one line without its line end, for a status lookup PrecisaDeIndice says
// lacks its index.
std::string AvisoIndice(const IndiceDaBusca& busca, const std::string& empresa);

// "zembra-cli indices": lists the indexes of company `item` (the company list's text for the code `empresa`)
// and, with `criar`, creates each missing one in a transaction of its own, with a message each, then lists
// them again from a fresh plan. Returns the exit code; messages go to stdout, failures to stderr.
int ExecutaIndices(const TFormComponents& c, const std::string& item, const std::string& empresa, bool criar);

}  // namespace zr::app::cli
