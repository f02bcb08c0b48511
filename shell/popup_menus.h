#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "browser/url_opener.h"
#include "platform/menu.h"
#include "shell/screen_metrics.h"
#include "store/page_mark_store.h"
#include "store/prefs.h"
#include "store/records.h"
#include "store/topics_model.h"

// The two tray menus and their dynamic parts: "Recent Web Pages", one submenu per Site, the
// Topics, and the size rules that keep them on the screen. The menu bar holds the main menu
// ("Popup", bar item 0) and the quick menu ("Quick", bar item 1) of menu resource 130.
//
// A view of the store and the Topics model: it follows their notices. A new page goes to the top
// of "Recent Web Pages" and of its Site; a page shown again moves to the top of both, and its Site
// to the top of its list; a removed page leaves both; a reset of the store rebuilds. The Topic
// entries are built again whenever the Topics change, except that a link appended to the top level
// is added at once. The main and quick Menu objects stay the same for the life of this object (a
// rebuild refills them), so a renderer keeps showing them. Main thread only.
class PopupMenus : public StoreListener, public TopicsListener {
 public:
  // How AddTopicEntries inserts: into a Topic submenu (top of it, More rule) or into the main list.
  enum class TopicMode { Submenu, MainList };

  PopupMenus(CPrefs& prefs, PageMarkStore& store, TopicsModel& topics, const ScreenMetrics& screen,
             UrlOpener& opener);
  ~PopupMenus() override;
  PopupMenus(const PopupMenus&) = delete;
  PopupMenus& operator=(const PopupMenus&) = delete;

  // Builds both menus from the store and the Topics. Once; afterwards they follow the notices.
  void BuildMenus();
  // Tears the dynamic parts down and builds them again from the store and the Topics (display
  // change, preference changes, a reset of the store).
  void RebuildMenus();
  // Rebuilds only the Topic entries (after the Topics were edited).
  void RebuildTopicsMenu();
  // Sets the layout values of the preferences from the screen and "Power User".
  void MeasureMenuRows();
  // "Power User" was switched: the six link submenus and the separator after them leave the main
  // menu or come back in their place, without a rebuild; the layout values follow, and a main list
  // that no longer fits is cut back from its end.
  void RelayoutLinkMenus();

  // A chosen item with no fixed handler: a PageMark or a Topic link goes to the browser; any other
  // number does nothing.
  void DispatchDynamicCommand(uint32_t command);
  // Shutdown: empties and forgets every Site submenu; the menus stop following the store and the
  // Topics.
  void DestroySiteMenus();

  // The store's notices.
  void OnPageMarkAdded(const CPez& p) override;
  void OnPageMarkChanged(const CPez& p, uint32_t what) override;
  void OnPageMarkRemoved(const CPez& p) override;
  void OnStoreReset() override;
  // The Topics' notices.
  void OnTopicsReset() override;
  void OnTopicInserted(const CTopic& node) override;
  void OnTopicChanged(const CTopic& node) override;
  void OnTopicMoved(const CTopic& node, const CTopic& oldParent) override;
  void OnTopicRemoved(const CTopic& node) override;

  const std::shared_ptr<Menu>& MenuBar() const { return menuBar_; }
  const std::shared_ptr<Menu>& MainMenu() const { return main_; }
  const std::shared_ptr<Menu>& QuickMenu() const { return quick_; }
  // "Recent Web Pages" (main menu position 3).
  std::shared_ptr<Menu> RecentMenu() const;
  // The submenu at secondaryMenuPosition: "Sites" when "Menu State" is non-zero, else "Topics".
  const std::shared_ptr<Menu>& SecondaryMenu() const { return secondary_; }

  // Site key -> that Site's submenu; a Site is known once it has an entry.
  const std::map<std::string, std::shared_ptr<Menu>>& SiteMenus() const { return siteMenus_; }
  // The URL of a Topic link item, or nullptr.
  const std::string* TopicUrl(uint32_t command) const;
  std::size_t TopicLinkCount() const { return topicCommandIndex_.size(); }
  uint32_t NextTopicCommandId() const { return nextTopicCommandId_; }
  void SetNextTopicCommandIdForTest(uint32_t next) { nextTopicCommandId_ = next; }

