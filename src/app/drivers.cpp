#include "app/drivers.h"

#ifdef ZR_HAVE_FIREBIRD
#include "db/firebird/driver.h"
#endif
#ifdef ZR_HAVE_ODBC
#include "db/odbc/driver.h"
#endif

namespace zr::app {

void RegisterDrivers() {
#ifdef ZR_HAVE_FIREBIRD
  db::firebird::RegisterDriver();
#endif
#ifdef ZR_HAVE_ODBC
  db::odbc::RegisterDriver();
#endif
}

}  // namespace zr::app
