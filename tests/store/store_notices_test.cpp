// The two halves of every store change: the "about to" notice with the rows of the store as it
// still is, and the notice after it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/page_mark_store.h"
#include "support/fake_clock.h"

namespace {

using Strings = std::vector<std::string>;

std::string Rows(const PageMarkPlace& at) {
  return "o" + std::to_string(at.orderRow) + " s" + std::to_string(at.siteRow) + " r" +
         std::to_string(at.rowInSite) + (at.siteAlone ? " alone" : "");
}

// Writes down both halves, and checks that the rows of an "about to" notice name the PageMark
// where the store holds it at that moment.
class TwoHalves : public StoreListener {
 public:
  explicit TwoHalves(const PageMarkStore& store) : store_(store) {}

  void OnPageMarkAboutToBeAdded(const PageMarkPlace& at) override {
    events.push_back("about+ " + Rows(at));
    EXPECT_EQ(store_.Count(), at.orderRow);
  }
  void OnPageMarkAboutToMove(const CPez& p, const PageMarkPlace& from) override {
    events.push_back("about~ " + p.url + " " + Rows(from));
    ExpectAt(p, from);
  }
  void OnPageMarkAboutToBeRemoved(const CPez& p, const PageMarkPlace& at) override {
    events.push_back("about- " + p.url + " " + Rows(at));
    ExpectAt(p, at);
  }
  void OnPageMarkAboutToChangeSite(const CPez& p, const PageMarkPlace& from,
                                   const PageMarkPlace& to) override {
    events.push_back("about> " + p.url + " " + Rows(from) + " to " + Rows(to));
    ExpectAt(p, from);
  }
  void OnStoreAboutToReset() override { events.push_back("about reset"); }
  void OnSiteAdded(const std::string& key) override { events.push_back("site+ " + key); }
  void OnPageMarkAdded(const CPez& p) override { events.push_back("added " + p.url); }
  void OnPageMarkChanged(const CPez& p, uint32_t what) override {
    events.push_back("changed" + std::to_string(what) + " " + p.url);
  }
  void OnPageMarkRemoved(const CPez& p) override { events.push_back("removed " + p.url); }
  void OnSiteRemoved(const std::string& key) override { events.push_back("site- " + key); }
  void OnStoreReset() override { events.push_back("reset"); }

  Strings Take() { return std::exchange(events, {}); }

  Strings events;

 private:
  void ExpectAt(const CPez& p, const PageMarkPlace& at) const {
    ASSERT_LT(at.orderRow, store_.Count());
    EXPECT_EQ(&p, &*std::next(store_.PageMarks().begin(), static_cast<std::ptrdiff_t>(at.orderRow)));
    ASSERT_LT(at.siteRow, store_.SiteKeys().size());
    const PageMarkSite& site = store_.SiteAt(at.siteRow);
    EXPECT_EQ(&site, &store_.SiteOf(p));
    ASSERT_LT(at.rowInSite, site.pages.size());
    EXPECT_EQ(&p, *std::next(site.pages.begin(), static_cast<std::ptrdiff_t>(at.rowInSite)));
    EXPECT_EQ(site.pages.size() == 1, at.siteAlone);
  }

  const PageMarkStore& store_;
};

class StoreNoticesTest : public ::testing::Test {
 protected:
  void Visit(const std::string& url) {
    clock.Advance(1);
    store.RecordVisit(url, "T" + url);
  }
  const CPez& Page(const std::string& url) const { return *store.FindPageMarkByUrl(url); }

