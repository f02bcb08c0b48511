// The rules of the windows as plain functions: sorting, filtering, the rows of the PageMarks list,
// placement, visit times and keys. No display.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

#include "resources/accelerator_resources.h"
#include "resources/resource_ids.h"
#include "windows/page_mark_rows.h"
#include "windows/shown_text.h"
#include "windows/text_dialogs.h"
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
