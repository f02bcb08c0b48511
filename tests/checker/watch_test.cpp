#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "checker/test_servers.h"
#include "checker/watch_run.h"
#include "checker/watch_schedule.h"
#include "platform/curl_http_client.h"
#include "platform/event.h"
#include "support/fake_clock.h"
#include "support/http_date_text.h"

namespace checkertest {
namespace {

constexpr Time32 kStart = 1700000000;
constexpr Time32 kHour = 3600;

// --- The schedule, on a pinned clock ---

struct ScheduleTest : ::testing::Test {
  FakeClock clock{kStart};
  std::vector<Time32> jitterAsked;
  Time32 jitter = 0;
  WatchSchedule Make(int32_t hours, Time32 lastRun) {
    return WatchSchedule(
        clock,
        [this](Time32 most) {
          jitterAsked.push_back(most);
          return std::min(jitter, most);
        },
        hours, lastRun);
  }
};

TEST_F(ScheduleTest, RunsEveryPeriodFromTheLastRunWithJitter) {
  jitter = 300;
  WatchSchedule schedule = Make(6, kStart - kHour);  // ran an hour before this start
  EXPECT_EQ(kStart + 5 * kHour + 300, schedule.NextRun());
  EXPECT_EQ(std::vector<Time32>{1800}, jitterAsked);  // a tenth of 6 hours is more than the most
  clock.Set(schedule.NextRun() - 1);
  EXPECT_FALSE(schedule.Due(false));
  clock.Advance(1);
  EXPECT_TRUE(schedule.Due(false));
  EXPECT_FALSE(schedule.Due(true));  // suspended

  schedule.Started();
  EXPECT_FALSE(schedule.Due(false));  // one run at a time
  clock.Advance(6 * kHour + 300);
  EXPECT_FALSE(schedule.Due(false));
  EXPECT_TRUE(schedule.Overrun());
  schedule.Ended();
  EXPECT_TRUE(schedule.Due(false));
  EXPECT_FALSE(schedule.Overrun());
}

TEST_F(ScheduleTest, AnOverdueRunWaitsForTheStartDelayAndNeverMeansNever) {
  WatchSchedule fresh = Make(1, 0);  // never ran
  EXPECT_EQ(kStart + WatchSchedule::kStartDelay, fresh.NextRun());
  EXPECT_EQ(360, jitterAsked.back());  // a tenth of the hour
  WatchSchedule overdue = Make(6, kStart - 30 * kHour);
  EXPECT_EQ(kStart + WatchSchedule::kStartDelay, overdue.NextRun());
  WatchSchedule future = Make(2, kStart + 100 * kHour);  // the clock was set back since
  EXPECT_EQ(kStart + 2 * kHour, future.NextRun());

  WatchSchedule never = Make(0, 0);
  clock.Advance(1000 * kHour);
  EXPECT_FALSE(never.Due(false));
  EXPECT_EQ(0, never.NextRun());
  never.SetPeriodHours(-5);
  EXPECT_FALSE(never.Due(false));
  never.SetPeriodHours(1);
  EXPECT_EQ(clock.Now(), never.NextRun());
}

// --- A run over a local server whose page changes between two runs ---

// /dated: Last-Modified as set; /sized: a body of the length set, no Last-Modified; /gone: 404.
class ChangingServer {
 public:
  ChangingServer() {
    server_.Get("/dated", [this](const httplib::Request&, httplib::Response& res) {
      res.set_header("Last-Modified", HttpDateText(modified));
      res.set_content("dated", "text/plain");
    });
    server_.Get("/sized", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(static_cast<size_t>(size.load()), 'x'), "text/plain");
    });
    server_.Get("/gone", [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~ChangingServer() {
    server_.stop();
    thread_.join();
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

  std::atomic<Time32> modified{kStart - 100};
  std::atomic<int> size{1000};

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

class WatchRunTest : public ::testing::Test {
 protected:
  WatchRunTest() {
    for (const char* path : {"/dated", "/sized", "/gone"}) watched.Watch(server.Url(path), path);
    watched.Watch("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/", "closed");
  }
  // One whole run, told to the list as the application does.
  WatchReport RunOnce() {
    Event ended;
    EXPECT_TRUE(run.Start(watched.Pages(), [&] { ended.Set(); }));
    ended.Wait();
    return watched.TakeAnswers(run.Finish(), kStart + 10);
  }
  static std::vector<std::string> Titles(const std::vector<const WatchedPage*>& pages) {
    std::vector<std::string> titles;
    for (const WatchedPage* page : pages) titles.push_back(page->title);
    std::sort(titles.begin(), titles.end());
    return titles;
  }

  ChangingServer server;
  CurlHttpClient client;
  FakeClock clock{kStart};
  WatchedPages watched{clock};
  WatchRun run{client};
};

TEST_F(WatchRunTest, APageChangedBetweenTwoRunsIsToldOnlyByTheSecond) {
  WatchReport first = RunOnce();  // measures /sized; /dated older than the start of watching
  EXPECT_TRUE(first.changed.empty());
  EXPECT_EQ(WatchFinding::kUnchanged, watched.Find(server.Url("/dated"))->last);
  EXPECT_EQ(1000u, watched.Find(server.Url("/sized"))->size);
  EXPECT_EQ(WatchFinding::kBadStatus, watched.Find(server.Url("/gone"))->last);
  EXPECT_EQ("404", watched.Find(server.Url("/gone"))->status.substr(0, 3));

  EXPECT_TRUE(RunOnce().changed.empty());  // nothing changed: nothing told

  server.modified = kStart + 5;
  server.size = 1200;
  const WatchReport third = RunOnce();
  EXPECT_EQ((std::vector<std::string>{"/dated", "/sized"}), Titles(third.changed));
  EXPECT_EQ(kStart + 5, watched.Find(server.Url("/dated"))->changedAt);
  EXPECT_EQ(2, watched.ChangedCount());
  // The two bad pages failed their third run in a row: told now, and only now.
  EXPECT_EQ((std::vector<std::string>{"/gone", "closed"}), Titles(third.failing));
  EXPECT_TRUE(RunOnce().Empty());
}

// However the servers behave, the run ends: a silent server's page runs out of its time.
TEST(WatchRunLimitTest, ASilentServerCannotHoldTheRun) {
  SilentServer silent(false);
  CurlHttpClient client;
  WatchRun run(client, CheckLimits{.connectTimeoutMs = 200, .answerTimeoutMs = 200, .pageDeadlineMs = 300});
  FakeClock clock{kStart};
  WatchedPages watched{clock};
  watched.Watch(silent.Url(), "silent");
  Event ended;
  ASSERT_TRUE(run.Start(watched.Pages(), [&] { ended.Set(); }));
  EXPECT_FALSE(run.Start(watched.Pages(), {}));  // one run at a time
  ended.Wait();
  const std::vector<WatchAnswer> answers = run.Finish();
  ASSERT_EQ(1u, answers.size());
  EXPECT_EQ(WatchFinding::kUnreachable, answers[0].finding);
}

TEST(WatchRunLimitTest, StopEndsARunAtOnceWithoutAnswers) {
  SilentServer silent(true);
  CurlHttpClient client;
  WatchRun run(client);
  FakeClock clock{kStart};
  WatchedPages watched{clock};
  watched.Watch(silent.Url(), "silent");
  Event ended;
  ASSERT_TRUE(run.Start(watched.Pages(), [&] { ended.Set(); }));
  run.Stop();
  ended.Wait();
  EXPECT_TRUE(run.Finish().empty());
}

}  // namespace
}  // namespace checkertest
