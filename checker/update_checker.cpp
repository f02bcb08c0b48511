#include "checker/update_checker.h"

#include <memory>
#include <system_error>
#include <utility>

#include "checker/check_texts.h"

HttpSessionOptions UpdateChecker::SessionOptions() {
  HttpSessionOptions options;
  options.userAgent = "Hopwise";
  options.connectTimeoutMs = 2000;
  options.connectRetries = 3;
  return options;
}

UpdateChecker::UpdateChecker(CheckView& view, HttpClient& client, const CPrefs& prefs)
    : view_(view), client_(client), prefs_(prefs) {}

UpdateChecker::~UpdateChecker() {
  RequestStop();
  Wait();
}

bool UpdateChecker::RequestStop() {
  if (!registered_) return false;
  stopRequested_ = true;
  std::lock_guard lock(sessionMutex_);
  if (session_) session_->Abort();
  return true;
}

bool UpdateChecker::Start(CheckScope scope) {
  if (registered_ || !scope.walker) return false;
  Wait();  // the last run has shown its end; its thread is at its last line
  stopRequested_ = false;
  registered_ = true;
  try {
    thread_ = std::thread(&UpdateChecker::Work, this, std::move(scope), prefs_.checkSecurePages != 0);
  } catch (const std::system_error&) {
    registered_ = false;
    return false;
  }
  return true;
}

void UpdateChecker::Wait() {
  if (thread_.joinable()) thread_.join();
}

void UpdateChecker::Work(const CheckScope& scope, bool checkSecurePages) {
  std::unique_ptr<HttpSession> session = client_.OpenSession(SessionOptions());
  if (!session) return End(kNoSessionStatus, kExitDone);
  Publish(session.get());
  CheckRun run(view_, *session, stopRequested_, scope, checkSecurePages);
  const WalkEnd walked = scope.walker(run);
  Publish(nullptr);
  session.reset();
  if (walked == WalkEnd::kStopped) return End(kStoppedStatus, kExitStopped);
  End(kAllDoneStatus, kExitDone);
}

void UpdateChecker::End(const char* status, int exitCode) {
  view_.SetMenuLabel(kCheckMenuLabel);
  view_.SetStatusText(status);
  if (exitCode == kExitStopped) stopRequested_ = false;  // obeyed
  lastExitCode_ = exitCode;
  registered_ = false;
}

void UpdateChecker::Publish(HttpSession* session) {
  std::lock_guard lock(sessionMutex_);
  session_ = session;
  // A stop asked for before the session was known still aborts it.
  if (session_ && stopRequested_) session_->Abort();
}
