#pragma once

#include <cstdint>
#include <functional>

// Runs on the detection thread's one-second tick and decides when the background save starts:
// the first test passes at the 302nd tick, then every 301 ticks; a save starts only when the store
// is dirty, and every test takes (tests and clears) the store's dirty flag.
class SaveTrigger {
 public:
  // Before the tick's other work. True when the background save is to be started now; takeDirty
  // is called only when the test is due.
  bool TickStart(const std::function<bool()>& takeDirty);
  // After the tick's other work.
  void TickEnd() { ++ticks_; }
  uint32_t Ticks() const { return ticks_; }

 private:
  uint32_t ticks_ = 0;
};
