#pragma once
// Access to the Firebird client's object interface: the master interface, a status object that throws,
// and an owning reference for its reference-counted objects.

#include <firebird/Interface.h>
#include <ibase.h>

#include <cstddef>
#include <cstdint>
#include <utility>

namespace zr::db::firebird {

Firebird::IMaster* Master();
Firebird::IUtil* Util();

// A status object whose failed calls throw Firebird::FbException. One per thread at a time.
class Status {
 public:
  Status() : wrapper_(Master()->getStatus()) {}
  ~Status() { wrapper_.dispose(); }
  Status(const Status&) = delete;
  Status& operator=(const Status&) = delete;
  Firebird::ThrowStatusWrapper* get() noexcept { return &wrapper_; }

 private:
  Firebird::ThrowStatusWrapper wrapper_;
};

// The size, in 8-byte words, of a buffer that holds one message described by `metadata`: whole words keep
// every field of the message aligned, and the extra word leaves room for the message's own padding.
inline size_t MessageWords(Status& status, Firebird::IMessageMetadata* metadata) {
  return metadata->getMessageLength(status.get()) / sizeof(int64_t) + 1;
}

// Owns one reference of a Firebird object (or a disposable one); releases it when it goes away. Calls that release the object
// themselves on success (commit, rollback, detach, free, close) are made through Take().
template <typename T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* object) noexcept : object_(object) {}
  Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Ref& operator=(Ref&& other) noexcept {
    if (this != &other) {
      reset(std::exchange(other.object_, nullptr));
    }
    return *this;
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { reset(); }

  T* get() const noexcept { return object_; }
  T* operator->() const noexcept { return object_; }
  explicit operator bool() const noexcept { return object_ != nullptr; }
  void reset(T* object = nullptr) noexcept {
    if (object_ != nullptr) {
      if constexpr (requires(T * o) { o->release(); }) {
        object_->release();
      } else {
        object_->dispose();  // builders and other disposable objects
      }
    }
    object_ = object;
  }

  // Runs `call(object)`, a call that releases the object when it succeeds; on success this reference
  // forgets the object, on failure it keeps it (and releases it later) and the exception goes on.
  template <typename Call>
  void Take(Call&& call) {
    call(object_);
    object_ = nullptr;
  }

 private:
  T* object_ = nullptr;
};

// Ends the object behind `ref` with `close(object, status)`, a call that releases it (free, close, rollback,
// detach). A failure (a broken link: there is nothing more to tell the server) only drops the reference.
template <typename T, typename Close>
void Dispose(Ref<T>& ref, Close close) noexcept {
  if (!ref) {
    return;
  }
  try {
    Status status;
    ref.Take([&](T* object) { close(object, status.get()); });
  } catch (const Firebird::FbException&) {
    ref.reset();
  }
}

}  // namespace zr::db::firebird
