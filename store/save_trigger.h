#pragma once

#include <atomic>
#include <cstdint>

// Runs on the detection thread's one-second tick and decides when the background save starts:
// the first test passes at the 302nd tick, then every 301 ticks; a save starts only when the store
// is dirty, and every test clears the dirty flag.
class SaveTrigger {
 public:
  // Before the tick's other work. True when the background save is to be started now.
  bool TickStart(std::atomic<bool>& cacheDirty);
  // After the tick's other work.
  void TickEnd() { ++ticks_; }
  uint32_t Ticks() const { return ticks_; }

 private:
  uint32_t ticks_ = 0;
};
