#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/menu.h"
#include "shell/command_ranges.h"
#include "shell/menu_layout.h"
#include "store/topics_model.h"

// The Topic entries of the tray menus: a menu entry for every Topic link and folder, and the
// numbers of the links (from 6034 on), which keep counting across builds so that a number a menu
// still shows never names another link. It fills the Menu it is given, as a Topics submenu or as
// the main menu's list; where that menu sits is its owner's. Main thread only.
class TopicEntries {
 public:
  // How entries are inserted: into a Topic submenu (top of it, More rule) or into the main list.
  enum class Mode { Submenu, MainList };

  // layout is its owner's, measured again before every build. Numbers are handed out from
  // firstNumber on (6034 unless a test starts near the end of the range).
  explicit TopicEntries(const MenuLayout& layout, uint32_t firstNumber = kFirstTopicCommand);
  TopicEntries(const TopicEntries&) = delete;
  TopicEntries& operator=(const TopicEntries&) = delete;

  // Adds the entries of the tree under root to menu; in the main list they go in at listAt.
  void Fill(const CTopic& root, Menu& menu, Mode mode, std::size_t listAt = 0);
  // Unless it already ends in "Edit Topics...", gives a Topics submenu its separator and that item.
  void FinishSubmenu(Menu& topics) const;
  // The next number for a link to url, or none when the numbers are used up until the next build.
  std::optional<uint32_t> TakeNumber(const std::string& url);
  // The next build of the Topics alone numbers from 6034 again.
  void RestartNumbers() { nextCommandId_ = kFirstTopicCommand; }
  // The numbers would not hold another build of the Topics: start again from 6034.
  void RestartNumbersIfLow();

  // The URL of a Topic link item, or nullptr.
  const std::string* Url(uint32_t command) const;
  std::size_t LinkCount() const { return commandIndex_.size(); }
  uint32_t NextCommandId() const { return nextCommandId_; }

 private:
  // Adds the entries of a folder's children to menu, recursing into folders. Each insertion goes
  // to the same place, so the entries show in the reverse of their stored order.
  void AddEntries(const CTopic& folder, Menu& menu, Mode mode, std::size_t depth);
  void AddLink(const CTopic& link, Menu& menu, Mode mode);
  // Inserts one entry by the insertion rule of the mode.
  void InsertEntry(Menu& menu, Mode mode, const std::function<void(std::size_t)>& insert);

  const MenuLayout& layout_;
  std::size_t listAt_ = 0;  // where main-list entries go during a Fill
  std::size_t linksInLastBuild_ = 0;
  // Topic link number -> the link's URL. Never emptied while numbers keep counting.
  std::map<uint32_t, std::string> commandIndex_;
  uint32_t nextCommandId_;
};
