#pragma once

#include <string>

// Has the browser show a page chosen from a menu or typed into "Open URL...". The tray window does
// it with OpenUrl followed by Activate on its endpoint, which starts the browser program when the
// browser does not answer.
class UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  virtual void OpenInBrowser(const std::string& url) = 0;
};
