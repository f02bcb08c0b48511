// The menu side of recording a visit, and the store's other notices.
#include "resources/resource_ids.h"
#include "shell/command_ranges.h"
#include "shell/menu_texts.h"
#include "shell/popup_menus.h"
#include "shell/size_rules.h"
#include "store/site_keys.h"

void PopupMenus::OnNewPageMark(CPez& p) {
  if (!main_) return;
  AddRecent(p);
  PlacePageMark(SiteKeyForUrl(p.url, prefs_.simpleSites), p);
}

void PopupMenus::OnDroppedPageMark(CPez& p) { RemovePageMarkItems(p); }

void PopupMenus::OnRevisitRecent(CPez& p) {
  std::shared_ptr<Menu> recent = RecentMenu();
  if (!recent || !IsPageMarkCommand(p.commandId)) return;
  // The rule comes first: a revisit of the top page in a full menu drops the oldest page as well.
  ApplyRecentRule(*recent, prefs_.menuRows);
  recent->RemoveCommand(p.commandId);
  recent->InsertItem(0, p.commandId, p.title, LabelStyle::Literal);
}

void PopupMenus::OnRevisitSite(CPez& p) {
  if (!main_ || !IsPageMarkCommand(p.commandId)) return;
  const std::string siteKey = SiteKeyForUrl(p.url, prefs_.simpleSites);
  auto known = SiteMenus.find(siteKey);
  if (known == SiteMenus.end()) {
    // Only when the Site submenus were torn down since the page was placed: place it afresh.
    PlacePageMark(siteKey, p);
    return;
  }
  const std::shared_ptr<Menu> submenu = known->second;
  submenu->RemoveCommand(p.commandId);
  submenu->InsertItem(0, p.commandId, p.title, LabelStyle::Literal);
  ApplyMoreRule(*submenu, prefs_.menuRows, res::kCmdMoreSites, menu_text::kMoreSites);
  if (!MoveSiteToTop(siteKey, submenu)) InsertSiteAtTop(siteKey, submenu);
}

void PopupMenus::OnPageMarkRemoved(CPez& p) { RemovePageMarkItems(p); }

// The store ran out of PageMark numbers and numbered every PageMark afresh from 1034: the menus
// still carry the old numbers, so they are built again.
void PopupMenus::OnPageMarksRenumbered() { RebuildMenus(); }
