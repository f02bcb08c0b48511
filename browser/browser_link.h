#pragma once

#include <memory>
#include <string>

#include "browser/dde_link.h"
#include "browser/dde_object.h"
#include "browser/url_opener.h"
#include "platform/launcher.h"
#include "store/prefs.h"

// The application's link to the browser: its endpoint "HOPWISE1" and the requests Hopwise makes
// through it. The application owns it and hands it to the views that open pages (as their
// UrlOpener) and to the visit recorder. Once closed, every request does nothing.
class BrowserLink : public UrlOpener {
 public:
  // Creates and registers the endpoint. prefs and launcher serve the launch fallback of OpenUrl.
  BrowserLink(DdeLink& link, const CPrefs& prefs, Launcher& launcher);
  ~BrowserLink() override;
  BrowserLink(const BrowserLink&) = delete;
  BrowserLink& operator=(const BrowserLink&) = delete;

  // The endpoint's name, empty once closed.
  std::string EndpointName() const;
  bool IsOpen() const { return endpoint_ != nullptr; }
  // The endpoint itself, for the conversation-level operations; null once closed.
  CDDEObject* Endpoint() { return endpoint_.get(); }

  // OpenUrl, then Activate: the browser shows the page and comes to the front.
  void OpenInBrowser(const std::string& url) override;
  // The URL and title of a browser window (0: the most recently used one).
  WindowInfo GetWindowInfo(uint32_t windowId);
  // Asks the browser to echo every page it loads to this endpoint: one attempt, true when the
  // browser was there to ask.
  bool TryRegisterForEchoes();
  // Withdraws the endpoint: nothing more is sent or served under its name.
  void Close();

 private:
  std::unique_ptr<CDDEObject> endpoint_;
};
