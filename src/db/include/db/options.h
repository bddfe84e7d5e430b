#pragma once
// Option groups of the framework's connection, transaction and query.

#include <cstdint>

namespace zr::db {

enum class TFDTxAction { xdNone, xdCommit, xdRollback };
using enum TFDTxAction;

// Transaction options. Framework defaults: AutoStart, AutoStop (so AutoCommit) and commit on disconnect.
class TFDTxOptions {
 public:
  bool AutoStart = true;                    // a statement that needs a transaction starts one
  bool AutoStop = true;                     // a transaction started automatically ends after its statement
  TFDTxAction DisconnectAction = xdCommit;  // what closing the connection does to an open transaction

  bool AutoCommit() const noexcept { return AutoStart && AutoStop; }
  // True sets AutoStart and AutoStop; False only clears AutoStop.
  void SetAutoCommit(bool value) noexcept {
    if (value) {
      AutoStart = AutoStop = true;
    } else {
      AutoStop = false;
    }
  }
};

inline constexpr uint32_t kNoTimeout = 0xFFFFFFFFu;

struct TFDResourceOptions {
  // Milliseconds a statement may run before it is cancelled; kNoTimeout (4294967295) means no limit.
  uint32_t CmdExecTimeout = kNoTimeout;
  // Kept for the components' settings; the framework passes SQL text to the driver unprocessed
  // (no escape sequences, no macros) whatever they hold.
  bool EscapeExpand = true;
  bool MacroCreate = true;
  bool MacroExpand = true;
};

struct TFDUpdateOptions {
  bool CheckReadOnly = true;
};

}  // namespace zr::db
