// The main menu's PageMark side: structure, Recent Web Pages, Site submenus and Site lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "resources/resource_ids.h"
#include "shell/menu_texts.h"
#include "shell_fixture.h"
#include "store/site_keys.h"

namespace {

using Strings = std::vector<std::string>;

std::string Page(int site, int page) {
  return "http://www" + std::to_string(site) + ".example.com/p" + std::to_string(page);
}
std::string Site(int site) {
  return "www" + std::to_string(site) + ".example.com";
}

class PopupMenusTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    prefs.simpleSites = 1;  // full server names: one Site per server in these tests
  }
};

TEST_F(PopupMenusTest, BuildsBothLayoutsAroundTheStoredMenus) {
  Build();
  EXPECT_EQ((Strings{"About Hopwise...", "Help", "-", "Recent Web Pages", "-", "General Searches", "Guides",
                     "Computing", "People Lookup", "Organization Lookup", "News", "-", "Topics", "-", "-",
                     menu_text::kMoreSites}),
            Labels(Main()));
  EXPECT_EQ((Strings{"-", menu_text::kEditTopics}), Labels(Secondary()));
  EXPECT_EQ("&Find a Page...\tCtrl-F", menus->QuickMenu()->TextAt(0));
  EXPECT_EQ("Suspend Hopwise", menus->QuickMenu()->TextAt(12));
  EXPECT_EQ(menus->MainMenu(), menus->MenuBar()->SubmenuAt(0));
  // A missing topics.data is written as an empty array.
  EXPECT_EQ(2u, std::filesystem::file_size(paths.topicsPath));

  menus.reset();
  prefs.menuState = 1;
  prefs.powerUser = 1;
  Build();
  EXPECT_EQ((Strings{"About Hopwise...", "Help", "-", "Recent Web Pages", "-", "Sites", "-", "-",
                     menu_text::kEditTopics}),
            Labels(Main()));
  EXPECT_EQ((Strings{"-", menu_text::kMoreSites}), Labels(Secondary()));
}

TEST_F(PopupMenusTest, ShowTheStoreNewestFirstAndFollowAReset) {
  LoadStore({{Page(0, 0), "t0"}, {Page(1, 1), "t1"}, {Page(0, 2), "t2"}});
  Build();
  EXPECT_EQ((Strings{"t2", "t1", "t0", "-", "More PageMarks...\tCtrl-Q"}), Labels(Recent()));
  EXPECT_EQ(1036u, Recent().CommandAt(0));
  EXPECT_EQ((Strings{Site(0), Site(1)}), MainList());
  EXPECT_EQ((Strings{"t2", "t0"}), Labels(SiteMenu(Site(0))));

  LoadStore({{Page(2, 0), "u0"}});
  EXPECT_EQ((Strings{"u0", "-", "More PageMarks...\tCtrl-Q"}), Labels(Recent()));
  EXPECT_EQ((Strings{Site(2)}), MainList());
}

TEST_F(PopupMenusTest, RecentPagesStopAtMenuRowsMinusTwo) {
  Build();
  for (int i = 0; i < 45; ++i) Visit(Page(i % 3, i), "t" + std::to_string(i));
  ASSERT_EQ(40, menus->Layout().menuRows);
  EXPECT_EQ(40u, Recent().Count());
  EXPECT_EQ("t44", Recent().TextAt(0));
  EXPECT_EQ("t7", Recent().TextAt(37));
  EXPECT_EQ(res::kCmdMorePageMarks, Recent().CommandAt(39));
}

TEST_F(PopupMenusTest, SiteSubmenuOverflowsIntoMoreSites) {
  Build();
  for (int i = 0; i < 39; ++i) Visit(Page(0, i));
  EXPECT_EQ(39u, SiteMenu(Site(0)).Count());
  Visit(Page(0, 39));  // the 40th page
  Menu& site = SiteMenu(Site(0));
  ASSERT_EQ(39u, site.Count());
  EXPECT_EQ(Page(0, 39), site.TextAt(0));
  EXPECT_EQ(Page(0, 3), site.TextAt(36));
  EXPECT_EQ(MenuItemKind::Separator, site.ItemAt(37)->kind);
  EXPECT_EQ(res::kCmdMoreSites, site.CommandAt(38));

  Visit(Page(0, 40));
  EXPECT_EQ(39u, site.Count());
  EXPECT_EQ(Page(0, 4), site.TextAt(36));
  // A revisit of a shown page only moves it up.
  Visit(Page(0, 10));
  EXPECT_EQ(39u, site.Count());
  EXPECT_EQ(Page(0, 10), site.TextAt(0));
  EXPECT_EQ(Page(0, 4), site.TextAt(36));
}

