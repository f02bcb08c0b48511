#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "checker/check_run.h"
#include "checker/update_checker.h"
#include "platform/http_client.h"
#include "store/prefs.h"
#include "store/watched_pages.h"

// A scheduled check of the watched pages in the background: the update checker's run, with its
// sessions, limits and HTTP rules, over copies of the pages, so that the run never touches the
// list the user sees. https pages are checked whatever "Check Secure Pages" says: the user chose
// each of these pages. Start, Stop and Finish are the main thread's.
class WatchRun {
 public:
  explicit WatchRun(HttpClient& client, CheckLimits limits = {});
  // Stops a run under way and waits for it.
  ~WatchRun();
  WatchRun(const WatchRun&) = delete;
  WatchRun& operator=(const WatchRun&) = delete;

  // Starts a run over pages; ended is called on the run's thread once it is over. False, and
  // nothing started, while a run is under way.
  bool Start(const std::vector<WatchedPage>& pages, std::function<void()> ended);
  bool Running() const { return checker_.RunRegistered(); }
  // Every transfer ends at once; the pages not answered by then have no answer.
  void Stop() { checker_.RequestStop(); }
  // Waits until the run has ended and hands over the answers it got, one per page answered.
  std::vector<WatchAnswer> Finish();

 private:
  class View;
  std::unique_ptr<View> view_;
  CPrefs prefs_;
  UpdateChecker checker_;  // after the view: stopped and joined while the view still exists
};
