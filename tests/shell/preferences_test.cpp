// The preferences dialog's rules, Quick Search's address, and what OK in the dialog does to the
// store and the menus.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "shell/menu_texts.h"
#include "shell/preference_rules.h"
#include "shell/preferences_command.h"
#include "shell/quick_search.h"
#include "shell_fixture.h"

namespace {

using Strings = std::vector<std::string>;

const std::string kRange = "Please enter an integer between 50 and 1500.";

TEST(PreferenceRulesTest, TheNumberMustBeAnIntegerFrom50To1500) {
  EXPECT_EQ(50, ReadPageMarkCount("50").count);
  EXPECT_EQ(1500, ReadPageMarkCount(" 1500 ").count);
  EXPECT_EQ(300, ReadPageMarkCount("+0300").count);
  for (const char* text : {"", "  ", "abc", "12a", "1 000", "-", "3.5"})
    EXPECT_EQ("Please enter an integer.", ReadPageMarkCount(text).problem) << text;
  for (const char* text : {"49", "1501", "9999", "-50", "0", "99999999999999999999"})
    EXPECT_EQ(kRange, ReadPageMarkCount(text).problem) << text;
}

TEST(PreferenceRulesTest, AChosenProgramIsSplitAtItsLastSeparator) {
  EXPECT_EQ("/opt/run", SplitProgramPath("/opt/run/run").folder);
  EXPECT_EQ("run", SplitProgramPath("/opt/run/run").file);
  EXPECT_EQ("/", SplitProgramPath("/firefox").folder);
  EXPECT_EQ("", SplitProgramPath("firefox").folder);
  EXPECT_EQ("/opt/run/run", JoinProgramPath("/opt/run", "run"));
  EXPECT_EQ("/firefox", JoinProgramPath("/", "firefox"));
  EXPECT_EQ("firefox", JoinProgramPath("", "firefox"));
  EXPECT_EQ(kDefaultSearchAddress, ReadSearchAddress("  "));
}

TEST(PreferenceRulesTest, SearchServicesAreOfferedByNameAndAnyAddressCanBeTyped) {
  const std::vector<SearchService> offered = OfferedSearchServices(kDefaultSearchAddress);
  EXPECT_EQ("DuckDuckGo", SearchFieldText(kDefaultSearchAddress, offered));
  EXPECT_EQ("https://example.org/find?q=", SearchFieldText("https://example.org/find?q=", offered));
  EXPECT_EQ("https://www.startpage.com/do/search?q=", ReadSearchAddress(" Startpage ", offered));
  EXPECT_EQ("https://example.org/find?q=", ReadSearchAddress(" https://example.org/find?q= ", offered));
  EXPECT_EQ(kOldSearchService.address, ReadSearchAddress(kOldSearchService.address, offered));
  EXPECT_EQ(kOldSearchService.address, SearchFieldText(kOldSearchService.address, offered))
      << "the closed service is not offered to those who do not have it";

  const std::vector<SearchService> old = OfferedSearchServices(kOldSearchService.address);
  EXPECT_EQ(offered.size() + 1, old.size());
  EXPECT_EQ(kOldSearchService.name, SearchFieldText(kOldSearchService.address, old));
  EXPECT_EQ(kOldSearchService.address, ReadSearchAddress(kOldSearchService.name, old));
}

TEST(QuickSearchTest, KeywordsAreJoinedByPlusAndEncoded) {
  EXPECT_EQ(std::string(kDefaultSearchAddress) + "new+york+times", QuickSearchAddress("", "new york times"));
  EXPECT_EQ("https://duckduckgo.com/?q=c%2B%2B+%26+c%23",
            QuickSearchAddress("https://duckduckgo.com/?q=", "c++ & c#"));
  EXPECT_EQ("s?q=a%3Db%26x%3D1+100%25+caf%C3%A9", QuickSearchAddress("s?q=", " a=b&x=1   100% café "));
  EXPECT_EQ("", QuickSearchAddress("s?q=", " \t "));
}

class PreferencesCommandTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    prefs.simpleSites = 1;
  }
  PreferenceChoices Chosen() const { return ChoicesOf(prefs); }
  // Counts the menus' rebuilds: a rebuild lets go of every Site submenu.
  bool SiteMenuRebuilt(const std::string& key) {
    return menus->SiteMenus().count(key) == 0 || menus->SiteMenus().at(key) != siteMenu;
  }
  std::shared_ptr<Menu> siteMenu;
};

