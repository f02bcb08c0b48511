#include "shell/popup_menus.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "resources/menu_resources.h"
#include "resources/resource_ids.h"
#include "shell/command_ranges.h"
#include "shell/menu_layout.h"
#include "shell/menu_texts.h"
#include "shell/page_labels.h"
#include "shell/size_rules.h"

namespace {

// Appends a copy of every item of from to to; submenus are shared, not copied.
void CopyItems(const Menu& from, Menu& to) {
  for (std::size_t i = 0; i < from.Count(); ++i) {
    const MenuItem& item = *from.ItemAt(i);
    switch (item.kind) {
      case MenuItemKind::Command:
        to.AppendItem(item.command, item.text, item.style);
        break;
      case MenuItemKind::Submenu:
        to.AppendSubmenu(item.submenu, item.text, item.style);
        break;
      case MenuItemKind::Separator:
        to.AppendSeparator();
        break;
    }
  }
}

}  // namespace

PopupMenus::PopupMenus(CPrefs& prefs, PageMarkStore& store, TopicsModel& topics, const ScreenMetrics& screen,
                       UrlOpener& opener)
    : prefs_(prefs), store_(store), topics_(topics), screen_(screen), opener_(opener) {
  storeSubscription_ = store_.Subscribe(*this);
  topics_.AddListener(this);
}

PopupMenus::~PopupMenus() {
  topics_.RemoveListener(this);
}

void PopupMenus::MeasureMenuRows() {
  ::MeasureMenuRows(prefs_, screen_);
}

std::size_t PopupMenus::MainListPosition() const {
  return prefs_.mainListPosition > 0 ? static_cast<std::size_t>(prefs_.mainListPosition) : 0;
}

std::size_t PopupMenus::SecondaryPosition() const {
  return prefs_.secondaryMenuPosition > 0 ? static_cast<std::size_t>(prefs_.secondaryMenuPosition) : 0;
}

std::shared_ptr<Menu> PopupMenus::RecentMenu() const {
  return main_ ? main_->SubmenuAt(res::kRecentPagesPosition) : nullptr;
}

void PopupMenus::BuildMenus() {
  if (menuBar_) return;
  BuildFixedPart();
  FillFromStore();
}

void PopupMenus::RebuildMenus() {
  if (!menuBar_) return;
  ClearSiteMenus();
  RestartTopicNumbersIfLow();
  BuildFixedPart();
  FillFromStore();
}

void PopupMenus::OnStoreReset() {
  RebuildMenus();
}

void PopupMenus::BuildFixedPart() {
  std::shared_ptr<Menu> bar = LoadMenuResource(res::kMenuTray);
  if (!menuBar_) {
    menuBar_ = bar;
    main_ = bar->SubmenuAt(0);
    quick_ = bar->SubmenuAt(1);
  } else {
    // The main menu is refilled from the fresh copy rather than replaced, so whoever shows it keeps
    // showing it; the quick menu is left as it is (its only run-time change, the label of
    // "Suspend Hopwise", must survive a rebuild).
    main_->Clear();
    CopyItems(*bar->SubmenuAt(0), *main_);
  }

  const bool topicsInMainList = prefs_.menuState != 0;
  if (topicsInMainList)
    main_->AppendItem(res::kCmdEditTopics, menu_text::kEditTopics, LabelStyle::Mnemonic);
  else
    main_->AppendItem(res::kCmdMoreSites, menu_text::kMoreSites, LabelStyle::Mnemonic);

  linkMenusShown_ = prefs_.powerUser == 0;
  if (!linkMenusShown_)
    for (std::size_t i = 0; i <= res::kLinkSubmenuCount; ++i) main_->RemoveAt(res::kFirstLinkSubmenuPosition);

  MeasureMenuRows();

  auto secondary = std::make_shared<Menu>();
  topicLinksInLastBuild_ = 0;
  buildingMainMenu_ = true;
  if (topicsInMainList)
    AddTopicEntries(topics_.Root(), *main_, TopicMode::MainList, 0);
  else
    AddTopicEntries(topics_.Root(), *secondary, TopicMode::Submenu, 0);
  buildingMainMenu_ = false;

  const char* label = menu_text::kTopics;
  if (topicsInMainList) {
    secondary->AppendSeparator();
    secondary->AppendItem(res::kCmdMoreSites, menu_text::kMoreSites, LabelStyle::Mnemonic);
    label = menu_text::kSites;
  } else {
    FinishTopicsSubmenu(*secondary);
  }
  main_->InsertSubmenu(SecondaryPosition(), secondary, label, LabelStyle::Mnemonic);
  secondary_ = secondary;
}

