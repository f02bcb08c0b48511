#include "checker/update_checker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "checker/check_texts.h"
#include "checker/fake_check_view.h"
#include "checker/test_servers.h"
#include "checker/walkers.h"
#include "platform/curl_http_client.h"

namespace checkertest {
namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;
using Records = std::vector<FakeCheckView::Record>;
constexpr Time32 kVisit = 1700000000;
constexpr Verdict kUnchanged = Verdict::kUnchanged;

// One page at a time, each to its end: the order of the walk shows in what the run shows.
constexpr CheckLimits kOneAtATime{.places = 1, .placeMs = 600000};

// Whole runs through UpdateChecker over a fake window; pages on a local server.
class WalkerTest : public ::testing::Test {
 protected:
  // A page changed n seconds after the visit (n > 0) or unchanged since (n <= 0).
  std::string Page(int n) { return server.Url("/dated/" + std::to_string(kVisit + n)); }
  ItemKey AddPage(ItemKey parent, const std::string& url, uint32_t size = 0) {
    return view.AddPage(parent, url, kVisit, size);
  }
  // Runs scope to its end; the run's exit code.
  int Run(CheckScope scope) {
    view.statusTexts.clear();
    view.verdicts.clear();
    EXPECT_TRUE(checker.Start(std::move(scope)));
    checker.Wait();
    EXPECT_EQ(kCheckMenuLabel, view.labels.back());
    return checker.LastExitCode();
  }