TEST_F(PreferencesCommandTest, LoweringTheNumberDropsTheOldestAndRebuildsRaisingDoesNeither) {
  std::vector<std::pair<std::string, std::string>> pages;
  for (int i = 0; i < 300; ++i) pages.emplace_back("http://example.com/" + std::to_string(i), "p");
  LoadStore(pages);
  Build();
  siteMenu = menus->SiteMenus().at("example.com");

  PreferenceChoices chosen = Chosen();
  chosen.maxPageMarks = 1500;
  PreferencesCommand(chosen, prefs, store, *menus);
  EXPECT_EQ(300u, store.Count());
  EXPECT_FALSE(SiteMenuRebuilt("example.com"));

  chosen.maxPageMarks = 50;
  PreferencesCommand(chosen, prefs, store, *menus);
  EXPECT_EQ(50, prefs.maxPageMarks);
  ASSERT_EQ(50u, store.Count());
  EXPECT_EQ("http://example.com/250", store.PageMarks().front().url);
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://example.com/249"));
  EXPECT_TRUE(SiteMenuRebuilt("example.com"));
  EXPECT_EQ("p", Recent().TextAt(0));
}

TEST_F(PreferencesCommandTest, MenuStateRebuildsAndPowerUserMovesOnlyTheLinkMenus) {
  Visit("http://example.com/a");
  Build();
  const Strings links{"General Searches",    "Guides", "Computing", "People Lookup",
                      "Organization Lookup", "News"};

  PreferenceChoices chosen = Chosen();
  chosen.topicsInMainMenu = true;
  PreferencesCommand(chosen, prefs, store, *menus);
  EXPECT_EQ(1, prefs.menuState);
  EXPECT_EQ("Sites", Main().TextAt(12));
  EXPECT_EQ(menu_text::kEditTopics, Labels(Main()).back());

  siteMenu = menus->SiteMenus().at("example.com");
  const auto recent = menus->RecentMenu();
  chosen.powerUser = true;
  PreferencesCommand(chosen, prefs, store, *menus);
  EXPECT_EQ("Sites", Main().TextAt(5));
  EXPECT_FALSE(SiteMenuRebuilt("example.com")) << "no rebuild";

  chosen.powerUser = false;
  PreferencesCommand(chosen, prefs, store, *menus);
  const Strings labels = Labels(Main());
  EXPECT_EQ(links, Strings(labels.begin() + 5, labels.begin() + 11));
  EXPECT_EQ("-", labels[11]);
  EXPECT_EQ("Sites", labels[12]);
  EXPECT_LT(0u, Main().SubmenuAt(5)->Count()) << "the link submenus keep their entries";
  EXPECT_EQ(recent, menus->RecentMenu());
  EXPECT_FALSE(SiteMenuRebuilt("example.com"));
}

TEST_F(PreferencesCommandTest, SiteNamingRegroupsTheStore) {
  prefs.simpleSites = 0;
  Visit("http://www.example.com/a");
  Build();
  ASSERT_EQ(1u, menus->SiteMenus().count("example.com"));
  PreferenceChoices chosen = Chosen();
  chosen.simpleSites = true;
  PreferencesCommand(chosen, prefs, store, *menus);
  EXPECT_EQ(1u, menus->SiteMenus().count("www.example.com"));
  EXPECT_EQ(0u, menus->SiteMenus().count("example.com"));
}

}  // namespace
