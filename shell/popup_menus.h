#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/menu.h"
#include "shell/screen_metrics.h"
#include "shell/url_opener.h"
#include "store/data_files.h"
#include "store/page_mark_store.h"
#include "store/prefs.h"
#include "store/records.h"

// The two tray menus and their dynamic parts: "Recent Web Pages", one submenu per Site, the
// Topics, and the size rules that keep them on the screen. The menu bar holds the main menu
// ("Popup", bar item 0) and the quick menu ("Quick", bar item 1) of menu resource 130.
//
// It listens to the store: every recorded visit changes the affected items only; a renumbering of
// the PageMarks rebuilds. The main and quick Menu objects stay the same for the life of this
// object (a rebuild refills them), so a renderer keeps showing them. Main thread only.
class PopupMenus : public StoreListener {
 public:
  // How AddTopicEntries inserts: into a Topic submenu (top of it, More rule) or into the main list.
  enum class TopicMode { Submenu, MainList };

  PopupMenus(CPrefs& prefs, PageMarkStore& store, DataFiles& files, const ScreenMetrics& screen,
             UrlOpener& opener);
  ~PopupMenus() override;
  PopupMenus(const PopupMenus&) = delete;
  PopupMenus& operator=(const PopupMenus&) = delete;

  // Builds both menus from nothing, loading cache.data into the store and indexing it. Once.
  void BuildMenus();
  // Tears the dynamic parts down and builds again from the store in memory (display change,
  // preference changes, renumbered PageMarks). cache.data is not read again.
  void RebuildMenus();
  // Rebuilds only the Topic entries (after the Topics were edited).
  void RebuildTopicsMenu();
  // Sets the layout values of the preferences from the screen and "Power User".
  void MeasureMenuRows();

  // Adds Topic nodes to menu, recursing into folders through their branch files; the nodes are
  // consumed (menus keep only labels and numbers). Each insertion goes to the same place, so the
  // entries show in the reverse of their stored order.
  void AddTopicEntries(TopicArray& nodes, Menu& menu, TopicMode mode);
  // Puts the PageMark into its Site's submenu (making the submenu for a new Site) and moves the
  // Site to the top of its list.
  void PlacePageMark(const std::string& siteKey, CPez& p);
  // Moves the Site's entry to the top of its list (found by label). False when the Site is not in
  // its list (a size rule pushed it out).
  bool MoveSiteToTop(const std::string& siteKey, const std::shared_ptr<Menu>& submenu);
  // Puts the PageMark at the top of "Recent Web Pages".
  void AddRecent(CPez& p);
  // Removes the PageMark's items from the main menu and its Site's submenu. Every deleting caller
  // calls it before DeletePageMark (the store's removal notice calls it too).
  void RemovePageMarkItems(const CPez& p);
  // A link another window has just appended to the top-level Topics: shown at once with a new
  // Topic number. While "Menu State" lists Topics in the main menu it goes to the top of that list,
  // where the next rebuild shows it too; otherwise to the top of the "Topics" submenu.
  void AddTopLevelTopicLink(const std::string& label, const std::string& url);
  // A chosen item with no fixed handler: a PageMark or a Topic link goes to the browser; any other
  // number does nothing.
  void DispatchDynamicCommand(uint32_t command);
  // Shutdown: empties and forgets every Site submenu.
  void DestroySiteMenus();

  // The store's notices: the menu side of RecordVisit, removals and renumbering.
  void OnNewPageMark(CPez& p) override;
  void OnDroppedPageMark(CPez& p) override;
  void OnRevisitRecent(CPez& p) override;
  void OnRevisitSite(CPez& p) override;
  void OnPageMarkRemoved(CPez& p) override;
  void OnPageMarksRenumbered() override;

  const std::shared_ptr<Menu>& MenuBar() const { return menuBar_; }
  const std::shared_ptr<Menu>& MainMenu() const { return main_; }
  const std::shared_ptr<Menu>& QuickMenu() const { return quick_; }
  // "Recent Web Pages" (main menu position 3).
  std::shared_ptr<Menu> RecentMenu() const;
  // The submenu at secondaryMenuPosition: "Sites" when "Menu State" is non-zero, else "Topics".
  const std::shared_ptr<Menu>& SecondaryMenu() const { return secondary_; }

  // Site key -> that Site's submenu; a Site is known once it has an entry.
  std::map<std::string, std::shared_ptr<Menu>> SiteMenus;
  // Topic link number -> the link's URL. Never emptied while numbers keep counting.
  std::map<uint32_t, std::string> TopicCommandIndex;
  uint32_t nextTopicCommandId = kFirstTopicCommand;

 private:
  // BuildMenus steps 1 to 7: the resource menus with the last item, the link submenus as "Power
  // User" wants them, and the "Sites"/"Topics" submenu with its Topic entries.
  void BuildFixedPart();
  // BuildMenus step 9: numbers every PageMark of the store and puts it into the menus.
  void FillFromStore();
  // Inserts a Site entry at the top of its list and applies that list's size rule.
  void InsertSiteAtTop(const std::string& siteKey, const std::shared_ptr<Menu>& submenu);
  // Inserts one Topic entry by the insertion rule of the mode.
  void InsertTopicEntry(Menu& menu, TopicMode mode, const std::function<void(std::size_t)>& insert);
  void AddTopicFolder(CTopic& folder, Menu& menu, TopicMode mode);
  void AddTopicLink(CTopic& link, Menu& menu, TopicMode mode);
  // The top-level Topics of topics.data; a missing or empty file is written as an empty array.
  TopicArray LoadTopLevelTopics(bool writeWhenEmpty);
  // Unless it already ends in "Edit Topics...", gives a Topics submenu its separator and that item.
  void FinishTopicsSubmenu(Menu& topics);
  // A folder's branch file may be read only when it lies in the Topics folder and is not already
  // being read further up (a folder that contains itself).
  bool MayLoadBranch(const std::string& target) const;
  // The Topic numbers would not hold another build of the Topics: start again from 6034.
  void RestartTopicNumbersIfLow();
  std::size_t MainListPosition() const;
  std::size_t SecondaryPosition() const;

  CPrefs& prefs_;
  PageMarkStore& store_;
  DataFiles& files_;
  const ScreenMetrics& screen_;
  UrlOpener& opener_;

  std::shared_ptr<Menu> menuBar_;
  std::shared_ptr<Menu> main_;
  std::shared_ptr<Menu> quick_;
  std::shared_ptr<Menu> secondary_;

  // Where main-list Topic entries go: mainListPosition - 1 while the menus are built (the
  // "Sites" submenu is not in place yet), mainListPosition afterwards.
  bool buildingMainMenu_ = false;
  std::set<std::string> branchesBeingRead_;
  std::size_t topicLinksInLastBuild_ = 0;
};
