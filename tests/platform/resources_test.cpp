#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "resources/menu_resources.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace {

using Entries = std::vector<std::pair<uint32_t, std::string>>;

// Number and text of each item; separators read as {0, ""}, submenus as {0, label}.
Entries Items(const Menu& m) {
  Entries out;
  for (std::size_t i = 0; i < m.Count(); ++i) out.emplace_back(m.CommandAt(i), m.TextAt(i));
  return out;
}

std::vector<uint32_t> Commands(const Menu& m) {
  std::vector<uint32_t> out;
  for (std::size_t i = 0; i < m.Count(); ++i) {
    if (m.ItemAt(i)->kind == MenuItemKind::Command) out.push_back(m.CommandAt(i));
  }
  return out;
}

// Every command of a tree, depth-first; checks on the way that every label keeps its mnemonic "&".
void CollectCommands(const Menu& m, std::vector<uint32_t>& out) {
  for (std::size_t i = 0; i < m.Count(); ++i) {
    const MenuItem& item = *m.ItemAt(i);
    if (item.kind != MenuItemKind::Separator) {
      EXPECT_EQ(LabelStyle::Mnemonic, item.style) << item.text;
    }
    if (item.kind == MenuItemKind::Command) out.push_back(item.command);
    if (item.submenu) CollectCommands(*item.submenu, out);
  }
}

bool SameTree(const Menu& a, const Menu& b) {
  if (Items(a) != Items(b)) return false;
  for (std::size_t i = 0; i < a.Count(); ++i) {
    auto sa = a.SubmenuAt(i), sb = b.SubmenuAt(i);
    if (!sa != !sb) return false;
    if (sa && !SameTree(*sa, *sb)) return false;
  }
  return true;
}

std::shared_ptr<Menu> MainMenu() {
  return LoadMenuResource(res::kMenuTray)->SubmenuAt(0);
}

const std::vector<uint32_t> kGeneralSearches{32909, 32911, 32913, 32910, 32914, 32912};
const std::vector<uint32_t> kGuides{32915, 32916, 32917};
const std::vector<uint32_t> kComputing{32900, 32901, 32902, 32903, 32933, 32906, 32904, 32905, 32908, 32907};
const std::vector<uint32_t> kPeople{32918, 32919};
const std::vector<uint32_t> kOrganizations{32921, 32926, 32922, 32923, 32925, 32920, 32924};
const std::vector<uint32_t> kNews{32927, 32928, 32929, 32930, 32931, 32932};

}  // namespace

TEST(MenuResources, TrayMenusHoldTheMainAndTheQuickMenu) {
  auto bar = LoadMenuResource(res::kMenuTray);
  ASSERT_NE(nullptr, bar);
  EXPECT_EQ((Entries{{0, "Popup"}, {0, "Quick"}}), Items(*bar));
  EXPECT_EQ(nullptr, LoadMenuResource(131));
}

TEST(MenuResources, QuickMenuInExactOrder) {
  auto quick = LoadMenuResource(res::kMenuTray)->SubmenuAt(1);
  ASSERT_NE(nullptr, quick);
  EXPECT_EQ((Entries{{33003, "What's This?"},
                     {0, ""},
                     {32941, "Quick Access To &PageMarks\tCtrl-Q"},
                     {32942, "Quick Access To &Sites\tCtrl-W"},
                     {32940, "Quick Access To &Topics\tCtrl-E"},
                     {0, ""},
                     {32978, "&Launch Browser"},
                     {32979, "&Open URL..."},
                     {33002, "&Quick Search..."},
                     {0, ""},
                     {32980, "Suspend Hopwise"},
                     {0, ""},
                     {32841, "Preferences..."},
                     {57665, "E&xit"}}),
            Items(*quick));
  for (std::size_t i = 0; i < quick->Count(); ++i) EXPECT_EQ(nullptr, quick->SubmenuAt(i));
}

TEST(MenuResources, MainMenuAsStored) {
  auto main = MainMenu();
  EXPECT_EQ((Entries{{32812, "About Hopwise..."},
                     {0, "Help"},
                     {0, ""},
                     {0, "Recent Web Pages"},
                     {0, ""},
                     {0, "General Searches"},
                     {0, "Guides"},
                     {0, "Computing"},
                     {0, "People Lookup"},
                     {0, "Organization Lookup"},
                     {0, "News"},
                     {0, ""},
                     {0, ""},
                     {0, ""}}),
            Items(*main));
  EXPECT_EQ(MenuItemKind::Separator, main->ItemAt(2)->kind);
  EXPECT_EQ(MenuItemKind::Submenu, main->ItemAt(res::kRecentPagesPosition)->kind);
  EXPECT_EQ((Entries{{0, ""}, {32941, "More PageMarks...\tCtrl-Q"}}),
            Items(*main->SubmenuAt(res::kRecentPagesPosition)));
  EXPECT_EQ((Entries{{32985, "Hopwise Help Topics"},
                     {0, ""},
                     {32992, "About Ostrand Software, Inc."},
                     {32993, "Ostrand Software, Inc. Homepage"},
                     {0, ""},
                     {32994, "Why is Hopwise Cool?"},
                     {32997, "What's the Latest Version of Hopwise?"},
                     {0, ""},
                     {32998, "Hopwise News"},
                     {0, ""},
                     {32999, "Frequently Asked Questions"},
                     {33000, "Hopwise Mailing List"},
                     {33001, "Getting Technical Support"}}),
            Items(*main->SubmenuAt(1)));

  std::vector<uint32_t> all;
  CollectCommands(*LoadMenuResource(res::kMenuTray), all);  // checks that every label keeps its "&"
  EXPECT_EQ(55u, all.size());
}

