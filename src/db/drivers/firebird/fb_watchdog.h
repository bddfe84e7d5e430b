#pragma once
// Watches the client calls of one attachment for a server that stops answering. One watchdog per attachment;
// its thread starts with the first armed call and only ever calls the attachment's cancel-operation entry,
// which the client allows from another thread, and the probe it was given.
//
// A call with a time-out is cancelled when the time-out runs out (fb_cancel_raise). Cancelling needs the
// server's answer: when the call has not ended a grace period after the cancel (the server is frozen or the
// link is dead), the watchdog closes the client side of the attachment (fb_cancel_abort). The waiting call
// then fails at once, and the server, if it ever wakes, drops the lost attachment's work.
//
// A call without a time-out may run as long as the server works on it. When it has waited a while, the
// watchdog asks the probe whether the server still answers a new connection; when it does not, the
// attachment is closed the same way. A server that answers is asked again after the same while.
//
// The attachment is unusable once closed.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "db/errors.h"
#include "fb_api.h"

namespace zr::db::firebird {

// How long a cancelled call may take to end before the attachment is closed, unless the connection's entry
// "CancelGrace" (milliseconds) says otherwise.
inline constexpr uint32_t kCancelGraceMilliseconds = 10000;
// How long a call without a time-out waits before the server is probed, unless the entry "ProbeAfter"
// (milliseconds) says otherwise.
inline constexpr uint32_t kProbeAfterMilliseconds = 30000;

struct WatchSettings {
  uint32_t CancelGrace = kCancelGraceMilliseconds;
  uint32_t ProbeAfter = kProbeAfterMilliseconds;
  // True when the server answers a new connection in time; empty for an embedded attachment, which has no
  // server to lose.
  std::function<bool()> ServerAnswers;
  std::string Address;  // the server's address, as the message of a lost attachment names it
};

class Watchdog {
 public:
  Watchdog(Firebird::IAttachment* attachment, WatchSettings settings)
      : attachment_(attachment), settings_(std::move(settings)) {}
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // Watches the call about to run: with a time-out (not kNoTimeout) it is cancelled after `milliseconds`;
  // without one, the server is probed while it waits (when there is a probe).
  void Arm(uint32_t milliseconds);
  // The call ended; true when the watchdog cancelled it for its time-out.
  bool Disarm();
  // True once the watchdog closed the attachment.
  bool Aborted();
  // The error for calls on an attachment the watchdog closed because its server stopped answering (kind
  // LinkLost, the server's address among its facts).
  EDatabaseError LostError() const;

 private:
  void Run();
  void Abort();  // with the lock held

  Firebird::IAttachment* attachment_;
  const WatchSettings settings_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  std::chrono::steady_clock::time_point deadline_;
  // When the thread wakes by itself next; Arm wakes it only for an earlier deadline, so arming a call costs
  // no thread switch.
  std::chrono::steady_clock::time_point sleepsUntil_ = std::chrono::steady_clock::time_point::max();
  uint64_t call_ = 0;  // counts the armed calls, so a probe's answer is applied to the call it was made for
  bool armed_ = false;
  bool timed_ = false;
  bool fired_ = false;
  bool aborted_ = false;
  bool stopping_ = false;
};

// Arms the watchdog for one call and disarms it on scope exit.
class WatchScope {
 public:
  WatchScope(Watchdog& watchdog, uint32_t milliseconds);
  ~WatchScope();
  WatchScope(const WatchScope&) = delete;
  WatchScope& operator=(const WatchScope&) = delete;
  // Ends the watch now; true when the call was cancelled for its time-out.
  bool Finish();

 private:
  Watchdog* watchdog_;
  bool fired_ = false;
};

}  // namespace zr::db::firebird
