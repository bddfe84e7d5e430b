#pragma once
// Cancels a statement that runs past its time-out. One watchdog per attachment; its thread starts with the
// first armed operation and only ever calls the attachment's cancel-operation entry, which the client
// allows from another thread.
//
// Cancelling needs the server's answer. When the operation has not ended a grace period after the cancel
// (the server is frozen or the link is dead), the watchdog closes the client side of the attachment
// (fb_cancel_abort): the waiting call then fails at once, and the server, if it ever wakes, drops the lost
// attachment's work. The attachment is unusable afterwards.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "fb_api.h"

namespace zr::db::firebird {

class Watchdog {
 public:
  // `graceMilliseconds`: how long a cancelled operation may take to end before the attachment is closed.
  Watchdog(Firebird::IAttachment* attachment, uint32_t graceMilliseconds)
      : attachment_(attachment), grace_(graceMilliseconds) {}
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // Watches the operation about to run: after `milliseconds` it is cancelled (fb_cancel_raise).
  void Arm(uint32_t milliseconds);
  // The operation ended; true when the watchdog cancelled it.
  bool Disarm();
  // True once the watchdog closed the attachment because a cancel went unanswered.
  bool Aborted();

 private:
  void Run();

  Firebird::IAttachment* attachment_;
  const uint32_t grace_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  std::chrono::steady_clock::time_point deadline_;
  bool armed_ = false;
  bool fired_ = false;
  bool aborted_ = false;
  bool stopping_ = false;
};

// How long a cancelled operation may take to end before its attachment is closed, unless the connection's
// entry "CancelGrace" (milliseconds) says otherwise.
inline constexpr uint32_t kCancelGraceMilliseconds = 10000;

// Arms the watchdog for one operation when a time-out is set (not kNoTimeout) and disarms it on scope exit.
class WatchScope {
 public:
  WatchScope(Watchdog& watchdog, uint32_t milliseconds);
  ~WatchScope();
  WatchScope(const WatchScope&) = delete;
  WatchScope& operator=(const WatchScope&) = delete;
  // Ends the watch now; true when the operation was cancelled for its time-out.
  bool Finish();

 private:
  Watchdog* watchdog_;
  bool fired_ = false;
};

}  // namespace zr::db::firebird
