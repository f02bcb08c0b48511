// The rules of the windows as plain functions: sorting, filtering, the rows of the PageMarks list,
// placement, visit times and keys. No display.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

#include "resources/accelerator_resources.h"
#include "resources/resource_ids.h"
#include "support/fake_clock.h"
#include "windows/page_mark_rows.h"
#include "windows/shown_text.h"
#include "windows/text_dialogs.h"
#include "windows/watch_marks.h"
#include "windows/window_menus.h"
#include "windows/window_placement.h"

namespace {

CPez Page(const std::string& title, const std::string& url, Time32 last = 0, Time32 first = 0) {
  CPez page;
  page.title = title;
  page.url = url;
  page.lastVisited = last;
  page.firstVisited = first;
  return page;
}

std::vector<std::string> ShownTitles(const PageMarkRows& rows) {
  std::vector<std::string> titles;
  for (int i = 0; i < rows.ShownCount(); ++i) titles.push_back(rows.Shown(i).title.toStdString());
  return titles;
}

TEST(PageMarkSorting, TextIgnoresCaseTimesPutTheLaterFirstAndFlagsFlip) {
  PageMarkSortFlags flags;
  EXPECT_TRUE(flags.Flip(kTitleColumn));
  EXPECT_FALSE(flags.Flip(kTitleColumn));
  flags.flags[kUrlColumn] = 7;  // anything but 0 flips to 0
  EXPECT_FALSE(flags.Flip(kUrlColumn));

  const CPez a = Page("apple", "http://b/", 300, 100), b = Page("Banana", "http://A/", 200, 200);
  PageMarkRows rows;
  rows.Reset({&b, &a});
  const PageMarkRow& apple = *rows.FindPage(&a);
  const PageMarkRow& banana = *rows.FindPage(&b);
  EXPECT_TRUE(SortsBefore(apple, banana, kTitleColumn, true)) << "a small a comes before a capital B";
  EXPECT_TRUE(SortsBefore(banana, apple, kTitleColumn, false));
  EXPECT_TRUE(SortsBefore(banana, apple, kUrlColumn, true));
  EXPECT_TRUE(SortsBefore(apple, banana, kLastVisitedColumn, true)) << "set: the later first";
  EXPECT_TRUE(SortsBefore(banana, apple, kLastVisitedColumn, false));
  EXPECT_TRUE(SortsBefore(banana, apple, kFirstVisitedColumn, true));
  EXPECT_FALSE(SortsBefore(apple, apple, kLastVisitedColumn, true)) << "equal times compare equal";
  EXPECT_FALSE(SortsBefore(apple, banana, 9, true));
}

TEST(PageMarkRowsTest, SortIsStableAndTheFilterMatchesTitleOrUrlWithoutCase) {
  const CPez one = Page("Fish & Chips", "http://example.com/1", 10);
  const CPez two = Page("Soup", "http://EXAMPLE.com/2", 10);
  const CPez three = Page("fish soup", "http://other.org/", 20);
  PageMarkRows rows;
  rows.Reset({&three, &two, &one});
  rows.Sort(kLastVisitedColumn, false);
  EXPECT_EQ((std::vector<std::string>{"Soup", "Fish & Chips", "fish soup"}), ShownTitles(rows))
      << "equal times keep their order";

  rows.SetFilter("FISH");
  EXPECT_EQ((std::vector<std::string>{"Fish & Chips", "fish soup"}), ShownTitles(rows));
  EXPECT_EQ(3, rows.Count());
  EXPECT_EQ(-1, rows.ShownPosition(rows.FindPage(&two)->key));
  rows.SetFilter("example.COM");
  EXPECT_EQ((std::vector<std::string>{"Soup", "Fish & Chips"}), ShownTitles(rows));
  rows.SetFilter("no such text");
  EXPECT_EQ(0, rows.ShownCount());
  rows.SetFilter("");
  EXPECT_EQ(3, rows.ShownCount());
}

TEST(PageMarkRowsTest, RowsComeAndGoByKeyAndKeysAreNeverUsedAgain) {
  const CPez a = Page("A", "http://a/"), b = Page("B", "http://b/");
  PageMarkRows rows;
  rows.SetFilter("b");
  rows.Reset({&a});
  const ItemKey first = rows.FindPage(&a)->key;
  EXPECT_EQ(-1, rows.PlaceOf(a));
  EXPECT_EQ(0, rows.PlaceOf(b));
  EXPECT_EQ(0, rows.Add(b));
  EXPECT_EQ(0, rows.ShownPosition(rows.FindPage(&b)->key));
  rows.SetVerdict(first, Verdict::kUpdated);
  rows.SetFilter("");
  EXPECT_EQ((std::vector<std::string>{"B", "A"}), ShownTitles(rows));
  EXPECT_EQ(Verdict::kUpdated, rows.Find(first)->verdict);

  rows.Remove(first);
  EXPECT_EQ(nullptr, rows.Find(first));
  EXPECT_EQ(nullptr, rows.FindPage(&a));
  rows.Remove(first);  // twice: nothing
  rows.Reset({&a, &b});
  EXPECT_NE(first, rows.FindPage(&a)->key) << "a rebuilt row is a new row to the checker";
  EXPECT_EQ(nullptr, rows.Find(first));
}

TEST(PageMarkRowsTest, ARefreshedTitleShowsAndCanLeaveTheFilter) {
  CPez page = Page("Old news", "http://n/");
  PageMarkRows rows;
  rows.Reset({&page});
  rows.SetFilter("news");
  const ItemKey key = rows.FindPage(&page)->key;
  page.title = "Weather";
  rows.Refresh(key);
  EXPECT_EQ("Weather", rows.Find(key)->title.toStdString());
  EXPECT_EQ(0, rows.ShownCount());
}

// A new row goes where the sort puts it, ahead of the rows it ties with, and stays sorted through
// a reset; the filter counts only the rows it shows. Verdicts go at once for every row.
TEST(PageMarkRowsTest, NewRowsAndResetsKeepTheSort) {
  const CPez kiwi = Page("Kiwi", "http://k/", 30), apple = Page("apple", "http://a/", 10),
             mango = Page("Mango", "http://m/", 20), lime = Page("Lime", "http://l/", 40),
             kiwi2 = Page("kiwi", "http://k2/", 50);
  PageMarkRows rows;
  rows.Reset({&kiwi, &apple, &mango});
  rows.Sort(kTitleColumn, true);
  EXPECT_EQ(2, rows.PlaceOf(lime));
  EXPECT_EQ(2, rows.Add(lime));
  EXPECT_EQ((std::vector<std::string>{"apple", "Kiwi", "Lime", "Mango"}), ShownTitles(rows));
  EXPECT_EQ(1, rows.Add(kiwi2)) << "ahead of the row it ties with";
  rows.SetFilter("m");
  EXPECT_EQ(0, rows.PlaceOf(Page("Amber", "http://x/")));
  EXPECT_EQ(-1, rows.PlaceOf(Page("Pear", "http://p/")));
  EXPECT_EQ(2, rows.PlaceOf(Page("Plum", "http://p/")));
  rows.SetFilter("");
  rows.Reset({&lime, &mango, &apple});
  EXPECT_EQ((std::vector<std::string>{"apple", "Lime", "Mango"}), ShownTitles(rows));
  EXPECT_EQ(kTitleColumn, rows.SortColumn());

  rows.SetVerdict(rows.FindPage(&lime)->key, Verdict::kUnreachable, "No answer within 30 s.");
  rows.ClearVerdicts();
  EXPECT_EQ(Verdict::kUnchanged, rows.FindPage(&lime)->verdict);
  EXPECT_TRUE(rows.FindPage(&lime)->reason.isEmpty());
}

// URLs read decoded and filter so; what is stored and opened stays encoded.
TEST(ShownText, UrlsDecodedForReadingAndVerdictTips) {
  EXPECT_EQ(QStringLiteral("https://example.org/Zürich?q=a b"),
            ShownUrl("https://example.org/Z%C3%BCrich?q=a%20b"));
  EXPECT_EQ(QStringLiteral("https://bücher.de/"), ShownUrl("https://xn--bcher-kva.de/"));
  EXPECT_EQ(QStringLiteral("not a url %41"), ShownUrl("not a url %41"));
  const CPez page = Page("", "https://example.org/Z%C3%BCrich");
  PageMarkRows rows;
  rows.Reset({&page});
  rows.SetFilter("ZÜR");
  EXPECT_EQ(1, rows.ShownCount());
  EXPECT_EQ(QStringLiteral("https://example.org/Z%C3%BCrich"), rows.Shown(0).url);

  EXPECT_EQ(QStringLiteral("Title"), WithVerdict("Title", Verdict::kUnchanged, "ignored"));
  EXPECT_EQ(QStringLiteral("Title\nError: The server answered 404 Not Found."),
            WithVerdict("Title", Verdict::kBadStatus, "The server answered 404 Not Found."));
  EXPECT_EQ(QStringLiteral("Updated"), WithVerdict("", Verdict::kUpdated, ""));
}

TEST(WindowPlacement, CentredAtTheirSizes) {
  EXPECT_EQ(QRect(171, 192, 682, 384), PageMarksPlacement(QRect(0, 0, 1024, 768)));
  EXPECT_EQ(QRect(320, 128, 384, 512), SitesPlacement(QRect(0, 0, 1024, 768)));
  EXPECT_EQ(QRect(1100, 0, 400, 300), PageMarksPlacement(QRect(1000, -150, 600, 600)));
}

TEST(VisitTimes, TheLocalesShortDateWithAFourDigitYearThenItsTime) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  const QLocale us(QLocale::English, QLocale::UnitedStates);
  EXPECT_EQ(QStringLiteral("11/14/2023 10:13 PM"),
            FormatVisitTime(1700000000, us).replace(QChar(0x202f), u' '));
  EXPECT_EQ(QStringLiteral("14.11.2023 22:13"),
            FormatVisitTime(1700000000, QLocale(QLocale::German, QLocale::Germany)));
  EXPECT_EQ(QStringLiteral("2023-11-14 22:13"),
            FormatVisitTime(1700000000, QLocale(QLocale::Swedish, QLocale::Sweden)));
}

