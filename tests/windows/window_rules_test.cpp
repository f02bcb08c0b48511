// The rules of the windows as plain functions: sorting, filtering, the rows of the PageMarks list,
// placement, visit times and keys. No display.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

#include "resources/accelerator_resources.h"
#include "resources/resource_ids.h"
#include "windows/page_mark_rows.h"
#include "windows/visit_time.h"
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
  EXPECT_FALSE(rows.WouldShow(a));
  EXPECT_TRUE(rows.WouldShow(b));
  rows.AddTop(b);
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

TEST(WindowPlacement, CentredAtTheirSizes) {
  EXPECT_EQ(QRect(171, 192, 682, 384), PageMarksPlacement(QRect(0, 0, 1024, 768)));
  EXPECT_EQ(QRect(320, 128, 384, 512), SitesPlacement(QRect(0, 0, 1024, 768)));
  EXPECT_EQ(QRect(1100, 0, 400, 300), PageMarksPlacement(QRect(1000, -150, 600, 600)));
}

TEST(VisitTimes, LocaleDateThenTwelveHourClock) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  std::setlocale(LC_TIME, "C");
  EXPECT_EQ("11/14/23 10:13 PM", FormatVisitTime(1700000000));
  EXPECT_EQ("01/01/70 12:00 AM", FormatVisitTime(0));
}

TEST(WindowKeys, TheTablesGiveCtrlTDelAndF2) {
  for (int table : {res::kAccelPageMarks, res::kAccelSites}) {
    std::vector<std::string> keys;
    for (const Accelerator& accelerator : LoadAcceleratorResource(table))
      keys.push_back(KeysOf(accelerator).toString().toStdString() + "=" +
                     std::to_string(accelerator.command));
    EXPECT_EQ((std::vector<std::string>{"Ctrl+T=32959", "Del=32958", "F2=32962"}), keys);
  }
  std::vector<std::string> topicKeys;
  for (const Accelerator& accelerator : LoadAcceleratorResource(res::kAccelTopics))
    topicKeys.push_back(KeysOf(accelerator).toString().toStdString() + "=" +
                        std::to_string(accelerator.command));
  EXPECT_EQ((std::vector<std::string>{"Del=32946", "F2=32945"}), topicKeys);
  EXPECT_TRUE(LoadAcceleratorResource(188).empty());
  EXPECT_TRUE(KeysOf(Accelerator{0x13, false, 1}).isEmpty());
}

}  // namespace
