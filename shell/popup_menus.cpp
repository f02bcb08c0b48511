#include "shell/popup_menus.h"

#include <algorithm>
#include <optional>
#include <vector>

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

std::optional<std::size_t> PositionOfSubmenu(const Menu& menu, const std::shared_ptr<Menu>& submenu) {
  for (std::size_t i = 0; i < menu.Count(); ++i)
    if (menu.SubmenuAt(i) == submenu) return i;
  return std::nullopt;
}

}  // namespace

PopupMenus::PopupMenus(const CPrefs& prefs, PageMarkStore& store, TopicsModel& topics,
                       const ScreenMetrics& screen, UrlOpener& opener)
    : prefs_(prefs),
      store_(store),
      topics_(topics),
      screen_(screen),
      opener_(opener),
      sites_(prefs, layout_, store),
      topicEntries_(layout_) {
  storeSubscription_ = store_.Subscribe(*this);
  topicsSubscription_ = topics_.Subscribe(*this);
}

PopupMenus::~PopupMenus() {
  storeSubscription_.Leave();
  topicsSubscription_.Leave();
}

void PopupMenus::MeasureMenuRows() {
  layout_ = MeasureMenuLayout(screen_, prefs_.powerUser);
}

std::size_t PopupMenus::MainListPosition() const {
  return layout_.mainListPosition > 0 ? static_cast<std::size_t>(layout_.mainListPosition) : 0;
}

std::size_t PopupMenus::SecondaryPosition() const {
  return layout_.secondaryMenuPosition > 0 ? static_cast<std::size_t>(layout_.secondaryMenuPosition) : 0;
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
  topicEntries_.RestartNumbersIfLow();
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

  // Main-list Topic entries go in one above mainListPosition: the "Sites" submenu is not in place
  // yet.
  auto secondary = std::make_shared<Menu>();
  if (topicsInMainList) {
    const std::size_t listAt = MainListPosition();
    topicEntries_.Fill(topics_.Root(), *main_, TopicEntries::Mode::MainList, listAt > 0 ? listAt - 1 : 0);
  } else {
    topicEntries_.Fill(topics_.Root(), *secondary, TopicEntries::Mode::Submenu);
  }

  const char* label = menu_text::kTopics;
  if (topicsInMainList) {
    secondary->AppendSeparator();
    secondary->AppendItem(res::kCmdMoreSites, menu_text::kMoreSites, LabelStyle::Mnemonic);
    label = menu_text::kSites;
  } else {
    topicEntries_.FinishSubmenu(*secondary);
  }
  main_->InsertSubmenu(SecondaryPosition(), secondary, label, LabelStyle::Mnemonic);
  secondary_ = secondary;
  sites_.SetMenus(main_, secondary_);
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
    sites_.FitMainList();
    return;
  }
  for (std::size_t before = 0; before != main_->Count();) {
    before = main_->Count();
    ApplyTopicListRule(*main_, layout_.menuRows, MainListPosition());
  }
}

// The menus as the store's visits, replayed oldest first, would leave them, built in time linear in
// the store: "Recent Web Pages" keeps at most menuRows of the newest pages, so only those are
// replayed; the Site lists fill themselves likewise.
void PopupMenus::FillFromStore() {
  const PageMarkList pages = store_.PageMarks();
  const std::size_t rows = layout_.menuRows > 0 ? static_cast<std::size_t>(layout_.menuRows) : 0;
  std::vector<const CPez*> newest;
  for (auto it = pages.rbegin(); it != pages.rend() && newest.size() < rows; ++it) newest.push_back(&*it);
  for (auto it = newest.rbegin(); it != newest.rend(); ++it) AddRecent(**it);

  sites_.Fill(pages);
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
  } else if (const std::string* topicUrl = topicEntries_.Url(command)) {
    url = *topicUrl;
  }
  if (url) opener_.OpenInBrowser(*url);
}

void PopupMenus::DestroySiteMenus() {
  topicsSubscription_.Leave();
  storeSubscription_.Leave();
  ClearSiteMenus();
}

void PopupMenus::ClearSiteMenus() {
  sites_.Clear();
}

void PopupMenus::AddRecent(const CPez& p) {
  std::shared_ptr<Menu> recent = RecentMenu();
  if (!recent) return;
  if (std::optional<std::size_t> hint = recent->PositionOf(kCmdNoPagesHint)) recent->RemoveAt(*hint);
  ApplyRecentRule(*recent, layout_.menuRows);
  recent->InsertItem(0, p.commandId, PageLabel(p), LabelStyle::Literal, PageTip(p));
}

void PopupMenus::PlacePageMark(const std::string& siteKey, const CPez& p) {
  if (!main_) return;
  sites_.Place(siteKey, p);
}

