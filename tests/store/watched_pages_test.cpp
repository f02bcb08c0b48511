#include "store/watched_pages.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/page_mark_store.h"
#include "store/watched_file.h"
#include "store/watched_visits.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"

namespace {

constexpr Time32 kNow = 1700000000;
const std::string kA = "http://a.example/";
const std::string kB = "https://b.example/x";
const FakeClock kClock(kNow);

WatchAnswer Found(const std::string& url, WatchFinding finding, Time32 modified = 0) {
  WatchAnswer answer;
  answer.url = url;
  answer.finding = finding;
  answer.modified = modified;
  return answer;
}

std::vector<std::string> Urls(const std::vector<const WatchedPage*>& pages) {
  std::vector<std::string> urls;
  for (const WatchedPage* page : pages) urls.push_back(page->url);
  return urls;
}

class Counter : public WatchedPagesListener {
 public:
  void OnWatchedPageChanged(const std::string&) override { ++heard; }
  int heard = 0;
};

TEST(WatchedPagesTest, WatchesOnlyCheckableUrlsOnce) {
  WatchedPages watched{kClock};
  EXPECT_TRUE(watched.Watch(kA, "A"));
  EXPECT_FALSE(watched.Watch(kA, "A again"));
  EXPECT_TRUE(watched.Watch("HTTPS://b.example", "B"));
  for (const char* url : {"ftp://a.example/", "file:///etc/passwd", "http:///nohost", "mailto:x@y", ""})
    EXPECT_FALSE(watched.Watch(url, "x")) << url;
  EXPECT_EQ(2u, watched.Pages().size());
  EXPECT_EQ(kNow, watched.Find(kA)->seenAt);  // watching starts now, not at the last visit
  watched.Unwatch(kA);
  EXPECT_FALSE(watched.IsWatched(kA));
}

// A change is told by the run that finds it, stays marked through later runs (which do not tell it
// again) and goes when the user opens the page; the next change counts from then.
TEST(WatchedPagesTest, AChangeIsToldOnceAndStaysUntilOpened) {
  WatchedPages watched{kClock};
  Counter counter;
  auto subscription = watched.Subscribe(counter);
  watched.Watch(kA, "A");
  watched.Watch(kB, "B");

  WatchReport report = watched.TakeAnswers(
      {Found(kA, WatchFinding::kChanged, kNow + 50), Found(kB, WatchFinding::kUnchanged)}, kNow + 100);
  EXPECT_EQ(std::vector<std::string>{kA}, Urls(report.changed));
  EXPECT_EQ(1, watched.ChangedCount());
  EXPECT_EQ(kNow + 50, watched.Find(kA)->seenAt);  // the next run compares with this version
  EXPECT_EQ(kNow + 50, watched.Find(kA)->changedAt);
  EXPECT_EQ(kNow + 100, watched.Find(kB)->checkedAt);

  report = watched.TakeAnswers({Found(kA, WatchFinding::kUnchanged)}, kNow + 200);
  EXPECT_TRUE(report.Empty());
  EXPECT_TRUE(watched.Find(kA)->changed);
  report = watched.TakeAnswers({Found(kA, WatchFinding::kChanged, kNow + 150)}, kNow + 300);
  EXPECT_TRUE(report.Empty());

  watched.PageOpened(kA, kNow + 400);
  EXPECT_EQ(0, watched.ChangedCount());
  EXPECT_EQ(kNow + 400, watched.Find(kA)->seenAt);
  report = watched.TakeAnswers({Found(kA, WatchFinding::kChanged, kNow + 500)}, kNow + 600);
  EXPECT_EQ(std::vector<std::string>{kA}, Urls(report.changed));
  EXPECT_GT(counter.heard, 5);
}

TEST(WatchedPagesTest, AChangeBySizeKeepsBothSizes) {
  WatchedPages watched{kClock};
  watched.Watch(kA, "A");
  WatchAnswer measured = Found(kA, WatchFinding::kUnchanged);
  measured.sizeMeasured = true;
  measured.size = 1000;
  watched.TakeAnswers({measured}, kNow + 1);
  measured.finding = WatchFinding::kChanged;
  measured.size = 1200;
  EXPECT_EQ(1u, watched.TakeAnswers({measured}, kNow + 2).changed.size());
  EXPECT_EQ(1000u, watched.Find(kA)->sizeBefore);
  EXPECT_EQ(1200u, watched.Find(kA)->size);
  EXPECT_EQ(kNow + 2, watched.Find(kA)->changedAt);
}

// A page that fails kFailedRunsReported runs in a row is told once; an answer starts the count anew.
TEST(WatchedPagesTest, FailingPageIsToldOnceAfterRunsInARow) {
  WatchedPages watched{kClock};
  watched.Watch(kA, "A");
  std::vector<size_t> told;
  const WatchFinding runs[] = {WatchFinding::kUnreachable, WatchFinding::kBadStatus,
                               WatchFinding::kUnreachable, WatchFinding::kUnreachable,
                               WatchFinding::kUnchanged,   WatchFinding::kUnreachable,
                               WatchFinding::kUnreachable, WatchFinding::kUnreachable};
  for (WatchFinding finding : runs)
    told.push_back(watched.TakeAnswers({Found(kA, finding)}, kNow).failing.size());
  EXPECT_EQ((std::vector<size_t>{0, 0, 1, 0, 0, 0, 0, 1}), told);
}

TEST(WatchedPagesTest, AnswersForPagesNoLongerWatchedArePassedOver) {
  WatchedPages watched{kClock};
  EXPECT_TRUE(watched.TakeAnswers({Found(kA, WatchFinding::kChanged, kNow)}, kNow).Empty());
  EXPECT_TRUE(watched.Pages().empty());
}

// A visit the browser reports opens the page; so does a page first recorded while watched.
TEST(WatchedPagesTest, VisitsRecordedByTheStoreClearTheMark) {
  FakeClock clock(kNow);
  CPrefs prefs;
  PageMarkStore store(prefs, clock);
  WatchedPages watched{clock};
  WatchedVisits visits(store, watched);
  watched.Watch(kA, "A");
  watched.TakeAnswers({Found(kA, WatchFinding::kChanged, kNow + 5)}, kNow + 10);
  clock.Set(kNow + 20);
  store.RecordVisit(kA, "A, new title");
  EXPECT_FALSE(watched.Find(kA)->changed);
  EXPECT_EQ(kNow + 20, watched.Find(kA)->seenAt);
  store.RecordVisit("http://other.example/", "O");
  watched.TakeAnswers({Found(kA, WatchFinding::kChanged, kNow + 30)}, kNow + 40);
  clock.Set(kNow + 50);
  store.RecordVisit(kA, "A, newer title");
  EXPECT_FALSE(watched.Find(kA)->changed);
  EXPECT_EQ("A, newer title", watched.Find(kA)->title);
}

// --- watched.data ---

TEST(WatchedFileTest, RoundTripKeepsEveryFieldAndAwkwardText) {
  WatchedPages watched{kClock};
  watched.Watch(kA, "tab\there, line\nbreak, back\\slash\r");
  watched.Watch(kB, "");
  WatchAnswer bad = Found(kB, WatchFinding::kBadStatus);
  bad.status = "404 Not Found";
  for (int i = 0; i < kFailedRunsReported; ++i)
    watched.TakeAnswers({Found(kA, WatchFinding::kChanged, kNow + 9), bad}, kNow + 10);
  watched.SetLastRun(kNow + 10);
  std::stringstream file;
  WriteWatched(file, watched);

  WatchedPages read{kClock};
  ASSERT_TRUE(ReadWatched(file, read));
  ASSERT_EQ(2u, read.Pages().size());
  EXPECT_EQ(kNow + 10, read.LastRun());
  for (size_t i = 0; i < 2; ++i) {
    const WatchedPage& a = watched.Pages()[i];
    const WatchedPage& b = read.Pages()[i];
    EXPECT_EQ(a.url, b.url);
    EXPECT_EQ(a.title, b.title);
    EXPECT_EQ(a.seenAt, b.seenAt);
    EXPECT_EQ(a.last, b.last);
    EXPECT_EQ(a.checkedAt, b.checkedAt);
    EXPECT_EQ(a.status, b.status);
    EXPECT_EQ(a.changed, b.changed);
    EXPECT_EQ(a.changedAt, b.changedAt);
    EXPECT_EQ(a.failedRuns, b.failedRuns);
    EXPECT_EQ(a.failureReported, b.failureReported);
  }
}

TEST(WatchedFileTest, DamagedTextIsRefusedAndNewKindsArePassedOver) {
  const std::string good = "Hopwise watched pages 1\nlast-run\t5\n";
  const std::string page = "page\thttp://a/\tA\t1\t0\t1\t2\t\t0\t0\t0\t0\t0\n";
  for (const std::string& text :
       {std::string(), std::string("cache"), good + "page\thttp://a/\tA\n", good + "last-run\tsoon\n",
        good + "page\thttp://a/\tA\t1\t0\t9\t2\t\t0\t0\t0\t0\t0\n",
        good + "page\thttp://a/\tA\\q\t1\t0\t1\t2\t\t0\t0\t0\t0\t0\n"}) {
    WatchedPages watched{kClock};
    watched.Watch(kA, "kept");
    std::istringstream in(text);
    EXPECT_FALSE(ReadWatched(in, watched)) << text;
    EXPECT_EQ("kept", watched.Pages().at(0).title);
  }
  std::istringstream newer("Hopwise watched pages 2\nfolder\tx\n" + page + page);
  WatchedPages watched{kClock};
  ASSERT_TRUE(ReadWatched(newer, watched));
  EXPECT_EQ(1u, watched.Pages().size());
}

TEST(WatchedFileTest, FileIsPrivateAndADamagedOneIsKeptAside) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("hopwise-watched-" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  const std::string path = WatchedPathBeside((folder / "cache.data").string());
  EXPECT_EQ((folder / "watched.data").string(), path);
  RecordingMessageBoxes messages;
  WatchedPages watched{kClock};
  EXPECT_TRUE(LoadWatchedFile(path, watched, messages, kNow));  // missing: nothing watched
  watched.Watch(kA, "A");
  ASSERT_TRUE(SaveWatchedFile(path, watched));
  EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write, fs::status(path).permissions());
  WatchedPages loaded{kClock};
  EXPECT_TRUE(LoadWatchedFile(path, loaded, messages, kNow));
  EXPECT_TRUE(loaded.IsWatched(kA));
  EXPECT_TRUE(messages.Shown().empty());

  std::ofstream(path) << "garbage";
  EXPECT_TRUE(LoadWatchedFile(path, loaded, messages, kNow));
  ASSERT_EQ(1u, messages.Shown().size());
  EXPECT_NE(std::string::npos, messages.Shown()[0].find("damaged"));
  EXPECT_FALSE(fs::exists(path));
  fs::remove_all(folder);
}

}  // namespace
