#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "bridge/host/browser_channel.h"
#include "bridge/host/echo_server_book.h"
#include "bridge/host/messages.h"
#include "bridge/host/tab_table.h"
#include "browser/browser_peer.h"
#include "platform/dde_instance.h"

namespace bridge {

// Plays the browser for Hopwise: serves "NETSCAPE" on the transport through the browser peer,
// with the extension's tabs as the browser's windows (a tab id is a window id).
//  - A tab's page is echoed ("WWW_URLEcho") once its title is known (TabTable decides when);
//    echoes go out from the main loop only, never from inside a transaction. A title that came
//    later is echoed again only while its page is the one echoed last: to Hopwise, an echo of an
//    earlier page is a visit of it.
//  - While an echo is out, "WWW_GetWindowInfo" for its window answers the echoed page with its
//    latest title, even when the tab has moved on or closed since; otherwise the tab table answers
//    with the tab's URL and title.
//  - A page nobody took (no program registered yet, or none answered) is kept, up to a limit, and
//    goes out when a program registers. A program that registers and is new to the bridge (see
//    EchoServerBook) also gets the page each tab shows, the tab used last at the end.
//  - "WWW_OpenURL" and "WWW_Activate" are passed to the extension, and answered with the tab id it
//    reports; 0 when it refuses or does not answer within the reply time-out.
//  - When another bridge holds "NETSCAPE", registration is tried again periodically, so this one
//    takes over when that one ends.
class Relay {
 public:
  using Log = std::function<void(std::string_view)>;

  struct Options {
    std::chrono::milliseconds replyTimeout{5000};
    TitleTimes titles;
    std::chrono::milliseconds registerRetry{2000};
    int echoTimeoutMs = 10000;  // how long one echo waits for its program's answer
    size_t keptPages = 100;     // pages nobody took, kept until someone can (the oldest go first)
    // Called once, when the name "NETSCAPE" is held.
    std::function<void()> onNameHeld;
  };

  Relay(dde::Instance& instance, BrowserChannel& browser, Log log, Options options);

  // Sets the transport up and tries to take "NETSCAPE". False when the transport cannot be used.
  bool Start(Clock::time_point now);
  bool HoldsName() const { return holdsName; }

  // One message from the extension (from the main loop).
  void OnBrowserMessage(const std::string& text, Clock::time_point now);
  // The transport has work (its EventFd is readable).
  void Dispatch();
  // Due work: echoes whose wait ran out, queued echoes, programs to welcome, the registration retry.
  void Tick(Clock::time_point now);
  // When Tick next has something to do; nothing when only an event can bring work.
  std::optional<Clock::time_point> NextWake() const;

  const TabTable& Tabs() const { return tabs; }
  const std::vector<std::string>& EchoServers() const { return peer.EchoServers(); }

 private:
  using PageKey = std::pair<uint32_t, std::string>;  // tab id, page address

  BrowserPeer::Hooks PeerHooks();
  void NoteRegistration(const BrowserPeer::Served& served);
  void Handle(const BrowserMessage& message, Clock::time_point now);
  void TakeServersOver(const std::vector<ServerMark>& servers);
  void TryRegister(Clock::time_point now);
  void NameHeld(std::string_view how);
  // Sends a request to the extension and waits for its reply; the tab id it reports, or 0.
  uint32_t AskBrowser(uint32_t id, const std::string& request, std::string_view what);
  uint32_t OpenUrl(const std::string& url, uint32_t windowId);
  uint32_t Activate(uint32_t windowId);
  std::optional<BrowserPeer::Window> WindowInfo(uint32_t windowId) const;

  // Echoes (relay_echoes.cpp).
  void Queue(std::vector<PageEcho> echoes);
  void SendEchoes();
  // Echoes the page to the servers; true when one of them took it.
  bool Deliver(const PageEcho& echo, const std::vector<std::string>& servers);
  void Keep(const PageEcho& echo);
  // Sends the pages kept for want of a taker; those taken are added to *sent.
  void SendKept(std::set<PageKey>* sent);
  void Welcome(const std::string& server);

  dde::Instance& instance;
  BrowserChannel& browser;
  Log log;
  Options options;
  BrowserPeer peer;
  TabTable tabs;
  EchoServerBook book;
  std::deque<PageEcho> pendingEchoes;
  std::deque<PageEcho> keptEchoes;        // pages nobody took, oldest first
  std::vector<std::string> newcomers;     // programs that registered and are new to the bridge
  std::optional<PageKey> lastEchoed;      // the page a program took last
  std::optional<BrowserPeer::Window> inFlight;  // the page of the echo that is out
  bool keptDue = false;       // a program can take the kept pages now
  bool serversChanged = false;  // the extension has yet to learn who receives the echoes
  bool holdsName = false;
  bool sending = false;  // SendEchoes is under way (a nested call adds nothing)
  std::optional<Clock::time_point> nextRegister;
  uint32_t nextRequestId = 1;
};

}  // namespace bridge