void PopupMenus::MovePageToTop(const CPez& p) {
  std::shared_ptr<Menu> recent = RecentMenu();
  if (!recent || !IsPageMarkCommand(p.commandId)) return;
  // The rule comes first: a revisit of the top page in a full menu drops the oldest page as well.
  ApplyRecentRule(*recent, layout_.menuRows);
  recent->RemoveCommand(p.commandId);
  recent->InsertItem(0, p.commandId, PageLabel(p), LabelStyle::Literal, PageTip(p));
  sites_.MovePageToTop(p);
}

void PopupMenus::RelabelPage(const CPez& p) {
  if (std::shared_ptr<Menu> recent = RecentMenu()) recent->Relabel(p.commandId, PageLabel(p), PageTip(p));
  sites_.Relabel(p);
}

void PopupMenus::RemovePageMarkItems(const CPez& p) {
  // Command 0 would find a separator or a submenu entry: only PageMark numbers are looked for.
  if (!main_ || !IsPageMarkCommand(p.commandId)) return;
  if (std::shared_ptr<Menu> recent = RecentMenu()) recent->RemoveCommand(p.commandId);
  sites_.Remove(p);
}

// How the menus follow the store's notices.
void PopupMenus::OnPageMarkAdded(const CPez& p) {
  if (!main_) return;
  AddRecent(p);
  PlacePageMark(store_.SiteKeyOf(p), p);
}

void PopupMenus::OnPageMarkChanged(const CPez& p, uint32_t what) {
  if (!main_) return;
  if (what & kChangedUrl) {
    // Another URL may mean another Site: the page leaves its old place and comes back as new.
    RemovePageMarkItems(p);
    AddRecent(p);
    PlacePageMark(store_.SiteKeyOf(p), p);
    return;
  }
  if (what & kChangedVisited)
    MovePageToTop(p);
  else if (what & kChangedTitle)
    RelabelPage(p);
}

void PopupMenus::OnPageMarkRemoved(const CPez& p) {
  RemovePageMarkItems(p);
}

// A Site without PageMarks leaves its list at once, rather than stay as an empty submenu.
void PopupMenus::OnSiteRemoved(const std::string& siteKey) {
  if (main_) sites_.RemoveSite(siteKey);
}

// The Topic side: the "Topics" submenu or the Topic main list, built from topics.data and the
// branch files.
void PopupMenus::RebuildTopicsMenu() {
  if (!main_) return;
  topicEntries_.RestartNumbers();

  if (prefs_.menuState != 0) {
    const std::size_t first = MainListPosition();
    while (first < main_->Count() && main_->ItemAt(first)->kind != MenuItemKind::Separator)
      main_->RemoveAt(first);
    topicEntries_.Fill(topics_.Root(), *main_, TopicEntries::Mode::MainList, MainListPosition());
    return;
  }

  auto topics = std::make_shared<Menu>();
  topicEntries_.Fill(topics_.Root(), *topics, TopicEntries::Mode::Submenu);
  topicEntries_.FinishSubmenu(*topics);
  const std::optional<std::size_t> old = PositionOfSubmenu(*main_, secondary_);
  const std::size_t at = old.value_or(SecondaryPosition());
  if (old) main_->RemoveAt(*old);
  main_->InsertSubmenu(at, topics, menu_text::kTopics, LabelStyle::Mnemonic);
  secondary_ = topics;
  sites_.SetMenus(main_, secondary_);
}

void PopupMenus::AddTopLevelTopicLink(const std::string& label, const std::string& url) {
  if (!main_) return;
  const std::optional<uint32_t> command = topicEntries_.TakeNumber(url);
  if (!command) return;
  if (prefs_.menuState != 0) {
    const std::size_t at = MainListPosition();
    main_->InsertItem(at, *command, label, LabelStyle::Literal);
    ApplyTopicListRule(*main_, layout_.menuRows, at);
  } else {
    secondary_->InsertItem(0, *command, label, LabelStyle::Literal);
  }
}

void PopupMenus::OnTopicsReset() {
  RebuildTopicsMenu();
}

// A link appended to the top level is shown at once; any other change builds the Topics again.
void PopupMenus::OnTopicInserted(const CTopic& node) {
  const CTopic& root = topics_.Root();
  const bool appendedLink = node.parent == &root && node.isFolder == 0 && !root.children->empty() &&
                            root.children->back().get() == &node;
  if (appendedLink)
    AddTopLevelTopicLink(node.name, node.target);
  else
    RebuildTopicsMenu();
}

void PopupMenus::OnTopicChanged(const CTopic&) {
  RebuildTopicsMenu();
}
void PopupMenus::OnTopicMoved(const CTopic&, const CTopic&) {
  RebuildTopicsMenu();
}
void PopupMenus::OnTopicRemoved(const CTopic&) {
  RebuildTopicsMenu();
}
