#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An event in the manner of the process-wide events that coordinate Hopwise's threads:
// auto-reset (a successful wait or test consumes the signal), initially clear.
class Event {
 public:
  void Set();
  void Reset();
  // Waits until the event is set and consumes it. A negative timeout waits without limit.
  // Returns false on time-out.
  bool Wait(std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));
  // Tests without waiting; consumes the signal when it is set.
  bool Test();
  // Looks without consuming.
  bool IsSet() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};
