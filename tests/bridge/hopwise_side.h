#pragma once

// A transport client that plays Hopwise for the bridge tests: serves "HOPWISE1", registers for
// URL echoes with "NETSCAPE", and on every echo asks the browser for the window's URL and title
// inside the poke, as the visit recorder does.
#include <poll.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "browser/argument_list.h"
#include "platform/dde_instance.h"

namespace bridgetest {

using namespace std::chrono_literals;

// What a browser window looked like to Hopwise when it asked, after an echo.
struct SeenEcho {
  std::string url, mime, referrer;
  uint32_t window = 0;
  uint32_t flags = 0;                // 1: a late title only
  std::string infoUrl, infoCaption;  // the answer to the GetWindowInfo that followed
};

// Plays Hopwise: serves "HOPWISE1", and on every URL echo asks the browser for the window's URL and
// title inside the poke, as the visit recorder does.
class HopwiseSide {
 public:
  HopwiseSide() {
    ok = instance.Initialize([this](const dde::Transaction& t) { return Serve(t); }) &&
         instance.RegisterService("HOPWISE1");
  }

  // Pumps the transport until the condition holds or the time runs out.
  bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      pollfd fd{instance.EventFd(), POLLIN, 0};
      ::poll(&fd, 1, 20);
      instance.Dispatch();
    }
    return true;
  }
  void Pump(std::chrono::milliseconds time) {
    PumpUntil([] { return false; }, time);
  }

  // Connects to the browser, retrying while the bridge comes up.
  dde::ConvHandle ConnectBrowser(const std::string& topic, std::chrono::milliseconds limit = 5s) {
    dde::ConvHandle conv = 0;
    PumpUntil([&] { return (conv = instance.Connect("NETSCAPE", topic, 1000)) != 0; }, limit);
    return conv;
  }

  bool RegisterForEchoes() {
    const dde::ConvHandle conv = ConnectBrowser("WWW_RegisterURLEcho");
    if (!conv) return false;
    const uint32_t result = instance.Poke(conv, *BuildArgumentList("QCS", {"HOPWISE1"}), 5000);
    instance.Disconnect(conv);
    return result == dde::kFack;
  }

  // One request to the browser; the reply, or nothing.
  std::optional<dde::Bytes> Ask(const std::string& topic, const std::string& item, int timeoutMs = 10000) {
    const dde::ConvHandle conv = ConnectBrowser(topic, 2s);
    if (!conv) return std::nullopt;
    auto reply = instance.Request(conv, item, timeoutMs);
    instance.Disconnect(conv);
    return reply;
  }

  std::pair<std::string, std::string> WindowInfo(const std::string& item) {
    std::string url, caption;
    ParseResultData(Ask("WWW_GetWindowInfo", item), "QCS,QCS", {&url, &caption});
    return {url, caption};
  }

  uint32_t AskForWindowId(const std::string& topic, const std::string& item, int timeoutMs = 10000) {
    uint32_t id = 0;
    ParseResultData(Ask(topic, item, timeoutMs), "DW", {&id});
    return id;
  }

  bool ok = false;
  dde::Instance instance;
  std::vector<SeenEcho> echoes;

 private:
  dde::Result Serve(const dde::Transaction& t) {
    if (t.type == dde::TransactionType::Connect) return {t.topic == "WWW_URLEcho" ? 1u : 0u, {}};
    if (t.type != dde::TransactionType::Poke || t.topic != "WWW_URLEcho") return {};
    SeenEcho echo;
    ParseArgumentList(t.item, "QCS,QCS,DW,QCS,DW",
                      {&echo.url, &echo.mime, &echo.window, &echo.referrer, &echo.flags});
    std::tie(echo.infoUrl, echo.infoCaption) = WindowInfo(std::to_string(static_cast<int32_t>(echo.window)));
    echoes.push_back(echo);
    return {dde::kFack, {}};
  }
};

}  // namespace bridgetest
