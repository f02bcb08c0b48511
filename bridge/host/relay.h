#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "bridge/host/browser_channel.h"
#include "bridge/host/echo_server_book.h"
#include "bridge/host/messages.h"
#include "bridge/host/tab_table.h"
#include "bridge/host/window_ids.h"
#include "browser/browser_peer.h"
#include "platform/dde_instance.h"

namespace bridge {

// The topic of the conversations between bridges.
inline constexpr std::string_view kBridgeTopic = "HopwiseBridge";

// Plays the browser for Hopwise: serves "NETSCAPE" on the transport through the browser peer,
// with the tabs of the browsers it serves as the browser's windows (a tab's id is its window id
// unless a tab of another browser has it; see WindowIds).
//  - A tab's page is echoed ("WWW_URLEcho") once its title is known (TabTable decides when);
//    echoes go out from the main loop only, never from inside a transaction. A title that came
//    later is echoed again: as a plain echo while its page is the one echoed last, else flagged
//    as a title only (kEchoTitleOnly), since to Hopwise a plain echo of an earlier page is a
//    visit of it.
//  - While an echo is out, "WWW_GetWindowInfo" for its window answers the echoed page with its
//    latest title, even when the tab has moved on or closed since; otherwise the tab tables answer
//    with the tab's URL and title.
//  - A page nobody took (no program registered yet, or none answered) is kept, up to a limit, and
//    goes out when a program registers. A program that registers and is new to the bridge (see
//    EchoServerBook) also gets the page each tab shows, the browser and tab used last at the end.
//  - "WWW_OpenURL" and "WWW_Activate" go to the browser of the tab named, else to the browser used
//    last; the extension's answer (a tab id) is passed back, 0 when it refuses or does not answer
//    within the reply time-out.
//  - Two browsers at once: only one bridge can hold "NETSCAPE". Another one serves a name of its
//    own, joins the holder (a conversation on "NETSCAPE", topic kBridgeTopic) and passes its
//    extension's messages on; the holder serves that browser's tabs as its own and asks the other
//    bridge, on its own name, to open pages and bring its windows to the front. When the holder
//    ends, a joined bridge takes "NETSCAPE" over (or joins the one that did).
class Relay {
 public:
  using Log = std::function<void(std::string_view)>;

  struct Options {
    std::chrono::milliseconds replyTimeout{5000};
    TitleTimes titles;
    std::chrono::milliseconds registerRetry{2000};
    int echoTimeoutMs = 10000;  // how long one echo waits for its program's answer
    size_t keptPages = 100;     // pages nobody took, kept until someone can (the oldest go first)
    size_t joinedBridges = 8;   // other bridges served at most
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
  // Due work: echoes whose wait ran out, queued echoes, programs to welcome, joining the bridge
  // that holds "NETSCAPE", the registration retry.
  void Tick(Clock::time_point now);
  // When Tick next has something to do; nothing when only an event can bring work.
  std::optional<Clock::time_point> NextWake() const;

  const std::vector<std::string>& EchoServers() const { return peer.EchoServers(); }

 private:
  // A browser the relay serves: its own (0) or another bridge's.
  struct Source {
    explicit Source(TitleTimes times) : tabs(times) {}
    TabTable tabs;
    uint64_t used = 0;         // when its user last did something in it (a sequence)
    dde::ConvHandle from = 0;  // another bridge: the conversation it sends its browser's news on
    std::string name;          // the service it answers on
    dde::ConvHandle to = 0;    // the conversation to it that notes go on
  };
  using PageKey = std::pair<uint32_t, std::string>;  // window id, page address

  // relay.cpp: the name, the browsers' news.
  BrowserPeer::Hooks PeerHooks();
  void NoteRegistration(const BrowserPeer::Served& served);
  void TryRegister(Clock::time_point now);
  void NameHeld(std::string_view how);
  void TakeOwnMessage(const std::string& text, const BrowserMessage& message, Clock::time_point now);
  void Handle(uint32_t source, const BrowserMessage& message, Clock::time_point now);
  void TakeTab(uint32_t source, const TabReport& report, Clock::time_point now);
  void TakeServersOver(const std::vector<ServerMark>& servers);
  void Use(uint32_t source);

