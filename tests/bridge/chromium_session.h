#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "bridge/browser_home.h"
#include "bridge/browser_session.h"
#include "bridge/test_files.h"
#include "support/child_process.h"

namespace bridgetest {

// One tab (or worker) as Chromium's DevTools endpoint lists it.
struct DevToolsTarget {
  std::string type, url, title;
};

// Headless Chromium with the bridge extension loaded unpacked from the source tree, its profile the
// default one of the home (config/chromium, where the host's manifest is), and the DevTools HTTP
// endpoint to open and list tabs.
class ChromiumSession : public BrowserSession {
 public:
  // Debian's chromium; empty when it is not installed.
  static std::string Find();

  std::string Name() const override { return "Chromium"; }
  bool Installed() const override { return !Find().empty(); }
  bool Start(const BrowserHome& home, const std::string& startUrl) override;
  bool Start(const BrowserHome& home) { return Start(home, "about:blank"); }
  void Stop() override {
    if (process_) process_->Stop();
  }
  bool Ended() override { return process_ && process_->Wait(std::chrono::milliseconds(0)) >= 0; }
  // The endpoint's port, once Chromium has written it (waits up to 10 s); 0 when it has not.
  int DevToolsPort();
  // Opens a page in a new tab (PUT: the endpoint refuses GET for this).
  bool OpenTab(const std::string& url);
  std::vector<DevToolsTarget> Targets();
  std::string Log() const override;

 private:
  std::unique_ptr<ChildProcess> process_;
  std::string profile_, logPath_;
  int port_ = 0;
};

}  // namespace bridgetest
