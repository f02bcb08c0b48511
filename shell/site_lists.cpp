#include "shell/site_lists.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "resources/resource_ids.h"
#include "shell/command_ranges.h"
#include "shell/menu_texts.h"
#include "shell/page_labels.h"
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

SiteLists::SiteLists(const CPrefs& prefs, const MenuLayout& layout, const PageMarkStore& store)
    : prefs_(prefs), layout_(layout), store_(store) {}

void SiteLists::SetMenus(std::shared_ptr<Menu> main, std::shared_ptr<Menu> secondary) {
  main_ = std::move(main);
  secondary_ = std::move(secondary);
}

std::size_t SiteLists::MainListPosition() const {
  return layout_.mainListPosition > 0 ? static_cast<std::size_t>(layout_.mainListPosition) : 0;
}

// A Site submenu keeps at most menuRows of its newest pages, so only those are replayed.
void SiteLists::Fill(const PageMarkList& pages) {
  const std::size_t rows = layout_.menuRows > 0 ? static_cast<std::size_t>(layout_.menuRows) : 0;
  std::unordered_map<const CPez*, std::size_t> recency;
  std::size_t order = 0;
  for (const CPez& p : pages) recency[&p] = order++;
  std::vector<std::pair<std::size_t, std::string>> sites;
  for (const std::string& key : store_.SiteKeys()) {
    const std::vector<const CPez*> members = store_.PagesOfSite(key);
    if (members.empty()) continue;
    auto submenu = std::make_shared<Menu>();
    for (std::size_t i = members.size() > rows ? members.size() - rows : 0; i < members.size(); ++i) {
      submenu->InsertItem(0, members[i]->commandId, PageLabel(*members[i]), LabelStyle::Literal,
                          PageTip(*members[i]));
      ApplyMoreRule(*submenu, layout_.menuRows, res::kCmdMoreSites, menu_text::kMoreSites);
    }
    for (const CPez* p : members) placedSite_[p->commandId] = key;
    siteMenus_.emplace(key, submenu);
    sites.emplace_back(recency.at(members.back()), key);
  }
  std::sort(sites.begin(), sites.end());
  for (const auto& [lastVisit, key] : sites) InsertSiteAtTop(key, siteMenus_.at(key));
}

void SiteLists::Place(const std::string& siteKey, const CPez& p) {
  if (!main_) return;
  placedSite_[p.commandId] = siteKey;
  if (auto known = siteMenus_.find(siteKey); known != siteMenus_.end()) {
    const std::shared_ptr<Menu> submenu = known->second;
    submenu->InsertItem(0, p.commandId, PageLabel(p), LabelStyle::Literal, PageTip(p));
    ApplyMoreRule(*submenu, layout_.menuRows, res::kCmdMoreSites, menu_text::kMoreSites);
    if (!MoveSiteToTop(siteKey, submenu)) InsertSiteAtTop(siteKey, submenu);
    return;
  }

  auto submenu = std::make_shared<Menu>();
  submenu->InsertItem(0, p.commandId, PageLabel(p), LabelStyle::Literal, PageTip(p));
  siteMenus_.emplace(siteKey, submenu);
  InsertSiteAtTop(siteKey, submenu);
}

void SiteLists::InsertSiteAtTop(const std::string& siteKey, const std::shared_ptr<Menu>& submenu) {
  if (prefs_.menuState != 0) {
    secondary_->InsertSubmenu(0, submenu, siteKey, LabelStyle::Literal);
    ApplySitesSubmenuRule(*secondary_, layout_.menuRows);
  } else {
    main_->InsertSubmenu(MainListPosition(), submenu, siteKey, LabelStyle::Literal);
    ApplySiteListRule(*main_, siteMenus_.size(), layout_.mainListPosition, layout_.mainListCap);
  }
}

bool SiteLists::MoveSiteToTop(const std::string& siteKey, const std::shared_ptr<Menu>& submenu) {
  if (!main_) return false;
  if (prefs_.menuState != 0) {
    const std::optional<std::size_t> at = FindSiteEntry(*secondary_, 0, siteKey);
    if (at) {
      secondary_->RemoveAt(*at);
      secondary_->InsertSubmenu(0, submenu, siteKey, LabelStyle::Literal);
    }
    ApplySitesSubmenuRule(*secondary_, layout_.menuRows);
    return at.has_value();
  }
  const std::optional<std::size_t> at = FindSiteEntry(*main_, MainListPosition(), siteKey);
  if (!at) return false;
  main_->RemoveAt(*at);
  main_->InsertSubmenu(MainListPosition(), submenu, siteKey, LabelStyle::Literal);
  return true;
}

void SiteLists::MovePageToTop(const CPez& p) {
  const std::string& siteKey = store_.SiteKeyOf(p);
  auto known = siteMenus_.find(siteKey);
  if (known == siteMenus_.end()) {
    // Only when the Site submenus were torn down since the page was placed: place it afresh.
    Place(siteKey, p);
    return;
  }
  const std::shared_ptr<Menu> submenu = known->second;
  submenu->RemoveCommand(p.commandId);
  submenu->InsertItem(0, p.commandId, PageLabel(p), LabelStyle::Literal, PageTip(p));
  ApplyMoreRule(*submenu, layout_.menuRows, res::kCmdMoreSites, menu_text::kMoreSites);
  if (!MoveSiteToTop(siteKey, submenu)) InsertSiteAtTop(siteKey, submenu);
}

void SiteLists::Relabel(const CPez& p) {
  if (auto placed = placedSite_.find(p.commandId); placed != placedSite_.end())
    if (auto site = siteMenus_.find(placed->second); site != siteMenus_.end())
      site->second->Relabel(p.commandId, PageLabel(p), PageTip(p));
}

void SiteLists::Remove(const CPez& p) {
  auto placed = placedSite_.find(p.commandId);
  if (placed == placedSite_.end()) return;
  if (auto site = siteMenus_.find(placed->second); site != siteMenus_.end())
    site->second->RemoveCommand(p.commandId);
  placedSite_.erase(placed);
}

void SiteLists::RemoveSite(const std::string& siteKey) {
  auto known = siteMenus_.find(siteKey);
  if (known == siteMenus_.end()) return;
  known->second->Clear();
  siteMenus_.erase(known);
  const bool inSubmenu = prefs_.menuState != 0;
  Menu* list = inSubmenu ? secondary_.get() : main_.get();
  if (!list) return;
  const std::optional<std::size_t> at = FindSiteEntry(*list, inSubmenu ? 0 : MainListPosition(), siteKey);
  if (at) list->RemoveAt(*at);
}

void SiteLists::FitMainList() {
  if (main_) ApplySiteListRule(*main_, siteMenus_.size(), layout_.mainListPosition, layout_.mainListCap);
}

void SiteLists::Clear() {
  for (auto& [key, submenu] : siteMenus_) submenu->Clear();
  siteMenus_.clear();
  placedSite_.clear();
}
