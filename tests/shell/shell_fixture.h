#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "shell/popup_menus.h"
#include "support/data_fixture.h"
#include "support/recording_opener.h"

// A screen of a set height with menu lines of a set height.
class FixedScreen : public ScreenMetrics {
 public:
  int ScreenHeight() const override { return height; }
  int MenuItemHeight() const override { return itemHeight; }
  int height = 768;
  int itemHeight = 19;
};

// The texts of a menu's items, in order; separators show as "-".
inline std::vector<std::string> Labels(const Menu& menu) {
  std::vector<std::string> labels;
  for (std::size_t i = 0; i < menu.Count(); ++i)
    labels.push_back(menu.ItemAt(i)->kind == MenuItemKind::Separator ? "-" : menu.TextAt(i));
  return labels;
}

// The popup menus over a real store and real data files in a temporary working folder.
class ShellFixture : public DataFixture {
 protected:
  ShellFixture() : DataFixture("hopwise-shell") {}
  void TearDown() override {
    menus.reset();
    DataFixture::TearDown();
  }

  void Build() {
    menus = std::make_unique<PopupMenus>(prefs, store, topics, screen, opener);
    menus->BuildMenus();
  }

  void Visit(const std::string& url, const std::string& title = "") {
    store.RecordVisit(url, title.empty() ? url : title);
    clock.Advance(10);
  }

  // Puts pages into the store as cache.data would (oldest first), one per URL.
  void LoadStore(const std::vector<std::pair<std::string, std::string>>& urlsAndTitles) {
    std::vector<std::unique_ptr<CPez>> pages;
    for (const auto& [url, title] : urlsAndTitles) {
      auto p = std::make_unique<CPez>();
      p->url = url;
      p->title = title;
      pages.push_back(std::move(p));
    }
    store.Load(std::move(pages));
  }

  static std::unique_ptr<CTopic> Link(const std::string& name, const std::string& url) {
    auto node = std::make_unique<CTopic>(1000);
    node->name = name;
    node->target = url;
    return node;
  }
  static std::unique_ptr<CTopic> Folder(const std::string& name, const std::string& branchFile) {
    auto node = std::make_unique<CTopic>(1000);
    node->isFolder = 1;
    node->name = name;
    node->target = branchFile;
    return node;
  }
  void WriteTopics(const std::string& path, std::vector<std::unique_ptr<CTopic>> nodes) {
    TopicArray array;
    for (auto& node : nodes) array.push_back(std::move(node));
    ASSERT_TRUE(files.SaveBranch(path, array));
  }

  Menu& Main() { return *menus->MainMenu(); }
  Menu& Recent() { return *menus->RecentMenu(); }
  Menu& Secondary() { return *menus->SecondaryMenu(); }
  Menu& SiteMenu(const std::string& key) { return *menus->SiteMenus().at(key); }
  // The labels of the main list: from mainListPosition to the separator after it.
  std::vector<std::string> MainList() {
    std::vector<std::string> all = Labels(Main());
    std::vector<std::string> list;
    for (std::size_t i = static_cast<std::size_t>(menus->Layout().mainListPosition);
         i < all.size() && all[i] != "-"; ++i)
      list.push_back(all[i]);
    return list;
  }

  FixedScreen screen;
  RecordingOpener opener;
  std::unique_ptr<PopupMenus> menus;
};
