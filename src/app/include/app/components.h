#pragma once
// The window's data-access components with their design-time settings.

#include "data/database.h"
#include "data/query.h"
#include "db/component.h"

namespace zr::app {

// The components that the window owns. They are created owned by `owner`, which frees them; the pointers
// stay valid as long as the owner lives.
struct TFormComponents {
  data::TZRDatabase* ZRDatabase1 = nullptr;
  data::TZRTransaction* ZRTransaction1 = nullptr;
  data::TZRQuery* QryBusca = nullptr;
  data::TZRQuery* QryAux = nullptr;
  data::TZRQuery* QryCons = nullptr;
  data::TZRQuery* QryInsert = nullptr;
  data::TZRQuery* QryGrava = nullptr;  // declared with the window, never used
};

// Creates the connection, its transaction and the five queries owned by `owner`, named as on the window:
// no automatic transaction start or stop on the connection, roll back on disconnect, the transaction as the
// connection's transaction and update transaction, no SQL log, port 0; the transaction bound to the
// connection with no automatic stop and roll back on disconnect; every query bound to the connection with
// macros, escapes and the read-only check off, AutoTransacao and TempoLimite on.
TFormComponents CreateFormComponents(db::TComponent& owner);

}  // namespace zr::app