  TestServer server;
  CurlHttpClient client;
  CPrefs prefs;
  FakeCheckView view;
  UpdateChecker checker{view, client, prefs, kOneAtATime};
};

TEST_F(WalkerTest, PageMarkListRunsFromTheLastToTheFirstCountingUp) {
  const std::string closed = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  const ItemKey a = AddPage(kTopLevel, Page(5));
  const ItemKey b = AddPage(kTopLevel, "ftp://127.0.0.1/b");
  const ItemKey c = AddPage(kTopLevel, closed);
  const ItemKey d = AddPage(kTopLevel, Page(0));
  EXPECT_EQ(0, Run(CheckScope(CheckPageMarkList)));
  EXPECT_EQ((Texts{"Checking 1 of 4, " + Page(0), "Checking 2 of 4, " + closed,
                   "Checking 3 of 4, ftp://127.0.0.1/b", "Checking 4 of 4, " + Page(5), kAllDoneStatus}),
            view.statusTexts);
  // Each page shows Unchanged while it is checked; one whose answer marks nothing shows it again.
  EXPECT_EQ((Records{{d, kUnchanged},
                     {d, kUnchanged},
                     {c, kUnchanged},
                     {c, Verdict::kUnreachable},
                     {b, kUnchanged},
                     {a, kUnchanged},
                     {a, Verdict::kUpdated}}),
            view.verdicts);

  EXPECT_EQ(0, Run(CheckScope::SelectedPageMarks({a, b, d})));
  EXPECT_EQ((Texts{"Checking 1 of 3, " + Page(0), "Checking 2 of 3, ftp://127.0.0.1/b",
                   "Checking 3 of 3, " + Page(5), kAllDoneStatus}),
            view.statusTexts);
  EXPECT_EQ(
      (Records{{d, kUnchanged}, {d, kUnchanged}, {b, kUnchanged}, {a, kUnchanged}, {a, Verdict::kUpdated}}),
      view.verdicts);
}

TEST_F(WalkerTest, SitesRunInTreeOrderPassingOverEmptySitesAndOtherSchemes) {
  const ItemKey first = view.AddFolder(kTopLevel);
  view.AddFolder(kTopLevel);  // no PageMarks left
  const ItemKey third = view.AddFolder(kTopLevel);
  const ItemKey p1 = AddPage(first, Page(5));
  AddPage(first, "mailto:someone@example.org");
  const ItemKey p3 = AddPage(third, Page(-5));
  EXPECT_EQ(0, Run(CheckScope(CheckAllSites)));
  EXPECT_EQ((Texts{"Checking " + Page(5) + "...", "Checking " + Page(-5) + "...", kAllDoneStatus}),
            view.statusTexts);
  EXPECT_EQ((Records{{p1, kUnchanged}, {p1, Verdict::kUpdated}, {p3, kUnchanged}, {p3, kUnchanged}}),
            view.verdicts);

  EXPECT_EQ(0, Run(CheckScope(CheckSelectedSite, third)));
  EXPECT_EQ((Texts{"Checking " + Page(-5) + "...", kAllDoneStatus}), view.statusTexts);
}

TEST_F(WalkerTest, TopicsRunFromTheLastChildToTheFirstFoldersAtOnce) {
  // Top level: e1, F1 [e2, F2 [e3], e4], e5.
  const ItemKey e1 = AddPage(kTopLevel, "news:comp.lang");
  const ItemKey f1 = view.AddFolder(kTopLevel);
  const ItemKey e2 = AddPage(f1, Page(-2));
  const ItemKey f2 = view.AddFolder(f1);
  const ItemKey e3 = AddPage(f2, Page(-3));
  const ItemKey e4 = AddPage(f1, Page(-4));
  const ItemKey e5 = AddPage(kTopLevel, Page(-5));
  EXPECT_EQ(0, Run(CheckScope(CheckTopics)));
  EXPECT_EQ((std::vector<ItemKey>{e5, e4, e3, e2, e1}), view.reconciled);
  EXPECT_EQ((Texts{kReconcilingStatus, kCheckingPageMarksStatus, "Checking " + Page(-5) + "...",
                   "Checking " + Page(-4) + "...", "Checking " + Page(-3) + "...",
                   "Checking " + Page(-2) + "...", kAllDoneStatus}),
            view.statusTexts);
  EXPECT_EQ((std::vector<ItemKey>{kTopLevel, f1, f2, f1}), view.saved);  // the folder of each entry

  view.reconciled.clear();
  EXPECT_EQ(0, Run(CheckScope(CheckTopics, f2)));
  EXPECT_EQ(std::vector<ItemKey>{e3}, view.reconciled);
  EXPECT_EQ(
      (Texts{kReconcilingStatus, kCheckingPageMarksStatus, "Checking " + Page(-3) + "...", kAllDoneStatus}),
      view.statusTexts);
}

TEST_F(WalkerTest, PageMarksDeletedDuringTheRunArePassedOver) {
  const ItemKey a = AddPage(kTopLevel, Page(0));
  const ItemKey b = AddPage(kTopLevel, Page(1));
  const ItemKey c = AddPage(kTopLevel, server.Url("/sized/2000"), 1000);
  view.onStatus = [&](const std::string& text) {
    if (!text.starts_with("Checking 1 of 3")) return;
    view.Remove(b);  // before it is reached
    view.Remove(c);  // while it is checked: its new size has nowhere to go
  };
  EXPECT_EQ(0, Run(CheckScope(CheckPageMarkList)));
  EXPECT_EQ(
      (Texts{"Checking 1 of 3, " + server.Url("/sized/2000"), "Checking 3 of 3, " + Page(0), kAllDoneStatus}),
      view.statusTexts);
  EXPECT_EQ((Records{{c, kUnchanged}, {a, kUnchanged}, {a, kUnchanged}}), view.verdicts);
}

TEST_F(WalkerTest, AStopIsObeyedAndTheNextRunStartsAfresh) {
  EXPECT_FALSE(checker.RequestStop());        // nothing runs
  EXPECT_FALSE(checker.Start(CheckScope()));  // no walker
  AddPage(kTopLevel, Page(1));
  AddPage(kTopLevel, Page(2));
  view.onStatus = [&](const std::string& text) {
    if (!text.starts_with("Checking 1 of 2")) return;
    EXPECT_TRUE(checker.RequestStop());
    EXPECT_TRUE(checker.RequestStop());  // asked again while stopping
    EXPECT_FALSE(checker.Start(CheckScope(CheckPageMarkList)));
  };
  EXPECT_EQ(2, Run(CheckScope(CheckPageMarkList)));
  EXPECT_EQ((Texts{"Checking 1 of 2, " + Page(2), kStoppedStatus}), view.statusTexts);
  EXPECT_TRUE(view.verdicts.size() == 1u && view.verdicts[0].second == kUnchanged);
  EXPECT_FALSE(checker.RunRegistered());

  view.onStatus = nullptr;
  EXPECT_EQ(0, Run(CheckScope(CheckPageMarkList)));
  EXPECT_EQ(3u, view.statusTexts.size());
}

TEST(UpdateCheckerTest, ARunWithoutASessionEndsAtOnceSayingSo) {
  struct NoSessions : HttpClient {
    std::unique_ptr<HttpSession> OpenSession(const HttpSessionOptions&) override { return nullptr; }
  } client;
  CPrefs prefs;
  FakeCheckView view;
  view.AddPage(kTopLevel, "http://127.0.0.1/");
  UpdateChecker checker(view, client, prefs);
  ASSERT_TRUE(checker.Start(CheckScope(CheckPageMarkList)));
  checker.Wait();
  EXPECT_EQ(Texts{kNoSessionStatus}, view.statusTexts);
  EXPECT_EQ(Texts{kCheckMenuLabel}, view.labels);
  EXPECT_TRUE(view.verdicts.empty());
  EXPECT_EQ(0, checker.LastExitCode());
}

// A run whose one page hangs, on a server that never answers (false) or whose connection
// attempt hangs (true).
class HangingRunTest : public ::testing::TestWithParam<bool> {
 protected:
  HangingRunTest() : server(GetParam()) {
    view.AddPage(kTopLevel, server.Url());
    view.onStatus = [this](const std::string& text) {
      if (text.starts_with("Checking")) checking.Set();
      if (text == kStoppedStatus) stopped.Set();
    };
  }

  // Starts the run and returns once its request hangs.
  void StartHangingRun() {
    ASSERT_TRUE(checker->Start(CheckScope(CheckPageMarkList)));
    ASSERT_TRUE(checking.Wait(5s));
    if (GetParam())
      std::this_thread::sleep_for(300ms);  // well into the connection attempt
    else
      ASSERT_TRUE(server.accepted.Wait(5s));  // the request went out
  }

