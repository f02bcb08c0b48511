#pragma once

#include <functional>
#include <string>

#include "platform/dde_instance.h"

// A second start of Hopwise hands over to the first instead of running: the first listens under
// the transport name kHandOverService in the runtime folder of its instance lock, and a second
// start pokes "Show" there and ends. The first shows itself (the PageMarks window, or the window
// that stands in for a missing tray); "hopwise --find" pokes "Find" instead, for the find window.
// A transport instance of its own, so that the hand-over is answered by the main loop even while
// the browser link waits on a browser.
class InstanceHandOver {
 public:
  static constexpr char kHandOverService[] = "HOPWISE-INSTANCE";
  static constexpr char kShowItem[] = "Show";
  static constexpr char kFindItem[] = "Find";

  explicit InstanceHandOver(const std::string& runtimeDir);
  InstanceHandOver(const InstanceHandOver&) = delete;
  InstanceHandOver& operator=(const InstanceHandOver&) = delete;

  // Serves the name; onShow runs from Dispatch for every "Show" that arrives, onFind for every
  // "Find". False when the transport or the name cannot be had.
  bool Listen(std::function<void()> onShow, std::function<void()> onFind = {});
  // For the main loop: Transport().EventFd() and Transport().Dispatch().
  dde::Instance& Transport() { return transport_; }

  // Asks the Hopwise listening in runtimeDir to show itself. True when it took the request within
  // timeoutMs.
  static bool AskToShow(const std::string& runtimeDir, int timeoutMs) {
    return Ask(runtimeDir, kShowItem, timeoutMs);
  }
  // The same with item kShowItem or kFindItem.
  static bool Ask(const std::string& runtimeDir, const char* item, int timeoutMs);

 private:
  dde::Result OnTransaction(const dde::Transaction& t);

  dde::Instance transport_;
  std::function<void()> onShow_;
  std::function<void()> onFind_;
};
