// TZRCustomTransaction: the framework's transaction with the system's defaults.

#include "data/database.h"

namespace zr::data {

TZRCustomTransaction::TZRCustomTransaction(db::TComponent* AOwner) : db::TFDTransaction(AOwner) {
  // The same combination as on the connection: automatic start, no automatic stop, rollback on disconnect.
  Options().AutoStart = true;
  Options().AutoStop = false;
  Options().SetAutoCommit(false);
  Options().DisconnectAction = db::xdRollback;
}

}  // namespace zr::data
