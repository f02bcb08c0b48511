#include "platform/menu.h"

#include <algorithm>
#include <deque>
#include <unordered_set>
#include <utility>

// The observers of one menu. Subscriptions and deliveries in progress hold it by pointer of
// their own, so it outlives a menu destroyed by one of its observers.
class MenuObserverList {
 public:
  struct Entry {
    uint64_t id;
    std::shared_ptr<const Menu::Observer> observer;
  };
  std::vector<Entry> entries;
  uint64_t nextId = 1;
  std::deque<MenuChange> pending;
  bool delivering = false;

  void Remove(uint64_t id) {
    std::erase_if(entries, [id](const Entry& e) { return e.id == id; });
  }
  std::shared_ptr<const Menu::Observer> Get(uint64_t id) const {
    for (const Entry& e : entries) {
      if (e.id == id) return e.observer;
    }
    return nullptr;
  }
};

// ---- MenuSubscription

MenuSubscription::MenuSubscription(std::weak_ptr<MenuObserverList> list, uint64_t id)
    : list_(std::move(list)), id_(id) {}

MenuSubscription::MenuSubscription(MenuSubscription&& other) noexcept
    : list_(std::move(other.list_)), id_(std::exchange(other.id_, 0)) {}

MenuSubscription& MenuSubscription::operator=(MenuSubscription&& other) noexcept {
  if (this != &other) {
    Reset();
    list_ = std::move(other.list_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

MenuSubscription::~MenuSubscription() {
  Reset();
}

void MenuSubscription::Reset() {
  if (auto list = list_.lock()) list->Remove(id_);
  list_.reset();
  id_ = 0;
}

bool MenuSubscription::Active() const {
  auto list = list_.lock();
  return list && list->Get(id_) != nullptr;
}

// ---- Menu

Menu::Menu() : observers_(std::make_shared<MenuObserverList>()) {}

// A delivery in progress may still hold the list: it tells nobody else about this menu.
Menu::~Menu() {
  observers_->entries.clear();
  observers_->pending.clear();
}

MenuSubscription Menu::Subscribe(Observer observer) {
  const uint64_t id = observers_->nextId++;
  observers_->entries.push_back({id, std::make_shared<const Observer>(std::move(observer))});
  return MenuSubscription(observers_, id);
}

void Menu::Notify(MenuChange::Kind kind, std::size_t position, MenuItem item) {
  // Held locally: an observer may destroy this menu while it is being told.
  std::shared_ptr<MenuObserverList> list = observers_;
  list->pending.push_back({kind, position, std::move(item)});
  if (list->delivering) return;  // the delivery below this call in the stack will reach it

  struct Delivering {
    MenuObserverList& list;
    explicit Delivering(MenuObserverList& l) : list(l) { list.delivering = true; }
    ~Delivering() {
      list.delivering = false;
      list.pending.clear();  // only non-empty when an observer threw
    }
  } guard(*list);

  while (!list->pending.empty()) {
    const MenuChange change = std::move(list->pending.front());
    list->pending.pop_front();
    std::vector<uint64_t> ids;
    for (const auto& e : list->entries) ids.push_back(e.id);
    for (uint64_t id : ids) {
      // Skips an observer that an earlier one unsubscribed; keeps this one alive while it runs
      // even if it unsubscribes itself.
      if (auto observer = list->Get(id)) (*observer)(change);
    }
  }
}

std::size_t Menu::Insert(std::size_t position, MenuItem item) {
  position = std::min(position, items_.size());
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(position), item);
  Notify(MenuChange::Kind::Inserted, position, std::move(item));
  return position;
}

std::size_t Menu::InsertItem(std::size_t position, uint32_t command, std::string text, LabelStyle style,
                             std::string tip) {
  MenuItem item;
  item.kind = MenuItemKind::Command;
  item.command = command;
  item.text = std::move(text);
  item.style = style;
  item.tip = std::move(tip);
  return Insert(position, std::move(item));
}

std::size_t Menu::InsertSeparator(std::size_t position) {
  return Insert(position, MenuItem{});
}

std::optional<std::size_t> Menu::InsertSubmenu(std::size_t position, std::shared_ptr<Menu> submenu,
                                               std::string text, LabelStyle style) {
  if (!submenu || submenu->Reaches(this)) return std::nullopt;
  MenuItem item;
  item.kind = MenuItemKind::Submenu;
  item.text = std::move(text);
  item.submenu = std::move(submenu);
  item.style = style;
  return Insert(position, std::move(item));
}

std::size_t Menu::AppendItem(uint32_t command, std::string text, LabelStyle style) {
  return InsertItem(items_.size(), command, std::move(text), style);
}

std::size_t Menu::AppendSeparator() {
  return InsertSeparator(items_.size());
}

std::optional<std::size_t> Menu::AppendSubmenu(std::shared_ptr<Menu> submenu, std::string text,
                                               LabelStyle style) {
  return InsertSubmenu(items_.size(), std::move(submenu), std::move(text), style);
}

bool Menu::RemoveAt(std::size_t position) {
  if (position >= items_.size()) return false;
  MenuItem removed = std::move(items_[position]);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(position));
  Notify(MenuChange::Kind::Removed, position, std::move(removed));
  return true;
}

bool Menu::RemoveCommand(uint32_t command) {
  auto found = Find(command);
  return found && found->menu->RemoveAt(found->position);
}

void Menu::Clear() {
  if (items_.empty()) return;
  // Keeps the submenus alive until the observers have let go of them.
  std::vector<MenuItem> old = std::exchange(items_, {});
  Notify(MenuChange::Kind::Cleared, 0, MenuItem{});
}

std::optional<bool> Menu::Enable(uint32_t command, bool enabled) {
  auto found = Find(command);
  if (!found) return std::nullopt;
  MenuItem& item = found->menu->items_[found->position];
  const bool wasEnabled = !item.grayed;
  if (wasEnabled != enabled) {
    item.grayed = !enabled;
    found->menu->Notify(MenuChange::Kind::Changed, found->position, item);
  }
  return wasEnabled;
}

std::optional<bool> Menu::Check(uint32_t command, bool checked) {
  auto found = Find(command);
  if (!found) return std::nullopt;
  MenuItem& item = found->menu->items_[found->position];
  const bool wasChecked = item.checked;
  if (wasChecked != checked) {
    item.checked = checked;
    found->menu->Notify(MenuChange::Kind::Changed, found->position, item);
  }
  return wasChecked;
}

bool Menu::Relabel(uint32_t command, std::string text, std::optional<std::string> tip) {
  auto found = Find(command);
  if (!found) return false;
  MenuItem& item = found->menu->items_[found->position];
  if (item.text != text || (tip && item.tip != *tip)) {
    item.text = std::move(text);
    if (tip) item.tip = std::move(*tip);
    found->menu->Notify(MenuChange::Kind::Changed, found->position, item);
  }
  return true;
}

const MenuItem* Menu::ItemAt(std::size_t position) const {
  return position < items_.size() ? &items_[position] : nullptr;
}

uint32_t Menu::CommandAt(std::size_t position) const {
  const MenuItem* item = ItemAt(position);
  return item ? item->command : 0;
}

std::string Menu::TextAt(std::size_t position) const {
  const MenuItem* item = ItemAt(position);
  return item ? item->text : std::string();
}

std::shared_ptr<Menu> Menu::SubmenuAt(std::size_t position) const {
  const MenuItem* item = ItemAt(position);
  return item ? item->submenu : nullptr;
}

std::optional<std::size_t> Menu::PositionOf(uint32_t command) const {
  if (command == 0) return std::nullopt;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].kind == MenuItemKind::Command && items_[i].command == command) return i;
  }
  return std::nullopt;
}