TEST(TypedAddresses, AnAddressWithoutSchemeGetsOne) {
  EXPECT_EQ("http://example.org/page", TypedAddress("example.org/page"));
  EXPECT_EQ("http://example.org:8080/x", TypedAddress(" example.org:8080/x "));
  EXPECT_EQ("file:///home/me/a.html", TypedAddress("/home/me/a.html"));
  for (const char* kept : {"https://example.org/Z%C3%BCrich", "HTTP://Example.org", "mailto:me@example.org",
                           "ftp://files.example/", ""})
    EXPECT_EQ(kept, TypedAddress(kept));
}

TEST(WindowKeys, TheTablesGiveCtrlTDelAndF2) {
  for (int table : {res::kAccelPageMarks, res::kAccelSites}) {
    std::vector<std::string> keys;
    for (const Accelerator& accelerator : LoadAcceleratorResource(table))
      keys.push_back(KeysOf(accelerator).toString().toStdString() + "=" +
                     std::to_string(accelerator.command));
    EXPECT_EQ(
        (std::vector<std::string>{"Ctrl+T=32959", "Del=32958", "F2=32962", "Ctrl+W=57602", "Esc=57602"}),
        keys);
  }
  std::vector<std::string> topicKeys;
  for (const Accelerator& accelerator : LoadAcceleratorResource(res::kAccelTopics))
    topicKeys.push_back(KeysOf(accelerator).toString().toStdString() + "=" +
                        std::to_string(accelerator.command));
  EXPECT_EQ((std::vector<std::string>{"Del=32946", "F2=32945", "Ctrl+W=57602", "Esc=57602"}), topicKeys);
  EXPECT_TRUE(LoadAcceleratorResource(188).empty());
  EXPECT_TRUE(KeysOf(Accelerator{0x13, false, 1}).isEmpty());
}

}  // namespace