  CPrefs prefs;
  FakeClock clock{1000000000};
  PageMarkStore store{prefs, clock};
  TwoHalves notices{store};
  PageMarkStore::Subscription subscription = store.Subscribe(notices);
};

TEST_F(StoreNoticesTest, AddsAndRevisitsGiveTheRowsBeforeTheChange) {
  Visit("http://m.com/1");
  Visit("http://z.com/1");
  EXPECT_EQ((Strings{"about+ o0 s0 r0 alone", "site+ m.com", "added http://m.com/1", "about+ o1 s1 r0 alone",
                     "site+ z.com", "added http://z.com/1"}),
            notices.Take());
  Visit("http://a.com/1");  // a new Site takes its sorted place, before the others
  Visit("http://m.com/2");  // a known Site: its last row
  EXPECT_EQ((Strings{"about+ o2 s0 r0 alone", "site+ a.com", "added http://a.com/1", "about+ o3 s1 r1",
                     "added http://m.com/2"}),
            notices.Take());

  Visit("http://m.com/1");  // from the first row of order and Site to the last of each
  Visit("http://m.com/1");  // an echo is no visit: no move
  Visit("http://a.com/1");  // already alone in its Site
  EXPECT_EQ((Strings{"about~ http://m.com/1 o0 s1 r0", "changed2 http://m.com/1",
                     "about~ http://a.com/1 o1 s0 r0 alone", "changed2 http://a.com/1"}),
            notices.Take());
  EXPECT_EQ(&Page("http://m.com/1"), store.SiteAt(1).pages.back());
}

TEST_F(StoreNoticesTest, RemovalsSayWhenTheSiteGoesAndTrimmingDropsTheOldestAfterTheNewPage) {
  Visit("http://a.com/1");
  Visit("http://b.com/1");
  Visit("http://b.com/2");
  notices.Take();
  store.DeletePageMark(&Page("http://b.com/1"));
  store.DeletePageMark(&Page("http://a.com/1"));
  EXPECT_EQ((Strings{"about- http://b.com/1 o1 s1 r0", "removed http://b.com/1",
                     "about- http://a.com/1 o0 s0 r0 alone", "removed http://a.com/1", "site- a.com"}),
            notices.Take());

  prefs.maxPageMarks = 2;
  Visit("http://c.com/1");
  Visit("http://b.com/3");  // over the limit: the new page first, then the oldest goes
  EXPECT_EQ((Strings{"about+ o1 s1 r0 alone", "site+ c.com", "added http://c.com/1", "about+ o2 s0 r1",
                     "added http://b.com/3", "about- http://b.com/2 o0 s0 r0", "removed http://b.com/2"}),
            notices.Take());
  store.TrimTo(0);
  EXPECT_EQ((Strings{"about- http://c.com/1 o0 s1 r0 alone", "removed http://c.com/1", "site- c.com",
                     "about- http://b.com/3 o0 s0 r0 alone", "removed http://b.com/3", "site- b.com"}),
            notices.Take());
}

TEST_F(StoreNoticesTest, AnEditThatChangesTheSiteMovesItBetweenSites) {
  Visit("http://a.com/1");
  Visit("http://a.com/2");
  Visit("http://c.com/1");
  notices.Take();
  // Into a new Site, whose sorted place is given in the rows before the change.
  store.EditPageMark(&Page("http://a.com/1"), "t", "http://b.com/1");
  EXPECT_EQ(
      (Strings{"about> http://a.com/1 o0 s0 r0 to o0 s1 r0 alone", "site+ b.com", "changed9 http://b.com/1"}),
      notices.Take());
  // Out of a Site it leaves empty, to the end of a known one.
  store.EditPageMark(&Page("http://b.com/1"), "t", "http://c.com/2");
  EXPECT_EQ(
      (Strings{"about> http://b.com/1 o0 s1 r0 alone to o0 s2 r1", "changed8 http://c.com/2", "site- b.com"}),
      notices.Take());
  // Within its Site: no move at all.
  store.EditPageMark(&Page("http://c.com/2"), "u", "http://c.com/3");
  EXPECT_EQ((Strings{"changed9 http://c.com/3"}), notices.Take());
  EXPECT_EQ((Strings{"a.com", "c.com"}), store.SiteKeys());
}

TEST_F(StoreNoticesTest, WholeStoreChangesAreResetsAndASubscriptionLeavesWhenItGoes) {
  Visit("http://a.com/1");
  notices.Take();
  store.RegroupSites();
  store.ClearStore();
  std::vector<std::unique_ptr<CPez>> pages;
  pages.push_back(std::make_unique<CPez>());
  pages.back()->url = "http://a.com/x";
  store.Load(std::move(pages));
  EXPECT_EQ((Strings{"about reset", "reset", "about reset", "reset", "about reset", "reset"}),
            notices.Take());

  subscription = {};
  Visit("http://b.com/1");
  EXPECT_TRUE(notices.events.empty());
  {
    TwoHalves other(store);
    const PageMarkStore::Subscription its = store.Subscribe(other);
    Visit("http://b.com/2");
    EXPECT_EQ((Strings{"about+ o2 s1 r1", "added http://b.com/2"}), other.events);
  }
  Visit("http://b.com/3");  // the listener that went is not told
}

}  // namespace
