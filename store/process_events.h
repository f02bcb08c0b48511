#pragma once

#include "platform/event.h"

// The process-wide events that hold start-up, shutdown and the detection thread together. All are
// auto-reset and initially clear. (A visit and the background save meet at the store's lock.)
struct ProcessEvents {
  Event quit;            // shutdown tells the detection thread to end
  Event closing;         // no visit is recorded once this is signalled
  Event detectionEnded;  // the detection thread has ended
};
