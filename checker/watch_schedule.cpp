#include "checker/watch_schedule.h"

#include <algorithm>
#include <random>
#include <utility>

namespace {

// A week: longer periods are taken as a week.
constexpr int32_t kMostHours = 168;

}  // namespace

WatchSchedule::WatchSchedule(const Clock& clock, Jitter jitter, int32_t periodHours, Time32 lastRun)
    : clock_(clock),
      jitter_(std::move(jitter)),
      hours_(periodHours),
      lastRun_(lastRun),
      startedAt_(clock.Now()) {
  Plan();
}

void WatchSchedule::SetPeriodHours(int32_t hours) {
  if (hours == hours_) return;
  hours_ = hours;
  Plan();
}

Time32 WatchSchedule::Period() const {
  return static_cast<Time32>(std::clamp(hours_, 0, kMostHours)) * 3600;
}

// From the last run (a last run "in the future", after the clock was set back, counts as now),
// but never sooner than kStartDelay after start-up.
void WatchSchedule::Plan() {
  const Time32 period = Period();
  if (period == 0) {
    next_ = 0;
    return;
  }
  const Time32 now = clock_.Now();
  const Time32 from = lastRun_ == 0 ? now - period : std::min(lastRun_, now);
  const Time32 jitter =
      jitter_ ? std::clamp<Time32>(jitter_(std::min(period / 10, kMostJitter)), 0, kMostJitter) : 0;
  next_ = std::max(from + period, startedAt_ + kStartDelay) + jitter;
}

bool WatchSchedule::Due(bool suspended) const {
  return next_ != 0 && !suspended && !running_ && clock_.Now() >= next_;
}

void WatchSchedule::Started() {
  running_ = true;
  lastRun_ = clock_.Now();
  Plan();
}

bool WatchSchedule::Overrun() const {
  return running_ && clock_.Now() - lastRun_ >= kRunLimit;
}

Time32 RandomJitter(Time32 most) {
  static std::mt19937 random{std::random_device{}()};
  return std::uniform_int_distribution<Time32>(0, std::max<Time32>(most, 0))(random);
}