void PopupMenus::RelayoutLinkMenus() {
  if (!main_) return;
  const bool wanted = prefs_.powerUser == 0;
  if (wanted && !linkMenusShown_) {
    InsertLinkMenus();
  } else if (!wanted && linkMenusShown_) {
    for (std::size_t i = 0; i <= res::kLinkSubmenuCount; ++i) main_->RemoveAt(res::kFirstLinkSubmenuPosition);
  }
  linkMenusShown_ = wanted;
  MeasureMenuRows();
  FitMainList();
}

void PopupMenus::InsertLinkMenus() {
  const std::shared_ptr<Menu> fresh = LoadMenuResource(res::kMenuTray)->SubmenuAt(0);
  for (std::size_t i = 0; i <= res::kLinkSubmenuCount; ++i) {
    const std::size_t at = res::kFirstLinkSubmenuPosition + i;
    const MenuItem* item = fresh ? fresh->ItemAt(at) : nullptr;
    if (item && item->kind == MenuItemKind::Submenu)
      main_->InsertSubmenu(at, item->submenu, item->text, item->style);
    else if (item && item->kind == MenuItemKind::Separator)
      main_->InsertSeparator(at);
  }
}

// A list that grew past its rows is cut from its end: the least recently used Sites, or the Topic
// entries shown last.
void PopupMenus::FitMainList() {
  if (prefs_.menuState == 0) {
    ApplySiteListRule(*main_, siteMenus_.size(), prefs_.mainListPosition, prefs_.mainListCap);
    return;
  }
  for (std::size_t before = 0; before != main_->Count();) {
    before = main_->Count();
    ApplyTopicListRule(*main_, prefs_.menuRows, MainListPosition());
  }
}

// The menus as the store's visits, replayed oldest first, would leave them, built in time linear in
// the store: a menu keeps at most menuRows of the newest entries, so only those are replayed.
void PopupMenus::FillFromStore() {
  const PageMarkList pages = store_.PageMarks();
  const std::size_t rows = prefs_.menuRows > 0 ? static_cast<std::size_t>(prefs_.menuRows) : 0;
  std::vector<const CPez*> newest;
  for (auto it = pages.rbegin(); it != pages.rend() && newest.size() < rows; ++it) newest.push_back(&*it);
  for (auto it = newest.rbegin(); it != newest.rend(); ++it) AddRecent(**it);

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
      ApplyMoreRule(*submenu, prefs_.menuRows, res::kCmdMoreSites, menu_text::kMoreSites);
    }
    for (const CPez* p : members) placedSite_[p->commandId] = key;
    siteMenus_.emplace(key, submenu);
    sites.emplace_back(recency.at(members.back()), key);
  }
  std::sort(sites.begin(), sites.end());
  for (const auto& [lastVisit, key] : sites) InsertSiteAtTop(key, siteMenus_.at(key));
  if (pages.empty()) ShowNoPagesHint();
}

void PopupMenus::ShowNoPagesHint() {
  std::shared_ptr<Menu> recent = RecentMenu();
  if (!recent || recent->Contains(kCmdNoPagesHint)) return;
  recent->InsertItem(0, kCmdNoPagesHint, menu_text::kNoPagesHint, LabelStyle::Mnemonic);  // never shortened
  recent->Enable(kCmdNoPagesHint, false);
}

void PopupMenus::DispatchDynamicCommand(uint32_t command) {
  // The URL is copied first: while the browser is asked, visits may be recorded and the PageMark
  // may be gone by the time the request returns.
  std::optional<std::string> url;
  if (command < kFirstTopicCommand) {
    if (const CPez* p = store_.FindPageMarkByCommand(command)) url = p->url;
  } else if (const std::string* topicUrl = TopicUrl(command)) {
    url = *topicUrl;
  }
  if (url) opener_.OpenInBrowser(*url);
}

void PopupMenus::DestroySiteMenus() {
  topics_.RemoveListener(this);
  storeSubscription_.Leave();
  ClearSiteMenus();
}

void PopupMenus::ClearSiteMenus() {
  for (auto& [key, submenu] : siteMenus_) submenu->Clear();
  siteMenus_.clear();
  placedSite_.clear();
}
