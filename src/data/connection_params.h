#pragma once
// The connection's parameter entries, built from its properties at every connect.

#include <cstdint>
#include <string>

#include "db/string_list.h"

namespace zr::data::detail {

struct ConnectionSettings {
  std::string DriverName;
  std::string HostName;
  std::string Database;
  std::string User;
  std::string Password;
  int32_t Port = 0;
  std::string CharsetLegado;  // Firebird only; no entry when empty
};

// Appends, after the driver entry already in `params`, the common entries (each under its condition) and
// the entries of the driver ("AuthMode=NORMAL" for "Ora"; "Protocol=TCPIP" with a host, "PageSize=4096"
// and, when set, "CharsetLegado=" for "FB").
void AddConnectionEntries(const ConnectionSettings& settings, db::TStringList& params);

}  // namespace zr::data::detail
