// The main menu's Topic side, the Topic numbers and the dispatch of dynamic commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "resources/resource_ids.h"
#include "shell/command_ranges.h"
#include "shell/menu_texts.h"
#include "shell_fixture.h"

namespace {

using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

class TopicMenusTest : public ShellFixture {
 protected:
  std::string Branch(const std::string& name) { return paths.branchPath + name; }

  void WriteLinks(const std::string& path, int count, const std::string& stem = "L") {
    std::vector<std::unique_ptr<CTopic>> nodes;
    for (int i = 0; i < count; ++i)
      nodes.push_back(Link(stem + std::to_string(i), "http://t/" + std::to_string(i)));
    WriteTopics(path, std::move(nodes));
  }
};

TEST_F(TopicMenusTest, TopicsShowInReverseStoredOrderInBothLayouts) {
  std::vector<std::unique_ptr<CTopic>> nodes;
  nodes.push_back(Link("A", "http://a/"));
  nodes.push_back(Link("B & Co", "http://b/"));
  nodes.push_back(Link("C", "http://c/"));
  WriteTopics(paths.topicsPath, std::move(nodes));

  Build();
  EXPECT_EQ((Strings{"C", "B & Co", "A", "-", menu_text::kEditTopics}), Labels(Secondary()));
  EXPECT_EQ(6036u, Secondary().CommandAt(0));
  ASSERT_NE(nullptr, menus->TopicUrl(6036));
  EXPECT_EQ("http://c/", *menus->TopicUrl(6036));
  EXPECT_EQ(LabelStyle::Literal, Secondary().ItemAt(1)->style);

  menus.reset();
  prefs.menuState = 1;
  Build();
  EXPECT_EQ((Strings{"C", "B & Co", "A"}), MainList());
  EXPECT_EQ("Sites", Main().TextAt(12));
  EXPECT_EQ(menu_text::kEditTopics, Main().TextAt(Main().Count() - 1));
}

TEST_F(TopicMenusTest, FoldersReadTheirBranchFilesOnlyInsideTheTopicsFolder) {
  WriteLinks(Branch("1.data"), 2, "x");
  const std::string outside = dir + "/outside.data";
  std::ofstream(outside, std::ios::binary) << "not an archive";
  std::vector<std::unique_ptr<CTopic>> nodes;
  nodes.push_back(Folder("Missing", Branch("2.data")));
  nodes.push_back(Folder("Outside", outside));
  nodes.push_back(Folder("Full", Branch("1.data")));
  nodes.push_back(Folder("Sneaky", paths.branchPath + "../outside.data"));
  WriteTopics(paths.topicsPath, std::move(nodes));

  Build();
  EXPECT_EQ((Strings{"Sneaky", "Full", "Outside", "Missing", "-", menu_text::kEditTopics}),
            Labels(Secondary()));
  EXPECT_EQ((Strings{"x1", "x0"}), Labels(*Secondary().SubmenuAt(1)));
  EXPECT_EQ(0u, Secondary().SubmenuAt(0)->Count());
  EXPECT_EQ(0u, Secondary().SubmenuAt(2)->Count());
  EXPECT_EQ(0u, Secondary().SubmenuAt(3)->Count());
  EXPECT_EQ(14u, fs::file_size(outside)) << "a file outside the Topics folder is never touched";
  EXPECT_EQ(Strings{}, messages.Shown());
}

TEST_F(TopicMenusTest, FolderContainingItselfEndsAsAnEmptySubmenu) {
  std::vector<std::unique_ptr<CTopic>> inner;
  inner.push_back(Folder("Again", Branch("1.data")));
  inner.push_back(Link("y", "http://y/"));
  WriteTopics(Branch("1.data"), std::move(inner));
  std::vector<std::unique_ptr<CTopic>> top;
  top.push_back(Folder("Loop", Branch("1.data")));
  WriteTopics(paths.topicsPath, std::move(top));

  Build();
  Menu& loop = *Secondary().SubmenuAt(0);
  EXPECT_EQ((Strings{"y", "Again"}), Labels(loop));
  EXPECT_EQ(0u, loop.SubmenuAt(1)->Count());
}

TEST_F(TopicMenusTest, LongTopicListsOverflowIntoEditTopics) {
  WriteLinks(Branch("1.data"), 45, "x");
  std::vector<std::unique_ptr<CTopic>> top;
  for (int i = 0; i < 44; ++i) top.push_back(Link("L" + std::to_string(i), "http://t/"));
  top.push_back(Folder("F", Branch("1.data")));
  WriteTopics(paths.topicsPath, std::move(top));

  Build();
  Menu& topicsMenu = Secondary();
  ASSERT_EQ(39u, topicsMenu.Count());
  EXPECT_EQ("F", topicsMenu.TextAt(0));
  EXPECT_EQ(res::kCmdEditTopics, topicsMenu.CommandAt(38));
  const Strings labels = Labels(topicsMenu);
  EXPECT_EQ(1, std::count(labels.begin(), labels.end(), menu_text::kEditTopics));
  Menu& folder = *topicsMenu.SubmenuAt(0);
  ASSERT_EQ(39u, folder.Count());
  EXPECT_EQ("x44", folder.TextAt(0));
  EXPECT_EQ("x8", folder.TextAt(36));
  EXPECT_EQ(res::kCmdEditTopics, folder.CommandAt(38));
}

TEST_F(TopicMenusTest, TopicMainListStaysOnScreen) {
  prefs.menuState = 1;
  WriteLinks(paths.topicsPath, 30);
  Build();
  Strings list = MainList();
  ASSERT_EQ(26u, list.size());
  EXPECT_EQ("L29", list.front());
  EXPECT_EQ("L4", list.back());
  EXPECT_EQ("Sites", Main().TextAt(12));
  EXPECT_EQ(menu_text::kEditTopics, Main().TextAt(Main().Count() - 1));
  EXPECT_EQ(16u + 26, Main().Count());
}

TEST_F(TopicMenusTest, RebuildKeepsCountingTopicNumbersAndTopicRebuildStartsAgain) {
  WriteLinks(paths.topicsPath, 2);
  Build();
  EXPECT_EQ(6035u, Secondary().CommandAt(0));
  Visit("http://a.example.com/");

  menus->RebuildMenus();
  EXPECT_EQ(6037u, Secondary().CommandAt(0));
  EXPECT_EQ(6036u, Secondary().CommandAt(1));
  EXPECT_EQ(6038u, menus->NextTopicCommandId());
  EXPECT_EQ(1034u, Recent().CommandAt(0));
  EXPECT_EQ(4u, menus->TopicLinkCount());

  WriteLinks(paths.topicsPath, 3, "N");
  topics.Reload();
  EXPECT_EQ((Strings{"N2", "N1", "N0", "-", menu_text::kEditTopics}), Labels(Secondary()));
  EXPECT_EQ(6036u, Secondary().CommandAt(0));
  EXPECT_EQ(menus->SecondaryMenu(), Main().SubmenuAt(12));
  EXPECT_EQ("example.com", Main().TextAt(14)) << "the Sites are left alone";
}

TEST_F(TopicMenusTest, TopicRebuildInTopicsLayoutReplacesOnlyTheList) {
  prefs.menuState = 1;
  WriteLinks(paths.topicsPath, 3);
  Build();
  Visit("http://a.example.com/");
  WriteLinks(paths.topicsPath, 1, "N");
  topics.Reload();
  EXPECT_EQ(Strings{"N0"}, MainList());
  EXPECT_EQ(6034u, Main().CommandAt(14));
  EXPECT_EQ((Strings{"example.com", "-", menu_text::kMoreSites}), Labels(Secondary()));
  EXPECT_EQ(menu_text::kEditTopics, Main().TextAt(Main().Count() - 1));
}

// Topic numbers count on across builds and never reach the fixed commands: a build that would
// not fit in what is left of the range starts again from 6034; with none left, a link gets no
// entry until the next build.
TEST_F(TopicMenusTest, TopicNumbersNeverReachTheFixedCommands) {
  CTopic root(0);
  root.children = std::make_unique<TopicArray>();
  for (int i = 0; i < 5; ++i) root.children->push_back(Link("L" + std::to_string(i), "http://l/"));
  MenuLayout layout;
  layout.menuRows = 40;
  TopicEntries entries(layout, kLastTopicCommand - 6);
  Menu first;
  entries.Fill(root, first, TopicEntries::Mode::Submenu);
  EXPECT_EQ(kLastTopicCommand - 2, first.CommandAt(0));

  entries.RestartNumbersIfLow();
  Menu second;
  entries.Fill(root, second, TopicEntries::Mode::Submenu);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_TRUE(IsTopicCommand(second.CommandAt(i))) << i;
  EXPECT_EQ(6038u, second.CommandAt(0));

  TopicEntries usedUp(layout, kLastTopicCommand + 1);
  EXPECT_EQ(std::nullopt, usedUp.TakeNumber("http://late/"));
  Menu none;
  usedUp.Fill(root, none, TopicEntries::Mode::Submenu);
  EXPECT_EQ(0u, none.Count());
}

TEST_F(TopicMenusTest, TopLevelLinkGoesWhereTheTopicsAre) {
  Build();
  topics.AppendTopLevelLink("New", "http://new/");
  EXPECT_EQ("New", Secondary().TextAt(0));
  EXPECT_EQ(6034u, Secondary().CommandAt(0));

  menus.reset();
  prefs.menuState = 1;
  Build();
  topics.AppendTopLevelLink("Newer", "http://newer/");
  EXPECT_EQ((Strings{"Newer", "New"}), MainList());
  EXPECT_EQ((Strings{"-", menu_text::kMoreSites}), Labels(Secondary()));
  menus->DispatchDynamicCommand(Main().CommandAt(14));
  EXPECT_EQ(Strings{"http://newer/"}, opener.opened);
}

TEST_F(TopicMenusTest, DispatchOpensPageMarksAndTopicLinksOnly) {
  WriteLinks(paths.topicsPath, 1);
  Build();
  Visit("http://a.example.com/page", "A");
  menus->DispatchDynamicCommand(1034);
  menus->DispatchDynamicCommand(6034);
  for (uint32_t unknown : {0u, 1033u, 1035u, 6033u, 6035u, 99999u}) menus->DispatchDynamicCommand(unknown);
  EXPECT_EQ((Strings{"http://a.example.com/page", "http://t/0"}), opener.opened);
}

TEST_F(TopicMenusTest, DamagedTopicsFileGivesAnEmptyTopicsSubmenu) {
  std::ofstream(paths.topicsPath, std::ios::binary) << "\x05";
  Build();
  EXPECT_EQ((Strings{"-", menu_text::kEditTopics}), Labels(Secondary()));
  ASSERT_EQ(1u, messages.Shown().size());
  EXPECT_EQ(0u, messages.Shown()[0].find(kBranchCorrupted));
  EXPECT_TRUE(fs::exists(paths.topicsPath + ".damaged-20010909-014640")) << "the damaged file is kept";
}

}  // namespace
