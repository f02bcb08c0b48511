#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "checker/check_run.h"
#include "checker/check_view.h"
#include "platform/http_client.h"
#include "store/prefs.h"

// The update checker's run state of one window: at most one run at a time, on a thread of its own
// (the run's thread, the only one that calls the view) with a pool of workers that ask the servers,
// each with an HTTP session of its own ("Hopwise", 3 connect tries; time limits and how many pages
// at a time: CheckLimits).
//
// A run is registered from Start() until its worker has shown its last text; while it is, the
// window refuses to close (kCloseGuardMessage) and its check command asks for a stop instead of
// starting a run. The window's check command goes:
//
//   if (checker.RequestStop()) {  // a run is registered: it is asked to stop
//     show kStoppingStatus in the status bar and kCheckMenuLabel on the menu item; return;
//   }
//   ask for the scope ("Check for updates..." dialog); Cancel: return;
//   if (checker.Start(scope)) show kStopMenuLabel on the menu item;
//
// The run polls the stop request before each PageMark and between answers, and a stop request
// aborts every transfer in progress, so a stop is obeyed within moments even while servers hang. Obeying, the
// worker shows kCheckMenuLabel and kStoppedStatus and ends with exit code 2; a walk that reaches its end
// shows kCheckMenuLabel and kAllDoneStatus and ends with 0. When no session can be opened the run ends at
// once with kNoSessionStatus (and exit code 0).
//
// Threads: the operations are the main thread's; the worker calls only the view (see CheckView).
// Destroying the checker stops and joins the worker; the view must by then return at once from
// every call (see CheckView), so that the join cannot deadlock.
class UpdateChecker {
 public:
  static constexpr int kExitDone = 0;
  static constexpr int kExitStopped = 2;

  // What every session of a run is opened with.
  static HttpSessionOptions SessionOptions(const CheckLimits& limits = {});

  // prefs: "Check Secure Pages" is read when a run starts.
  UpdateChecker(CheckView& view, HttpClient& client, const CPrefs& prefs, CheckLimits limits = {});
  ~UpdateChecker();
  UpdateChecker(const UpdateChecker&) = delete;
  UpdateChecker& operator=(const UpdateChecker&) = delete;

  // A run is registered (running or stopping).
  bool RunRegistered() const { return registered_.load(); }
  // Sets the stop request and aborts every transfer in progress, when a run is registered; false
  // (and nothing done) when none is.
  bool RequestStop();
  // Clears the stop request and starts a run over scope. False, and nothing started, when a run is
  // registered, the scope names no walker or no thread can be started.
  bool Start(CheckScope scope);

  // Called on the worker's thread as the last thing a run does, with its exit code (a run in the
  // background tells its owner this way; set it before Start).
  void SetEndedHook(std::function<void(int exitCode)> ended) { ended_ = std::move(ended); }
  // Waits until the worker thread has ended (tests; a window never waits on its worker).
  void Wait();
  // The exit code of the last run that ended.
  int LastExitCode() const { return lastExitCode_.load(); }

 private:
  void Work(const CheckScope& scope, bool checkSecurePages);
  void End(const char* status, int exitCode);
  // Makes pool the one that RequestStop aborts (null: none).
  void Publish(PagePool* pool);

  CheckView& view_;
  HttpClient& client_;
  const CPrefs& prefs_;
  const CheckLimits limits_;
  std::function<void(int)> ended_;
  std::thread thread_;
  std::atomic<bool> registered_{false};  // the run reference
  std::atomic<bool> stopRequested_{false};
  std::atomic<int> lastExitCode_{kExitDone};
  std::mutex poolMutex_;
  PagePool* pool_ = nullptr;  // under poolMutex_
};
