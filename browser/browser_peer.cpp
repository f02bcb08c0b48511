#include "browser/browser_peer.h"

#include <algorithm>
#include <cctype>

#include "browser/argument_list.h"
#include "browser/verb_table.h"

namespace {

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

const char* KindName(dde::TransactionType type) {
  switch (type) {
    case dde::TransactionType::Connect:
      return "connect";
    case dde::TransactionType::ConnectConfirm:
      return "connect-confirm";
    case dde::TransactionType::Request:
      return "request";
    case dde::TransactionType::Poke:
      return "poke";
    case dde::TransactionType::Disconnect:
      return "disconnect";
  }
  return "?";
}

std::string DescribeText(const std::optional<dde::Bytes>& data) {
  if (!data) return "no data";
  std::string text(data->begin(), data->end());
  if (size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}

}  // namespace

BrowserPeer::BrowserPeer(dde::Instance& instance, Hooks hooks)
    : instance_(instance), hooks_(std::move(hooks)) {}

bool BrowserPeer::Start() {
  if (!instance_.Initialize([this](const dde::Transaction& t) { return OnTransaction(t); })) return false;
  return instance_.RegisterService(std::string(kBrowserService));
}

void BrowserPeer::Dispatch() {
  instance_.Dispatch();
  while (!deferred_.empty()) {
    auto tasks = std::move(deferred_);
    deferred_.clear();
    for (auto& task : tasks) task();
  }
}

void BrowserPeer::Defer(std::function<void()> task) {
  deferred_.push_back(std::move(task));
}

std::string BrowserPeer::Caption(const std::string& title) {
  return "Netscape - [" + title + "]";
}

void BrowserPeer::ShowPage(uint32_t windowId, const std::string& url, const std::string& title) {
  SetWindow(windowId, url, title);
  EchoPage(windowId, url);
}

void BrowserPeer::SetWindow(uint32_t windowId, const std::string& url, const std::string& title) {
  std::erase_if(windows_, [&](const Window& w) { return w.id == windowId; });
  windows_.push_back(Window{windowId, url, title});
}

namespace {

// The flags (see url_echo_service.h) are written only when there are any.
std::string EchoItem(uint32_t windowId, const std::string& url, uint32_t flags = 0) {
  if (flags) return *BuildArgumentList("QCS,QCS,DW,QCS,DW", {url, "text/html", windowId, "", flags});
  return *BuildArgumentList("QCS,QCS,DW,QCS", {url, "text/html", windowId, ""});
}

}  // namespace

void BrowserPeer::EchoPage(uint32_t windowId, const std::string& url) {
  const std::string item = EchoItem(windowId, url);
  // A copy: a server may register or leave while an echo to another one waits for its answer.
  std::vector<std::string> servers = echoServers_;
  for (const auto& server : servers) Echo(server, item, dde::kDefaultTimeoutMs);
}

uint32_t BrowserPeer::EchoPageTo(const std::string& server, uint32_t windowId, const std::string& url,
                                 int timeoutMs, uint32_t flags) {
  return Echo(server, EchoItem(windowId, url, flags), timeoutMs);
}

void BrowserPeer::AddEchoServer(const std::string& server) {
  auto known = [&](const std::string& s) { return SameName(s, server); };
  if (!server.empty() && std::none_of(echoServers_.begin(), echoServers_.end(), known))
    echoServers_.push_back(server);
}

uint32_t BrowserPeer::Echo(const std::string& server, const std::string& item, int timeoutMs) {
  uint32_t result = 0;
  if (dde::ConvHandle conv = instance_.Connect(server, std::string(VerbName(WWW_URLEcho)))) {
    result = instance_.Poke(conv, item, timeoutMs);
    instance_.Disconnect(conv);
  }
  if (hooks_.echoed) hooks_.echoed(server, item, result);
  return result;
}

bool BrowserPeer::CloseWindow(uint32_t windowId) {
  return std::erase_if(windows_, [&](const Window& w) { return w.id == windowId; }) > 0;
}

const BrowserPeer::Window* BrowserPeer::FindWindow(uint32_t windowId) const {
  if (windowId == 0 || windowId == kAnyWindow) return windows_.empty() ? nullptr : &windows_.back();
  auto it = std::find_if(windows_.begin(), windows_.end(), [&](const Window& w) { return w.id == windowId; });
  return it == windows_.end() ? nullptr : &*it;
}

void BrowserPeer::Touch(uint32_t windowId) {
  auto it = std::find_if(windows_.begin(), windows_.end(), [&](const Window& w) { return w.id == windowId; });
  if (it != windows_.end()) std::rotate(it, it + 1, windows_.end());
}

dde::Result BrowserPeer::OnTransaction(const dde::Transaction& t) {
  int verb = VerbIndex(t.topic);
  if (verb < 0 && hooks_.other) return hooks_.other(t);
  dde::Result result;
  Served served{KindName(t.type), t.topic, t.item, "-"};
  switch (t.type) {
    case dde::TransactionType::Connect:
      result.value = verb >= 0 ? 1 : 0;
      served.answer = result.value ? "accepted" : "refused";
      break;
    case dde::TransactionType::Request:
      result.data = OnRequest(verb, t.item, served.answer);
      break;
    case dde::TransactionType::Poke:
      result.value = OnPoke(verb, t.item);
      served.answer = result.value == dde::kFack ? "ack" : "no ack";
      break;
    case dde::TransactionType::ConnectConfirm:
      return result;  // the connect line already told of it
    case dde::TransactionType::Disconnect:
      break;
  }
  if (hooks_.served) hooks_.served(served);
  return result;
}

std::optional<dde::Bytes> BrowserPeer::OnRequest(int verb, const std::string& item, std::string& answer) {
  std::optional<dde::Bytes> reply;
  uint32_t windowId = 0;
  uint32_t flags = 0;
  switch (verb) {
    case WWW_GetWindowInfo: {
      ParseArgumentList(item, "DW", {&windowId});
      if (hooks_.windowInfo) {
        if (auto w = hooks_.windowInfo(windowId))
          reply = BuildResultData("QCS,QCS", {w->url, Caption(w->title)});
      } else if (const Window* w = FindWindow(windowId)) {
        reply = BuildResultData("QCS,QCS", {w->url, Caption(w->title)});
      }
      answer = DescribeText(reply);
      return reply;
    }
    case WWW_OpenURL: {
      std::string url, saveAs;
      ParseArgumentList(item, "QCS,QCS,DW,DW", {&url, &saveAs, &windowId, &flags});
      uint32_t shownIn = hooks_.openUrl ? hooks_.openUrl(url, windowId) : 0;
      answer = "DW " + std::to_string(shownIn);
      return BuildResultData("DW", {shownIn});
    }
    case WWW_Activate: {
      ParseArgumentList(item, "DW,DW", {&windowId, &flags});
      uint32_t active = 0;
      if (hooks_.activate) {
        active = hooks_.activate(windowId);
      } else if (const Window* w = FindWindow(windowId)) {
        active = w->id;
        Touch(active);
      }
      answer = "DW " + std::to_string(active);
      return BuildResultData("DW", {active});
    }
    default:
      answer = "no data";
      return std::nullopt;
  }
}

uint32_t BrowserPeer::OnPoke(int verb, const std::string& item) {
  std::string server;
  ParseArgumentList(item, "QCS", {&server});
  if (server.empty()) return 0;
  auto known = [&](const std::string& s) { return SameName(s, server); };
  switch (verb) {
    case WWW_RegisterURLEcho:
      AddEchoServer(server);
      return dde::kFack;
    case WWW_UnRegisterURLEcho:
      std::erase_if(echoServers_, known);
      return dde::kFack;
    default:
      return 0;
  }
}
