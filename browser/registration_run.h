#pragma once

#include "browser/browser_link.h"

// Registering with the browser for URL echoes: up to 20 attempts while the browser does not
// answer, meant one second apart. Nothing here waits: the program makes each attempt from a timer
// on the main thread, so the tray, the menus and signals are served in between.
class RegistrationRun {
 public:
  static constexpr int kAttempts = 20;

  explicit RegistrationRun(BrowserLink& link) : link_(link) {}

  // Begins a run. False, changing nothing, while a run is under way: a browser process seen
  // during a run does not start a second one.
  bool Begin();
  // Makes the next attempt. True when another attempt is due (a second later).
  bool Attempt();
  bool IsRunning() const { return attemptsLeft_ > 0; }
  void Cancel() { attemptsLeft_ = 0; }

 private:
  BrowserLink& link_;
  int attemptsLeft_ = 0;
};
