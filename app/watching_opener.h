#pragma once

#include <string>

#include "browser/url_opener.h"
#include "platform/clock.h"
#include "store/watched_pages.h"

// Opening a page from Hopwise (a menu, a window) is looking at it: a watched page loses its change
// mark, and its next change counts from now, whether or not the browser reports the visit.
class WatchingOpener : public UrlOpener {
 public:
  WatchingOpener(UrlOpener& opener, WatchedPages& watched, const Clock& clock)
      : opener_(opener), watched_(watched), clock_(clock) {}

  void OpenInBrowser(const std::string& url) override {
    watched_.PageOpened(url, clock_.Now());
    opener_.OpenInBrowser(url);
  }

 private:
  UrlOpener& opener_;
  WatchedPages& watched_;
  const Clock& clock_;
};
