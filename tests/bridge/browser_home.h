#pragma once

#include <string>
#include <vector>

namespace bridgetest {

// A temporary home for a browser under test: home/ (HOME), config/ (XDG_CONFIG_HOME) and state/
// (XDG_STATE_HOME, where the host logs), all removed at the end. WriteManifests runs the host's
// own set-up, so the browsers find the host as a user's would.
class BrowserHome {
 public:
  BrowserHome();
  ~BrowserHome();
  BrowserHome(const BrowserHome&) = delete;
  BrowserHome& operator=(const BrowserHome&) = delete;

  // hopwise-browser-bridge --write-manifests in this home; true when it succeeded.
  bool WriteManifests() const;
  // The "NAME=value" entries a browser in this home is started with.
  std::vector<std::string> Environment() const;
  std::string BridgeLog() const;

  std::string root;  // empty when the folder could not be made
  std::string home, config, state;
};

}  // namespace bridgetest
