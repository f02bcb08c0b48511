// The Topic side of the menus: the "Topics" submenu or the Topic main list, built from topics.data
// and the branch files, and the Topic link numbers.
#include <optional>

#include "resources/resource_ids.h"
#include "shell/command_ranges.h"
#include "shell/menu_texts.h"
#include "shell/popup_menus.h"
#include "shell/size_rules.h"

namespace {

// Deeper folders show empty: a bound on the recursion whatever the tree holds.
constexpr std::size_t kMaxTopicDepth = 64;

std::optional<std::size_t> PositionOfSubmenu(const Menu& menu, const std::shared_ptr<Menu>& submenu) {
  for (std::size_t i = 0; i < menu.Count(); ++i)
    if (menu.SubmenuAt(i) == submenu) return i;
  return std::nullopt;
}

}  // namespace

const std::string* PopupMenus::TopicUrl(uint32_t command) const {
  auto it = topicCommandIndex_.find(command);
  return it == topicCommandIndex_.end() ? nullptr : &it->second;
}

void PopupMenus::AddTopicEntries(const CTopic& folder, Menu& menu, TopicMode mode, std::size_t depth) {
  if (!folder.children || depth > kMaxTopicDepth) return;
  for (const std::unique_ptr<CTopic>& node : *folder.children) {
    if (node->isFolder == 0) {
      AddTopicLink(*node, menu, mode);
      continue;
    }
    auto submenu = std::make_shared<Menu>();
    AddTopicEntries(*node, *submenu, TopicMode::Submenu, depth + 1);
    InsertTopicEntry(menu, mode, [&](std::size_t at) {
      menu.InsertSubmenu(at, submenu, node->name, LabelStyle::Literal);
    });
  }
}

void PopupMenus::AddTopicLink(const CTopic& link, Menu& menu, TopicMode mode) {
  if (nextTopicCommandId_ > kLastTopicCommand) return;  // numbers used up until the next Topic rebuild
  const uint32_t command = nextTopicCommandId_++;
  ++topicLinksInLastBuild_;
  InsertTopicEntry(menu, mode,
                   [&](std::size_t at) { menu.InsertItem(at, command, link.name, LabelStyle::Literal); });
  topicCommandIndex_[command] = link.target;
}

void PopupMenus::InsertTopicEntry(Menu& menu, TopicMode mode,
                                  const std::function<void(std::size_t)>& insert) {
  if (mode == TopicMode::Submenu) {
    insert(0);
    ApplyMoreRule(menu, prefs_.menuRows, res::kCmdEditTopics, menu_text::kEditTopics);
    return;
  }
  std::size_t at = MainListPosition();
  if (buildingMainMenu_ && at > 0) --at;
  insert(at);
  ApplyTopicListRule(menu, prefs_.menuRows, at);
}

void PopupMenus::FinishTopicsSubmenu(Menu& topics) {
  const auto beforeLast = static_cast<std::size_t>(prefs_.menuRows > 2 ? prefs_.menuRows - 2 : 0);
  if (topics.CommandAt(beforeLast) == res::kCmdEditTopics) return;
  topics.AppendSeparator();
  topics.AppendItem(res::kCmdEditTopics, menu_text::kEditTopics, LabelStyle::Mnemonic);
}

void PopupMenus::RebuildTopicsMenu() {
  if (!main_) return;
  nextTopicCommandId_ = kFirstTopicCommand;
  topicLinksInLastBuild_ = 0;
  buildingMainMenu_ = false;

  if (prefs_.menuState != 0) {
    const std::size_t first = MainListPosition();
    while (first < main_->Count() && main_->ItemAt(first)->kind != MenuItemKind::Separator)
      main_->RemoveAt(first);
    AddTopicEntries(topics_.Root(), *main_, TopicMode::MainList, 0);
    return;
  }

  auto topics = std::make_shared<Menu>();
  AddTopicEntries(topics_.Root(), *topics, TopicMode::Submenu, 0);
  FinishTopicsSubmenu(*topics);
  const std::optional<std::size_t> old = PositionOfSubmenu(*main_, secondary_);
  const std::size_t at = old.value_or(SecondaryPosition());
  if (old) main_->RemoveAt(*old);
  main_->InsertSubmenu(at, topics, menu_text::kTopics, LabelStyle::Mnemonic);
  secondary_ = topics;
}

void PopupMenus::AddTopLevelTopicLink(const std::string& label, const std::string& url) {
  if (!main_ || nextTopicCommandId_ > kLastTopicCommand) return;
  const uint32_t command = nextTopicCommandId_++;
  topicCommandIndex_[command] = url;
  if (prefs_.menuState != 0) {
    const std::size_t at = MainListPosition();
    main_->InsertItem(at, command, label, LabelStyle::Literal);
    ApplyTopicListRule(*main_, prefs_.menuRows, at);
  } else {
    secondary_->InsertItem(0, command, label, LabelStyle::Literal);
  }
}

// Topic numbers keep counting across rebuilds of all menus; they start again from 6034 only when
// what is left of the range would not hold the links of the last build.
void PopupMenus::RestartTopicNumbersIfLow() {
  const std::size_t left =
      nextTopicCommandId_ > kLastTopicCommand ? 0 : kLastTopicCommand - nextTopicCommandId_ + 1;
  if (left < topicLinksInLastBuild_ || left == 0) nextTopicCommandId_ = kFirstTopicCommand;
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
