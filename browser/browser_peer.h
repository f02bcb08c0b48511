#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dde_instance.h"

// The browser's side of the browser link, for any program that plays the browser: the stand-in
// browser of the tests and the bridge to real browsers.
//
// It serves "NETSCAPE" on a transport instance the program owns, and keeps the program's windows
// (id, URL, title; most recently used last). The program reports what it shows with ShowPage and
// CloseWindow, and pumps Dispatch() whenever the instance's EventFd() is readable. The peer then:
//  - remembers every server that pokes "WWW_RegisterURLEcho" (and forgets it on
//    "WWW_UnRegisterURLEcho"), and pokes "WWW_URLEcho" ("QCS,QCS,DW,QCS": URL, "text/html",
//    window id, empty referrer) to each of them when ShowPage reports a page;
//  - answers "WWW_GetWindowInfo" (a window id; 0 or 4294967295 = the most recently used window)
//    with the URL and the caption "Netscape - [TITLE]" ("QCS,QCS"); no data for an unknown window;
//  - answers "WWW_OpenURL" and "WWW_Activate" with a window id ("DW"), through the hooks.
// Everything runs on the thread that calls Start and Dispatch.
class BrowserPeer {
 public:
  struct Window {
    uint32_t id = 0;
    std::string url;
    std::string title;
  };

  // One transaction the peer received: kind "connect", "request", "poke" or "disconnect", its
  // topic and item, and the answer in words ("accepted", "refused", "DW 3", "BL 0", the reply text,
  // "no data", "ack", "no ack", "-").
  struct Served {
    std::string kind;
    std::string topic;
    std::string item;
    std::string answer;
  };

  struct Hooks {
    // "WWW_OpenURL": the program shows url (windowId is the window asked for; 4294967295 = any)
    // and returns the id of the window that will show it, or 0 to refuse. The reply goes out when
    // the hook returns, so a page it shows should be shown later: through Defer().
    // Unset: every request is refused.
    std::function<uint32_t(const std::string& url, uint32_t windowId)> openUrl;
    // "WWW_Activate": brings the window (4294967295 = the most recently used) to the front and
    // returns its id, 0 when there is none. Unset: the window becomes the most recently used.
    std::function<uint32_t(uint32_t windowId)> activate;
    // Told of every transaction received, once its answer is decided.
    std::function<void(const Served&)> served;
    // Told of every echo sent: the server, the item, and the poke's result (dde::kFack when taken,
    // 0 when refused or the server did not answer).
    std::function<void(const std::string& server, const std::string& item, uint32_t result)> echoed;
    // "WWW_GetWindowInfo": the window the program shows under this id (as asked: 0 or 4294967295
    // included), or none. Unset: the peer's own windows answer.
    std::function<std::optional<Window>(uint32_t windowId)> windowInfo;
    // Every transaction on a topic that is no browser verb, on any name the instance serves or
    // conversation it opened (a program's own conversations beside the browser's), answered as the
    // hook says. Unset: such conversations are refused.
    std::function<dde::Result(const dde::Transaction&)> other;
  };

  BrowserPeer(dde::Instance& instance, Hooks hooks);

  // Sets the instance up with the peer's callback and registers "NETSCAPE". False when either fails.
  bool Start();
  // Handles what the instance has pending, then runs the deferred tasks.
  void Dispatch();
  // Runs the task at the end of the current (or next) Dispatch(), after every reply has gone out.
  void Defer(std::function<void()> task);

  // The window now shows url with title: it becomes the most recently used window, and every
  // registered echo server is told (SetWindow, then EchoPage).
  void ShowPage(uint32_t windowId, const std::string& url, const std::string& title);
  // The window now shows url with title and becomes the most recently used window; nobody is told.
  void SetWindow(uint32_t windowId, const std::string& url, const std::string& title);
  // Tells every registered echo server that the window shows url, without touching the windows
  // (for a program that keeps its own, with the windowInfo hook).
  void EchoPage(uint32_t windowId, const std::string& url);
  // Tells one server that the window shows url, with the echo's flags (kEchoTitleOnly: only a late
  // title of a page echoed before); the poke's result (dde::kFack when it took the echo, 0 when it
  // refused, did not answer within timeoutMs, or could not be reached).
  uint32_t EchoPageTo(const std::string& server, uint32_t windowId, const std::string& url,
                      int timeoutMs = dde::kDefaultTimeoutMs, uint32_t flags = 0);
  // Echoes go to this server from now on, as if it had registered (no two alike, in any case).
  void AddEchoServer(const std::string& server);
  // Forgets the window; false when there was none.
  bool CloseWindow(uint32_t windowId);
  // The window with this id (0 or 4294967295: the most recently used one), or none.
  const Window* FindWindow(uint32_t windowId) const;
  const std::vector<Window>& Windows() const { return windows_; }
  const std::vector<std::string>& EchoServers() const { return echoServers_; }

  // The caption of a window showing title, as the browser reports it.
  static std::string Caption(const std::string& title);

 private:
  dde::Result OnTransaction(const dde::Transaction& t);
  std::optional<dde::Bytes> OnRequest(int verb, const std::string& item, std::string& answer);
  uint32_t OnPoke(int verb, const std::string& item);
  void Touch(uint32_t windowId);
  uint32_t Echo(const std::string& server, const std::string& item, int timeoutMs);

  dde::Instance& instance_;
  Hooks hooks_;
  std::vector<Window> windows_;           // least recently used first
  std::vector<std::string> echoServers_;  // in order of registration, no two alike (any case)
  std::vector<std::function<void()>> deferred_;
};