TEST_F(PopupMenusTest, MainListHoldsMainListCapSitesMostRecentFirst) {
  Build();
  for (int i = 0; i < 30; ++i) Visit(Page(i, 0));
  Strings list = MainList();
  ASSERT_EQ(26u, list.size());
  EXPECT_EQ(Site(29), list.front());
  EXPECT_EQ(Site(4), list.back());
  EXPECT_EQ(30u, menus->SiteMenus().size());
  EXPECT_EQ(menu_text::kMoreSites, Main().TextAt(Main().Count() - 1));

  menus.reset();
  store.ClearStore();
  prefs.powerUser = 1;
  Build();
  for (int i = 0; i < 40; ++i) Visit(Page(i, 0));
  EXPECT_EQ(33u, MainList().size());
}

TEST_F(PopupMenusTest, PushedOutSiteComesBackAtTheTop) {
  Build();
  for (int i = 0; i < 27; ++i) Visit(Page(i, 0));
  ASSERT_EQ(Site(1), MainList().back());  // Site 0 is out

  Visit(Page(0, 1));  // a new page of the pushed-out Site
  Strings list = MainList();
  EXPECT_EQ(26u, list.size());
  EXPECT_EQ(Site(0), list.front());
  EXPECT_EQ(Site(2), list.back());

  Visit(Page(1, 0));  // a revisit of a page whose Site is out
  list = MainList();
  EXPECT_EQ(26u, list.size());
  EXPECT_EQ(Site(1), list.front());
  EXPECT_EQ(Site(3), list.back());
  EXPECT_EQ(27u, menus->SiteMenus().size());
}

TEST_F(PopupMenusTest, SitesSubmenuInTopicsLayout) {
  prefs.menuState = 1;
  Build();
  for (int i = 0; i < 45; ++i) Visit(Page(i, 0));
  Menu& sites = Secondary();
  ASSERT_EQ(39u, sites.Count());
  EXPECT_EQ(Site(44), sites.TextAt(0));
  EXPECT_EQ(Site(8), sites.TextAt(36));
  EXPECT_EQ(res::kCmdMoreSites, sites.CommandAt(38));
  EXPECT_EQ(Strings{}, MainList());

  Visit(Page(0, 0));  // revisit of a Site that is out of the submenu
  EXPECT_EQ(Site(0), sites.TextAt(0));
  EXPECT_EQ(Site(9), sites.TextAt(36));
  EXPECT_EQ(39u, sites.Count());
}

TEST_F(PopupMenusTest, ARepeatedEchoOnlyRelabelsWithALateTitle) {
  Build();
  Visit(Page(0, 0));
  Visit(Page(1, 0));
  Visit(Page(0, 0), "new title");
  const Strings main = Labels(Main());
  Visit(Page(0, 0), "newer title");
  EXPECT_EQ((Strings{"newer title", Page(1, 0), "-", "More PageMarks...\tCtrl-Q"}), Labels(Recent()));
  EXPECT_EQ((Strings{"newer title"}), Labels(SiteMenu(Site(0))));
  EXPECT_EQ(main, Labels(Main()));
}

TEST_F(PopupMenusTest, DroppedAndDeletedPagesLeaveBothMenus) {
  prefs.maxPageMarks = 3;
  Build();
  for (int i = 0; i < 4; ++i) Visit(Page(i % 2, i));
  EXPECT_EQ((Strings{Page(1, 3), Page(0, 2), Page(1, 1), "-", "More PageMarks...\tCtrl-Q"}),
            Labels(Recent()));
  EXPECT_EQ(Strings{Page(0, 2)}, Labels(SiteMenu(Site(0))));

  const CPez* p = store.FindPageMarkByUrl(Page(0, 2));
  const uint32_t command = p->commandId;
  store.DeletePageMark(p);
  EXPECT_FALSE(Main().Contains(command));
  EXPECT_EQ(Strings{Site(1)}, MainList()) << "an emptied Site leaves at once";
  EXPECT_FALSE(menus->SiteMenus().contains(Site(0)));
  Visit(Page(0, 5));
  EXPECT_EQ((Strings{Site(0), Site(1)}), MainList()) << "and comes back with its next page";
}

