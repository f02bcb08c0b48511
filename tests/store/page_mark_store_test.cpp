#include "store/page_mark_store.h"

#include <gtest/gtest.h>

#include <set>

#include "support/fake_clock.h"

namespace {

using Strings = std::vector<std::string>;

// Writes down every notice; reads the record in each, so a freed record shows up under ASan.
class RecordingListener : public StoreListener {
 public:
  void OnSiteAdded(const std::string& key) override { events.push_back("site+ " + key); }
  void OnPageMarkAdded(const CPez& p) override { Log("added", p); }
  void OnPageMarkChanged(const CPez& p, uint32_t what) override {
    Log(("changed" + std::to_string(what)).c_str(), p);
  }
  void OnPageMarkRemoved(const CPez& p) override { Log("removed", p); }
  void OnSiteRemoved(const std::string& key) override { events.push_back("site- " + key); }
  void OnStoreReset() override { events.push_back("reset"); }

  Strings events;

 private:
  void Log(const char* what, const CPez& p) {
    events.push_back(std::string(what) + " " + p.url + " " + p.title);
  }
};

class PageMarkStoreTest : public ::testing::Test {
 protected:
  PageMarkStoreTest() : subscription(store.Subscribe(listener)) {}

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
  Strings Urls() const {
    Strings urls;
    for (const CPez& p : store.PageMarks()) urls.push_back(p.url);
    return urls;
  }
  // Every PageMark is found under its URL, its number and its Site; numbers are distinct.
  void ExpectIndexesConsistent() const {
    std::set<uint32_t> numbers;
    std::size_t inSites = 0;
    for (const CPez& p : store.PageMarks()) {
      EXPECT_EQ(&p, store.FindPageMarkByUrl(p.url));
      EXPECT_EQ(&p, store.FindPageMarkByCommand(p.commandId));
      EXPECT_GE(p.commandId, kFirstPageMarkCommand);
      EXPECT_LE(p.commandId, kLastPageMarkCommand);
      numbers.insert(p.commandId);
    }
    for (const std::string& key : store.SiteKeys()) inSites += store.PagesOfSite(key).size();
    EXPECT_EQ(store.Count(), numbers.size());
    EXPECT_EQ(store.Count(), inSites);
    EXPECT_TRUE(std::is_sorted(store.SiteKeys().begin(), store.SiteKeys().end()));
  }
  std::unique_ptr<CPez> Page(const std::string& url) {
    auto p = std::make_unique<CPez>();
    p->url = url;
    p->title = "T" + url;
    return p;
  }

