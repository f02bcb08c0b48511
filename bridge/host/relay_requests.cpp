// What Hopwise asks of the browser: a window's page, opening a page, a window to the front.
#include "bridge/host/relay.h"
#include "bridge/host/url_to_open.h"
#include "browser/argument_list.h"
#include "browser/verb_table.h"

namespace bridge {

uint32_t Relay::LastUsed() const {
  uint32_t last = 0;
  for (const auto& [id, source] : sources) {
    if (source.used > sources.at(last).used) last = id;
  }
  return last;
}

// The tab the user looks at: in the browser used last, else in any that has one.
std::optional<TabRef> Relay::ActiveTab() const {
  const uint32_t last = LastUsed();
  if (const auto tab = sources.at(last).tabs.Resolve(kAnyWindow)) return TabRef{last, *tab};
  for (const auto& [id, source] : sources) {
    if (const auto tab = source.tabs.Resolve(kAnyWindow)) return TabRef{id, *tab};
  }
  return std::nullopt;
}

std::optional<TabRef> Relay::Locate(uint32_t windowId) {
  if (windowId == 0 || windowId == kAnyWindow) return std::nullopt;
  if (const auto ref = windows.Find(windowId)) return ref;
  for (const auto& [id, source] : sources) {
    const TabRef ref{id, windowId};
    // A tab that got another id because this one was taken is not named by it.
    if (source.tabs.Resolve(windowId) && windows.For(ref) == windowId) return ref;
  }
  return std::nullopt;
}

std::optional<BrowserPeer::Window> Relay::WindowInfo(uint32_t windowId) {
  if (inFlight && inFlight->id == windowId) return inFlight;
  std::optional<TabRef> ref = Locate(windowId);
  if (windowId == 0 || windowId == kAnyWindow) ref = ActiveTab();
  if (!ref || !sources.count(ref->source)) return std::nullopt;
  const TabTable::Tab* tab = sources.at(ref->source).tabs.Find(ref->tabId);
  if (!tab) return std::nullopt;
  return BrowserPeer::Window{windows.For(*ref), tab->url, tab->title};
}

uint32_t Relay::TargetOf(uint32_t windowId, std::optional<uint32_t>* tabId) {
  const auto ref = Locate(windowId);
  if (ref && sources.count(ref->source) && sources.at(ref->source).tabs.Resolve(ref->tabId)) {
    *tabId = ref->tabId;
    return ref->source;
  }
  tabId->reset();
  return LastUsed();
}

uint32_t Relay::OpenUrl(const std::string& url, uint32_t windowId) {
  const std::string target = UrlToOpen(url);
  if (target.empty()) return 0;
  std::optional<uint32_t> tabId;
  const uint32_t source = TargetOf(windowId, &tabId);
  Use(source);
  uint32_t shownIn = 0;
  if (source == 0) {
    const uint32_t id = nextRequestId++;
    shownIn = AskBrowser(id, OpenMessage(id, target, tabId), "open");
  } else {
    const auto item = BuildArgumentList("QCS,QCS,DW,DW", {target, "", tabId.value_or(kAnyWindow), 0u});
    shownIn = AskBridge(sources.at(source), WWW_OpenURL, item.value_or(""));
  }
  return shownIn && sources.count(source) ? windows.For(TabRef{source, shownIn}) : 0;
}

uint32_t Relay::Activate(uint32_t windowId) {
  std::optional<uint32_t> tabId;
  const uint32_t source = TargetOf(windowId, &tabId);
  Use(source);
  uint32_t active = 0;
  if (source == 0) {
    const uint32_t id = nextRequestId++;
    active = AskBrowser(id, ActivateMessage(id, tabId), "activate");
  } else {
    const auto item = BuildArgumentList("DW,DW", {tabId.value_or(kAnyWindow), 0u});
    active = AskBridge(sources.at(source), WWW_Activate, item.value_or(""));
  }
  return active && sources.count(source) ? windows.For(TabRef{source, active}) : 0;
}

uint32_t Relay::AskBrowser(uint32_t id, const std::string& request, std::string_view what) {
  if (!browser.Send(request)) return 0;
  const auto deadline = Clock::now() + options.replyTimeout;
  while (auto text = browser.Receive(deadline)) {
    std::string error;
    const auto message = ParseBrowserMessage(*text, &error);
    if (!message) {
      log("ignored a message from the browser: " + error);
      continue;
    }
    const auto* reply = std::get_if<ReplyMessage>(&*message);
    if (!reply || reply->id != id) {
      // Tab news keeps coming while the request waits; its echoes go out after the reply.
      TakeOwnMessage(*text, *message, Clock::now());
      continue;
    }
    if (!reply->ok) {
      log(std::string(what) + " refused by the browser: " + reply->error);
      return 0;
    }
    return reply->tabId;
  }
  log(std::string(what) + ": no answer from the browser in time");
  return 0;
}

// The other bridge answers on its own name as it would on "NETSCAPE", for its own tabs.
uint32_t Relay::AskBridge(const Source& source, int verb, const std::string& item) {
  const std::string name = source.name;  // the source may go while the request waits
  const dde::ConvHandle conv = instance.Connect(name, std::string(VerbName(verb)), 2000);
  if (!conv) {
    log("the bridge " + name + " does not answer");
    return 0;
  }
  const auto reply = instance.Request(conv, item, static_cast<int>(options.replyTimeout.count()) + 1000);
  instance.Disconnect(conv);
  uint32_t tabId = 0;
  ParseResultData(reply, "DW", {&tabId});
  return tabId;
}

}  // namespace bridge
