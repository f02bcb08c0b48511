#include "shell/menu_layout.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "shell/size_rules.h"
#include "shell_fixture.h"

namespace {

TEST(MeasureMenuLayoutTest, DividesScreenByItemHeightAndPlacesTheLists) {
  FixedScreen screen;
  MenuLayout layout = MeasureMenuLayout(screen, 0);
  EXPECT_EQ(40, layout.menuRows);
  EXPECT_EQ(14, layout.mainListPosition);
  EXPECT_EQ(12, layout.secondaryMenuPosition);
  EXPECT_EQ(26, layout.mainListCap);

  screen.height = 1079;  // truncating: 56.8 rows
  layout = MeasureMenuLayout(screen, 1);
  EXPECT_EQ(56, layout.menuRows);
  EXPECT_EQ(7, layout.mainListPosition);
  EXPECT_EQ(5, layout.secondaryMenuPosition);
  EXPECT_EQ(49, layout.mainListCap);
}

TEST(MeasureMenuLayoutTest, UnreadableItemHeightCountsAsOneStandardLine) {
  FixedScreen screen;
  for (int height : {0, -5}) {
    screen.itemHeight = height;
    EXPECT_EQ(768 / kStandardMenuItemHeight, MeasureMenuLayout(screen, 0).menuRows)
        << "item height " << height;
  }
}

TEST(MeasureMenuLayoutTest, SmallOrUnreadableScreenStillHoldsTheFixedItems) {
  FixedScreen screen;
  for (int height : {0, -1, 100, 16 * 19 - 1}) {
    screen.height = height;
    const MenuLayout layout = MeasureMenuLayout(screen, 0);
    EXPECT_EQ(kMinMenuRows, layout.menuRows) << "screen height " << height;
    EXPECT_EQ(2, layout.mainListCap);
  }
  screen.height = 17 * 19;
  EXPECT_EQ(17, MeasureMenuLayout(screen, 0).menuRows);
}

// The rules touch only the entries they are meant for.
TEST(SizeRulesTest, SiteListRuleNeverCutsIntoFixedItems) {
  Menu main;
  for (int i = 0; i < 14; ++i) main.AppendSeparator();
  main.AppendSubmenu(std::make_shared<Menu>(), "a.com");
  main.AppendSeparator();
  main.AppendItem(res::kCmdMoreSites, "More Sites...\tCtrl-W");
  // Many Sites known, but only one is in the list (the cap grew since): nothing may go.
  ApplySiteListRule(main, 50, 14, 1);
  EXPECT_EQ(17u, main.Count());
  EXPECT_EQ(res::kCmdMoreSites, main.CommandAt(16));

  // The cap shrank: the list is cut back to it from its end, the separator stays.
  main.InsertSubmenu(14, std::make_shared<Menu>(), "b.com");
  main.InsertSubmenu(14, std::make_shared<Menu>(), "c.com");
  ApplySiteListRule(main, 50, 14, 1);
  EXPECT_EQ("c.com", main.TextAt(14));
  EXPECT_EQ(MenuItemKind::Separator, main.ItemAt(15)->kind);
  EXPECT_EQ(17u, main.Count());
}

TEST(SizeRulesTest, RecentAndMoreRulesAtTheLimit) {
  Menu recent;
  recent.AppendSeparator();
  recent.AppendItem(res::kCmdMorePageMarks, "More PageMarks...\tCtrl-Q");
  for (uint32_t n = 1034; n < 1034 + 3; ++n) {
    ApplyRecentRule(recent, 4);
    recent.InsertItem(0, n, "p" + std::to_string(n));
  }
  EXPECT_EQ((std::vector<std::string>{"p1036", "p1035", "-", "More PageMarks...\tCtrl-Q"}), Labels(recent));

  // A menu of fixed items only loses nothing, however short the screen.
  Menu fixedOnly;
  fixedOnly.AppendSeparator();
  fixedOnly.AppendItem(res::kCmdMorePageMarks, "More");
  ApplyRecentRule(fixedOnly, 2);
  EXPECT_EQ(2u, fixedOnly.Count());

  Menu site;
  for (uint32_t n = 0; n < 4; ++n) site.InsertItem(0, 1034 + n, "p" + std::to_string(n));
  ApplyMoreRule(site, 4, res::kCmdMoreSites, "More Sites...\tCtrl-W");
  EXPECT_EQ((std::vector<std::string>{"p3", "-", "More Sites...\tCtrl-W"}), Labels(site));
}

}  // namespace
