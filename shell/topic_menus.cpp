// The Topic side of the menus: the "Topics" submenu or the Topic main list, built from topics.data
// and the branch files, and the Topic link numbers.
#include <filesystem>
#include <optional>
#include <system_error>

#include "resources/resource_ids.h"
#include "shell/command_ranges.h"
#include "shell/menu_texts.h"
#include "shell/popup_menus.h"
#include "shell/size_rules.h"

namespace fs = std::filesystem;

namespace {

// Deeper folders show empty: a bound on the recursion whatever the files hold.
constexpr std::size_t kMaxTopicDepth = 64;

fs::path Normalized(const std::string& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(fs::path(path), ec);
  return (ec ? fs::path(path) : absolute).lexically_normal();
}

std::optional<std::size_t> PositionOfSubmenu(const Menu& menu, const std::shared_ptr<Menu>& submenu) {
  for (std::size_t i = 0; i < menu.Count(); ++i)
    if (menu.SubmenuAt(i) == submenu) return i;
  return std::nullopt;
}

}  // namespace

TopicArray PopupMenus::LoadTopLevelTopics(bool writeWhenEmpty) {
  TopicArray nodes;
  if (prefs_.topicsPath.empty()) return nodes;
  files_.LoadBranch(prefs_.topicsPath, nodes);
  if (nodes.empty() && writeWhenEmpty) files_.SaveBranch(prefs_.topicsPath, nodes);
  return nodes;
}

void PopupMenus::AddTopicEntries(TopicArray& nodes, Menu& menu, TopicMode mode) {
  for (std::unique_ptr<CTopic>& node : nodes) {
    if (!node) continue;
    if (node->isFolder != 0)
      AddTopicFolder(*node, menu, mode);
    else
      AddTopicLink(*node, menu, mode);
    node.reset();
  }
  nodes.clear();
}

// A branch file is read only when it lies directly in the Topics folder and ends in ".data": a
// damaged topics file could otherwise name any file, and a branch that fails to load is deleted.
bool PopupMenus::MayLoadBranch(const std::string& target) const {
  if (prefs_.branchPath.empty() || target.empty()) return false;
  if (branchesBeingRead_.size() >= kMaxTopicDepth) return false;
  fs::path folder = Normalized(prefs_.branchPath);
  if (!folder.has_filename()) folder = folder.parent_path();
  const fs::path file = Normalized(target);
  return file.parent_path() == folder && file.extension() == ".data" && file.stem() != "" &&
         !branchesBeingRead_.contains(file.string());
}

void PopupMenus::AddTopicFolder(CTopic& folder, Menu& menu, TopicMode mode) {
  auto submenu = std::make_shared<Menu>();
  if (MayLoadBranch(folder.target)) {
    const std::string key = Normalized(folder.target).string();
    branchesBeingRead_.insert(key);
    TopicArray children;
    files_.LoadBranch(folder.target, children);
    if (!children.empty()) AddTopicEntries(children, *submenu, TopicMode::Submenu);
    branchesBeingRead_.erase(key);
  }
  InsertTopicEntry(menu, mode, [&](std::size_t at) {
    menu.InsertSubmenu(at, submenu, folder.name, LabelStyle::Literal);
  });
}

void PopupMenus::AddTopicLink(CTopic& link, Menu& menu, TopicMode mode) {
  if (nextTopicCommandId > kLastTopicCommand) return;  // numbers used up until the next Topic rebuild
  const uint32_t command = nextTopicCommandId++;
  ++topicLinksInLastBuild_;
  InsertTopicEntry(menu, mode, [&](std::size_t at) {
    menu.InsertItem(at, command, link.name, LabelStyle::Literal);
  });
  TopicCommandIndex[command] = link.target;
}

void PopupMenus::InsertTopicEntry(Menu& menu, TopicMode mode, const std::function<void(std::size_t)>& insert) {
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
  nextTopicCommandId = kFirstTopicCommand;
  topicLinksInLastBuild_ = 0;
  buildingMainMenu_ = false;

  if (prefs_.menuState != 0) {
    const std::size_t first = MainListPosition();
    while (first < main_->Count() && main_->ItemAt(first)->kind != MenuItemKind::Separator) main_->RemoveAt(first);
    TopicArray nodes = LoadTopLevelTopics(false);
    AddTopicEntries(nodes, *main_, TopicMode::MainList);
    return;
  }

  auto topics = std::make_shared<Menu>();
  TopicArray nodes = LoadTopLevelTopics(false);
  AddTopicEntries(nodes, *topics, TopicMode::Submenu);
  FinishTopicsSubmenu(*topics);
  const std::optional<std::size_t> old = PositionOfSubmenu(*main_, secondary_);
  const std::size_t at = old.value_or(SecondaryPosition());
  if (old) main_->RemoveAt(*old);
  main_->InsertSubmenu(at, topics, menu_text::kTopics, LabelStyle::Mnemonic);
  secondary_ = topics;
}

void PopupMenus::AddTopLevelTopicLink(const std::string& label, const std::string& url) {
  if (!main_ || nextTopicCommandId > kLastTopicCommand) return;
  const uint32_t command = nextTopicCommandId++;
  TopicCommandIndex[command] = url;
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
  const std::size_t left = nextTopicCommandId > kLastTopicCommand ? 0 : kLastTopicCommand - nextTopicCommandId + 1;
  if (left < topicLinksInLastBuild_ || left == 0) nextTopicCommandId = kFirstTopicCommand;
}
