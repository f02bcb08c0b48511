#pragma once

#include <atomic>

#include "platform/clock.h"

// A clock the test sets and advances.
class FakeClock : public Clock {
 public:
  explicit FakeClock(Time32 start = 1000000000) : now_(start) {}
  Time32 Now() const override { return now_; }
  void Set(Time32 t) { now_ = t; }
  void Advance(Time32 seconds) { now_ += seconds; }

 private:
  std::atomic<Time32> now_;
};
