#include "store/page_mark_store.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "support/fake_clock.h"

namespace {

// Writes down every call; reads the record in each, so a freed record shows up under ASan.
class RecordingListener : public StoreListener {
 public:
  void OnNewPageMark(CPez& p) override { Log("new", p); }
  void OnDroppedPageMark(CPez& p) override { Log("dropped", p); }
  void OnRevisitRecent(CPez& p) override { Log("recent", p); }
  void OnRevisitSite(CPez& p) override { Log("site", p); }
  void OnPageMarkAdded(CPez& p) override { Log("added", p); }
  void OnPageMarkRemoved(CPez& p) override { Log("removed", p); }
  void OnPageMarksRenumbered() override { events.push_back("renumbered"); }

  std::vector<std::string> events;

 private:
  void Log(const char* what, const CPez& p) { events.push_back(std::string(what) + " " + p.url + " " + p.title); }
};

class PageMarkStoreTest : public ::testing::Test {
 protected:
  PageMarkStoreTest() { store.AddListener(&listener); }

  bool Visit(const std::string& url, const std::string& title = "") {
    return store.RecordVisit(url, title.empty() ? "T" + url : title);
  }
  // Visits count new pages page0, page1, ... one second apart.
  void VisitNewPages(int count, int from = 0) {
    for (int i = from; i < from + count; ++i) {
      clock.Advance(1);
      Visit("http://h/page" + std::to_string(i));
    }
  }
  std::vector<std::string> Urls() const {
    std::vector<std::string> urls;
    for (const auto& p : store.PageMarkCache) urls.push_back(p->url);
    return urls;
  }
  // Every PageMark is in both indexes under its keys, and the indexes hold nothing else.
  void ExpectIndexesConsistent() const {
    EXPECT_EQ(store.PageMarkCache.size(), store.UrlIndex.size());
    EXPECT_EQ(store.PageMarkCache.size(), store.CommandIndex.size());
    std::set<uint32_t> numbers;
    for (const auto& p : store.PageMarkCache) {
      EXPECT_EQ(p.get(), store.FindPageMarkByUrl(p->url));
      EXPECT_EQ(p.get(), store.FindPageMarkByCommand(p->commandId));
      EXPECT_GE(p->commandId, kFirstPageMarkCommand);
      EXPECT_LE(p->commandId, kLastPageMarkCommand);
      numbers.insert(p->commandId);
    }
    EXPECT_EQ(store.PageMarkCache.size(), numbers.size());
  }

