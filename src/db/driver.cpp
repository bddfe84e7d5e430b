#include "db/driver.h"

#include <map>
#include <mutex>

#include "db/errors.h"

namespace zr::db::driver {

namespace {

struct Registry {
  std::mutex mutex;
  std::map<std::string, ConnectFunction> drivers;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterDriver(const std::string& driverName, ConnectFunction connect) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  r.drivers[driverName] = std::move(connect);
}

bool IsDriverRegistered(const std::string& driverName) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  return r.drivers.count(driverName) != 0;
}

std::unique_ptr<Connection> Connect(const std::string& driverName, const TStringList& params) {
  ConnectFunction connect;
  {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const auto it = r.drivers.find(driverName);
    if (it == r.drivers.end()) throw EDatabaseError("Driver '" + driverName + "' is not registered");
    connect = it->second;
  }
  std::unique_ptr<Connection> connection = connect(params);
  if (!connection) throw EDatabaseError("Driver '" + driverName + "' returned no connection");
  return connection;
}

}  // namespace zr::db::driver
