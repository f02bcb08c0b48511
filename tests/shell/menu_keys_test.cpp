// The keys typed in an open tray menu, on the menu model: marks, and what the end of the menu
// loop carries out.
#include "shell/menu_keys.h"

#include <gtest/gtest.h>

#include "shell_fixture.h"

namespace {

class RecordingWindows : public ToolWindows {
 public:
  bool ShowToolWindow(ToolWindowKind kind) override {
    shown.push_back(kind);
    return true;
  }
  bool IsOpen(ToolWindowKind kind) const override { return false; }
  bool ShowQuickInfo(uint32_t command, int x, int y) override {
    quickInfo.push_back(command);
    return true;
  }
  bool ShowFindWindow() override {
    ++findShown;
    return true;
  }
  std::vector<ToolWindowKind> shown;
  std::vector<uint32_t> quickInfo;
  int findShown = 0;
};

class MenuKeysTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    prefs.simpleSites = 1;
    Visit("http://a.example/1", "a1");
    Visit("http://a.example/2", "a2");
    Visit("http://b.example/1", "b1");
    Build();
    keys = std::make_unique<MenuKeys>(store, *menus, windows);
  }
  void TearDown() override {
    keys.reset();
    ShellFixture::TearDown();
  }
  uint32_t Number(const std::string& url) { return store.FindPageMarkByUrl(url)->commandId; }
  MenuKeyResult Key(int code, const std::string& url, Menu& menu) {
    return keys->OnMenuKey(code, Number(url), menu, 0, 0);
  }

  RecordingWindows windows;
  std::unique_ptr<MenuKeys> keys;
};

TEST_F(MenuKeysTest, CtrlHGraysInTheMenuAndItsSiteAgainUndoesClosingRemoves) {
  const uint32_t a1 = Number("http://a.example/1");
  Key(menu_key::kRemove, "http://a.example/1", Recent());
  EXPECT_FALSE(*Recent().IsEnabled(a1));
  EXPECT_FALSE(*SiteMenu("a.example").IsEnabled(a1));
  Key(menu_key::kRemove, "http://a.example/1", Recent());
  EXPECT_TRUE(*Recent().IsEnabled(a1));
  EXPECT_TRUE(*SiteMenu("a.example").IsEnabled(a1));
  keys->OnMenuClosed();
  EXPECT_EQ(3u, store.Count());

  // Typed in the Site submenu: the Recent entry stays as it is, yet the page goes.
  Key(menu_key::kRemove, "http://a.example/1", SiteMenu("a.example"));
  EXPECT_TRUE(*Recent().IsEnabled(a1));
  EXPECT_FALSE(*SiteMenu("a.example").IsEnabled(a1));
  keys->OnMenuClosed();
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://a.example/1"));
  EXPECT_FALSE(Recent().IsEnabled(a1).has_value());
  EXPECT_FALSE(SiteMenu("a.example").IsEnabled(a1).has_value());
  EXPECT_TRUE(windows.shown.empty());
}

TEST_F(MenuKeysTest, CtrlTChecksAndClosingOpensTopicsWithThePagesWaiting) {
  for (const char* url : {"http://a.example/1", "http://b.example/1", "http://a.example/2"})
    Key(menu_key::kSendToTopics, url, Recent());
  Key(menu_key::kSendToTopics, "http://a.example/2", SiteMenu("a.example"));  // taken back
  Key(menu_key::kSendToTopics, "http://a.example/2", Recent());
  EXPECT_TRUE(*Recent().IsChecked(Number("http://b.example/1")));
  EXPECT_TRUE(*SiteMenu("b.example").IsChecked(Number("http://b.example/1")));
  EXPECT_EQ(3u, store.SendToTopicsList().size());
  EXPECT_EQ("http://a.example/1", store.SendToTopicsList().front()->url);

  keys->OnMenuClosed();
  EXPECT_EQ(std::vector<ToolWindowKind>{ToolWindowKind::kTopics}, windows.shown);
  EXPECT_EQ(3u, store.SendToTopicsList().size()) << "waiting for the Topics window";
  for (const char* url : {"http://a.example/1", "http://b.example/1", "http://a.example/2"}) {
    EXPECT_FALSE(*Recent().IsChecked(Number(url))) << url;
    EXPECT_FALSE(*SiteMenu(store.SiteKeyOf(*store.FindPageMarkByUrl(url))).IsChecked(Number(url)));
  }
}

TEST_F(MenuKeysTest, APageMarkedBothWaysIsDeletedAndNeverReachesTopics) {
  Key(menu_key::kSendToTopics, "http://b.example/1", Recent());
  Key(menu_key::kRemove, "http://b.example/1", Recent());
  keys->OnMenuClosed();
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://b.example/1"));
  EXPECT_TRUE(store.SendToTopicsList().empty());
  EXPECT_TRUE(windows.shown.empty()) << "nothing left to file";
}

TEST_F(MenuKeysTest, WindowKeysCloseTheMenuAndOpenAfterItOtherItemsTakeNoMark) {
  EXPECT_EQ(MenuKeyResult::kCloseMenu, keys->OnMenuKey(menu_key::kSitesWindow, 0, Main(), 0, 0));
  EXPECT_TRUE(windows.shown.empty());
  keys->OnMenuClosed();
  EXPECT_EQ(std::vector<ToolWindowKind>{ToolWindowKind::kSites}, windows.shown);
  EXPECT_EQ(MenuKeyResult::kCloseMenu, keys->OnMenuKey(menu_key::kFindWindow, 0, Main(), 0, 0));
  EXPECT_EQ(0, windows.findShown);
  keys->OnMenuClosed();
  EXPECT_EQ(1, windows.findShown);
  keys->OnMenuClosed();
  EXPECT_EQ(1, windows.findShown) << "once per key";

  EXPECT_EQ(MenuKeyResult::kStayOpen, Key(menu_key::kQuickInfo, "http://a.example/2", Recent()));
  EXPECT_EQ(std::vector<uint32_t>{Number("http://a.example/2")}, windows.quickInfo);
  for (uint32_t other : {0u, 32909u, 6034u}) {
    keys->OnMenuKey(menu_key::kRemove, other, Main(), 0, 0);
    keys->OnMenuKey(menu_key::kSendToTopics, other, Main(), 0, 0);
  }
  keys->OnMenuKey('x', Number("http://a.example/2"), Recent(), 0, 0);
  EXPECT_TRUE(keys->RemovalList().empty());
  EXPECT_TRUE(store.SendToTopicsList().empty());
}

}  // namespace
