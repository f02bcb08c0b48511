#include "bridge/browser_home.h"

#include <stdlib.h>

#include <filesystem>

#include "bridge/test_files.h"
#include "support/child_process.h"

namespace bridgetest {

BrowserHome::BrowserHome() {
  char pattern[] = "/tmp/hopwise-browser.XXXXXX";
  if (!::mkdtemp(pattern)) return;
  root = pattern;
  home = root + "/home";
  config = root + "/config";
  state = root + "/state";
  for (const auto& folder : {home, config, state}) std::filesystem::create_directories(folder);
}

BrowserHome::~BrowserHome() {
  std::error_code ignored;
  if (!root.empty()) std::filesystem::remove_all(root, ignored);
}

bool BrowserHome::WriteManifests() const {
  ChildProcess::Options options;
  options.env = Environment();
  options.mergeStderr = true;
  ChildProcess host(std::string(HOPWISE_BIN_DIR) + "/hopwise-browser-bridge", {"--write-manifests"}, options);
  return host.Started() && host.Wait() == 0;
}

std::vector<std::string> BrowserHome::Environment() const {
  return {"HOME=" + home, "XDG_CONFIG_HOME=" + config, "XDG_STATE_HOME=" + state};
}

std::string BrowserHome::BridgeLog() const {
  return ReadFile(state + "/hopwise/bridge.log");
}

}  // namespace bridgetest
