// The PageMark side of the menus: "Recent Web Pages", the Site submenus and the Site lists.
#include <optional>

#include "resources/resource_ids.h"
#include "shell/command_ranges.h"
#include "shell/menu_texts.h"
#include "shell/page_labels.h"
#include "shell/popup_menus.h"
#include "shell/size_rules.h"

namespace {

// Position of the first Site entry labelled siteKey in the list that starts at first and ends at
// the next separator. Labels are compared in full, so long keys and an empty key are found too.
std::optional<std::size_t> FindSiteEntry(const Menu& list, std::size_t first, const std::string& siteKey) {
  for (std::size_t i = first; i < list.Count(); ++i) {
    const MenuItem& item = *list.ItemAt(i);
    if (item.kind == MenuItemKind::Separator) break;
    if (item.kind == MenuItemKind::Submenu && item.text == siteKey) return i;
  }
  return std::nullopt;
}

}  // namespace

void PopupMenus::AddRecent(const CPez& p) {
  std::shared_ptr<Menu> recent = RecentMenu();
  if (!recent) return;
  if (std::optional<std::size_t> hint = recent->PositionOf(kCmdNoPagesHint)) recent->RemoveAt(*hint);
  ApplyRecentRule(*recent, prefs_.menuRows);
  recent->InsertItem(0, p.commandId, PageLabel(p), LabelStyle::Literal, PageTip(p));
}

void PopupMenus::PlacePageMark(const std::string& siteKey, const CPez& p) {
  if (!main_) return;
  placedSite_[p.commandId] = siteKey;
  if (auto known = siteMenus_.find(siteKey); known != siteMenus_.end()) {
    const std::shared_ptr<Menu> submenu = known->second;
    submenu->InsertItem(0, p.commandId, PageLabel(p), LabelStyle::Literal, PageTip(p));
    ApplyMoreRule(*submenu, prefs_.menuRows, res::kCmdMoreSites, menu_text::kMoreSites);
    if (!MoveSiteToTop(siteKey, submenu)) InsertSiteAtTop(siteKey, submenu);
    return;
  }

  auto submenu = std::make_shared<Menu>();
  submenu->InsertItem(0, p.commandId, PageLabel(p), LabelStyle::Literal, PageTip(p));
  siteMenus_.emplace(siteKey, submenu);
  InsertSiteAtTop(siteKey, submenu);
}

void PopupMenus::InsertSiteAtTop(const std::string& siteKey, const std::shared_ptr<Menu>& submenu) {
  if (prefs_.menuState != 0) {
    secondary_->InsertSubmenu(0, submenu, siteKey, LabelStyle::Literal);
    ApplySitesSubmenuRule(*secondary_, prefs_.menuRows);
  } else {
    main_->InsertSubmenu(MainListPosition(), submenu, siteKey, LabelStyle::Literal);
    ApplySiteListRule(*main_, siteMenus_.size(), prefs_.mainListPosition, prefs_.mainListCap);
  }
}

bool PopupMenus::MoveSiteToTop(const std::string& siteKey, const std::shared_ptr<Menu>& submenu) {
  if (!main_) return false;
  if (prefs_.menuState != 0) {
    const std::optional<std::size_t> at = FindSiteEntry(*secondary_, 0, siteKey);
    if (at) {
      secondary_->RemoveAt(*at);
      secondary_->InsertSubmenu(0, submenu, siteKey, LabelStyle::Literal);
    }
    ApplySitesSubmenuRule(*secondary_, prefs_.menuRows);
    return at.has_value();
  }
  const std::optional<std::size_t> at = FindSiteEntry(*main_, MainListPosition(), siteKey);
  if (!at) return false;
  main_->RemoveAt(*at);
  main_->InsertSubmenu(MainListPosition(), submenu, siteKey, LabelStyle::Literal);
  return true;
}

void PopupMenus::MovePageToTop(const CPez& p) {
  std::shared_ptr<Menu> recent = RecentMenu();
  if (!recent || !IsPageMarkCommand(p.commandId)) return;
  // The rule comes first: a revisit of the top page in a full menu drops the oldest page as well.
  ApplyRecentRule(*recent, prefs_.menuRows);
  recent->RemoveCommand(p.commandId);
  recent->InsertItem(0, p.commandId, PageLabel(p), LabelStyle::Literal, PageTip(p));

  const std::string& siteKey = store_.SiteKeyOf(p);
  auto known = siteMenus_.find(siteKey);
  if (known == siteMenus_.end()) {
    // Only when the Site submenus were torn down since the page was placed: place it afresh.
    PlacePageMark(siteKey, p);
    return;
  }
  const std::shared_ptr<Menu> submenu = known->second;
  submenu->RemoveCommand(p.commandId);
  submenu->InsertItem(0, p.commandId, PageLabel(p), LabelStyle::Literal, PageTip(p));
  ApplyMoreRule(*submenu, prefs_.menuRows, res::kCmdMoreSites, menu_text::kMoreSites);
  if (!MoveSiteToTop(siteKey, submenu)) InsertSiteAtTop(siteKey, submenu);
}

void PopupMenus::RelabelPage(const CPez& p) {
  if (std::shared_ptr<Menu> recent = RecentMenu()) recent->Relabel(p.commandId, PageLabel(p), PageTip(p));
  if (auto placed = placedSite_.find(p.commandId); placed != placedSite_.end())
    if (auto site = siteMenus_.find(placed->second); site != siteMenus_.end())
      site->second->Relabel(p.commandId, PageLabel(p), PageTip(p));
}

void PopupMenus::RemovePageMarkItems(const CPez& p) {
  // Command 0 would find a separator or a submenu entry: only PageMark numbers are looked for.
  if (!main_ || !IsPageMarkCommand(p.commandId)) return;
  if (std::shared_ptr<Menu> recent = RecentMenu()) recent->RemoveCommand(p.commandId);
  auto placed = placedSite_.find(p.commandId);
  if (placed == placedSite_.end()) return;
  if (auto site = siteMenus_.find(placed->second); site != siteMenus_.end())
    site->second->RemoveCommand(p.commandId);
  placedSite_.erase(placed);
}
