#include "store/save_trigger.h"

bool SaveTrigger::TickStart(std::atomic<bool>& cacheDirty) {
  if (ticks_ <= 300) return false;
  ticks_ = 0;
  // exchange, so a visit recorded between the test and the clearing is not forgotten
  return cacheDirty.exchange(false);
}
