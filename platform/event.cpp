#include "platform/event.h"

void Event::Set() {
  {
    std::lock_guard lock(mutex_);
    signalled_ = true;
  }
  changed_.notify_all();
}

void Event::Reset() {
  std::lock_guard lock(mutex_);
  signalled_ = false;
}

bool Event::Wait(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (timeout.count() < 0) {
    changed_.wait(lock, [this] { return signalled_; });
  } else if (!changed_.wait_for(lock, timeout, [this] { return signalled_; })) {
    return false;
  }
  signalled_ = false;
  return true;
}

bool Event::Test() {
  std::lock_guard lock(mutex_);
  bool was = signalled_;
  signalled_ = false;
  return was;
}

bool Event::IsSet() const {
  std::lock_guard lock(mutex_);
  return signalled_;
}
