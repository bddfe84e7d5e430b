#pragma once
// The Firebird driver "FB". Parameter entries it reads: Database (a file path or alias), Server (absent:
// the embedded engine opens the file inside this process), Port, User_name, Password; PageSize only when a
// database is created. Every attachment talks UTF8.

#include <string>

#include "common/driver_names.h"
#include "db/string_list.h"

namespace zr::db::firebird {

// Registers the driver under `driverName`; calling it again registers it again, replacing whatever that
// name held. Another name than "FB" lets a test put a wrapper under "FB" that hands its connects on to the
// real driver.
void RegisterDriver(const std::string& driverName = std::string(common::kDriverFirebird));

// Creates the database the entries name, with the UTF8 default character set, the entry PageSize (when
// given) and the entry ForcedWrites ("False": page writes left to the system's cache, for scratch
// databases). EDatabaseError with the client's message on failure (the file exists, no access...).
void CreateDatabase(const TStringList& params);

// Drops the database the entries name. EDatabaseError when it cannot be opened or is in use.
void DropDatabase(const TStringList& params);

}  // namespace zr::db::firebird
