#include "shell/menu_keys.h"

#include <algorithm>

#include "shell/command_ranges.h"

namespace {

std::optional<ToolWindowKind> WindowOfKey(int code) {
  switch (code) {
    case menu_key::kTopicsWindow:
      return ToolWindowKind::kTopics;
    case menu_key::kPageMarksWindow:
      return ToolWindowKind::kPageMarks;
    case menu_key::kSitesWindow:
      return ToolWindowKind::kSites;
    default:
      return std::nullopt;
  }
}

}  // namespace

MenuKeys::MenuKeys(PageMarkStore& store, PopupMenus& menus, ToolWindows& windows)
    : store_(store), menus_(menus), windows_(windows), storeSubscription_(store_.Subscribe(*this)) {}

MenuKeys::~MenuKeys() = default;

MenuKeyResult MenuKeys::OnMenuKey(int code, uint32_t highlighted, Menu& menu, int cursorX, int cursorY) {
  if (std::optional<ToolWindowKind> window = WindowOfKey(code)) {
    wantedWindow_ = window;
    return MenuKeyResult::kCloseMenu;
  }
  if (code == menu_key::kFindWindow) {
    wantFind_ = true;
    return MenuKeyResult::kCloseMenu;
  }
  const CPez* p = IsPageMarkCommand(highlighted) ? store_.FindPageMarkByCommand(highlighted) : nullptr;
  if (!p) return MenuKeyResult::kStayOpen;
  switch (code) {
    case menu_key::kRemove:
      ToggleRemoval(*p, menu);
      break;
    case menu_key::kSendToTopics:
      ToggleTopicsMark(*p, menu);
      break;
    case menu_key::kQuickInfo:
      windows_.ShowQuickInfo(p->commandId, cursorX, cursorY);
      break;
    default:
      break;
  }
  return MenuKeyResult::kStayOpen;
}

std::vector<std::shared_ptr<Menu>> MenuKeys::MenusShowing(const CPez& p) const {
  std::vector<std::shared_ptr<Menu>> shown;
  const auto& sites = menus_.SiteMenus();
  if (auto site = sites.find(store_.SiteKeyOf(p)); site != sites.end()) shown.push_back(site->second);
  if (std::shared_ptr<Menu> recent = menus_.RecentMenu()) shown.push_back(recent);
  return shown;
}

// A mark shows in the menu typed in and in the Site submenu; a mark taken back leaves every menu,
// so that no grayed item is left for a page that stays.
void MenuKeys::ToggleRemoval(const CPez& p, Menu& menu) {
  const std::optional<bool> wasEnabled = menu.IsEnabled(p.commandId);
  if (!wasEnabled) return;
  const uint32_t n = p.commandId;
  if (*wasEnabled) {
    menu.Enable(n, false);
    if (auto site = menus_.SiteMenus().find(store_.SiteKeyOf(p)); site != menus_.SiteMenus().end())
      site->second->Enable(n, false);
    if (std::find(removal_.begin(), removal_.end(), &p) == removal_.end()) removal_.push_back(&p);
    return;
  }
  std::erase(removal_, &p);
  menu.Enable(n, true);
  for (const std::shared_ptr<Menu>& shown : MenusShowing(p)) shown->Enable(n, true);
}

void MenuKeys::ToggleTopicsMark(const CPez& p, Menu& menu) {
  const std::optional<bool> wasChecked = menu.IsChecked(p.commandId);
  if (!wasChecked) return;
  const uint32_t n = p.commandId;
  if (!*wasChecked) {
    menu.Check(n, true);
    if (auto site = menus_.SiteMenus().find(store_.SiteKeyOf(p)); site != menus_.SiteMenus().end())
      site->second->Check(n, true);
    store_.MarkForTopics(&p, true);
    return;
  }
  store_.MarkForTopics(&p, false);
  menu.Check(n, false);
  for (const std::shared_ptr<Menu>& shown : MenusShowing(p)) shown->Check(n, false);
}

void MenuKeys::OnMenuClosed() {
  CarryOutRemovals();
  OpenTopicsForMarkedPages();
  if (wantedWindow_) windows_.ShowToolWindow(*std::exchange(wantedWindow_, std::nullopt));
  if (std::exchange(wantFind_, false)) windows_.ShowFindWindow();
}

// Each deletion is heard back through OnPageMarkRemoved, which takes the page off the list; the
// menus drop its items on the same notice.
void MenuKeys::CarryOutRemovals() {
  while (!removal_.empty()) {
    const CPez* p = removal_.front();
    store_.DeletePageMark(p);
    std::erase(removal_, p);  // in case the store no longer held it
  }
}

// The pages stay listed for the Topics window, which takes them in when it opens.
void MenuKeys::OpenTopicsForMarkedPages() {
  const std::vector<const CPez*>& marked = store_.SendToTopicsList();
  if (marked.empty()) return;
  for (const CPez* p : marked)
    for (const std::shared_ptr<Menu>& shown : MenusShowing(*p)) shown->Check(p->commandId, false);
  if (wantedWindow_ != ToolWindowKind::kTopics) windows_.ShowToolWindow(ToolWindowKind::kTopics);
}

void MenuKeys::OnPageMarkRemoved(const CPez& p) {
  std::erase(removal_, &p);
}

// Everything may have been freed or renumbered, and the menus are built afresh without marks.
void MenuKeys::OnStoreReset() {
  removal_.clear();
}
