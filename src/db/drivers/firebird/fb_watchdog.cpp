#include "fb_watchdog.h"

#include "db/options.h"
#include "fb_error.h"

namespace zr::db::firebird {

Watchdog::~Watchdog() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) {
    thread_.join();
  }
}

void Watchdog::Arm(uint32_t milliseconds) {
  const bool timed = milliseconds != kNoTimeout;
  if (!timed && !settings_.ServerAnswers) {
    return;
  }
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    deadline_ = std::chrono::steady_clock::now() +
                std::chrono::milliseconds(timed ? milliseconds : settings_.ProbeAfter);
    ++call_;
    armed_ = true;
    timed_ = timed;
    fired_ = false;
    if (!thread_.joinable()) {
      thread_ = std::thread([this] { Run(); });
    }
    wake = deadline_ < sleepsUntil_;
  }
  if (wake) {
    wake_.notify_all();
  }
}

bool Watchdog::Disarm() {
  // Taking the lock waits for a cancel in flight, so after this the watchdog touches nothing more.
  std::lock_guard lock(mutex_);
  armed_ = false;
  return fired_;
}

bool Watchdog::Aborted() {
  std::lock_guard lock(mutex_);
  return aborted_;
}

EDatabaseError Watchdog::LostError() const { return LostServerError(settings_.Address); }

void Watchdog::Abort() {
  armed_ = false;
  aborted_ = true;
  try {
    Status status;
    attachment_->cancelOperation(status.get(), fb_cancel_abort);
  } catch (const Firebird::FbException&) {
    // The link is gone already.
  }
}

void Watchdog::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (!armed_) {
      sleepsUntil_ = std::chrono::steady_clock::time_point::max();
      wake_.wait(lock);
      continue;
    }
    if (std::chrono::steady_clock::now() < deadline_) {
      sleepsUntil_ = deadline_;
      wake_.wait_until(lock, deadline_);
      continue;
    }
    sleepsUntil_ = std::chrono::steady_clock::time_point::min();  // awake: nothing to wake it for
    if (timed_ && !fired_) {
      // The time-out: ask the server to cancel, and keep watching for its answer.
      fired_ = true;
      deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(settings_.CancelGrace);
      try {
        Status status;
        attachment_->cancelOperation(status.get(), fb_cancel_raise);
      } catch (const Firebird::FbException&) {
        // Nothing was running any more: the call finished just in time.
      }
      continue;
    }
    if (timed_) {
      Abort();  // the cancel went unanswered
      continue;
    }
    // A call without a time-out has waited a while: does the server still answer? The probe takes up to a
    // connect time-out, so it runs without the lock; its answer counts only for the call it was made for.
    const uint64_t call = call_;
    lock.unlock();
    const bool answers = settings_.ServerAnswers();
    lock.lock();
    if (!armed_ || call != call_) {
      continue;
    }
    if (answers) {
      deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(settings_.ProbeAfter);
    } else {
      Abort();
    }
  }
}

WatchScope::WatchScope(Watchdog& watchdog, uint32_t milliseconds) : watchdog_(&watchdog) {
  watchdog_->Arm(milliseconds);
}

WatchScope::~WatchScope() { Finish(); }

bool WatchScope::Finish() {
  if (watchdog_ != nullptr) {
    fired_ = watchdog_->Disarm();
    watchdog_ = nullptr;
  }
  return fired_;
}

}  // namespace zr::db::firebird
