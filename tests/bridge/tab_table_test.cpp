#include "bridge/host/tab_table.h"

#include <gtest/gtest.h>

namespace bridge {
namespace {

using std::chrono::milliseconds;
using Echoes = std::vector<PageEcho>;

const Clock::time_point t0 = Clock::time_point() + std::chrono::hours(1);

TabReport Tab(uint32_t tab, uint32_t window, std::string url, std::string title, bool complete = false,
              bool active = false) {
  TabReport r;
  r.tabId = tab;
  r.windowId = window;
  r.url = std::move(url);
  r.title = std::move(title);
  r.complete = complete;
  r.active = active;
  return r;
}

TitleTimes Waits(int grace, int staleGrace = 3000, int settle = 2000, int retitles = 3) {
  return TitleTimes{milliseconds(grace), milliseconds(staleGrace), milliseconds(settle), retitles};
}

TEST(TabTable, EchoesAPageOnceItsRealTitleArrivesBeforeTheLoadEnds) {
  TabTable table;
  // While loading, the tab shows its address without the scheme as its title.
  EXPECT_EQ(table.Update(Tab(7, 1, "https://example.org/a", "example.org/a"), t0), Echoes{});
  EXPECT_EQ(table.Update(Tab(7, 1, "https://example.org/a", "Page A"), t0),
            (Echoes{{7, "https://example.org/a", "Page A"}}));
  // Later reports of the same page echo nothing at once, but the latest title is kept.
  EXPECT_EQ(table.Update(Tab(7, 1, "https://example.org/a", "Page A", true), t0), Echoes{});
  EXPECT_EQ(table.Update(Tab(7, 1, "https://example.org/a", "(1) Page A", true), t0), Echoes{});
  EXPECT_EQ(table.Find(7)->title, "(1) Page A");
}

TEST(TabTable, AFinishedPageWaitsBrieflyForItsTitleThenEchoesWithWhatItHas) {
  TabTable table(Waits(1000));
  EXPECT_EQ(table.Update(Tab(7, 1, "http://h/x", "h/x", true), t0), Echoes{});
  EXPECT_EQ(table.NextDeadline(), t0 + milliseconds(1000));
  EXPECT_EQ(table.TakeDue(t0 + milliseconds(999)), Echoes{});
  // A repeated "complete" does not push the deadline back.
  EXPECT_EQ(table.Update(Tab(7, 1, "http://h/x", "h/x", true), t0 + milliseconds(500)), Echoes{});
  EXPECT_EQ(table.TakeDue(t0 + milliseconds(1000)), (Echoes{{7, "http://h/x", "h/x"}}));
  EXPECT_EQ(table.TakeDue(t0 + milliseconds(5000)), Echoes{});
  EXPECT_FALSE(table.NextDeadline().has_value());
}

TEST(TabTable, ATitleArrivingDuringTheWaitEchoesAtOnce) {
  TabTable table(Waits(1000));
  table.Update(Tab(7, 1, "http://h/x", "h/x", true), t0);
  EXPECT_EQ(table.Update(Tab(7, 1, "http://h/x", "Real", true), t0 + milliseconds(10)),
            (Echoes{{7, "http://h/x", "Real"}}));
  EXPECT_FALSE(table.NextDeadline().has_value());
}

// After history.pushState the tab shows the previous page's title at the new address, loaded.
TEST(TabTable, TheOldPagesTitleCountsForTheNextPageOnlyOnceItsGraceHasPassed) {
  TabTable table(Waits(1000, 3000));
  table.Update(Tab(7, 1, "http://h/a", "Shared", true), t0);
  EXPECT_EQ(table.Update(Tab(7, 1, "http://h/b", "Shared", true), t0), Echoes{});
  EXPECT_EQ(table.TakeDue(t0 + milliseconds(2999)), Echoes{});
  EXPECT_EQ(table.TakeDue(t0 + milliseconds(3000)), (Echoes{{7, "http://h/b", "Shared"}}));
  // A page that sets its own title in time is echoed with it at once.
  table.Update(Tab(7, 1, "http://h/c", "Shared", true), t0);
  EXPECT_EQ(table.Update(Tab(7, 1, "http://h/c", "C", true), t0 + milliseconds(300)),
            (Echoes{{7, "http://h/c", "C"}}));
}

TEST(TabTable, ALateTitleIsEchoedAgainOnceItHoldsAndOnlyAFewTimes) {
  TabTable table(Waits(1000, 3000, 2000, 2));
  table.Update(Tab(7, 1, "http://h/a", "Loading...", true), t0);
  table.Update(Tab(7, 1, "http://h/a", "Ready", true), t0 + milliseconds(100));
  EXPECT_EQ(table.NextDeadline(), t0 + milliseconds(2100));
  table.Update(Tab(7, 1, "http://h/a", "Ready!", true), t0 + milliseconds(1500));  // changed again: waits on
  EXPECT_EQ(table.TakeDue(t0 + milliseconds(2100)), Echoes{});
  EXPECT_EQ(table.TakeDue(t0 + milliseconds(3500)), (Echoes{{7, "http://h/a", "Ready!", true}}));
  // A stand-in or a title echoed before is not echoed again: a title going back and forth stops.
  table.Update(Tab(7, 1, "http://h/a", "h/a", true), t0 + milliseconds(4000));
  table.Update(Tab(7, 1, "http://h/a", "Loading...", true), t0 + milliseconds(8000));
  EXPECT_FALSE(table.NextDeadline().has_value());
  // Past the budget, nothing more.
  table.Update(Tab(7, 1, "http://h/a", "Third", true), t0 + milliseconds(9000));
  EXPECT_EQ(table.TakeDue(t0 + milliseconds(11000)).size(), 1u);
  table.Update(Tab(7, 1, "http://h/a", "Fourth", true), t0 + milliseconds(12000));
  EXPECT_FALSE(table.NextDeadline().has_value());
  // A new page starts afresh.
  EXPECT_EQ(table.Update(Tab(7, 1, "http://h/b", "B", true), t0 + milliseconds(13000)).size(), 1u);
}

// A page echoed with its address gets its title echoed as soon as it comes: the user may have
// left the page before the title would have held.
TEST(TabTable, ATitleReplacingAStandInIsEchoedAtOnceThenTitlesHoldAgain) {
  TabTable table(Waits(1000));
  const std::string url = "http://h/scripted";
  table.Update(Tab(7, 1, url, "h/scripted", true), t0);
  EXPECT_EQ(table.TakeDue(t0 + milliseconds(1000)), (Echoes{{7, url, "h/scripted"}}));
  EXPECT_EQ(table.Update(Tab(7, 1, url, "Set By Script", true), t0 + milliseconds(2500)),
            (Echoes{{7, url, "Set By Script", true}}));
  EXPECT_EQ(table.Update(Tab(7, 1, url, "Set Again", true), t0 + milliseconds(2600)), Echoes{});
  EXPECT_EQ(table.NextDeadline(), t0 + milliseconds(4600)) << "a real title replaced waits to hold";

  // The same for a page an earlier host echoed with its address (the snapshot marks it echoed).
  TabReport shown = Tab(8, 1, "http://h/b", "h/b", true);
  shown.echoed = true;
  EXPECT_EQ(table.Update(shown, t0), Echoes{});
  EXPECT_EQ(table.Update(Tab(8, 1, "http://h/b", "B", true), t0 + milliseconds(100)),
            (Echoes{{8, "http://h/b", "B", true}}));
}

TEST(TabTable, AnEchoThatWentOutWithANewerTitleIsNotRepeated) {
  TabTable table(Waits(1000));
  table.Update(Tab(7, 1, "http://h/a", "A", true), t0);
  table.Update(Tab(7, 1, "http://h/a", "A2", true), t0 + milliseconds(10));
  table.NoteSent(7, "http://h/a", "A2");
  EXPECT_FALSE(table.NextDeadline().has_value());
}

TEST(TabTable, AMoveWithinThePageIsNoNewPage) {
  TabTable table;
  table.Update(Tab(7, 1, "http://h/a", "A", true), t0);
  EXPECT_EQ(table.Update(Tab(7, 1, "http://h/a#part", "A", true), t0), Echoes{});
  EXPECT_EQ(table.Find(7)->url, "http://h/a#part");
  EXPECT_EQ(table.EchoedPages(), (Echoes{{7, "http://h/a", "A"}}));
  EXPECT_TRUE(TabTable::SamePage("http://h/a#x", "http://h/a"));
  EXPECT_FALSE(TabTable::SamePage("http://h/a?x#y", "http://h/a#y"));
}

TEST(TabTable, EchoedPagesListsTheTabActivatedLastAtTheEnd) {
  TabTable table(Waits(1000));
  table.Update(Tab(1, 10, "http://h/a", "A", true, true), t0);
  table.Update(Tab(2, 10, "http://h/b", "B", true), t0);
  table.Update(Tab(3, 10, "http://h/c", "h/c", true), t0);  // not echoed yet
  table.Update(Tab(4, 10, "chrome://settings/", "Settings", true), t0);
  table.Activate(2, 10);
  EXPECT_EQ(table.EchoedPages(), (Echoes{{1, "http://h/a", "A"}, {2, "http://h/b", "B"}}));
  table.Focus(10);
  table.Activate(1, 10);
  EXPECT_EQ(table.EchoedPages().back().tabId, 1u);
}

TEST(TabTable, ANewPageInTheSameTabIsEchoedAgainAndSoIsGoingBack) {
  TabTable table;
  EXPECT_EQ(table.Update(Tab(7, 1, "http://h/a", "A", true), t0).size(), 1u);
  EXPECT_EQ(table.Update(Tab(7, 1, "http://h/b", "B", true), t0), (Echoes{{7, "http://h/b", "B"}}));
  EXPECT_EQ(table.Update(Tab(7, 1, "http://h/a", "A", true), t0), (Echoes{{7, "http://h/a", "A"}}));
  // The same page reported in another tab is that tab's own visit.
  EXPECT_EQ(table.Update(Tab(8, 1, "http://h/a", "A", true), t0), (Echoes{{8, "http://h/a", "A"}}));
}

TEST(TabTable, TheBrowsersOwnPagesAreNeverEchoed) {
  TabTable table(Waits(0));
  for (const char* url : {"chrome://newtab/", "about:blank", "chrome-extension://abc/x.html",
                          "data:text/html,hi", "moz-extension://x/y", "javascript:void(0)", ""}) {
    EXPECT_EQ(table.Update(Tab(3, 1, url, std::string("Title of ") + url, true), t0), Echoes{}) << url;
  }
  EXPECT_EQ(table.TakeDue(t0 + milliseconds(10)), Echoes{});
  for (const char* url : {"HTTP://h/", "https://h/", "ftp://h/f", "file:///tmp/x.html"}) {
    EXPECT_EQ(table.Update(Tab(3, 1, url, std::string("Title of ") + url, true), t0).size(), 1u) << url;
  }
}

TEST(TabTable, AReconnectSnapshotRecordsNothingTwice) {
  TabTable table;
  table.Update(Tab(1, 10, "http://h/a", "A", true), t0);
  // The same tab again in a snapshot: already echoed by this host.
  EXPECT_EQ(table.Snapshot({Tab(1, 10, "http://h/a", "A", true, true)}, 10, t0), Echoes{});

  // A fresh host gets a snapshot in which the extension marks what an earlier host echoed.
  TabTable fresh;
  TabReport echoed = Tab(1, 10, "http://h/a", "A", true, true);
  echoed.echoed = true;
  const Echoes got = fresh.Snapshot({echoed, Tab(2, 10, "http://h/new", "New", true)}, 10, t0);
  EXPECT_EQ(got, (Echoes{{2, "http://h/new", "New"}}));
}

TEST(TabTable, ASnapshotForgetsTabsClosedWhileDisconnected) {
  TabTable table;
  table.Update(Tab(1, 10, "http://h/a", "A", true, true), t0);
  table.Update(Tab(2, 10, "http://h/b", "B", true), t0);
  table.Snapshot({Tab(2, 10, "http://h/b", "B", true, true)}, 10, t0);
  EXPECT_EQ(table.Size(), 1u);
  EXPECT_EQ(table.Find(1), nullptr);
  EXPECT_EQ(table.Resolve(kAnyWindow), 2u);
}

TEST(TabTable, ClosingATabForgetsItAndItsPendingEcho) {
  TabTable table(Waits(1000));
  table.Update(Tab(1, 10, "http://h/a", "h/a", true, true), t0);
  table.Remove(1);
  EXPECT_EQ(table.Find(1), nullptr);
  EXPECT_FALSE(table.Resolve(kAnyWindow).has_value());
  EXPECT_EQ(table.TakeDue(t0 + milliseconds(2000)), Echoes{});
  table.Remove(99);  // unknown: no effect
  EXPECT_EQ(table.Size(), 0u);
}

TEST(TabTable, AnyWindowMeansTheActiveTabOfTheLastFocusedWindow) {
  TabTable table;
  table.Update(Tab(1, 10, "http://h/a", "A", true, true), t0);
  table.Update(Tab(2, 10, "http://h/b", "B", true), t0);
  table.Update(Tab(3, 20, "http://h/c", "C", true, true), t0);
  table.Focus(10);
  EXPECT_EQ(table.Resolve(kAnyWindow), 1u);
  table.Activate(2, 10);
  EXPECT_EQ(table.Resolve(kAnyWindow), 2u);
  EXPECT_EQ(table.Find(kAnyWindow)->url, "http://h/b");
  table.Focus(20);
  EXPECT_EQ(table.Resolve(kAnyWindow), 3u);
  // An activation reported for another window than the tab's is stale and ignored.
  table.Activate(1, 20);
  EXPECT_EQ(table.Resolve(kAnyWindow), 3u);
  // With the focused window's active tab gone, the tab activated last stands in.
  table.Remove(3);
  EXPECT_EQ(table.Resolve(kAnyWindow), 2u);
}

TEST(TabTable, ATabMovedToAnotherWindowLeavesItsOldWindow) {
  TabTable table;
  table.Update(Tab(1, 10, "http://h/a", "A", true, true), t0);
  table.Focus(10);
  table.Update(Tab(1, 20, "http://h/a", "A", true), t0);  // moved, not active in the new window
  EXPECT_EQ(table.Find(1)->windowId, 20u);
  // Window 10 has no active tab any more; the last activated tab stands in.
  EXPECT_EQ(table.Resolve(kAnyWindow), 1u);
  table.Update(Tab(2, 10, "http://h/b", "B", true, true), t0);
  EXPECT_EQ(table.Resolve(kAnyWindow), 2u);
}

TEST(TabTable, ResolvesKnownIdsOnly) {
  TabTable table;
  EXPECT_FALSE(table.Resolve(kAnyWindow).has_value());
  table.Update(Tab(5, 1, "http://h/", "H"), t0);
  EXPECT_EQ(table.Resolve(5), 5u);
  EXPECT_FALSE(table.Resolve(6).has_value());
}

}  // namespace
}  // namespace bridge