  SilentServer server;
  CurlHttpClient client;
  CPrefs prefs;
  FakeCheckView view;
  Event checking, stopped;
  std::unique_ptr<UpdateChecker> checker = std::make_unique<UpdateChecker>(view, client, prefs);
};

// The connection or its answer would take 10 or 15 s: only the stop ends the run this soon.
TEST_P(HangingRunTest, AStopEndsTheRunAtOnce) {
  StartHangingRun();
  EXPECT_TRUE(checker->RequestStop());
  ASSERT_TRUE(stopped.Wait(5s));
  checker->Wait();
  EXPECT_EQ(UpdateChecker::kExitStopped, checker->LastExitCode());
  EXPECT_FALSE(checker->RunRegistered());
}

TEST_P(HangingRunTest, DestroyingTheCheckerStopsItsRun) {
  StartHangingRun();
  checker.reset();
  EXPECT_EQ(kStoppedStatus, view.statusTexts.back());
  EXPECT_EQ(kCheckMenuLabel, view.labels.back());
}

INSTANTIATE_TEST_SUITE_P(SilentOrFullQueue, HangingRunTest, ::testing::Bool());

}  // namespace
}  // namespace checkertest

namespace checkertest {
namespace {

// Pages on several hosts (loopback addresses) checked with the pool's limits.
class PoolTest : public ::testing::Test {
 protected:
  ItemKey AddPage(const std::string& url) { return view.AddPage(kTopLevel, url, kVisit); }
  void Run(const CheckLimits& limits) {
    checker = std::make_unique<UpdateChecker>(view, client, prefs, limits);
    ASSERT_TRUE(checker->Start(CheckScope(CheckPageMarkList)));
  }

  CurlHttpClient client;
  CPrefs prefs;
  FakeCheckView view;
  std::unique_ptr<UpdateChecker> checker;
};

// Ten black holes, each on a host of its own, with room for 4 pages at a time: each gives its
// place up after 50 ms and hangs on, while the answering pages are all checked; the status counts
// them and names the page asked about longest. A stop then ends every hanging transfer.
TEST_F(PoolTest, BlackHolesHoldOnlyTheirOwnPagesAndAStopEndsThemAll) {
  TestServer server;
  std::vector<std::unique_ptr<SilentServer>> blackHoles;
  const int kAnswering = 12;
  for (int i = 0; i < kAnswering; ++i) AddPage(server.Url("/dated/" + std::to_string(kVisit + 1)));
  for (int i = 2; i < 12; ++i) {
    blackHoles.push_back(std::make_unique<SilentServer>(false, "127.0.0." + std::to_string(i)));
    AddPage(blackHoles.back()->Url());  // the list walker starts from the last: black holes first
  }
  Event answered, stopped;
  int updated = 0;
  view.onVerdict = [&](ItemKey, Verdict verdict) {
    if (verdict == Verdict::kUpdated && ++updated == kAnswering) answered.Set();
  };
  view.onStatus = [&](const std::string& text) {
    if (text == kStoppedStatus) stopped.Set();
  };
  Run(CheckLimits{.places = 4, .placeMs = 50, .answerTimeoutMs = 600000, .pageDeadlineMs = 600000});
  ASSERT_TRUE(answered.Wait(20s));
  for (const auto& hole : blackHoles) EXPECT_TRUE(hole->accepted.Wait(5s));
  EXPECT_TRUE(checker->RequestStop());
  ASSERT_TRUE(stopped.Wait(5s));
  checker->Wait();
  EXPECT_EQ(UpdateChecker::kExitStopped, checker->LastExitCode());
  const auto last = std::find_if(view.statusTexts.rbegin(), view.statusTexts.rend(),
                                 [](const std::string& text) { return text.starts_with("Checking"); });
  EXPECT_EQ("Checking 13 of 22, " + blackHoles.back()->Url(), *last);
  for (const auto& [item, verdict] : view.verdicts) EXPECT_NE(Verdict::kUnreachable, verdict);
}

// Six pages on each of two hosts, with room for all: each host is asked at most 2 at a time.
TEST_F(PoolTest, AHostIsAskedAtMostTwoPagesAtATime) {
  TestServer first, second(false, "127.0.0.2");
  for (int i = 0; i < 6; ++i) {
    AddPage(first.Url("/gate?" + std::to_string(i)));
    AddPage(second.Url("/gate?" + std::to_string(i)));
  }
  Run(CheckLimits{.places = 12, .placeMs = 600000});
  checker->Wait();
  EXPECT_EQ(UpdateChecker::kExitDone, checker->LastExitCode());
  EXPECT_EQ(kAllDoneStatus, view.statusTexts.back());
  EXPECT_EQ(6u, first.Seen().size());
  EXPECT_EQ(6u, second.Seen().size());
  EXPECT_EQ(2, first.MostAtGate());
  EXPECT_EQ(2, second.MostAtGate());
}

}  // namespace
}  // namespace checkertest