namespace watchrules {

const FakeClock kClock(1700000000);

TEST(WatchRules, TheCommandWatchesOrStopsAndSaysWhatItDid) {
  WatchedPages watched(kClock);
  const std::vector<PageRef> two{{"http://a/", "A"}, {"ftp://b/", "B"}};
  EXPECT_STREQ("Watch for Changes", WatchCommandLabel(watched, two));
  EXPECT_EQ("Watching 1 page for changes; checked every 6 hours. Only http and https pages can be watched.",
            ToggleWatch(watched, two, 6));
  EXPECT_STREQ("Watch for Changes", WatchCommandLabel(watched, two)) << "one of them is not watched";
  EXPECT_EQ("Only http and https pages can be watched.", ToggleWatch(watched, {{"ftp://b/", "B"}}, 6));
  EXPECT_EQ("Watching 1 page for changes; scheduled checks are off (Preferences).",
            ToggleWatch(watched, {{"https://c/", "C"}}, 0));
  const std::vector<PageRef> watchedTwo{{"http://a/", "A"}, {"https://c/", "C"}};
  EXPECT_STREQ("Stop Watching", WatchCommandLabel(watched, watchedTwo));
  EXPECT_EQ("2 pages no longer watched.", ToggleWatch(watched, watchedTwo, 6));
  EXPECT_TRUE(watched.Pages().empty());
  EXPECT_EQ("", ToggleWatch(watched, {}, 6));
}

TEST(WatchRules, PicturesTipsAndTheWatchFilter) {
  WatchedPages watched(kClock);
  watched.Watch("http://a/", "A");
  watched.Watch("http://b/", "B");
  WatchAnswer changed{"http://a/", WatchFinding::kChanged, 1700000100, false, 0, {}};
  WatchAnswer bad{"http://b/", WatchFinding::kBadStatus, 0, false, 0, "404 Not Found"};
  watched.TakeAnswers({changed, bad}, 1700000200);
  watched.TakeAnswers({bad}, 1700000300);
  const WatchedPage& a = *watched.Find("http://a/");
  const WatchedPage& b = *watched.Find("http://b/");
  EXPECT_EQ(Verdict::kUpdated, ShownVerdict(Verdict::kUnchanged, &a));
  EXPECT_EQ(Verdict::kUnreachable, ShownVerdict(Verdict::kUnreachable, &a)) << "the window's own check wins";
  EXPECT_EQ(Verdict::kBadStatus, ShownVerdict(Verdict::kUnchanged, &b));
  EXPECT_EQ(Verdict::kUnchanged, ShownVerdict(Verdict::kUnchanged, nullptr));
  EXPECT_NE(std::string::npos, WatchTip(a).find("changed on " + FormatVisitTime(1700000100).toStdString()));
  EXPECT_NE(std::string::npos, WatchTip(b).find("answered \"404 Not Found\" (2 checks in a row)"));
  EXPECT_NE(std::string::npos, WatchTip(b).find("Last checked " + FormatVisitTime(1700000300).toStdString()));

  const CPez pa = Page("A", "http://a/"), pb = Page("B", "http://b/"), pc = Page("C", "http://c/");
  PageMarkRows rows;
  rows.Reset({&pa, &pb, &pc});
  rows.SetWatchFilter(WatchFilter::kWatched, &watched);
  EXPECT_EQ((std::vector<std::string>{"A", "B"}), ShownTitles(rows));
  rows.SetWatchFilter(WatchFilter::kChanged, &watched);
  EXPECT_EQ((std::vector<std::string>{"A"}), ShownTitles(rows));
  EXPECT_EQ(-1, rows.PlaceOf(pc));
  rows.SetFilter("zzz");
  EXPECT_TRUE(ShownTitles(rows).empty());
  rows.SetFilter("");
  watched.PageOpened("http://a/", 1700000400);
  rows.Refilter();
  EXPECT_TRUE(ShownTitles(rows).empty());
  rows.SetWatchFilter(WatchFilter::kAll, &watched);
  EXPECT_EQ(3, rows.ShownCount());
}

TEST(WatchRules, AFolderGivesEveryLinkBelowIt) {
  CTopic folder(0), inner(0);
  folder.isFolder = inner.isFolder = 1;
  folder.children = std::make_unique<TopicArray>();
  folder.children->push_back(std::make_unique<CTopic>(0));
  folder.children->back()->target = "http://x/";
  folder.children->back()->name = "x";
  auto nested = std::make_unique<CTopic>(0);
  nested->isFolder = 1;
  nested->children = std::make_unique<TopicArray>();
  nested->children->push_back(std::make_unique<CTopic>(0));
  nested->children->back()->target = "http://y/";
  folder.children->push_back(std::move(nested));
  const std::vector<PageRef> links = LinksOf(folder);
  ASSERT_EQ(2u, links.size());
  EXPECT_EQ("x", links[0].title);
  EXPECT_EQ("http://y/", links[1].url);
  EXPECT_TRUE(LinksOf(inner).empty()) << "a folder whose file was not read";
}

}  // namespace watchrules
