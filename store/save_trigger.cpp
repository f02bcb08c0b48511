#include "store/save_trigger.h"

bool SaveTrigger::TickStart(const std::function<bool()>& takeDirty) {
  if (ticks_ <= 300) return false;
  ticks_ = 0;
  return takeDirty();
}
