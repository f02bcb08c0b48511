// The relay's echoes: in order, to every program registered, kept while nobody takes them.
#include "bridge/host/relay.h"

namespace bridge {

void Relay::Queue(std::vector<PageEcho> echoes) {
  for (auto& echo : echoes) pendingEchoes.push_back(std::move(echo));
}

void Relay::SendEchoes() {
  if (sending) return;
  sending = true;
  while (!pendingEchoes.empty()) {
    const PageEcho echo = std::move(pendingEchoes.front());
    pendingEchoes.pop_front();
    if (echo.retitle && lastEchoed != PageKey{echo.tabId, echo.url}) continue;
    if (Deliver(echo, peer.EchoServers()) || echo.retitle) continue;
    log("tab " + std::to_string(echo.tabId) + ": nobody took its page; kept");
    Keep(echo);
  }
  sending = false;
}

// The echo carries the title the tab shows now if it still shows the page, else the one it had.
bool Relay::Deliver(const PageEcho& echo, const std::vector<std::string>& servers) {
  if (!holdsName || servers.empty()) return false;
  const TabTable::Tab* tab = tabs.Find(echo.tabId);
  const std::string title = tab && tab->page.url == echo.url ? tab->title : echo.title;
  inFlight = BrowserPeer::Window{echo.tabId, echo.url, title};
  bool taken = false;
  for (const auto& server : servers) {
    taken |= peer.EchoPageTo(server, echo.tabId, echo.url, options.echoTimeoutMs) == dde::kFack;
  }
  inFlight.reset();
  if (!taken) return false;
  lastEchoed = PageKey{echo.tabId, echo.url};
  tabs.NoteSent(echo.tabId, echo.url, title);
  if (!echo.retitle) browser.Send(EchoedMessage(echo.tabId, echo.url));
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

// A program new to the bridge gets the pages nobody took, then the page each tab shows.
void Relay::Welcome(const std::string& server) {
  std::set<PageKey> sent;
  SendKept(&sent);
  for (const auto& page : tabs.EchoedPages()) {
    if (!sent.count(PageKey{page.tabId, page.url})) Deliver(page, {server});
  }
}

}  // namespace bridge
