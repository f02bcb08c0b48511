#pragma once

#include <atomic>
#include <utility>
#include <vector>

#include "checker/check_view.h"
#include "platform/http_client.h"

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

// What a walker works with: the window, the run's HTTP session, its scope and the stop request.
class CheckRun {
 public:
  CheckRun(CheckView& view, HttpSession& session, const std::atomic<bool>& stopRequested,
           const CheckScope& scope, bool checkSecurePages)
      : view_(view),
        session_(session),
        stopRequested_(stopRequested),
        scope_(scope),
        checkSecurePages_(checkSecurePages) {}

  CheckView& View() const { return view_; }
  HttpSession& Session() const { return session_; }
  const CheckScope& Scope() const { return scope_; }
  // "Check Secure Pages": https pages are checked like http ones.
  bool CheckSecurePages() const { return checkSecurePages_; }
  // The poll: the window asked the run to stop.
  bool StopRequested() const { return stopRequested_.load(); }

 private:
  CheckView& view_;
  HttpSession& session_;
  const std::atomic<bool>& stopRequested_;
  const CheckScope& scope_;
  bool checkSecurePages_;
};
