#pragma once
// Opening, creating and dropping databases from the connection's parameter entries.

#include <optional>
#include <string>

#include "db/string_list.h"
#include "fb_api.h"
#include "fb_code_pages.h"
#include "fb_watchdog.h"

namespace zr::db::firebird {

// How long connecting to a server waits for its answer unless the entry "ConnectTimeout" says otherwise.
inline constexpr int kConnectTimeoutSeconds = 30;

// What the entries ask for: the name the client is given ("path" for the embedded engine,
// "host:path" or "host/port:path" for a server) and the credentials.
struct AttachTarget {
  std::string Name;
  std::string User;
  std::string Password;
  int PageSize = 0;  // 0: the engine's default
  // Seconds a server may take to answer the attachment before the attempt is given up (entry
  // "ConnectTimeout"); the server's address as the message names it.
  int ConnectTimeout = kConnectTimeoutSeconds;
  // Milliseconds a cancelled statement may take to end before the attachment is closed (entry "CancelGrace"),
  // and that a call without a time-out waits before the server is probed (entry "ProbeAfter").
  uint32_t CancelGrace = kCancelGraceMilliseconds;
  uint32_t ProbeAfter = kProbeAfterMilliseconds;
  std::string Address;
  std::string Service;  // the server's service manager, "host[/port]:service_mgr"; empty when embedded
  // Creation only: ForcedWrites=False makes the engine leave page writes to the system's cache (no fsync per
  // page), True forces them; absent, the engine's default (forced) stays.
  std::optional<bool> ForcedWrites;
  // The connection character set (lc_ctype) of the attachment.
  std::string CharSet = "UTF8";
  // The code page a database whose default character set is NONE holds its text in (entry "CharsetLegado",
  // the key of zr.ini; WIN1252 when absent).
  const CodePage* LegacyPage = nullptr;
  // Creation only: the new database's default character set (entry "DefaultCharSet"; UTF8 when absent).
  std::string DefaultCharSet = "UTF8";
};

// The code page a legacy database is read in when the entries name none.
inline constexpr std::string_view kDefaultLegacyCodePage = "WIN1252";

// EDatabaseError of kind InvalidSetting, naming the entry and its value among its facts, when Database is
// empty, Port/PageSize are not numbers, ForcedWrites is not True/False or CharsetLegado names a code
// page not known here (the known ones among its facts too).
AttachTarget TargetFrom(const TStringList& params);

// A new attachment talking target.CharSet; the caller owns it. EDatabaseError with the client's message on
// failure; when a server did not answer within ConnectTimeout, of kind ConnectTimedOut with its address, the
// seconds waited and the client's message among its facts.
Firebird::IAttachment* Attach(const AttachTarget& target);

// True when the target's server answers a new connection (to its service manager) within ConnectTimeout,
// whatever the answer; true also for an embedded target.
bool ServerAnswers(const AttachTarget& target);

// The watchdog settings of an attachment to `target`: its grace periods, and a probe of its server when it
// has one.
WatchSettings WatchSettingsFor(const AttachTarget& target);

// Creates the database (target.DefaultCharSet as its default character set, dialect 3) and returns the
// attachment to it.
Firebird::IAttachment* Create(const AttachTarget& target);

}  // namespace zr::db::firebird
