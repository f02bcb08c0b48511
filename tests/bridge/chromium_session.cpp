#include "bridge/chromium_session.h"

#include <httplib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

namespace bridgetest {

std::string ChromiumSession::Find() {
  return FindProgram({"/usr/bin/chromium", "/usr/bin/chromium-browser"});
}

bool ChromiumSession::Start(const BrowserHome& home, const std::string& startUrl) {
  profile_ = home.config + "/chromium";
  logPath_ = home.root + "/chromium.log";
  std::filesystem::create_directories(profile_);
  std::filesystem::remove(profile_ + "/DevToolsActivePort");
  ChildProcess::Options options;
  options.env = home.Environment();
  options.outputPath = logPath_;
  process_ = std::make_unique<ChildProcess>(
      Find(),
      std::vector<std::string>{"--headless=new", "--no-first-run", "--disable-background-networking",
                               "--disable-component-update", "--disable-sync", "--disable-quic",
                               "--disable-gpu", "--no-sandbox", "--user-data-dir=" + profile_,
                               "--load-extension=" + std::string(HOPWISE_SOURCE_DIR) + "/bridge/extension",
                               "--remote-debugging-port=0", startUrl},
      options);
  return process_->Started();
}

int ChromiumSession::DevToolsPort() {
  for (int i = 0; port_ == 0 && i < 200; ++i) {
    port_ = std::atoi(ReadFile(profile_ + "/DevToolsActivePort").c_str());
    if (port_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return port_;
}

bool ChromiumSession::OpenTab(const std::string& url) {
  httplib::Client devtools("127.0.0.1", DevToolsPort());
  const auto result = devtools.Put("/json/new?" + url);
  return result && result->status == 200;
}

std::vector<DevToolsTarget> ChromiumSession::Targets() {
  httplib::Client devtools("127.0.0.1", DevToolsPort());
  const auto result = devtools.Get("/json/list");
  std::vector<DevToolsTarget> targets;
  if (!result || result->status != 200) return targets;
  const auto list = nlohmann::json::parse(result->body, nullptr, false);
  if (!list.is_array()) return targets;
  for (const auto& target : list) {
    if (!target.is_object()) continue;
    targets.push_back({target.value("type", ""), target.value("url", ""), target.value("title", "")});
  }
  return targets;
}

std::string ChromiumSession::Log() const {
  return ReadFile(logPath_);
}

std::unique_ptr<BrowserSession> MakeChromium() {
  return std::make_unique<ChromiumSession>();
}

}  // namespace bridgetest
