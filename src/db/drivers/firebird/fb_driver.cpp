#include "db/firebird/driver.h"

#include "common/driver_names.h"
#include "fb_attach.h"
#include "fb_connection.h"
#include "fb_error.h"

namespace zr::db::firebird {

void RegisterDriver(const std::string& driverName) {
  driver::RegisterDriver(driverName, [](const TStringList& params) -> std::unique_ptr<driver::Connection> {
    const AttachTarget target = TargetFrom(params);
    TextAttachment attached = AttachForText(target);
    auto connection =
        std::make_unique<FbConnection>(attached.Attachment, WatchSettingsFor(target), attached.Text);
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
