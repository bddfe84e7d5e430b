#pragma once
// The framework's Oracle driver: reaches Oracle (or any ODBC data source) through the system's ODBC driver
// manager.
//
// Connection entries: "Database" names an ODBC data source, or is a complete ODBC connection string when it
// contains "="; "User_name" and "Password" go in as UID and PWD. When "Server" is given (and "Database" is not
// a connection string) the data source is reached without a DSN, through the driver registered under the
// name given by "ODBCDriver" (default "Oracle"), with DBQ=Server[:Port]/Database (Oracle's easy-connect
// form).

#include <string>

#include "common/driver_names.h"

namespace zr::db::odbc {

// Registers the driver with the framework under `driverName`.
void RegisterDriver(const std::string& driverName = std::string(common::kDriverOracle));

}  // namespace zr::db::odbc