  // relay_requests.cpp: what Hopwise asks of the browser.
  std::optional<BrowserPeer::Window> WindowInfo(uint32_t windowId);
  uint32_t OpenUrl(const std::string& url, uint32_t windowId);
  uint32_t Activate(uint32_t windowId);
  // The tab a window id names: one that has been echoed under it, else a tab of that id in the
  // browser that numbers its tabs so (the id is then kept for it). Nothing for kAnyWindow.
  std::optional<TabRef> Locate(uint32_t windowId);
  // The browser a request for this window goes to, and the tab in it (none: any).
  uint32_t TargetOf(uint32_t windowId, std::optional<uint32_t>* tabId);
  uint32_t LastUsed() const;
  std::optional<TabRef> ActiveTab() const;
  // Sends a request to the extension and waits for its reply; the tab id it reports, or 0.
  uint32_t AskBrowser(uint32_t id, const std::string& request, std::string_view what);
  // The same verb asked of another bridge; the tab id it answers, or 0.
  uint32_t AskBridge(const Source& source, int verb, const std::string& item);

  // relay_echoes.cpp: echoes.
  void Queue(uint32_t source, std::vector<PageEcho> echoes);
  void SendEchoes();
  // Echoes the page to the servers; true when one of them took it.
  bool Deliver(const PageEcho& echo, const std::vector<std::string>& servers);
  void Keep(const PageEcho& echo);
  // Sends the pages kept for want of a taker; those taken are added to *sent.
  void SendKept(std::set<PageKey>* sent);
  void Welcome(const std::string& server);

  // relay_bridges.cpp: the other bridges.
  dde::Result OnBridgeTransaction(const dde::Transaction& t);
  dde::Result ServeJoined(const dde::Transaction& t);
  dde::Result ServeHolder(const dde::Transaction& t);
  // While another bridge holds "NETSCAPE": joins it, and sends it every tab again when it missed news.
  void KeepJoined(Clock::time_point now);
  void Join(Clock::time_point now);
  void DropKeptShown();
  void LeaveHolder();
  void Forward(const std::string& text);
  // Passes a note for the browser's extension on: to this bridge's own, or through the other bridge.
  void Tell(uint32_t source, const std::string& note);

  dde::Instance& instance;
  BrowserChannel& browser;
  Log log;
  Options options;
  BrowserPeer peer;
  std::map<uint32_t, Source> sources;  // 0: this bridge's own browser
  WindowIds windows;
  EchoServerBook book;
  std::deque<PageEcho> pendingEchoes;           // by window id
  std::deque<PageEcho> keptEchoes;              // pages nobody took, oldest first
  std::vector<std::string> newcomers;           // programs that registered and are new to the bridge
  std::optional<PageKey> lastEchoed;            // the page a program took last
  std::optional<BrowserPeer::Window> inFlight;  // the page of the echo that is out
  bool keptDue = false;                         // a program can take the kept pages now
  bool serversChanged = false;                  // the extensions have yet to learn who receives the echoes
  bool holdsName = false;
  bool sending = false;  // SendEchoes is under way (a nested call adds nothing)
  std::optional<Clock::time_point> nextRegister;
  uint32_t nextRequestId = 1;
  uint32_t nextSource = 1;
  uint64_t useCount = 0;
  // While another bridge holds "NETSCAPE": the name this one answers on, and the conversation its
  // browser's news go on to the holder.
  std::string ownName;
  dde::ConvHandle toHolder = 0;
  bool resyncDue = false;  // the holder missed a message of this browser's
  std::optional<Clock::time_point> nextJoin;
};

}  // namespace bridge
