#include "fb_api.h"

namespace zr::db::firebird {

Firebird::IMaster* Master() {
  static Firebird::IMaster* const master = Firebird::fb_get_master_interface();
  return master;
}

Firebird::IUtil* Util() {
  static Firebird::IUtil* const util = Master()->getUtilInterface();
  return util;
}

}  // namespace zr::db::firebird
