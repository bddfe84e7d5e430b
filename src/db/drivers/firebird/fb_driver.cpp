#include "db/firebird/driver.h"

#include "common/driver_names.h"
#include "fb_attach.h"
#include "fb_connection.h"
#include "fb_error.h"

namespace zr::db::firebird {

void RegisterDriver(const std::string& driverName) {
  driver::RegisterDriver(driverName, [](const TStringList& params) -> std::unique_ptr<driver::Connection> {
    const AttachTarget target = TargetFrom(params);
    auto connection = std::make_unique<FbConnection>(Attach(target), WatchSettingsFor(target));
    // The embedded engine has no round trips to save: its statements stay prepared and run one by one. The
    // entry "Batches" (1 or 0) says otherwise, so that the batches' contract can be checked on either.
    const std::string batches = params.Values("Batches");
    connection->SetBatches(batches.empty() ? !params.Values("Server").empty() : batches != "0");
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
