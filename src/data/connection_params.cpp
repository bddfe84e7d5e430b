#include "connection_params.h"

#include "common/ascii.h"
#include "common/driver_names.h"

namespace zr::data::detail {

void AddConnectionEntries(const ConnectionSettings& settings, db::TStringList& params) {
  const std::string host = std::string(common::TrimBlanks(settings.HostName));
  const std::string user = std::string(common::TrimBlanks(settings.User));
  const std::string password = std::string(common::TrimBlanks(settings.Password));

  if (!host.empty()) params.Add("Server=" + host);
  params.Add("Database=" + std::string(common::TrimBlanks(
                               settings.Database)));  // also when empty: the driver reports what is missing
  if (!user.empty()) params.Add("User_name=" + user);
  if (!password.empty()) params.Add("Password=" + password);
  if (settings.Port != 0) params.Add("Port=" + std::to_string(settings.Port));

  // Driver names are compared exactly: "ora" or "Oracle" get no entries of their own.
  if (settings.DriverName == common::kDriverOracle) {
    params.Add("AuthMode=NORMAL");
  } else if (settings.DriverName == common::kDriverFirebird) {
    if (!host.empty()) params.Add("Protocol=TCPIP");
    params.Add("PageSize=4096");
    const std::string legado = std::string(common::TrimBlanks(settings.CharsetLegado));
    if (!legado.empty()) params.Add("CharsetLegado=" + legado);
  }
}

}  // namespace zr::data::detail
