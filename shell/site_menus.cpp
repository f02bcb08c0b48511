// The PageMark side of the menus: "Recent Web Pages", the Site submenus and the Site lists.
#include <optional>

#include "resources/resource_ids.h"
#include "shell/command_ranges.h"
#include "shell/menu_texts.h"
#include "shell/popup_menus.h"
#include "shell/size_rules.h"
#include "store/site_keys.h"

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

void PopupMenus::AddRecent(CPez& p) {
  std::shared_ptr<Menu> recent = RecentMenu();
  if (!recent) return;
  ApplyRecentRule(*recent, prefs_.menuRows);
  recent->InsertItem(0, p.commandId, p.title, LabelStyle::Literal);
}

void PopupMenus::PlacePageMark(const std::string& siteKey, CPez& p) {
  if (!main_) return;
  if (auto known = SiteMenus.find(siteKey); known != SiteMenus.end()) {
    const std::shared_ptr<Menu> submenu = known->second;
    submenu->InsertItem(0, p.commandId, p.title, LabelStyle::Literal);
    ApplyMoreRule(*submenu, prefs_.menuRows, res::kCmdMoreSites, menu_text::kMoreSites);
    if (!MoveSiteToTop(siteKey, submenu)) InsertSiteAtTop(siteKey, submenu);
    return;
  }

  auto submenu = std::make_shared<Menu>();
  submenu->InsertItem(0, p.commandId, p.title, LabelStyle::Literal);
  SiteMenus.emplace(siteKey, submenu);
  {
    auto lock = store_.Lock();
    std::vector<std::string>& names = store_.SiteNames;
    const std::size_t at = SiteInsertPosition(names, siteKey);
    if (at == names.size() || names[at] != siteKey) names.insert(names.begin() + static_cast<std::ptrdiff_t>(at), siteKey);
  }
  InsertSiteAtTop(siteKey, submenu);
}

void PopupMenus::InsertSiteAtTop(const std::string& siteKey, const std::shared_ptr<Menu>& submenu) {
  if (prefs_.menuState != 0) {
    secondary_->InsertSubmenu(0, submenu, siteKey, LabelStyle::Literal);
    ApplySitesSubmenuRule(*secondary_, prefs_.menuRows);
  } else {
    main_->InsertSubmenu(MainListPosition(), submenu, siteKey, LabelStyle::Literal);
    ApplySiteListRule(*main_, store_.SiteNames.size(), prefs_.mainListPosition, prefs_.mainListCap);
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

void PopupMenus::RemovePageMarkItems(const CPez& p) {
  // Command 0 would find a separator or a submenu entry: only PageMark numbers are looked for.
  if (!main_ || !IsPageMarkCommand(p.commandId)) return;
  main_->RemoveCommand(p.commandId);
  if (auto site = SiteMenus.find(SiteKeyForUrl(p.url, prefs_.simpleSites)); site != SiteMenus.end())
    site->second->RemoveCommand(p.commandId);
}
