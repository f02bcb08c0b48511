#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "browser/url_opener.h"
#include "platform/menu.h"
#include "shell/menu_layout.h"
#include "shell/screen_metrics.h"
#include "shell/site_lists.h"
#include "shell/topic_entries.h"
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
// rebuild refills them), so a renderer keeps showing them. It holds the menu frame (the resource
// menus, the link submenus, "Recent Web Pages") and hands the main and secondary menus to the Site
// lists and the Topic entries, which fill them. Main thread only.
class PopupMenus : public StoreListener, public TopicsListener {
 public:
  PopupMenus(const CPrefs& prefs, PageMarkStore& store, TopicsModel& topics, const ScreenMetrics& screen,
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
  // Measures the layout again from the screen and "Power User".
  void MeasureMenuRows();
  // How the menus fit the screen, as last measured.
  const MenuLayout& Layout() const { return layout_; }
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
  void OnSiteRemoved(const std::string& siteKey) override;
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
  const std::map<std::string, std::shared_ptr<Menu>>& SiteMenus() const { return sites_.Menus(); }
  // The URL of a Topic link item, or nullptr.
  const std::string* TopicUrl(uint32_t command) const { return topicEntries_.Url(command); }
  std::size_t TopicLinkCount() const { return topicEntries_.LinkCount(); }
  uint32_t NextTopicCommandId() const { return topicEntries_.NextCommandId(); }

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
  // Puts the PageMark into its Site's submenu, once the menus are built.
  void PlacePageMark(const std::string& siteKey, const CPez& p);
  // A page shown again: to the top of "Recent Web Pages" and of its Site, its Site to the top.
  void MovePageToTop(const CPez& p);
  void RelabelPage(const CPez& p);
  // Removes the PageMark's items from "Recent Web Pages" and its Site's submenu.
  void RemovePageMarkItems(const CPez& p);
  // A link just appended to the top-level Topics: shown at once with a new Topic number. While
  // "Menu State" lists Topics in the main menu it goes to the top of that list, where the next
  // rebuild shows it too; otherwise to the top of the "Topics" submenu.
  void AddTopLevelTopicLink(const std::string& label, const std::string& url);
  std::size_t MainListPosition() const;
  std::size_t SecondaryPosition() const;

  const CPrefs& prefs_;
  PageMarkStore& store_;
  TopicsModel& topics_;
  TopicsModel::Subscription topicsSubscription_;
  const ScreenMetrics& screen_;
  UrlOpener& opener_;

  std::shared_ptr<Menu> menuBar_;
  std::shared_ptr<Menu> main_;
  std::shared_ptr<Menu> quick_;
  std::shared_ptr<Menu> secondary_;

  bool linkMenusShown_ = true;
  MenuLayout layout_;  // written here only

  SiteLists sites_;
  TopicEntries topicEntries_;
  PageMarkStore::Subscription storeSubscription_;
};
