#include "app/drivers.h"

#include "db/firebird/driver.h"
#ifdef ZR_HAVE_ODBC
#include "db/odbc/driver.h"
#endif

namespace zr::app {

void RegisterDrivers() {
  db::firebird::RegisterDriver();
#ifdef ZR_HAVE_ODBC
  db::odbc::RegisterDriver();
#endif
}

}  // namespace zr::app
