#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "browser/browser_scan.h"
#include "platform/process_list.h"
#include "store/process_events.h"
#include "store/save_trigger.h"

// The browser-detection thread. Once a second it paces the background save of cache.data and scans
// the running processes; a browser process it has not seen before makes it ask the main window to
// register for URL echoes again (timer 69). It ends when the quit event is signalled and reports its
// end through the detection-ended event.
class CDetectThread {
 public:
  struct Hooks {
    // Asks the main thread to start timer 69. Called on the detection thread.
    std::function<void()> startRegistrationTimer;
    // Takes (tests and clears) the store's dirty flag. Called on the detection thread.
    std::function<bool()> takeCacheDirty;
    // Starts the background save of the store. Called on the detection thread.
    std::function<void()> startBackgroundSave;
  };

  CDetectThread(ProcessEvents& events, ProcessList& processes, Hooks hooks,
                std::chrono::milliseconds tickPeriod = std::chrono::milliseconds(1000));
  // Joins the thread; the quit event must have been signalled (or the thread never started).
  ~CDetectThread();
  CDetectThread(const CDetectThread&) = delete;
  CDetectThread& operator=(const CDetectThread&) = delete;

  void Start();
  // One timer tick: the save trigger, then the process scan.
  void Tick();
  // Waits for the thread to end after the quit event.
  void Join();

 private:
  void Run();

  ProcessEvents& events_;
  ProcessList& processes_;
  Hooks hooks_;
  std::chrono::milliseconds tickPeriod_;
  SaveTrigger trigger_;
  BrowserScan scan_;
  std::thread thread_;
};