TEST_F(PopupMenusTest, AnEmptiedSiteLeavesTheSitesSubmenuToo) {
  prefs.menuState = 1;
  Build();
  Visit(Page(0, 0));
  Visit(Page(1, 0));
  store.DeletePageMark(store.FindPageMarkByUrl(Page(0, 0)));
  EXPECT_EQ((Strings{Site(1), "-", "More Sites...\tCtrl-W"}), Labels(Secondary()));
}

TEST_F(PopupMenusTest, TitleAndAddressEditsShowAtOnce) {
  Build();
  Visit(Page(0, 0), "old");
  Visit(Page(1, 0), "other");
  const CPez* p = store.FindPageMarkByUrl(Page(0, 0));
  store.EditPageMark(p, "new", Page(0, 0));
  EXPECT_EQ("new", Recent().TextAt(1));
  EXPECT_EQ(Strings{"new"}, Labels(SiteMenu(Site(0))));
  store.EditPageMark(p, "moved", Page(2, 0));
  EXPECT_EQ("moved", Recent().TextAt(0));
  EXPECT_FALSE(menus->SiteMenus().contains(Site(0))) << "the Site it left had no other page";
  EXPECT_EQ(Strings{"moved"}, Labels(SiteMenu(Site(2))));
}

TEST_F(PopupMenusTest, TitlesAndSiteKeysAreLiteral) {
  prefs.simpleSites = 0;
  Build();
  Visit("http://fish&chips.example.com/", "Fish & Chips");
  const MenuItem& item = *Recent().ItemAt(0);
  EXPECT_EQ("Fish & Chips", item.text);
  EXPECT_EQ(LabelStyle::Literal, item.style);
  const MenuItem& site = *Main().ItemAt(14);
  EXPECT_EQ("example.com", site.text);
  EXPECT_EQ(LabelStyle::Literal, site.style);
  EXPECT_EQ(LabelStyle::Mnemonic, Main().ItemAt(0)->style);
}

// A URL without a server name gives an empty Site key; its Site is still found and moved.
TEST_F(PopupMenusTest, EmptySiteKeyIsFoundLikeAnyOther) {
  Build();
  ASSERT_EQ("", SiteKeyForUrl("http:///a", 1));
  Visit("http:///a");
  Visit(Page(1, 0));
  Visit("http:///b");
  Visit(Page(1, 1));
  EXPECT_EQ((Strings{Site(1), ""}), MainList());
  EXPECT_EQ(2u, menus->SiteMenus().size());
}

TEST_F(PopupMenusTest, RebuildKeepsTheNumbersAndFitsTheNewScreen) {
  Build();
  for (int i = 0; i < 45; ++i) Visit(Page(i % 5, i));
  store.DeletePageMark(store.FindPageMarkByUrl(Page(0, 0)));
  const std::shared_ptr<Menu> main = menus->MainMenu();
  menus->QuickMenu()->Relabel(res::kCmdSuspend, "Activate Hopwise");

  screen.height = 600;  // 31 rows
  menus->RebuildMenus();
  EXPECT_EQ(31, menus->Layout().menuRows);
  EXPECT_EQ(main, menus->MainMenu());
  EXPECT_EQ("Activate Hopwise", menus->QuickMenu()->TextAt(12)) << "the quick menu keeps its label";
  EXPECT_EQ(31u, Recent().Count());
  EXPECT_EQ(store.PageMarks().back().commandId, Recent().CommandAt(0));
  EXPECT_EQ(1034u + 44, Recent().CommandAt(0));
  EXPECT_EQ(5u, MainList().size());
  EXPECT_EQ(16u + 5, Main().Count());
}

