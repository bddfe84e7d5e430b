#pragma once
// Cancels a statement that runs past its time-out. One watchdog per attachment; its thread starts with the
// first armed operation and only ever calls the attachment's cancel-operation entry, which the client
// allows from another thread.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "fb_api.h"

namespace zr::db::firebird {

class Watchdog {
 public:
  explicit Watchdog(Firebird::IAttachment* attachment) : attachment_(attachment) {}
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // Watches the operation about to run: after `milliseconds` it is cancelled (fb_cancel_raise).
  void Arm(uint32_t milliseconds);
  // The operation ended; true when the watchdog cancelled it.
  bool Disarm();

 private:
  void Run();

  Firebird::IAttachment* attachment_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  std::chrono::steady_clock::time_point deadline_;
  bool armed_ = false;
  bool fired_ = false;
  bool stopping_ = false;
};

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
