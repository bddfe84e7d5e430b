#include "fb_watchdog.h"

#include "db/options.h"

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
  {
    std::lock_guard lock(mutex_);
    deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    armed_ = true;
    fired_ = false;
    if (!thread_.joinable()) {
      thread_ = std::thread([this] { Run(); });
    }
  }
  wake_.notify_all();
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

void Watchdog::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (!armed_) {
      wake_.wait(lock);
      continue;
    }
    if (std::chrono::steady_clock::now() < deadline_) {
      wake_.wait_until(lock, deadline_);
      continue;
    }
    if (!fired_) {
      // The time-out: ask the server to cancel, and keep watching for its answer.
      fired_ = true;
      deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(grace_);
      try {
        Status status;
        attachment_->cancelOperation(status.get(), fb_cancel_raise);
      } catch (const Firebird::FbException&) {
        // Nothing was running any more: the operation finished just in time.
      }
      continue;
    }
    // The cancel went unanswered: close the client side of the attachment, which ends the waiting call.
    armed_ = false;
    aborted_ = true;
    try {
      Status status;
      attachment_->cancelOperation(status.get(), fb_cancel_abort);
    } catch (const Firebird::FbException&) {
      // The link is gone already.
    }
  }
}

WatchScope::WatchScope(Watchdog& watchdog, uint32_t milliseconds)
    : watchdog_(milliseconds == kNoTimeout ? nullptr : &watchdog) {
  if (watchdog_ != nullptr) {
    watchdog_->Arm(milliseconds);
  }
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