TEST(MenuResources, LinkSubmenusInMenuOrderWithTheirLabels) {
  auto main = MainMenu();
  const std::size_t first = res::kFirstLinkSubmenuPosition;
  EXPECT_EQ(kGeneralSearches, Commands(*main->SubmenuAt(first)));
  EXPECT_EQ(kGuides, Commands(*main->SubmenuAt(first + 1)));
  EXPECT_EQ(kComputing, Commands(*main->SubmenuAt(first + 2)));
  EXPECT_EQ(kPeople, Commands(*main->SubmenuAt(first + 3)));
  EXPECT_EQ(kOrganizations, Commands(*main->SubmenuAt(first + 4)));
  EXPECT_EQ(kNews, Commands(*main->SubmenuAt(first + 5)));

  // Labels are stored as written, the right-aligned part after "\t" and "&&" included.
  auto organizations = main->SubmenuAt(first + 4);
  EXPECT_EQ("AT&&T Toll Free\t[AT&&T US-only]", organizations->TextAt(0));
  EXPECT_EQ("WhoWhere\t[free, global]", organizations->TextAt(5));
  EXPECT_EQ("Alta Vista\t[super fast web & usenet]", main->SubmenuAt(first)->TextAt(0));
  EXPECT_EQ("C|Net\t[large web-savvy publisher]", main->SubmenuAt(first + 2)->TextAt(1));
  EXPECT_EQ("Wall Street Journal\t[daily biz news]", main->SubmenuAt(first + 5)->TextAt(5));
  // The labels left open get the service's web name.
  EXPECT_EQ("search.com", main->SubmenuAt(first)->TextAt(1));
  EXPECT_EQ("news.com", main->SubmenuAt(first + 5)->TextAt(3));
}

TEST(MenuResources, LinkMenusResourceMatchesTheMainMenuAndEveryLoadIsFresh) {
  auto links = LoadMenuResource(res::kMenuLinks);
  auto main = MainMenu();
  ASSERT_EQ(res::kLinkSubmenuCount, links->Count());
  for (std::size_t i = 0; i < links->Count(); ++i) {
    ASSERT_NE(nullptr, links->SubmenuAt(i));
    EXPECT_EQ(main->TextAt(res::kFirstLinkSubmenuPosition + i), links->TextAt(i));
    EXPECT_TRUE(SameTree(*main->SubmenuAt(res::kFirstLinkSubmenuPosition + i), *links->SubmenuAt(i)));
    EXPECT_NE(main->SubmenuAt(res::kFirstLinkSubmenuPosition + i), links->SubmenuAt(i));
  }

  auto again = LoadMenuResource(res::kMenuLinks);
  EXPECT_TRUE(SameTree(*links, *again));
  again->SubmenuAt(0)->RemoveAt(0);
  again->RemoveAt(5);
  links->Relabel(32909, "changed");
  auto third = LoadMenuResource(res::kMenuLinks);
  EXPECT_EQ(res::kLinkSubmenuCount, third->Count());
  EXPECT_EQ("Alta Vista\t[super fast web & usenet]", third->SubmenuAt(0)->TextAt(0));
  EXPECT_EQ(kGeneralSearches, Commands(*third->SubmenuAt(0)));
}

TEST(StringTable, EveryLinkCommandHasAnAddressAndNoAddressIsOrphaned) {
  auto main = MainMenu();
  std::vector<uint32_t> links;
  CollectCommands(*main->SubmenuAt(1), links);
  for (std::size_t i = 0; i < res::kLinkSubmenuCount; ++i) {
    CollectCommands(*main->SubmenuAt(res::kFirstLinkSubmenuPosition + i), links);
  }
  std::set<uint32_t> linkCommands;
  std::map<std::string, uint32_t> byAddress;
  for (uint32_t id : links) {
    const bool isLink = (id >= res::kFirstLinkCmd && id <= res::kLastLinkCmd) ||
                        (id >= res::kFirstHelpLinkCmd && id <= res::kLastHelpLinkCmd);
    if (!isLink) continue;  // "Hopwise Help Topics" opens the help, not a page
    linkCommands.insert(id);
    auto address = LoadResourceString(id);
    ASSERT_TRUE(address.has_value()) << id;
    EXPECT_TRUE(address->starts_with("http://") || address->starts_with("https://")) << *address;
    EXPECT_EQ(std::string::npos, address->find_first_of(" \t\"<>")) << *address;
    auto [it, fresh] = byAddress.emplace(*address, id);
    if (!fresh) {
      // Only the two "WhoWhere" entries share a page.
      EXPECT_EQ((std::set<uint32_t>{32919, 32920}), (std::set<uint32_t>{it->second, id}));
    }
  }
  EXPECT_EQ(*LoadResourceString(32919), *LoadResourceString(32920));
  EXPECT_EQ(34u + 8u, linkCommands.size());

  for (uint32_t id = res::kFirstLinkCmd; id <= res::kLastHelpLinkCmd; ++id) {
    EXPECT_EQ(linkCommands.count(id) == 1, LoadResourceString(id).has_value()) << id;
  }
}

TEST(StringTable, ProgramTextsAndAClosedServiceArchived) {
  EXPECT_EQ("HOPWISE", LoadResourceString(res::kStringServiceName));
  EXPECT_EQ("DDE initialization failed.  Unable to continue.", LoadResourceString(res::kStringDdeInitFailed));
  EXPECT_EQ(std::nullopt, LoadResourceString(0));
  EXPECT_EQ(std::nullopt, LoadResourceString(105));
  EXPECT_EQ(std::nullopt, LoadResourceString(4294967295u));

  // "Alta Vista" has closed: its link opens an archived copy.
  EXPECT_TRUE(LoadResourceString(32909)->starts_with("https://web.archive.org/"));
}
