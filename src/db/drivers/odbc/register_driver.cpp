#include "db/odbc/driver.h"

#include "db/driver.h"
#include "odbc_connection.h"

namespace zr::db::odbc {

void RegisterDriver(const std::string& driverName) {
  driver::RegisterDriver(driverName, [](const TStringList& params) -> std::unique_ptr<driver::Connection> {
    return std::make_unique<OdbcConnection>(params);
  });
}

}  // namespace zr::db::odbc
