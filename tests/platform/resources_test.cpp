#include <gtest/gtest.h>

#include <map>
#include <ranges>
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

// How often each command number occurs in a menu tree.
std::map<uint32_t, int> CommandCounts(const Menu& m) {
  std::vector<uint32_t> all;
  CollectCommands(m, all);
  std::map<uint32_t, int> counts;
  for (uint32_t id : all) ++counts[id];
  return counts;
}

bool IsLinkCommand(uint32_t id) {
  return id >= res::kFirstLinkCmd && id <= res::kLastLinkCmd;
}

}  // namespace

TEST(MenuResources, TrayMenusHoldTheMainAndTheQuickMenu) {
  auto bar = LoadMenuResource(res::kMenuTray);
  ASSERT_NE(nullptr, bar);
  EXPECT_EQ((Entries{{0, "Popup"}, {0, "Quick"}}), Items(*bar));
  EXPECT_EQ(nullptr, LoadMenuResource(131));
}

// Every command the tray handles is in its menus, once, with a label that keeps its mnemonic "&";
// "More PageMarks" is the one command of both menus (the quick menu's "Quick Access To PageMarks").
TEST(MenuResources, EveryTrayCommandIsThereOnceWithALabel) {
  auto tray = LoadMenuResource(res::kMenuTray);
  const std::map<uint32_t, int> counts = CommandCounts(*tray);  // checks the mnemonics
  for (const auto& [id, count] : counts) EXPECT_EQ(id == res::kCmdMorePageMarks ? 2 : 1, count) << id;
  for (uint32_t id :
       {res::kCmdAbout, res::kCmdPreferences, res::kCmdEditTopics, res::kCmdMorePageMarks, res::kCmdMoreSites,
        res::kCmdLaunchBrowser, res::kCmdOpenUrl, res::kCmdSuspend, res::kCmdHelpTopics, res::kCmdQuickSearch,
        res::kCmdWhatsThis, res::kCmdFindPage, res::kCmdExit}) {
    EXPECT_EQ(1u, counts.count(id)) << id;
  }
  EXPECT_EQ(0u, counts.count(0)) << "no command item without a number";
}

// The quick menu is flat, and its separators stand between items only, one at a time.
TEST(MenuResources, QuickMenuIsFlatWithSeparatorsBetweenItems) {
  auto quick = LoadMenuResource(res::kMenuTray)->SubmenuAt(1);
  ASSERT_NE(nullptr, quick);
  ASSERT_GT(quick->Count(), 2u);
  bool previousWasSeparator = true;  // so a leading separator counts as a fault
  for (std::size_t i = 0; i < quick->Count(); ++i) {
    EXPECT_EQ(nullptr, quick->SubmenuAt(i)) << i;
    const bool separator = quick->ItemAt(i)->kind == MenuItemKind::Separator;
    EXPECT_FALSE(separator && previousWasSeparator) << i;
    if (!separator) {
      EXPECT_FALSE(quick->TextAt(i).empty()) << i;
    }
    previousWasSeparator = separator;
  }
  EXPECT_FALSE(previousWasSeparator) << "no separator at the end";
}

// The program finds the submenus of the main menu by position: Help, Recent Web Pages (ending in
// "More PageMarks") and the six link submenus, which between them hold every link command once.
TEST(MenuResources, MainMenuSubmenusAreWhereTheProgramLooks) {
  auto main = MainMenu();
  ASSERT_NE(nullptr, main);
  auto help = main->SubmenuAt(1);
  ASSERT_NE(nullptr, help);
  for (uint32_t id : Commands(*help)) {
    EXPECT_TRUE(id == res::kCmdHelpTopics || (id >= res::kFirstHelpLinkCmd && id <= res::kLastHelpLinkCmd))
        << id;
  }
  auto recent = main->SubmenuAt(res::kRecentPagesPosition);
  ASSERT_NE(nullptr, recent);
  ASSERT_GT(recent->Count(), 0u);
  EXPECT_EQ(res::kCmdMorePageMarks, recent->CommandAt(recent->Count() - 1));

  std::set<uint32_t> linkCommands;
  for (std::size_t i = 0; i < res::kLinkSubmenuCount; ++i) {
    auto links = main->SubmenuAt(res::kFirstLinkSubmenuPosition + i);
    ASSERT_NE(nullptr, links) << i;
    EXPECT_FALSE(main->TextAt(res::kFirstLinkSubmenuPosition + i).empty()) << i;
    ASSERT_FALSE(Commands(*links).empty()) << i;
    for (std::size_t item = 0; item < links->Count(); ++item) {
      if (links->ItemAt(item)->kind != MenuItemKind::Command) continue;
      const uint32_t id = links->CommandAt(item);
      EXPECT_TRUE(IsLinkCommand(id)) << id;
      EXPECT_TRUE(linkCommands.insert(id).second) << id << " is in two link submenus";
      // A label is the service's name, then possibly "\t[what it offers]".
      const std::string label = links->TextAt(item);
      const std::size_t tab = label.find('\t');
      EXPECT_FALSE(label.empty() || tab == 0) << id;
      if (tab != std::string::npos) {
        EXPECT_EQ('[', label[tab + 1]) << label;
        EXPECT_EQ(']', label.back()) << label;
      }
    }
  }
  for (uint32_t id : CommandCounts(*LoadMenuResource(res::kMenuTray)) | std::views::keys) {
    if (IsLinkCommand(id)) {
      EXPECT_EQ(1u, linkCommands.count(id)) << id << " is outside the link submenus";
    }
  }
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

  const std::vector<uint32_t> firstCommands = Commands(*links->SubmenuAt(0));
  const std::string firstLabel = links->SubmenuAt(0)->TextAt(0);
  auto again = LoadMenuResource(res::kMenuLinks);
  EXPECT_TRUE(SameTree(*links, *again));
  again->SubmenuAt(0)->RemoveAt(0);
  again->RemoveAt(5);
  links->Relabel(firstCommands.front(), "changed");
  auto third = LoadMenuResource(res::kMenuLinks);
  EXPECT_EQ(res::kLinkSubmenuCount, third->Count());
  EXPECT_EQ(firstLabel, third->SubmenuAt(0)->TextAt(0));
  EXPECT_EQ(firstCommands, Commands(*third->SubmenuAt(0)));
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
