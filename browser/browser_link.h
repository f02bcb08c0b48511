#pragma once

#include <memory>
#include <string>

#include "browser/dde_link.h"
#include "browser/dde_object.h"
#include "browser/url_opener.h"
#include "platform/launcher.h"
#include "platform/message_boxes.h"
#include "store/prefs.h"

// The application's link to the browser: its endpoint "HOPWISE1" and the requests Hopwise makes
// through it. The application owns it and hands it to the views that open pages (as their
// UrlOpener) and to the visit recorder. Once closed, every request does nothing.
class BrowserLink : public UrlOpener {
 public:
  // Creates and registers the endpoint. prefs and launcher serve the launch fallback of OpenUrl;
  // messages tells the user why a page was not opened.
  BrowserLink(DdeLink& link, const CPrefs& prefs, Launcher& launcher, MessageBoxes& messages);
  ~BrowserLink() override;
  BrowserLink(const BrowserLink&) = delete;
  BrowserLink& operator=(const BrowserLink&) = delete;

  // The endpoint's name, empty once closed.
  std::string EndpointName() const;
  bool IsOpen() const { return endpoint_ != nullptr; }

  // OpenUrl, then Activate: the browser shows the page and comes to the front. An address the guard
  // of address_guard.h refuses goes nowhere; a message says why.
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
  MessageBoxes& messages_;
};
