#pragma once

#include <cstdint>
#include <functional>

#include "platform/clock.h"

// When the watched pages are checked: every "Check watched pages every N hours" (0: never), from
// the start of the last run, which watched.data keeps, so that a restart does not check again. A
// run that is overdue at start-up waits kStartDelay first, so that logging in stays quick. Every
// run is put off by a jitter drawn anew for it, up to a tenth of the period and at most
// kMostJitter, so that many users do not ask a server in the same minute. Never a run while
// recording is suspended (an overdue one comes at the first tick after), never two at once, and a
// run that goes on for kRunLimit is to be stopped. The clock is the only source of time, so a test
// pins it.
class WatchSchedule {
 public:
  static constexpr Time32 kStartDelay = 120;
  static constexpr Time32 kMostJitter = 1800;
  static constexpr Time32 kRunLimit = 600;
  // A number from 0 to most (inclusive), drawn anew for every run.
  using Jitter = std::function<Time32(Time32 most)>;

  // lastRun: when the last run started (0: never).
  WatchSchedule(const Clock& clock, Jitter jitter, int32_t periodHours, Time32 lastRun);

  // A new period; the next run is planned again.
  void SetPeriodHours(int32_t hours);
  // When the next run is due; 0 when runs are switched off (period 0).
  Time32 NextRun() const { return next_; }
  // Whether a run is to start now.
  bool Due(bool suspended) const;
  // A run started now: the next one is planned from now.
  void Started();
  void Ended() { running_ = false; }
  bool Running() const { return running_; }
  // A run that has gone on for kRunLimit or more is to be stopped.
  bool Overrun() const;
  Time32 LastRun() const { return lastRun_; }

 private:
  Time32 Period() const;
  void Plan();

  const Clock& clock_;
  Jitter jitter_;
  int32_t hours_;
  Time32 lastRun_;
  const Time32 startedAt_;
  Time32 next_ = 0;
  bool running_ = false;
};

// The jitter of a real run: evenly drawn from a random source seeded once per process.
Time32 RandomJitter(Time32 most);