  CPrefs prefs;
  FakeClock clock{1000000000};
  PageMarkStore store{prefs, clock};
  RecordingListener listener;
};

TEST_F(PageMarkStoreTest, NewPageIsRecordedWithEveryField) {
  EXPECT_TRUE(Visit("http://a/", "A"));
  ASSERT_EQ(1u, store.PageMarkCache.size());
  const CPez& p = *store.PageMarkCache[0];
  EXPECT_EQ("http://a/", p.url);
  EXPECT_EQ("A", p.title);
  EXPECT_EQ(clock.Now(), p.firstVisited);
  EXPECT_EQ(clock.Now(), p.lastVisited);
  EXPECT_EQ(0u, p.size);
  EXPECT_EQ(0u, p.reserved);
  EXPECT_EQ(kFirstPageMarkCommand, p.commandId);
  EXPECT_EQ(kFirstPageMarkCommand + 1, store.nextCommandId);
  EXPECT_TRUE(store.cacheDirty);
  EXPECT_EQ("", store.lastRecordedUrl);
  EXPECT_EQ((std::vector<std::string>{"new http://a/ A", "added http://a/ A"}), listener.events);
  ExpectIndexesConsistent();
}

TEST_F(PageMarkStoreTest, ThousandthPageIsKeptAndTheNextDropsTheOldest) {
  VisitNewPages(1000);
  EXPECT_EQ(1000u, store.PageMarkCache.size());
  CPez* oldest = store.FindPageMarkByUrl("http://h/page0");
  ASSERT_NE(nullptr, oldest);
  const uint32_t oldestNumber = oldest->commandId;

  listener.events.clear();
  VisitNewPages(1, 1000);
  EXPECT_EQ(1000u, store.PageMarkCache.size());
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://h/page0"));
  EXPECT_EQ(nullptr, store.FindPageMarkByCommand(oldestNumber));
  EXPECT_EQ("http://h/page1", store.PageMarkCache.front()->url);
  EXPECT_EQ((std::vector<std::string>{"new http://h/page1000 Thttp://h/page1000",
                                      "dropped http://h/page0 Thttp://h/page0",
                                      "removed http://h/page0 Thttp://h/page0",
                                      "added http://h/page1000 Thttp://h/page1000"}),
            listener.events);
  ExpectIndexesConsistent();

  // Coming back to the dropped page makes a fresh PageMark.
  clock.Advance(5000);
  EXPECT_TRUE(Visit("http://h/page0"));
  CPez* fresh = store.FindPageMarkByUrl("http://h/page0");
  ASSERT_NE(nullptr, fresh);
  EXPECT_EQ(clock.Now(), fresh->firstVisited);
  EXPECT_EQ(clock.Now(), fresh->lastVisited);
  EXPECT_EQ(kFirstPageMarkCommand + 1001, fresh->commandId);
  EXPECT_EQ(1000u, store.PageMarkCache.size());
}

TEST_F(PageMarkStoreTest, RepeatedEchoOfARevisitChangesOnlyTheDirtyFlag) {
  Visit("http://a/");
  Visit("http://b/");
  Visit("http://c/");
  clock.Advance(1000);
  EXPECT_TRUE(Visit("http://b/", "B2"));
  const Time32 lastVisited = store.FindPageMarkByUrl("http://b/")->lastVisited;
  Visit("http://a/");  // a revisit in between makes the next b a revisit again
  EXPECT_EQ((std::vector<std::string>{"http://c/", "http://b/", "http://a/"}), Urls());
  Visit("http://b/", "B3");
  store.cacheDirty = false;
  listener.events.clear();
  clock.Advance(1000);

  EXPECT_FALSE(Visit("http://b/", "B4"));
  EXPECT_TRUE(store.cacheDirty);
  const CPez& b = *store.FindPageMarkByUrl("http://b/");
  EXPECT_EQ("B3", b.title);
  EXPECT_EQ(lastVisited, b.lastVisited);
  EXPECT_EQ((std::vector<std::string>{"http://c/", "http://a/", "http://b/"}), Urls());
  EXPECT_TRUE(listener.events.empty());
}

TEST_F(PageMarkStoreTest, SecondEchoOfANewPageIsARevisit) {
  Visit("http://a/", "first");
  listener.events.clear();
  clock.Advance(10);
  EXPECT_TRUE(Visit("http://a/", "second"));
  const CPez& p = *store.FindPageMarkByUrl("http://a/");
  EXPECT_EQ("second", p.title);
  EXPECT_EQ(p.firstVisited, p.lastVisited);
  EXPECT_EQ("http://a/", store.lastRecordedUrl);
  EXPECT_EQ((std::vector<std::string>{"recent http://a/ second", "site http://a/ second"}), listener.events);
}

TEST_F(PageMarkStoreTest, RevisitMovesToTheEndAndKeepsItsNumber) {
  Visit("http://a/");
  Visit("http://b/");
  Visit("http://c/");
  const uint32_t number = store.FindPageMarkByUrl("http://a/")->commandId;
  Visit("http://a/");
  EXPECT_EQ((std::vector<std::string>{"http://b/", "http://c/", "http://a/"}), Urls());
  EXPECT_EQ(number, store.FindPageMarkByUrl("http://a/")->commandId);
  EXPECT_EQ(kFirstPageMarkCommand + 3, store.nextCommandId);
  ExpectIndexesConsistent();
}

TEST_F(PageMarkStoreTest, LastVisitMovesOnlyMoreThanFiveMinutesAfterTheFirst) {
  const Time32 first = clock.Now();
  Visit("http://a/");
  Visit("http://b/");
  clock.Set(first + 300);
  Visit("http://a/");
  EXPECT_EQ(first, store.FindPageMarkByUrl("http://a/")->lastVisited);
  Visit("http://b/");
  clock.Set(first + 301);
  Visit("http://a/");
  EXPECT_EQ(first + 301, store.FindPageMarkByUrl("http://a/")->lastVisited);
  EXPECT_EQ(first, store.FindPageMarkByUrl("http://a/")->firstVisited);
}

TEST_F(PageMarkStoreTest, UrlsDifferingInLetterCaseAreTwoPageMarks) {
  Visit("http://h/Page");
  Visit("http://h/page");
  EXPECT_EQ(2u, store.PageMarkCache.size());
  EXPECT_NE(store.FindPageMarkByUrl("http://h/Page"), store.FindPageMarkByUrl("http://h/page"));
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://h/PAGE"));
}

TEST_F(PageMarkStoreTest, IndexPageMarksNumbersOldestFirst) {
  Visit("http://a/");
  Visit("http://b/");
  Visit("http://c/");
  Visit("http://a/");  // order now b, c, a
  store.ResetIndexes();
  EXPECT_TRUE(store.UrlIndex.empty());
  EXPECT_TRUE(store.CommandIndex.empty());
  EXPECT_EQ(kFirstPageMarkCommand, store.nextCommandId);

  store.IndexPageMarks();
  EXPECT_EQ(1034u, store.FindPageMarkByUrl("http://b/")->commandId);
  EXPECT_EQ(1035u, store.FindPageMarkByUrl("http://c/")->commandId);
  EXPECT_EQ(1036u, store.FindPageMarkByUrl("http://a/")->commandId);
  ExpectIndexesConsistent();
  Visit("http://d/");
  EXPECT_EQ(1037u, store.FindPageMarkByUrl("http://d/")->commandId);
}

TEST_F(PageMarkStoreTest, DeleteTellsListenersBeforeFreeingAndForgetsEveryReference) {
  Visit("http://a/", "A");
  Visit("http://b/", "B");
  CPez* a = store.FindPageMarkByUrl("http://a/");
  const uint32_t number = a->commandId;
  store.SendToTopicsList = {a, store.FindPageMarkByUrl("http://b/"), a};
  store.cacheDirty = false;
  listener.events.clear();

  store.DeletePageMark(a);
  EXPECT_EQ((std::vector<std::string>{"removed http://a/ A"}), listener.events);
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://a/"));
  EXPECT_EQ(nullptr, store.FindPageMarkByCommand(number));
  EXPECT_EQ((std::vector<std::string>{"http://b/"}), Urls());
  ASSERT_EQ(1u, store.SendToTopicsList.size());
  EXPECT_EQ("http://b/", store.SendToTopicsList[0]->url);
  EXPECT_FALSE(store.cacheDirty);
  ExpectIndexesConsistent();
}

TEST_F(PageMarkStoreTest, DeleteOfAPageMarkNotInTheStoreDoesNothing) {
  Visit("http://a/");
  CPez stranger;
  stranger.url = "http://a/";
  stranger.commandId = kFirstPageMarkCommand;
  listener.events.clear();
  store.DeletePageMark(&stranger);
  store.DeletePageMark(nullptr);
  EXPECT_TRUE(listener.events.empty());
  EXPECT_EQ(1u, store.PageMarkCache.size());
  ExpectIndexesConsistent();
}

TEST_F(PageMarkStoreTest, DroppedPageMarkLeavesTheSendToTopicsList) {
  prefs.maxPageMarks = 2;
  VisitNewPages(2);
  store.SendToTopicsList.push_back(store.FindPageMarkByUrl("http://h/page0"));
  VisitNewPages(1, 2);
  EXPECT_TRUE(store.SendToTopicsList.empty());
}

TEST_F(PageMarkStoreTest, ClearStoreFreesEveryPageMarkAfterTellingListeners) {
  Visit("http://a/", "A");
  Visit("http://b/", "B");
  store.SendToTopicsList.push_back(store.FindPageMarkByUrl("http://a/"));
  listener.events.clear();
  store.ClearStore();
  EXPECT_EQ((std::vector<std::string>{"removed http://a/ A", "removed http://b/ B"}), listener.events);
  EXPECT_TRUE(store.PageMarkCache.empty());
  EXPECT_TRUE(store.SendToTopicsList.empty());
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://a/"));
}

TEST_F(PageMarkStoreTest, ListenerThatDeletesAgainWhileHearingOfARemovalIsHarmless) {
  // A window that closes its rows in OnPageMarkRemoved and, in doing so, deletes again.
  struct Redeleting : StoreListener {
    PageMarkStore* store = nullptr;
    void OnPageMarkRemoved(CPez& p) override { store->DeletePageMark(&p); }
  } redeleting;
  redeleting.store = &store;
  store.AddListener(&redeleting);
  Visit("http://a/");
  Visit("http://b/");
  store.DeletePageMark(store.FindPageMarkByUrl("http://a/"));
  EXPECT_EQ((std::vector<std::string>{"http://b/"}), Urls());
  store.ClearStore();
  EXPECT_TRUE(store.PageMarkCache.empty());
  store.RemoveListener(&redeleting);
}

class PageMarkLimitTest : public PageMarkStoreTest, public ::testing::WithParamInterface<int32_t> {};

TEST_P(PageMarkLimitTest, ZeroOrLessMeansTheDefaultThousand) {
  prefs.maxPageMarks = GetParam();
  EXPECT_EQ(1000u, store.PageMarkLimit());
  VisitNewPages(1000);
  EXPECT_EQ(1000u, store.PageMarkCache.size());
  VisitNewPages(1, 1000);
  EXPECT_EQ(1000u, store.PageMarkCache.size());
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://h/page0"));
  EXPECT_EQ(GetParam(), prefs.maxPageMarks);
}

INSTANTIATE_TEST_SUITE_P(Values, PageMarkLimitTest, ::testing::Values(0, -1, INT32_MIN));

TEST_F(PageMarkStoreTest, LimitAboveFiveThousandIsUsedAsFiveThousand) {
  prefs.maxPageMarks = 20000;
  EXPECT_EQ(5000u, store.PageMarkLimit());
  prefs.maxPageMarks = 50;
  EXPECT_EQ(50u, store.PageMarkLimit());
  prefs.maxPageMarks = 20000;
  VisitNewPages(5001);
  EXPECT_EQ(5000u, store.PageMarkCache.size());
  EXPECT_EQ(20000, prefs.maxPageMarks);
  ExpectIndexesConsistent();
}

TEST_F(PageMarkStoreTest, NumbersAreHandedOutAnewBeforeTheyReachTheTopicRange) {
  VisitNewPages(5000);
  EXPECT_EQ(kLastPageMarkCommand, store.PageMarkCache.back()->commandId);
  EXPECT_EQ(kLastPageMarkCommand + 1, store.nextCommandId);
  listener.events.clear();

  VisitNewPages(1, 5000);
  ASSERT_FALSE(listener.events.empty());
  EXPECT_EQ("renumbered", listener.events[0]);
  EXPECT_EQ("new http://h/page5000 Thttp://h/page5000", listener.events[1]);
  // The 1000 kept before the visit took 1034..2033, oldest first; the new page 2034; then the
  // oldest of them was dropped as usual.
  EXPECT_EQ(1000u, store.PageMarkCache.size());
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://h/page4000"));
  EXPECT_EQ(1035u, store.FindPageMarkByUrl("http://h/page4001")->commandId);
  EXPECT_EQ(2034u, store.FindPageMarkByUrl("http://h/page5000")->commandId);
  EXPECT_EQ(2035u, store.nextCommandId);
  ExpectIndexesConsistent();
}

TEST_F(PageMarkStoreTest, RenumberingAFullStoreOfFiveThousandDropsOnlyTheOldest) {
  prefs.maxPageMarks = 5000;
  VisitNewPages(5000);
  listener.events.clear();

  VisitNewPages(1, 5000);
  EXPECT_EQ((std::vector<std::string>{"dropped http://h/page0 Thttp://h/page0",
                                      "removed http://h/page0 Thttp://h/page0", "renumbered",
                                      "new http://h/page5000 Thttp://h/page5000",
                                      "added http://h/page5000 Thttp://h/page5000"}),
            listener.events);
  EXPECT_EQ(5000u, store.PageMarkCache.size());
  EXPECT_EQ(1034u, store.FindPageMarkByUrl("http://h/page1")->commandId);
  EXPECT_EQ(kLastPageMarkCommand, store.FindPageMarkByUrl("http://h/page5000")->commandId);
  ExpectIndexesConsistent();
}

TEST_F(PageMarkStoreTest, AVisitWaitsWhileTheStoreLockIsHeld) {
  std::atomic<bool> recorded{false};
  auto lock = store.Lock();
  std::thread visitor([&] {
    store.RecordVisit("http://a/", "A");
    recorded = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(recorded);
  EXPECT_TRUE(store.PageMarkCache.empty());
  lock.unlock();
  visitor.join();
  EXPECT_TRUE(recorded);
  EXPECT_EQ(1u, store.PageMarkCache.size());
}

}  // namespace
