#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "bridge/browser_session.h"
#include "support/child_process.h"

namespace bridgetest {

// Headless Firefox ESR with the extension loaded from its profile (the folder named by a file in
// the profile's extensions folder, as a developer install does); it starts the host through the
// manifest the host wrote into ~/.mozilla.
class FirefoxSession : public BrowserSession {
 public:
  // Debian's firefox-esr (or firefox); empty when it is not installed.
  static std::string Find();

  std::string Name() const override { return "Firefox"; }
  bool Installed() const override { return !Find().empty(); }
  bool Start(const BrowserHome& home, const std::string& startUrl) override;
  void Stop() override {
    if (process_) process_->Stop();
  }
  bool Ended() override { return process_ && process_->Wait(std::chrono::milliseconds(0)) >= 0; }
  std::string Log() const override;
  // Where Start puts the profile (a folder of the home's root).
  static std::string ProfileFolder(const BrowserHome& home) { return home.root + "/firefox-profile"; }

  // More user_pref lines for the profile's user.js, written at Start.
  std::string extraPrefs;

 private:
  void MakeProfile() const;

  std::unique_ptr<ChildProcess> process_;
  std::string profile_, logPath_;
};

}  // namespace bridgetest
