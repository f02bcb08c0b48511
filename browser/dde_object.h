#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "browser/dde_link.h"
#include "platform/launcher.h"
#include "store/prefs.h"

// What GetWindowInfo learns of a browser window: its URL and its title as the user sees it.
struct WindowInfo {
  std::string url;
  std::string title;
};

// A DDE endpoint: a service name of this process ("HOPWISE" and the creation count, so the one
// endpoint Hopwise makes is "HOPWISE1"), entered in the link while the object lives. The
// conversations it takes part in are in the link's registry under its name; destroying the endpoint
// ends them. Its operations are the requests Hopwise makes of the browser.
//
// The browser may end a conversation while an operation waits on it; the link's disconnect step
// then removes the record from the registry. Operations therefore hold a conversation by its handle
// only (see client_conversation.h), so a record is never touched after the peer ended it.
class CDDEObject {
 public:
  // prefs and launcher serve the launch fallback of OpenUrl.
  CDDEObject(DdeLink& link, const CPrefs& prefs, Launcher& launcher);
  ~CDDEObject();
  CDDEObject(const CDDEObject&) = delete;
  CDDEObject& operator=(const CDDEObject&) = delete;

  const std::string& name() const { return name_; }
  // False when the transport refused the name (taken, or the transport is unavailable).
  bool IsRegistered() const;

  // Has the browser load the URL; starts the "Browser" program with it when the browser does not
  // answer (but not when the wait was cut short: the program is ending), unless the guard of
  // address_guard.h refuses it. An empty URL loads nothing in a browser that answers, and starts the
  // program without an argument. Every caller follows it with Activate().
  void OpenUrl(const std::string& url);
  // Brings the browser window to the front; its window id, 0 when there was no answer.
  uint32_t Activate();
  // The URL and title of a browser window (0: the most recently used one). Empty when unanswered.
  WindowInfo GetWindowInfo(uint32_t windowId);
  // Asks the browser to poke "WWW_URLEcho" to serverName for every page it loads: true when the
  // browser was there to ask (and took the conversation within a second). RegistrationRun repeats
  // it from a timer while the browser is not there.
  bool TryRegisterUrlEcho(const std::string& serverName);

 private:
  DdeLink& link_;
  const CPrefs& prefs_;
  Launcher& launcher_;
  const std::string name_;
};
