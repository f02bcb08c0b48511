#include "shell/topic_entries.h"

#include "resources/resource_ids.h"
#include "shell/menu_texts.h"
#include "shell/size_rules.h"

namespace {

// Deeper folders show empty: a bound on the recursion whatever the tree holds.
constexpr std::size_t kMaxTopicDepth = 64;

}  // namespace

TopicEntries::TopicEntries(const MenuLayout& layout, uint32_t firstNumber)
    : layout_(layout), nextCommandId_(firstNumber) {}

const std::string* TopicEntries::Url(uint32_t command) const {
  auto it = commandIndex_.find(command);
  return it == commandIndex_.end() ? nullptr : &it->second;
}

void TopicEntries::Fill(const CTopic& root, Menu& menu, Mode mode, std::size_t listAt) {
  linksInLastBuild_ = 0;
  listAt_ = listAt;
  AddEntries(root, menu, mode, 0);
}

void TopicEntries::AddEntries(const CTopic& folder, Menu& menu, Mode mode, std::size_t depth) {
  if (!folder.children || depth > kMaxTopicDepth) return;
  for (const std::unique_ptr<CTopic>& node : *folder.children) {
    if (node->isFolder == 0) {
      AddLink(*node, menu, mode);
      continue;
    }
    auto submenu = std::make_shared<Menu>();
    AddEntries(*node, *submenu, Mode::Submenu, depth + 1);
    InsertEntry(menu, mode,
                [&](std::size_t at) { menu.InsertSubmenu(at, submenu, node->name, LabelStyle::Literal); });
  }
}

void TopicEntries::AddLink(const CTopic& link, Menu& menu, Mode mode) {
  if (nextCommandId_ > kLastTopicCommand) return;  // numbers used up until the next Topic rebuild
  const uint32_t command = nextCommandId_++;
  ++linksInLastBuild_;
  InsertEntry(menu, mode,
              [&](std::size_t at) { menu.InsertItem(at, command, link.name, LabelStyle::Literal); });
  commandIndex_[command] = link.target;
}

void TopicEntries::InsertEntry(Menu& menu, Mode mode, const std::function<void(std::size_t)>& insert) {
  if (mode == Mode::Submenu) {
    insert(0);
    ApplyMoreRule(menu, layout_.menuRows, res::kCmdEditTopics, menu_text::kEditTopics);
    return;
  }
  insert(listAt_);
  ApplyTopicListRule(menu, layout_.menuRows, listAt_);
}

void TopicEntries::FinishSubmenu(Menu& topics) const {
  const auto beforeLast = static_cast<std::size_t>(layout_.menuRows > 2 ? layout_.menuRows - 2 : 0);
  if (topics.CommandAt(beforeLast) == res::kCmdEditTopics) return;
  topics.AppendSeparator();
  topics.AppendItem(res::kCmdEditTopics, menu_text::kEditTopics, LabelStyle::Mnemonic);
}

std::optional<uint32_t> TopicEntries::TakeNumber(const std::string& url) {
  if (nextCommandId_ > kLastTopicCommand) return std::nullopt;
  const uint32_t command = nextCommandId_++;
  commandIndex_[command] = url;
  return command;
}

// Topic numbers keep counting across rebuilds of all menus; they start again from 6034 only when
// what is left of the range would not hold the links of the last build.
void TopicEntries::RestartNumbersIfLow() {
  const std::size_t left = nextCommandId_ > kLastTopicCommand ? 0 : kLastTopicCommand - nextCommandId_ + 1;
  if (left < linksInLastBuild_ || left == 0) nextCommandId_ = kFirstTopicCommand;
}