// Walks with an explicit stack, so a deep tree of Topic folders cannot exhaust the call stack. A
// submenu shared by two parents is searched once: the second time it cannot hold a match.
std::optional<Menu::Location> Menu::Find(uint32_t command) const {
  if (command == 0) return std::nullopt;
  std::unordered_set<const Menu*> searched{this};
  std::vector<std::pair<Menu*, std::size_t>> stack{{const_cast<Menu*>(this), 0}};
  while (!stack.empty()) {
    Menu* menu = stack.back().first;
    const std::size_t position = stack.back().second++;
    if (position >= menu->items_.size()) {
      stack.pop_back();
      continue;
    }
    const MenuItem& item = menu->items_[position];
    if (item.kind == MenuItemKind::Command && item.command == command) return Location{menu, position};
    if (item.kind == MenuItemKind::Submenu && item.submenu && searched.insert(item.submenu.get()).second) {
      stack.emplace_back(item.submenu.get(), 0);
    }
  }
  return std::nullopt;
}

Menu* Menu::MenuOf(uint32_t command) {
  auto found = Find(command);
  return found ? found->menu : nullptr;
}

bool Menu::Contains(uint32_t command) const {
  return Find(command).has_value();
}

std::optional<bool> Menu::IsEnabled(uint32_t command) const {
  auto found = Find(command);
  if (!found) return std::nullopt;
  return !found->menu->items_[found->position].grayed;
}

std::optional<bool> Menu::IsChecked(uint32_t command) const {
  auto found = Find(command);
  if (!found) return std::nullopt;
  return found->menu->items_[found->position].checked;
}

bool Menu::Reaches(const Menu* menu) const {
  if (menu == nullptr) return false;
  std::unordered_set<const Menu*> seen{this};
  std::vector<const Menu*> stack{this};
  while (!stack.empty()) {
    const Menu* current = stack.back();
    stack.pop_back();
    if (current == menu) return true;
    for (const MenuItem& item : current->items_) {
      if (item.kind == MenuItemKind::Submenu && item.submenu && seen.insert(item.submenu.get()).second) {
        stack.push_back(item.submenu.get());
      }
    }
  }
  return false;
}