 private:
  // BuildMenus steps 1 to 7: the resource menus with the last item, the link submenus as "Power
  // User" wants them, and the "Sites"/"Topics" submenu with its Topic entries.
  void BuildFixedPart();
  // Empties and forgets every Site submenu.
  void ClearSiteMenus();
  // The link submenus and their separator from menu resource 130, back at their place.
  void InsertLinkMenus();
  // Cuts the main list (Sites or Topics) to the rows it may take now.
  void FitMainList();
  // Puts every PageMark of the store into the menus, oldest first.
  void FillFromStore();
  // The grayed hint of how to start, in "Recent Web Pages" of an empty store; the first page
  // takes its place.
  void ShowNoPagesHint();
  // Puts the PageMark at the top of "Recent Web Pages".
  void AddRecent(const CPez& p);
  // Puts the PageMark into its Site's submenu (making the submenu for a new Site) and moves the
  // Site to the top of its list.
  void PlacePageMark(const std::string& siteKey, const CPez& p);
  // A page shown again: to the top of "Recent Web Pages" and of its Site, its Site to the top.
  void MovePageToTop(const CPez& p);
  // Moves the Site's entry to the top of its list (found by label). False when the Site is not in
  // its list (a size rule pushed it out).
  bool MoveSiteToTop(const std::string& siteKey, const std::shared_ptr<Menu>& submenu);
  void RelabelPage(const CPez& p);
  // Removes the PageMark's items from "Recent Web Pages" and its Site's submenu.
  void RemovePageMarkItems(const CPez& p);
  // A link just appended to the top-level Topics: shown at once with a new Topic number. While
  // "Menu State" lists Topics in the main menu it goes to the top of that list, where the next
  // rebuild shows it too; otherwise to the top of the "Topics" submenu.
  void AddTopLevelTopicLink(const std::string& label, const std::string& url);
  // Inserts a Site entry at the top of its list and applies that list's size rule.
  void InsertSiteAtTop(const std::string& siteKey, const std::shared_ptr<Menu>& submenu);
  // Inserts one Topic entry by the insertion rule of the mode.
  void InsertTopicEntry(Menu& menu, TopicMode mode, const std::function<void(std::size_t)>& insert);
  // Adds the entries of a folder's children to menu, recursing into folders. Each insertion goes
  // to the same place, so the entries show in the reverse of their stored order.
  void AddTopicEntries(const CTopic& folder, Menu& menu, TopicMode mode, std::size_t depth);
  void AddTopicLink(const CTopic& link, Menu& menu, TopicMode mode);
  // Unless it already ends in "Edit Topics...", gives a Topics submenu its separator and that item.
  void FinishTopicsSubmenu(Menu& topics);
  // The Topic numbers would not hold another build of the Topics: start again from 6034.
  void RestartTopicNumbersIfLow();
  std::size_t MainListPosition() const;
  std::size_t SecondaryPosition() const;

  CPrefs& prefs_;
  PageMarkStore& store_;
  TopicsModel& topics_;
  const ScreenMetrics& screen_;
  UrlOpener& opener_;

  std::shared_ptr<Menu> menuBar_;
  std::shared_ptr<Menu> main_;
  std::shared_ptr<Menu> quick_;
  std::shared_ptr<Menu> secondary_;

  // Where main-list Topic entries go: mainListPosition - 1 while the menus are built (the
  // "Sites" submenu is not in place yet), mainListPosition afterwards.
  bool buildingMainMenu_ = false;
  bool linkMenusShown_ = true;
  std::size_t topicLinksInLastBuild_ = 0;

  std::map<std::string, std::shared_ptr<Menu>> siteMenus_;
  // PageMark number -> the Site whose submenu holds its item.
  std::unordered_map<uint32_t, std::string> placedSite_;
  // Topic link number -> the link's URL. Never emptied while numbers keep counting.
  std::map<uint32_t, std::string> topicCommandIndex_;
  uint32_t nextTopicCommandId_ = kFirstTopicCommand;
  PageMarkStore::Subscription storeSubscription_;
};
