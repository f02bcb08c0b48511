#pragma once

#include <memory>
#include <string>

#include "bridge/browser_home.h"

namespace bridgetest {

// A real browser with the bridge extension, started headless in a home of its own (whose
// manifests the host wrote), for the tests that drive the whole bridge.
class BrowserSession {
 public:
  virtual ~BrowserSession() = default;
  virtual std::string Name() const = 0;
  // The browser's program exists.
  virtual bool Installed() const = 0;
  // Starts the browser showing startUrl.
  virtual bool Start(const BrowserHome& home, const std::string& startUrl) = 0;
  virtual void Stop() = 0;
  // The browser's process has ended (a browser that cannot run here ends at once).
  virtual bool Ended() = 0;
  virtual std::string Log() const = 0;
};

std::unique_ptr<BrowserSession> MakeChromium();
std::unique_ptr<BrowserSession> MakeFirefox();

}  // namespace bridgetest
