#pragma once
// The connection's own data type mapping rules for Firebird and for Oracle.

#include "db/map_rules.h"

namespace zr::data::detail {

// Each replaces every rule by the driver's set and switches the connection's own rules on.
void InstallFirebirdRules(db::TFDFormatOptions& options);
void InstallOracleRules(db::TFDFormatOptions& options);

}  // namespace zr::data::detail
