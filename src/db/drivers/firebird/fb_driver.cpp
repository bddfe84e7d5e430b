#include "db/firebird/driver.h"

#include <vector>

#include "common/driver_names.h"
#include "fb_attach.h"
#include "fb_connection.h"
#include "fb_error.h"

namespace zr::db::firebird {

namespace {

// True when the database's default character set is NONE, also for a database that names none (created
// before default character sets existed). Asked through the connection, under its watchdog, in one
// transaction of its own (a statement outside one would take one to prepare and another to run).
bool DefaultCharSetIsNone(FbConnection& connection) {
  connection.StartTransaction();
  std::unique_ptr<driver::Statement> statement = connection.CreateStatement();
  statement->Prepare("SELECT TRIM(RDB$CHARACTER_SET_NAME) FROM RDB$DATABASE");
  statement->Execute({}, 1, 0);
  std::vector<TFDValue> row;
  const bool none = !statement->Fetch(row) || row.empty() || IsNullValue(row[0]) ||
                    ValueAsString(row[0]).empty() || ValueAsString(row[0]) == "NONE";
  statement.reset();
  connection.Rollback();  // it read only
  return none;
}

// A connection whose text reads right. A database whose default character set is a real one is attached in
// UTF8 and the server converts its text. A legacy database, created with the default character set NONE,
// holds its text as bytes of the code page its programs wrote in, which the server hands over unconverted:
// it is attached again in that code page (target.LegacyPage), and the driver converts at its boundary.
std::unique_ptr<FbConnection> OpenConnection(const AttachTarget& target) {
  auto connection = std::make_unique<FbConnection>(Attach(target), WatchSettingsFor(target));
  if (!DefaultCharSetIsNone(*connection)) return connection;
  connection.reset();  // detaches
  const CodePage& page =
      target.LegacyPage != nullptr ? *target.LegacyPage : *FindCodePage(kDefaultLegacyCodePage);
  AttachTarget legacy = target;
  legacy.CharSet = std::string(page.Name);
  return std::make_unique<FbConnection>(Attach(legacy), WatchSettingsFor(legacy), ConnectionText(page));
}

}  // namespace

void RegisterDriver(const std::string& driverName) {
  driver::RegisterDriver(driverName, [](const TStringList& params) -> std::unique_ptr<driver::Connection> {
    const AttachTarget target = TargetFrom(params);
    std::unique_ptr<FbConnection> connection = OpenConnection(target);
    // The embedded engine has no round trips to save: its statements stay prepared and run one by one. The
    // entry "Batches" (1 or 0) says otherwise, so that the batches' contract can be checked on either;
    // "ShapedBatches" and "LiteralBatches" (1 or 0, default 1) switch one way of running them off, for tests
    // and benches.
    const auto on = [&](const char* entry, bool byDefault) {
      const std::string value = params.Values(entry);
      return value.empty() ? byDefault : value != "0";
    };
    connection->SetBatches({on("Batches", !params.Values("Server").empty()), on("ShapedBatches", true),
                            on("LiteralBatches", true)});
    // The entries "LiteralShapes" and "SelectShapes" (1 or 0, default 1) switch off running INSERT, UPDATE
    // and DELETE, or SELECT, as the requests of their literal shapes, so that tests and benches can compare.
    connection->SetShapes(params.Values("LiteralShapes") != "0", params.Values("SelectShapes") != "0");
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
