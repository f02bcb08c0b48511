#pragma once

#include "platform/event.h"

// The process-wide events that hold start-up, shutdown, the detection thread and the background
// save together. All are auto-reset and initially clear.
struct ProcessEvents {
  Event quit;            // shutdown tells the detection thread to end
  Event closing;         // no visit is recorded once this is signalled
  Event detectionEnded;  // the detection thread has ended
  Event saveInProgress;  // a background save of cache.data is running
  Event saveDone;        // the background save has closed its file
};
