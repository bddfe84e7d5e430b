#include "db/firebird/driver.h"

#include "common/driver_names.h"
#include "fb_attach.h"
#include "fb_connection.h"
#include "fb_error.h"

namespace zr::db::firebird {

void RegisterDriver() {
  driver::RegisterDriver(std::string(common::kDriverFirebird), [](const TStringList& params) -> std::unique_ptr<driver::Connection> {
    return std::make_unique<FbConnection>(Attach(TargetFrom(params)));
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