// Past 6033 a new page takes a number a dropped page left; the menus follow without a rebuild.
TEST_F(PopupMenusTest, NumbersUsedAgainReachTheRightPage) {
  Build();
  for (int i = 0; i <= 5000; ++i) Visit(Page(i % 3, i));
  const CPez& newest = store.PageMarks().back();
  EXPECT_LT(newest.commandId, kLastPageMarkCommand);
  EXPECT_EQ(newest.commandId, Recent().CommandAt(0));
  EXPECT_EQ(newest.commandId, SiteMenu(Site(5000 % 3)).CommandAt(0));
  const auto& sites = menus->SiteMenus();
  EXPECT_EQ(1u, std::count_if(sites.begin(), sites.end(),
                              [&](const auto& site) { return site.second->Contains(newest.commandId); }));
  menus->DispatchDynamicCommand(newest.commandId);
  EXPECT_EQ(Strings{Page(2, 5000)}, opener.opened);
}

TEST_F(PopupMenusTest, AFreshStoreShowsHowToStartAndPagesShowTitleOrAddressWithBothAsTip) {
  Build();
  ASSERT_EQ(3u, Recent().Count());
  EXPECT_EQ(menu_text::kNoPagesHint, Recent().TextAt(0));
  EXPECT_TRUE(Recent().ItemAt(0)->grayed);
  menus->DispatchDynamicCommand(Recent().CommandAt(0));
  EXPECT_TRUE(opener.opened.empty());

  store.RecordVisit(Page(0, 0), "");
  Visit(Page(0, 1), "A title");
  EXPECT_EQ((Strings{"A title", Page(0, 0), "-", "More PageMarks...\tCtrl-Q"}), Labels(Recent()));
  EXPECT_EQ("A title\n" + Page(0, 1), Recent().ItemAt(0)->tip);
  EXPECT_EQ(Page(0, 0), SiteMenu(Site(0)).ItemAt(1)->tip);
  EXPECT_EQ("", store.FindPageMarkByUrl(Page(0, 0))->title) << "the stored title stays empty";
}

// A full store takes new pages one by one: nothing is numbered anew, nothing rebuilt, no file written.
TEST_F(PopupMenusTest, AFullStoreTakesNewPagesWithoutRebuildingOrWriting) {
  prefs.maxPageMarks = 5000;
  std::vector<std::pair<std::string, std::string>> pages;
  for (int i = 0; i < 5000; ++i) pages.emplace_back(Page(i % 40, i), "t" + std::to_string(i));
  LoadStore(pages);
  Build();
  struct Resets : StoreListener {
    int count = 0;
    void OnStoreReset() override { ++count; }
  } resets;
  const PageMarkStore::Subscription subscription = store.Subscribe(resets);
  const auto listing = [&] {
    std::vector<std::pair<std::string, std::filesystem::file_time_type>> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
      entries.emplace_back(entry.path().string(), entry.last_write_time());
    return entries;
  };
  const auto before = listing();
  for (int i = 0; i < 200; ++i) Visit(Page(i % 50, 10000 + i), "new" + std::to_string(i));
  EXPECT_EQ(0, resets.count);
  EXPECT_EQ(before, listing());
  EXPECT_EQ(5000u, store.Count());
  EXPECT_EQ("new199", Recent().TextAt(0));
}

// Menus built from a store at once show what following its visits one by one showed, with every
// size rule at work (a short screen, many Sites, revisits), in both layouts.
TEST_F(PopupMenusTest, BuildingFromTheStoreShowsWhatFollowingTheVisitsShowed) {
  for (int32_t menuState : {0, 1}) {
    store.ClearStore();
    prefs.menuState = menuState;
    screen.height = 19 * 20;
    Build();
    uint32_t seed = 7;
    for (int i = 0; i < 600; ++i) {
      seed = seed * 1103515245u + 12345u;
      Visit(Page(static_cast<int>(seed >> 16) % 40, static_cast<int>(seed >> 8) % 30));
    }
    auto followed = std::move(menus);
    Build();
    EXPECT_EQ(Labels(*followed->MainMenu()), Labels(Main())) << menuState;
    EXPECT_EQ(Labels(*followed->RecentMenu()), Labels(Recent())) << menuState;
    EXPECT_EQ(Labels(*followed->SecondaryMenu()), Labels(Secondary())) << menuState;
    ASSERT_EQ(followed->SiteMenus().size(), menus->SiteMenus().size());
    for (const auto& [key, submenu] : followed->SiteMenus())
      EXPECT_EQ(Labels(*submenu), Labels(SiteMenu(key))) << key;
  }
}

}  // namespace
