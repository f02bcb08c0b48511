#pragma once

#include <QObject>
#include <functional>
#include <optional>

#include "checker/check_run.h"
#include "checker/check_view.h"
#include "checker/update_checker.h"
#include "platform/http_client.h"
#include "platform/message_boxes.h"
#include "store/prefs.h"
#include "windows/check_view_bridge.h"
#include "windows/window_check_view.h"

// The update check of one window: its run (UpdateChecker), the bridge its worker talks through,
// the check command and the close guard. The window's view (its items, status bar and menu item)
// is used on the main thread only. Destroying it gives up every call of the worker, then stops
// and joins the worker.
class WindowCheck {
 public:
  // window: owns this object (the worker's calls are posted to it).
  WindowCheck(QObject& window, WindowCheckView& view, HttpClient& http, const CPrefs& prefs,
              MessageBoxes& messages);
  ~WindowCheck();
  WindowCheck(const WindowCheck&) = delete;
  WindowCheck& operator=(const WindowCheck&) = delete;

  // Command 32982: asks the registered run to stop ("Stopping PageMark Checker, please wait..."),
  // or else asks for the scope (nullopt: cancelled), clears the last run's marks and starts a run
  // over it.
  void OnCheckForUpdates(const std::function<std::optional<CheckScope>()>& askScope);
  // The close guard: while a run is registered, says "Please wait for Hopwise to finish checking
  // PageMarks, or choose Stop Checking from the menu." and returns false.
  bool MayClose();
  bool RunRegistered() const { return checker_.RunRegistered(); }

 private:
  WindowCheckView& view_;
  MessageBoxes& messages_;
  CheckViewBridge bridge_;
  UpdateChecker checker_;  // after the bridge: stopped and joined while the bridge still exists
};
