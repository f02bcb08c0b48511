#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/listener_list.h"

// What the last scheduled check of a watched page found.
enum class WatchFinding : uint8_t {
  kNotChecked,
  kUnchanged,
  kChanged,
  kUnreachable,  // no connection, or the request could not go out
  kBadStatus,    // the server answered with a status that does not begin with "2"
};

// What a scheduled check learned about one watched page.
struct WatchAnswer {
  std::string url;
  WatchFinding finding = WatchFinding::kUnchanged;
  Time32 modified = 0;        // kChanged by Last-Modified: the instant the server named
  bool sizeMeasured = false;  // a GET measured the page
  uint32_t size = 0;
  std::string status;  // kBadStatus: the status the server answered
};

// A page the user asked to be told about when it changes: a PageMark or a Topic link, known by its
// URL (a PageMark and a link with the same URL are one watched page).
struct WatchedPage {
  std::string url;
  std::string title;
  // The page as the user last saw it: a later Last-Modified, or a size 6 bytes or more away, is a
  // change. Watching starts from the moment the user asks; opening the page moves it on.
  Time32 seenAt = 0;
  uint32_t size = 0;  // 0: not measured yet
  WatchFinding last = WatchFinding::kNotChecked;
  Time32 checkedAt = 0;
  std::string status;  // of the last kBadStatus
  // A change found and not yet looked at: it stays until the user opens the page.
  bool changed = false;
  Time32 changedAt = 0;     // the Last-Modified instant, or when a size change was found
  uint32_t sizeBefore = 0;  // a change found by size: from this size to `size`
  int32_t failedRuns = 0;   // scheduled checks in a row that could not reach the page
  bool failureReported = false;
};

// What one scheduled check has to tell the user: the pages that changed since the last check (not
// those still flagged from an earlier one) and the pages that have just failed kFailedRunsReported
// checks in a row (told once, until they answer again).
struct WatchReport {
  std::vector<const WatchedPage*> changed;
  std::vector<const WatchedPage*> failing;
  bool Empty() const { return changed.empty() && failing.empty(); }
};

inline constexpr int32_t kFailedRunsReported = 3;

// Whoever shows watched pages follows them through this notice.
class WatchedPagesListener {
 public:
  virtual ~WatchedPagesListener() = default;
  // url was watched, unwatched, checked or opened; an empty url: any page may have changed.
  virtual void OnWatchedPageChanged(const std::string& url) = 0;
};

// The watched pages, in the order they were watched; the only owner of their state (watched.data
// holds it between runs, see watched_file.h). Main thread only; a scheduled check works on copies.
class WatchedPages {
 public:
  // clock: when watching starts.
  explicit WatchedPages(const Clock& clock) : clock_(clock) {}
  WatchedPages(const WatchedPages&) = delete;
  WatchedPages& operator=(const WatchedPages&) = delete;

  using Subscription = ListenerList<WatchedPagesListener>::Subscription;
  [[nodiscard]] Subscription Subscribe(WatchedPagesListener& listener) const {
    return listeners_.Subscribe(listener);
  }

  const std::vector<WatchedPage>& Pages() const { return pages_; }
  const WatchedPage* Find(const std::string& url) const;
  bool IsWatched(const std::string& url) const { return Find(url) != nullptr; }
  // How many pages carry a change the user has not looked at yet.
  int ChangedCount() const;
  // When the last scheduled check started (0: never).
  Time32 LastRun() const { return lastRun_; }
  void SetLastRun(Time32 when) { lastRun_ = when; }

  // Starts watching url from now on. False for a URL already watched, or one the checker does not
  // ask servers about (see CanWatch).
  bool Watch(const std::string& url, const std::string& title);
  void Unwatch(const std::string& url);
  // The user opened the page: the change is seen, and the next one counts from now.
  void PageOpened(const std::string& url, Time32 now);
  // A new title for the page (the notification lists titles).
  void Retitle(const std::string& url, const std::string& title);
  // Takes in what a scheduled check found (pages no longer watched are passed over).
  WatchReport TakeAnswers(const std::vector<WatchAnswer>& answers, Time32 now);
  // Replaces everything (watched.data was read).
  void Reset(std::vector<WatchedPage> pages, Time32 lastRun);

 private:
  WatchedPage* FindMutable(const std::string& url);
  // Returns what the report is to say of the page: 1 newly changed, 2 newly failing, 0 nothing.
  static int Take(WatchedPage& page, const WatchAnswer& answer, Time32 now);
  void Tell(const std::string& url) const;

  const Clock& clock_;
  std::vector<WatchedPage> pages_;
  Time32 lastRun_ = 0;
  mutable ListenerList<WatchedPagesListener> listeners_;
};

// Whether a page can be watched: an http or https URL with a server name (what the checker asks
// servers about when secure pages are checked).
bool CanWatch(const std::string& url);
