#include "browser/detect_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace {

using namespace std::chrono_literals;

class ListedProcesses : public ProcessList {
 public:
  std::optional<std::vector<ProcessEntry>> Snapshot() override {
    std::lock_guard lock(mutex);
    return listed;
  }
  std::mutex mutex;
  std::optional<std::vector<ProcessEntry>> listed = std::vector<ProcessEntry>{};
};

struct Counts {
  std::atomic<int> timers{0};
  std::atomic<int> saves{0};
};

CDetectThread::Hooks Counting(Counts& counts, std::atomic<bool>& dirty) {
  CDetectThread::Hooks hooks;
  hooks.startRegistrationTimer = [&counts] { ++counts.timers; };
  hooks.takeCacheDirty = [&dirty] { return dirty.exchange(false); };
  hooks.startBackgroundSave = [&counts] { ++counts.saves; };
  return hooks;
}

TEST(CDetectThread, ABrowserAlreadyRunningArmsTheTimerAtTheFirstTickOnly) {
  ProcessEvents events;
  ListedProcesses processes;
  processes.listed = std::vector<ProcessEntry>{{12, "netscape.exe"}};
  std::atomic<bool> dirty{false};
  Counts counts;
  CDetectThread thread(events, processes, Counting(counts, dirty));
  thread.Tick();
  EXPECT_EQ(1, counts.timers);
  for (int i = 0; i < 5; ++i) thread.Tick();
  EXPECT_EQ(1, counts.timers);
}

TEST(CDetectThread, SavesAtThe302ndTickWhenDirtyAndRestartsTheCountEitherWay) {
  ProcessEvents events;
  ListedProcesses processes;
  std::atomic<bool> dirty{true};
  Counts counts;
  CDetectThread thread(events, processes, Counting(counts, dirty));
  for (int i = 0; i < 301; ++i) thread.Tick();
  EXPECT_EQ(0, counts.saves);
  thread.Tick();  // the 302nd
  EXPECT_EQ(1, counts.saves);
  EXPECT_FALSE(dirty.load());

  for (int i = 0; i < 301; ++i) thread.Tick();  // clean: the test passes, nothing is saved
  EXPECT_EQ(1, counts.saves);
  dirty = true;
  for (int i = 0; i < 300; ++i) thread.Tick();
  EXPECT_EQ(1, counts.saves);
  thread.Tick();
  EXPECT_EQ(2, counts.saves) << "every 301 ticks after the first";
}

TEST(CDetectThread, EndsOnTheQuitEventAndSignalsItsEnd) {
  ProcessEvents events;
  ListedProcesses processes;
  std::atomic<bool> dirty{false};
  Counts counts;
  CDetectThread thread(events, processes, Counting(counts, dirty), 5ms);
  thread.Start();
  {
    std::lock_guard lock(processes.mutex);
    processes.listed = std::vector<ProcessEntry>{{99, "NETSCAPE.EXE"}};
  }
  for (int i = 0; i < 400 && counts.timers == 0; ++i) std::this_thread::sleep_for(5ms);
  events.quit.Set();
  EXPECT_TRUE(events.detectionEnded.Wait(2000ms));
  thread.Join();
  EXPECT_EQ(1, counts.timers) << "a browser started after the thread gets registered";
}

}  // namespace
