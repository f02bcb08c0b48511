#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "checker/check_view.h"
#include "checker/page_pool.h"

enum class WalkEnd {
  kCompleted,  // the walk reached its end
  kStopped,    // a poll found the stop request set (or a transfer was aborted for it)
};

class CheckRun;
// A window kind's walk over the items of its scope: CheckPageMarkList, CheckAllSites,
// CheckSelectedSite or CheckTopics (checker/walkers.h).
using Walker = WalkEnd (*)(CheckRun& run);
WalkEnd CheckPageMarkList(CheckRun& run);

// What a run checks: fixed by the window before the run starts, only read by the worker.
struct CheckScope {
  CheckScope() = default;
  // The walker over the whole window, or over one Site or Topic.
  explicit CheckScope(Walker walk, ItemKey start = kTopLevel) : walker(walk), item(start) {}
  // CheckPageMarkList over the selected rows only, from the top of the list to the bottom.
  static CheckScope SelectedPageMarks(std::vector<ItemKey> rows) {
    CheckScope scope(CheckPageMarkList);
    scope.selectedOnly = true;
    scope.selection = std::move(rows);
    return scope;
  }

  Walker walker = nullptr;
  // CheckSelectedSite: the Site; CheckTopics: the Topic to walk (kTopLevel: the root).
  ItemKey item = kTopLevel;
  // CheckPageMarkList: "Check selected PageMarks only", with the selected rows from the top of the
  // list to the bottom. Otherwise the walker takes the PageMarks that the window lists.
  bool selectedOnly = false;
  std::vector<ItemKey> selection;
};

// How many pages a run asks about at a time, and how long a server may take.
struct CheckLimits {
  // Pages asked about at a time. A page asked about for placeMs gives its place to the next one
  // and goes on to its own time limits, so slow or silent servers hold up only their own pages;
  // openPages bounds the pages asked about at once, those that gave their place up included.
  int places = 8;
  int placeMs = 1000;
  int openPages = 64;
  int perHost = 2;  // pages asked about at once on one host (the server name of the URL)
  int connectTimeoutMs = 10000;
  int answerTimeoutMs = 15000;  // see HttpSessionOptions
  int pageDeadlineMs = 30000;   // one page's HEAD and GET together, however the answer trickles in
};

// What a walker works with: the window, its scope and the stop request; and the queue of pages to
// check, which the run works through once the walk has ended (CheckQueued).
//
// Pages are started in the order they were queued, as far as the limits allow: a page whose host
// has its fill waits, and the pages after it go ahead. The window is only ever called on the run's
// own thread: a worker gets a copy of the page, read afresh just before it starts, and what it
// learned is shown when its answer comes in (ShowAnswer; nothing for an item gone by then).
//
// The status bar reads "Checking URL..." when a page starts; with CountPagesInStatus, "Checking k
// of N, URL", k counting up as pages finish. URL is that of the page asked about longest.
class CheckRun {
 public:
  using Clock = std::chrono::steady_clock;

  CheckRun(CheckView& view, PagePool& pool, const std::atomic<bool>& stopRequested, const CheckScope& scope,
           bool checkSecurePages, const CheckLimits& limits);

  CheckView& View() const { return view_; }
  const CheckScope& Scope() const { return scope_; }
  // "Check Secure Pages": https pages are checked like http ones.
  bool CheckSecurePages() const { return checkSecurePages_; }
  // The poll: the window asked the run to stop.
  bool StopRequested() const { return stopRequested_.load(); }

  // The status bar counts the pages: every page queued is shown and counted, whatever its scheme.
  void CountPagesInStatus() { counted_ = true; }
  // Queues item, page being what the walker read of it. afterUpdateDecision runs once its Updated
  // decision is shown. Without CountPagesInStatus, a URL that is not checked is passed over.
  void Add(ItemKey item, const ItemFacts& page, std::function<void()> afterUpdateDecision = {});
  // Checks the queued pages; kStopped as soon as a stop is asked for (every transfer then ends).
  WalkEnd CheckQueued();

 private:
  struct Queued {
    ItemKey item;
    ItemFacts page;
    std::string host;
    std::function<void()> after;
  };
  struct Asking {
    ItemKey item;
    std::string url, host;
    Clock::time_point started;
    std::function<void()> after;
  };

  void StartWhatMayStart();
  // Starts next, read afresh; false when it must wait for its host after all (its URL changed).
  bool Begin(Queued& next);
  void Finish(PagePool::Ticket ticket, const PageAnswer& answer);
  bool HostHasRoom(const std::string& host) const;
  size_t PagesInPlace(Clock::time_point now) const;
  Clock::time_point NextPlaceFreed(Clock::time_point now) const;
  void ShowProgress(const std::string& startedUrl);

  CheckView& view_;
  PagePool& pool_;
  const std::atomic<bool>& stopRequested_;
  const CheckScope& scope_;
  bool checkSecurePages_;
  CheckLimits limits_;
  bool counted_ = false;
  size_t total_ = 0, finished_ = 0;
  std::list<Queued> queue_;
  std::map<PagePool::Ticket, Asking> asking_;  // in the order they started
  std::map<std::string, int> perHost_;
  PagePool::Ticket nextTicket_ = 0;
  std::string lastText_;
};
