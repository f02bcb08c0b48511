// The relay's echoes: in order, to every program registered, kept while nobody takes them.
#include <algorithm>

#include "bridge/host/relay.h"
#include "browser/url_echo_service.h"

namespace bridge {

void Relay::Queue(uint32_t source, std::vector<PageEcho> echoes) {
  for (auto& echo : echoes) {
    echo.tabId = windows.For(TabRef{source, echo.tabId});
    pendingEchoes.push_back(std::move(echo));
  }
}

// While another bridge holds "NETSCAPE", this one's pages are that one's to echo.
void Relay::SendEchoes() {
  if (sending) return;
  sending = true;
  while (!pendingEchoes.empty()) {
    const PageEcho echo = std::move(pendingEchoes.front());
    pendingEchoes.pop_front();
    if (toHolder) continue;
    if (Deliver(echo, peer.EchoServers()) || echo.retitle) continue;
    log("window " + std::to_string(echo.tabId) + ": nobody took its page; kept");
    Keep(echo);
  }
  sending = false;
}

// The echo carries the title the tab shows now if it still shows the page, else the one it had.
// A late title of a page that is no longer the one echoed last goes as a title only: to Hopwise,
// a plain echo of an earlier page is a visit of it. The tables are looked up again after the
// pokes: another bridge may have gone meanwhile.
bool Relay::Deliver(const PageEcho& echo, const std::vector<std::string>& servers) {
  if (!holdsName || servers.empty()) return false;
  const auto ref = windows.Find(echo.tabId);
  auto pageTab = [&]() -> TabTable* {
    const auto source = ref ? sources.find(ref->source) : sources.end();
    if (source == sources.end()) return nullptr;
    const TabTable::Tab* tab = source->second.tabs.Find(ref->tabId);
    return tab && tab->page.url == echo.url ? &source->second.tabs : nullptr;
  };
  const TabTable* shown = pageTab();
  const std::string title = shown ? shown->Find(ref->tabId)->title : echo.title;
  const bool titleOnly = echo.retitle && lastEchoed != PageKey{echo.tabId, echo.url};
  const uint32_t flags = titleOnly ? kEchoTitleOnly : 0;
  inFlight = BrowserPeer::Window{echo.tabId, echo.url, title};
  bool taken = false;
  for (const auto& server : servers) {
    taken |= peer.EchoPageTo(server, echo.tabId, echo.url, options.echoTimeoutMs, flags) == dde::kFack;
  }
  inFlight.reset();
  if (!taken) return false;
  if (!titleOnly) lastEchoed = PageKey{echo.tabId, echo.url};
  if (TabTable* tabs = pageTab()) {
    tabs->NoteSent(ref->tabId, echo.url, title);
    if (!echo.retitle) Tell(ref->source, EchoedMessage(ref->tabId, echo.url));
  }
  return true;
}

void Relay::Keep(const PageEcho& echo) {
  keptEchoes.push_back(echo);
  if (keptEchoes.size() > options.keptPages) keptEchoes.pop_front();
}

void Relay::SendKept(std::set<PageKey>* sent) {
  if (!holdsName || peer.EchoServers().empty() || keptEchoes.empty()) return;
  std::deque<PageEcho> waiting;
  waiting.swap(keptEchoes);
  log("sending " + std::to_string(waiting.size()) + " pages kept for want of a taker");
  for (const auto& echo : waiting) {
    if (!Deliver(echo, peer.EchoServers())) {
      Keep(echo);
    } else if (sent) {
      sent->insert(PageKey{echo.tabId, echo.url});
    }
  }
}

// A program new to the bridge gets the pages nobody took, then the page each tab shows: the
// browser used last at the end, and in each the tab activated last.
void Relay::Welcome(const std::string& server) {
  std::set<PageKey> sent;
  SendKept(&sent);
  std::vector<std::pair<uint64_t, uint32_t>> byUse;
  for (const auto& [id, source] : sources) byUse.emplace_back(source.used, id);
  std::sort(byUse.begin(), byUse.end());
  std::vector<PageEcho> pages;
  for (const auto& [used, id] : byUse) {
    for (auto page : sources.at(id).tabs.EchoedPages()) {
      page.tabId = windows.For(TabRef{id, page.tabId});
      if (!sent.count(PageKey{page.tabId, page.url})) pages.push_back(std::move(page));
    }
  }
  for (const auto& page : pages) Deliver(page, {server});
}

}  // namespace bridge
