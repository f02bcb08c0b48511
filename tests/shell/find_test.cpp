// "Find a Page": the matching and ranking rules as plain functions, and the index over a real store
// and Topics files.

#include <gtest/gtest.h>

#include "shell/find_rules.h"
#include "shell/page_finder.h"
#include "shell_fixture.h"

namespace {

constexpr Time32 kNow = 1'700'000'000;
constexpr Time32 kDay = 86400;

int Points(const std::string& query, const std::string& title, const std::string& url,
           const std::string& site = "", const std::string& folder = "") {
  const std::string t = FoldForFind(title), u = FoldForFind(url), s = FoldForFind(site),
                    f = FoldForFind(folder);
  return MatchPoints(FindWords(query), {t, s, f, u});
}

TEST(FindRules, FoldingIgnoresCaseAndAccentsInEveryForm) {
  EXPECT_EQ("creme brulee", FoldForFind("Crème BRÛLÉE"));
  EXPECT_EQ("creme", FoldForFind("Cre\xCC\x80me"));  // e + combining grave accent
  EXPECT_EQ("strasse lodz oeuvre aerzte", FoldForFind("Straße Łódź Œuvre Ærzte"));
  EXPECT_EQ("cafe", FoldForFind("CAF\xC9"));  // Latin-1 bytes, not UTF-8
  EXPECT_EQ("\xCE\xB1\xCE\xB8\xCE\xB7\xCE\xBD\xCE\xB1", FoldForFind("ΑΘΗΝΑ"));
  EXPECT_EQ("a b", FoldForFind("a\tb"));
  EXPECT_EQ((std::vector<std::string>{"zurich", "wiki"}), FindWords("  Zürich   WIKI "));
  EXPECT_TRUE(FindWords(" \t ").empty());
}

TEST(FindRules, EveryWordMustMatchInAnyOrderAnyField) {
  const std::string title = "Café Reviews — Zürich", url = "https://eat.example.ch/zh/cafes";
  EXPECT_GT(Points("zurich cafe", title, url), 0);
  EXPECT_EQ(Points("zurich cafe", title, url), Points("CAFÉ ZÜRICH", title, url));
  EXPECT_GT(Points("example reviews", title, url, "example.ch"), 0);  // one in the Site, one in the title
  EXPECT_GT(Points("italian pasta", "Pasta", "https://x.org", "", "Recipes / Italian"), 0);
  EXPECT_EQ(0, Points("zurich pizza", title, url));  // one word found nowhere
  EXPECT_EQ(0, Points("zurich", "", ""));
}

TEST(FindRules, TitleWordsRankAboveWordStartsPiecesSiteAndAddress) {
  using namespace find_points;
  EXPECT_EQ(kTitleWord, Points("linux", "Linux kernel", "https://a.org/"));
  EXPECT_EQ(kTitleWord, Points("c++", "C++ reference", "https://a.org/"));
  EXPECT_EQ(kTitleWordStart, Points("kern", "Linux kernel", "https://a.org/"));
  EXPECT_EQ(kTitleInside, Points("ernel", "Linux kernel", "https://a.org/"));
  EXPECT_EQ(kSiteWordStart, Points("kernel", "News", "https://kernel.org/", "kernel.org"));
  EXPECT_EQ(kUrlWordStart, Points("kernel", "News", "https://lwn.net/kernel/", "lwn.net"));
  EXPECT_EQ(kUrlInside, Points("kernel", "News", "https://lwn.net/topkernels", "lwn.net"));
  // A whole title word on a page not seen for years still beats a fresh page that has the word
  // only inside its address.
  EXPECT_GT(kTitleWord + Frecency(kNow - 3000 * kDay, kNow - 3000 * kDay, kNow),
            kUrlInside + Frecency(kNow, kNow - 3000 * kDay, kNow));
}

TEST(FindRules, FrecencyFavoursRecentVisitsAndPagesComeBackTo) {
  EXPECT_GT(Frecency(kNow - kDay, kNow - kDay, kNow), Frecency(kNow - 30 * kDay, kNow - 30 * kDay, kNow));
  EXPECT_NEAR(15.0, Frecency(kNow - 14 * kDay, kNow - 14 * kDay, kNow), 1e-9);  // half after two weeks
  EXPECT_GT(Frecency(kNow, kNow - 200 * kDay, kNow), Frecency(kNow, kNow, kNow));
  EXPECT_NEAR(kMaxFrecency, Frecency(kNow, kNow - 3000 * kDay, kNow), 1e-9);
  EXPECT_NEAR(30.0, Frecency(kNow + kDay, kNow + kDay, kNow), 1e-9);  // a clock set back
  EXPECT_GE(Frecency(0, 0, kNow), 0.0);
}

class PageFinderTest : public ShellFixture {
 protected:
  void AddPage(const std::string& url, const std::string& title, Time32 visited) {
    clock.Set(visited);
    store.RecordVisit(url, title);
  }
  std::vector<std::string> Titles(const std::string& query) {
    std::vector<std::string> titles;
    for (const FoundPage& page : finder.Find(query, kNow)) titles.push_back(page.title);
    return titles;
  }
  PageFinder finder{store, topics, prefs};
};

TEST_F(PageFinderTest, RanksPagesAndFollowsTheStore) {
  AddPage("https://old.example.com/", "Rust book", kNow - 90 * kDay);
  AddPage("https://new.example.com/", "Rust news", kNow - kDay);
  AddPage("https://blog.example.com/trusty", "Weekly digest", kNow);
  EXPECT_EQ((std::vector<std::string>{"Rust news", "Rust book", "Weekly digest"}), Titles("rust"));
  EXPECT_EQ((std::vector<std::string>{"Weekly digest", "Rust news", "Rust book"}), Titles(""));
  EXPECT_TRUE(Titles("rust cargo").empty());

  AddPage("https://cargo.example.com/", "Rust cargo guide", kNow);
  EXPECT_EQ((std::vector<std::string>{"Rust cargo guide"}), Titles("cargo rust"));
  store.DeletePageMark(store.FindPageMarkByUrl("https://cargo.example.com/"));
  EXPECT_TRUE(Titles("cargo").empty());
}

TEST_F(PageFinderTest, SearchesTopicLinksByFolderAndOffersEachAddressOnce) {
  WriteTopics(paths.topicsPath, [&] {
    std::vector<std::unique_ptr<CTopic>> top;
    top.push_back(Folder("Cooking", paths.branchPath + "cooking.data"));
    top.push_back(Link("Rust book", "https://old.example.com/"));
    return top;
  }());
  WriteTopics(paths.branchPath + "cooking.data", [&] {
    std::vector<std::unique_ptr<CTopic>> inner;
    inner.push_back(Link("Crème brûlée", "https://food.example.org/creme"));
    return inner;
  }());
  topics.Reload();
  AddPage("https://old.example.com/", "Rust book", kNow);

  const std::vector<FoundPage> found = finder.Find("cooking creme", kNow);
  ASSERT_EQ(1u, found.size());
  EXPECT_EQ(FoundPage::Source::kTopicLink, found[0].source);
  EXPECT_EQ("Cooking", found[0].where);
  EXPECT_EQ("https://food.example.org/creme", found[0].url);

  const std::vector<FoundPage> both = finder.Find("rust", kNow);
  ASSERT_EQ(1u, both.size());  // the PageMark and the Topic link of one address: once
  EXPECT_EQ(FoundPage::Source::kPageMark, both[0].source);  // its visit today ranks it higher
  EXPECT_EQ(3u, finder.EntryCount());
}

TEST_F(PageFinderTest, LimitsTheResultsAfterMergingAddresses) {
  for (int i = 0; i < 120; ++i)
    AddPage("https://example.com/" + std::to_string(i), "Page " + std::to_string(i), kNow - i);
  EXPECT_EQ(PageFinder::kMaxResults, finder.Find("page", kNow).size());
  EXPECT_EQ("Page 0", finder.Find("page", kNow).front().title);
  EXPECT_EQ(3u, finder.Find("", kNow, 3).size());
}

}  // namespace
