#include "checker/update_checker.h"

#include <memory>
#include <system_error>
#include <utility>

#include "checker/check_texts.h"

HttpSessionOptions UpdateChecker::SessionOptions(const CheckLimits& limits) {
  HttpSessionOptions options;
  options.userAgent = "Hopwise";
  options.connectTimeoutMs = limits.connectTimeoutMs;
  options.connectRetries = 3;
  options.answerTimeoutMs = limits.answerTimeoutMs;
  return options;
}

UpdateChecker::UpdateChecker(CheckView& view, HttpClient& client, const CPrefs& prefs, CheckLimits limits)
    : view_(view), client_(client), prefs_(prefs), limits_(limits) {}

UpdateChecker::~UpdateChecker() {
  RequestStop();
  Wait();
}

bool UpdateChecker::RequestStop() {
  if (!registered_) return false;
  stopRequested_ = true;
  std::lock_guard lock(poolMutex_);
  if (pool_) pool_->AbortAll();
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
  const HttpSessionOptions options = SessionOptions(limits_);
  std::unique_ptr<HttpSession> session = client_.OpenSession(options);
  if (!session) return End(kNoSessionStatus, kExitDone);
  auto pool = std::make_unique<PagePool>(client_, options, std::move(session));
  Publish(pool.get());
  CheckRun run(view_, *pool, stopRequested_, scope, checkSecurePages, limits_);
  WalkEnd walked = scope.walker(run);
  if (walked == WalkEnd::kCompleted) walked = run.CheckQueued();
  Publish(nullptr);
  pool.reset();  // every transfer ended, every worker joined
  if (walked == WalkEnd::kStopped) return End(kStoppedStatus, kExitStopped);
  End(kAllDoneStatus, kExitDone);
}

void UpdateChecker::End(const char* status, int exitCode) {
  view_.SetMenuLabel(kCheckMenuLabel);
  view_.SetStatusText(status);
  if (exitCode == kExitStopped) stopRequested_ = false;  // obeyed
  lastExitCode_ = exitCode;
  registered_ = false;
  if (ended_) ended_(exitCode);
}

void UpdateChecker::Publish(PagePool* pool) {
  std::lock_guard lock(poolMutex_);
  pool_ = pool;
  // A stop asked for before the pool was known still aborts it.
  if (pool_ && stopRequested_) pool_->AbortAll();
}