  CPrefs prefs;
  FakeClock clock{1000000000};
  PageMarkStore store{prefs, clock};
  RecordingListener listener;
  PageMarkStore::Subscription subscription;
};

TEST_F(PageMarkStoreTest, NewPageIsRecordedWithEveryFieldAndItsSite) {
  EXPECT_TRUE(Visit("http://www.a.com/x", "A"));
  ASSERT_EQ(1u, store.Count());
  const CPez& p = store.PageMarks()[0];
  EXPECT_EQ("A", p.title);
  EXPECT_EQ(clock.Now(), p.firstVisited);
  EXPECT_EQ(clock.Now(), p.lastVisited);
  EXPECT_EQ(0u, p.size);
  EXPECT_EQ(kFirstPageMarkCommand, p.commandId);
  EXPECT_TRUE(store.TakeDirty());
  EXPECT_EQ("http://www.a.com/x", store.LastRecordedUrl());
  EXPECT_EQ((Strings{"site+ a.com", "added http://www.a.com/x A"}), listener.events);

  listener.events.clear();
  Visit("http://a.com/y", "B");
  EXPECT_EQ((Strings{"added http://a.com/y B"}), listener.events) << "a known Site is not added again";
  EXPECT_EQ(Strings{"a.com"}, store.SiteKeys());
  EXPECT_EQ(2u, store.PagesOfSite("a.com").size());
  ExpectIndexesConsistent();
}

TEST_F(PageMarkStoreTest, ThousandthPageIsKeptAndTheNextDropsTheOldest) {
  VisitNewPages(1000);
  EXPECT_EQ(1000u, store.Count());
  const uint32_t oldestNumber = store.FindPageMarkByUrl("http://h/page0")->commandId;

  listener.events.clear();
  VisitNewPages(1, 1000);
  EXPECT_EQ(1000u, store.Count());
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://h/page0"));
  EXPECT_EQ("http://h/page1", store.PageMarks().front().url);
  EXPECT_EQ((Strings{"added http://h/page1000 Thttp://h/page1000", "removed http://h/page0 Thttp://h/page0"}),
            listener.events);
  ExpectIndexesConsistent();
  EXPECT_NE(oldestNumber, store.FindPageMarkByUrl("http://h/page1000")->commandId);

  // Coming back to the dropped page makes a fresh PageMark.
  clock.Advance(5000);
  EXPECT_TRUE(Visit("http://h/page0"));
  const CPez* fresh = store.FindPageMarkByUrl("http://h/page0");
  ASSERT_NE(nullptr, fresh);
  EXPECT_EQ(clock.Now(), fresh->firstVisited);
  EXPECT_EQ(kFirstPageMarkCommand + 1001, fresh->commandId);
}

TEST_F(PageMarkStoreTest, RevisitsAndRepeatedEchoes) {
  const Time32 first = clock.Now();
  Visit("http://a/", "first");
  Visit("http://b/");
  Visit("http://c/");
  listener.events.clear();

  // Going back to a page is a revisit: it moves to the end, keeps its number, and within five
  // minutes of its first visit its last visit stays the first.
  const uint32_t number = store.FindPageMarkByUrl("http://a/")->commandId;
  clock.Set(first + 300);
  EXPECT_TRUE(Visit("http://a/", "second"));
  EXPECT_EQ((Strings{"http://b/", "http://c/", "http://a/"}), Urls());
  const CPez& a = *store.FindPageMarkByUrl("http://a/");
  EXPECT_EQ(number, a.commandId);
  EXPECT_EQ(first, a.lastVisited);
  EXPECT_EQ("http://a/", store.LastRecordedUrl());
  EXPECT_EQ(Strings{"changed3 http://a/ second"}, listener.events) << "visited and retitled";

  // The same page echoed again is no visit; it only takes a title that came late.
  store.TakeDirty();
  listener.events.clear();
  EXPECT_FALSE(Visit("http://a/", "second"));
  EXPECT_TRUE(listener.events.empty());
  EXPECT_FALSE(Visit("http://a/", "Dashboard Ready"));
  EXPECT_TRUE(store.TakeDirty());
  EXPECT_EQ("Dashboard Ready", a.title);
  EXPECT_EQ(first, a.lastVisited);
  EXPECT_EQ((Strings{"http://b/", "http://c/", "http://a/"}), Urls());
  EXPECT_EQ(Strings{"changed1 http://a/ Dashboard Ready"}, listener.events);

  // A new page in between: back to the page before is a revisit again.
  Visit("http://d/");
  clock.Set(first + 301);
  EXPECT_TRUE(Visit("http://a/", "Dashboard Ready"));
  EXPECT_EQ(first + 301, a.lastVisited);
  EXPECT_EQ(first, a.firstVisited);
  EXPECT_EQ("http://a/", Urls().back());
  EXPECT_EQ("changed2 http://a/ Dashboard Ready", listener.events.back()) << "visited, same title";
  ExpectIndexesConsistent();
}

// The browsers show a page's address as its title while it loads and when it has none. Such a
// stand-in is kept only while nothing better is known.
TEST_F(PageMarkStoreTest, AStandInTitleNeverReplacesARealOne) {
  const std::string wiki = "https://en.wikipedia.org/wiki/Cr%C3%A8me";
  Visit(wiki, "en.wikipedia.org/wiki/Crème");
  EXPECT_EQ("en.wikipedia.org/wiki/Crème", store.FindPageMarkByUrl(wiki)->title) << "nothing better yet";
  Visit(wiki, wiki);
  EXPECT_EQ(wiki, store.FindPageMarkByUrl(wiki)->title) << "one stand-in follows another";
  Visit(wiki, "Crème - Wikipedia");
  const CPez& page = *store.FindPageMarkByUrl(wiki);
  EXPECT_EQ("Crème - Wikipedia", page.title);

  // Shown again (the same page echoed, or a revisit) with a stand-in: still a visit, title kept.
  for (const std::string& standIn : Strings{wiki, "en.wikipedia.org/wiki/Cr%C3%A8me", ""}) {
    EXPECT_FALSE(store.RecordVisit(wiki, standIn));
    Visit("http://other/");
    listener.events.clear();
    EXPECT_TRUE(store.RecordVisit(wiki, standIn)) << standIn;
    EXPECT_EQ("Crème - Wikipedia", page.title) << standIn;
    EXPECT_EQ(Strings{"changed2 " + wiki + " Crème - Wikipedia"}, listener.events) << standIn;
  }
}

// A late title for a page that is no longer the one recorded last: the title only, no visit.
TEST_F(PageMarkStoreTest, ALateTitleRetitlesAnEarlierPageWithoutAVisit) {
  const Time32 first = clock.Now();
  Visit("http://a/late", "a/late");
  Visit("http://b/");
  clock.Advance(600);
  listener.events.clear();
  store.TakeDirty();
  EXPECT_TRUE(store.RetitlePage("http://a/late", "Set By Script"));
  const CPez& a = *store.FindPageMarkByUrl("http://a/late");
  EXPECT_EQ("Set By Script", a.title);
  EXPECT_EQ(first, a.lastVisited);
  EXPECT_EQ((Strings{"http://a/late", "http://b/"}), Urls());
  EXPECT_EQ("http://b/", store.LastRecordedUrl());
  EXPECT_EQ(Strings{"changed1 http://a/late Set By Script"}, listener.events);
  EXPECT_TRUE(store.TakeDirty());

  listener.events.clear();
  EXPECT_FALSE(store.RetitlePage("http://a/late", "a/late")) << "a stand-in";
  EXPECT_FALSE(store.RetitlePage("http://a/late", "Set By Script")) << "the same";
  EXPECT_FALSE(store.RetitlePage("http://unknown/", "Unknown")) << "never recorded";
  EXPECT_TRUE(listener.events.empty());
  EXPECT_EQ(2u, store.Count());
}

TEST_F(PageMarkStoreTest, UrlsDifferingInLetterCaseAreTwoPageMarks) {
  Visit("http://h/Page");
  Visit("http://h/page");
  EXPECT_EQ(2u, store.Count());
  EXPECT_NE(store.FindPageMarkByUrl("http://h/Page"), store.FindPageMarkByUrl("http://h/page"));
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://h/PAGE"));
}

TEST_F(PageMarkStoreTest, DeleteTellsListenersBeforeFreeingAndForgetsEveryReference) {
  Visit("http://a.com/", "A");
  Visit("http://b.com/", "B");
  const CPez* a = store.FindPageMarkByUrl("http://a.com/");
  const uint32_t number = a->commandId;
  store.MarkForTopics(a, true);
  store.MarkForTopics(store.FindPageMarkByUrl("http://b.com/"), true);
  store.MarkForTopics(a, true);
  store.TakeDirty();
  listener.events.clear();

  store.DeletePageMark(a);
  EXPECT_EQ((Strings{"removed http://a.com/ A", "site- a.com"}), listener.events);
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://a.com/"));
  EXPECT_EQ(nullptr, store.FindPageMarkByCommand(number));
  EXPECT_EQ(Strings{"b.com"}, store.SiteKeys());
  ASSERT_EQ(1u, store.SendToTopicsList().size());
  EXPECT_EQ("http://b.com/", store.SendToTopicsList()[0]->url);
  EXPECT_TRUE(store.TakeDirty()) << "a deletion goes into the next periodic save too";
  ExpectIndexesConsistent();

  // A pointer that is not (or no longer) in the store is never followed.
  CPez stranger;
  stranger.url = "http://b.com/";
  listener.events.clear();
  store.DeletePageMark(&stranger);
  store.DeletePageMark(a);
  store.DeletePageMark(nullptr);
  store.SetPageMarkSize(a, 10);
  EXPECT_FALSE(store.EditPageMark(a, "x", "http://x/"));
  EXPECT_TRUE(listener.events.empty());
  EXPECT_EQ(1u, store.Count());
}

TEST_F(PageMarkStoreTest, ClearAndLoadResetEverything) {
  Visit("http://a/", "A");
  store.MarkForTopics(store.FindPageMarkByUrl("http://a/"), true);
  listener.events.clear();
  store.ClearStore();
  EXPECT_EQ(Strings{"reset"}, listener.events);
  EXPECT_EQ(0u, store.Count());
  EXPECT_TRUE(store.SendToTopicsList().empty());
  EXPECT_TRUE(store.SiteKeys().empty());

  // Loaded pages are numbered from 1034 oldest first; of two with one URL the newer stays.
  std::vector<std::unique_ptr<CPez>> pages;
  for (const char* url : {"http://b.org/1", "http://a.org/1", "http://b.org/1", "http://c.org/"})
    pages.push_back(Page(url));
  pages[2]->title = "newer";
  EXPECT_EQ(0u, store.Load(std::move(pages)));
  EXPECT_EQ((Strings{"http://a.org/1", "http://b.org/1", "http://c.org/"}), Urls());
  EXPECT_EQ("newer", store.FindPageMarkByUrl("http://b.org/1")->title);
  EXPECT_EQ(1034u, store.PageMarks()[0].commandId);
  EXPECT_EQ(1036u, store.PageMarks()[2].commandId);
  EXPECT_EQ((Strings{"a.org", "b.org", "c.org"}), store.SiteKeys());
  ExpectIndexesConsistent();
  Visit("http://d/");
  EXPECT_EQ(1037u, store.FindPageMarkByUrl("http://d/")->commandId);
}

TEST_F(PageMarkStoreTest, LoadKeepsTheNewestPagesTheNumbersCanHold) {
  std::vector<std::unique_ptr<CPez>> pages;
  for (int i = 0; i < 5003; ++i) pages.push_back(Page("http://h/" + std::to_string(i)));
  EXPECT_EQ(3u, store.Load(std::move(pages)));
  EXPECT_EQ(kPageMarkNumbers, store.Count());
  EXPECT_EQ("http://h/3", store.PageMarks().front().url);
  EXPECT_EQ(kLastPageMarkCommand, store.PageMarks().back().commandId);
}

TEST_F(PageMarkStoreTest, EditsMoveBetweenSitesAndKeepTheUrlsUnique) {
  Visit("http://a.com/1", "One");
  Visit("http://a.com/2", "Two");
  const CPez* one = store.FindPageMarkByUrl("http://a.com/1");
  listener.events.clear();

  EXPECT_FALSE(store.EditPageMark(one, "One", "http://a.com/2")) << "the URL is another PageMark's";
  EXPECT_TRUE(store.EditPageMark(one, "Uno", "http://b.com/1"));
  EXPECT_EQ((Strings{"site+ b.com", "changed9 http://b.com/1 Uno"}), listener.events);
  EXPECT_EQ(one, store.FindPageMarkByUrl("http://b.com/1"));
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://a.com/1"));

  listener.events.clear();
  const CPez* two = store.FindPageMarkByUrl("http://a.com/2");
  EXPECT_TRUE(store.EditPageMark(two, "Two", "http://c.com/2"));
  EXPECT_EQ((Strings{"site+ c.com", "changed8 http://c.com/2 Two", "site- a.com"}), listener.events);
  EXPECT_EQ((Strings{"b.com", "c.com"}), store.SiteKeys());

  listener.events.clear();
  store.SetPageMarkSize(two, 1234);
  store.SetPageMarkSize(two, 1234);
  EXPECT_EQ(Strings{"changed4 http://c.com/2 Two"}, listener.events);
  ExpectIndexesConsistent();

  // Regrouping with full Site names.
  prefs.simpleSites = 0;
  listener.events.clear();
  store.RegroupSites();
  EXPECT_EQ(Strings{"reset"}, listener.events);
  EXPECT_EQ((Strings{"b.com", "c.com"}), store.SiteKeys());
}

TEST_F(PageMarkStoreTest, MarksForTopicsComeOnceInMarkingOrder) {
  Visit("http://a/");
  Visit("http://b/");
  const CPez* a = store.FindPageMarkByUrl("http://a/");
  const CPez* b = store.FindPageMarkByUrl("http://b/");
  store.MarkForTopics(b, true);
  store.MarkForTopics(a, true);
  store.MarkForTopics(b, true);
  EXPECT_EQ((std::vector<const CPez*>{b, a}), store.SendToTopicsList());
  store.MarkForTopics(b, false);
  EXPECT_EQ((std::vector<const CPez*>{a}), store.TakeSendToTopicsList());
  EXPECT_TRUE(store.SendToTopicsList().empty());

  // A PageMark dropped at the limit leaves the list too.
  prefs.maxPageMarks = 2;
  store.MarkForTopics(a, true);
  Visit("http://c/");
  EXPECT_TRUE(store.SendToTopicsList().empty());
}

class PageMarkLimitTest : public PageMarkStoreTest, public ::testing::WithParamInterface<int32_t> {};

TEST_P(PageMarkLimitTest, ZeroOrLessMeansTheDefaultThousand) {
  prefs.maxPageMarks = GetParam();
  EXPECT_EQ(1000u, store.PageMarkLimit());
  VisitNewPages(1001);
  EXPECT_EQ(1000u, store.Count());
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://h/page0"));
  EXPECT_EQ(GetParam(), prefs.maxPageMarks);
}

INSTANTIATE_TEST_SUITE_P(Values, PageMarkLimitTest, ::testing::Values(0, -1, INT32_MIN));

TEST_F(PageMarkStoreTest, LimitAboveFiveThousandIsUsedAsFiveThousand) {
  prefs.maxPageMarks = 50;
  EXPECT_EQ(50u, store.PageMarkLimit());
  prefs.maxPageMarks = 20000;
  EXPECT_EQ(5000u, store.PageMarkLimit());
  VisitNewPages(5001);
  EXPECT_EQ(5000u, store.Count());
  EXPECT_EQ(20000, prefs.maxPageMarks);
  ExpectIndexesConsistent();
}

// Once 6033 is handed out, new PageMarks take the numbers of those that left: nothing is ever
// numbered anew, and the store never passes into the Topic numbers.
TEST_F(PageMarkStoreTest, NumbersOfDroppedPageMarksAreUsedAgain) {
  VisitNewPages(5000);
  EXPECT_EQ(kLastPageMarkCommand, store.PageMarks().back().commandId);
  const uint32_t kept = store.FindPageMarkByUrl("http://h/page4500")->commandId;
  listener.events.clear();

  VisitNewPages(1, 5000);  // at the limit of 1000, drops page4000
  EXPECT_EQ(kept, store.FindPageMarkByUrl("http://h/page4500")->commandId);
  EXPECT_LT(store.FindPageMarkByUrl("http://h/page5000")->commandId, kLastPageMarkCommand);
  EXPECT_EQ(
      (Strings{"added http://h/page5000 Thttp://h/page5000", "removed http://h/page4000 Thttp://h/page4000"}),
      listener.events);
  ExpectIndexesConsistent();

  // A full store of 5000 with every number in use drops its oldest before the new page comes.
  prefs.maxPageMarks = 5000;
  VisitNewPages(4000, 6000);
  ASSERT_EQ(5000u, store.Count());
  const std::string oldest = store.PageMarks().front().url;
  listener.events.clear();
  VisitNewPages(1, 20000);
  ASSERT_EQ(2u, listener.events.size());
  EXPECT_EQ("removed " + oldest + " T" + oldest, listener.events[0]);
  EXPECT_EQ(5000u, store.Count());
  ExpectIndexesConsistent();
}

TEST_F(PageMarkStoreTest, CopiesTakenForOtherThreads) {
  Visit("http://a/", "A");
  const PageMarkStore::Copy before = store.Snapshot();
  Visit("http://b/", "B");
  const PageMarkStore::Copy after = store.Snapshot();
  EXPECT_EQ(1u, before.pages.size());
  EXPECT_EQ(2u, after.pages.size());
  EXPECT_LT(before.generation, after.generation);
}

}  // namespace
