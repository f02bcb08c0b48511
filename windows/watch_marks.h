#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "checker/check_view.h"
#include "store/records.h"
#include "store/watched_pages.h"

// What the PageMarks, Sites and Topics windows show of watched pages, and their "Watch for Changes"
// command.

// The picture of a watched page: a change not looked at yet shows as Updated until the page is
// opened; otherwise the last check's finding.
Verdict WatchVerdict(const WatchedPage& page);
// A check run in the window shows what it found; where it found nothing (or never ran), a watched
// page shows its own picture.
Verdict ShownVerdict(Verdict fromWindowCheck, const WatchedPage* watched);
// The tip of a watched page: what the last check found and why, and when it checked.
std::string WatchTip(const WatchedPage& page);

// A page as the command takes it.
struct PageRef {
  std::string url;
  std::string title;
};
// The links a Topics command takes: the link itself, or every link below a folder.
std::vector<PageRef> LinksOf(const CTopic& node);
// Whether the command would stop watching: every one of pages is watched already.
bool AllWatched(const WatchedPages& watched, const std::vector<PageRef>& pages);
// The command's label for pages: "Watch for Changes", or "Stop Watching" (AllWatched).
const char* WatchCommandLabel(const WatchedPages& watched, const std::vector<PageRef>& pages);
// "Watch for Changes": watches every one of pages, or stops watching them all when AllWatched.
// Returns the status text that says what happened (hours: "Check watched pages every N hours").
std::string ToggleWatch(WatchedPages& watched, const std::vector<PageRef>& pages, int32_t hours);

// Calls changed with the page's URL whenever a watched page changes (an empty URL: any page may
// have); a window repaints or filters again.
class WatchFollower : private WatchedPagesListener {
 public:
  using Changed = std::function<void(const std::string& url)>;
  WatchFollower(const WatchedPages& watched, Changed changed)
      : changed_(std::move(changed)), subscription_(watched.Subscribe(*this)) {}

 private:
  void OnWatchedPageChanged(const std::string& url) override { changed_(url); }

  Changed changed_;
  WatchedPages::Subscription subscription_;
};
