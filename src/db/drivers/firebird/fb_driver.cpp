#include "db/firebird/driver.h"

#include "fb_attach.h"
#include "fb_connection.h"
#include "fb_error.h"

namespace zr::db::firebird {

void RegisterDriver() {
  driver::RegisterDriver("FB", [](const TStringList& params) -> std::unique_ptr<driver::Connection> {
    auto connection = std::make_unique<FbConnection>(Attach(TargetFrom(params)));
    // The embedded engine has no round trips to save: its statements stay prepared and run one by one.
    connection->SetBatches(!params.Values("Server").empty());
    return connection;
  });
}

void CreateDatabase(const TStringList& params) {
  Ref<Firebird::IAttachment> attachment(Create(TargetFrom(params)));
  Guarded([&] {
    Status status;
    attachment.Take([&](Firebird::IAttachment* a) { a->detach(status.get()); });
  });
}

void DropDatabase(const TStringList& params) {
  Ref<Firebird::IAttachment> attachment(Attach(TargetFrom(params)));
  Guarded([&] {
    Status status;
    attachment.Take([&](Firebird::IAttachment* a) { a->dropDatabase(status.get()); });
  });
}

}  // namespace zr::db::firebird
