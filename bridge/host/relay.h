#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "bridge/host/browser_channel.h"
#include "bridge/host/messages.h"
#include "bridge/host/tab_table.h"
#include "browser/browser_peer.h"
#include "platform/dde_instance.h"

namespace bridge {

// Plays the browser for Hopwise: serves "NETSCAPE" on the transport through the browser peer,
// with the extension's tabs as the browser's windows (a tab id is a window id).
//  - A tab's page is echoed ("WWW_URLEcho") once its title is known (TabTable decides when);
//    echoes go out from the main loop only, never from inside a transaction.
//  - "WWW_GetWindowInfo" is answered from the tab table with the latest URL and title.
//  - "WWW_OpenURL" and "WWW_Activate" are passed to the extension, and answered with the tab id it
//    reports; 0 when it refuses or does not answer within the reply time-out.
//  - When another bridge holds "NETSCAPE", registration is tried again periodically, so this one
//    takes over when that one ends.
class Relay {
 public:
  using Log = std::function<void(std::string_view)>;

  struct Options {
    std::chrono::milliseconds replyTimeout{5000};
    std::chrono::milliseconds titleGrace{1000};
    std::chrono::milliseconds registerRetry{2000};
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
  // Due work: echoes whose title wait ran out, queued echoes, the registration retry.
  void Tick(Clock::time_point now);
  // When Tick next has something to do; nothing when only an event can bring work.
  std::optional<Clock::time_point> NextWake() const;

  const TabTable& Tabs() const { return tabs; }
  const std::vector<std::string>& EchoServers() const { return peer.EchoServers(); }

 private:
  BrowserPeer::Hooks PeerHooks();
  void NoteRegistration(const BrowserPeer::Served& served);
  void Handle(const BrowserMessage& message, Clock::time_point now);
  void Queue(std::vector<PageEcho> echoes);
  void SendEchoes();
  void TryRegister(Clock::time_point now);
  // Sends a request to the extension and waits for its reply; the tab id it reports, or 0.
  uint32_t AskBrowser(uint32_t id, const std::string& request, std::string_view what);
  uint32_t OpenUrl(const std::string& url, uint32_t windowId);
  uint32_t Activate(uint32_t windowId);
  std::optional<BrowserPeer::Window> WindowInfo(uint32_t windowId) const;

  dde::Instance& instance;
  BrowserChannel& browser;
  Log log;
  Options options;
  BrowserPeer peer;
  TabTable tabs;
  std::deque<PageEcho> pendingEchoes;
  bool holdsName = false;
  bool sending = false;  // SendEchoes is under way (a nested call adds nothing)
  std::optional<Clock::time_point> nextRegister;
  uint32_t nextRequestId = 1;
};

}  // namespace bridge
