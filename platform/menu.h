#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Menu;
class MenuObserverList;

enum class MenuItemKind { Command, Submenu, Separator };

// How an item's label is read when it is shown.
enum class LabelStyle {
  // Shown as it stands: page titles, Site keys, Topic names. An "&" is just an ampersand.
  Literal,
  // A fixed label of the menu resources: "&x" makes x the item's mnemonic, "&&" shows one "&".
  Mnemonic,
};

// One entry of a menu. In either label style, the text after the first "\t" is shown
// right-aligned (a key hint such as "Ctrl-Q").
struct MenuItem {
  MenuItemKind kind = MenuItemKind::Separator;
  uint32_t command = 0;           // 0 for separators and submenus: "no command"
  std::string text;               // empty for separators
  std::shared_ptr<Menu> submenu;  // submenus only
  LabelStyle style = LabelStyle::Literal;
  bool grayed = false;
  bool checked = false;
  std::string tip;  // shown when the pointer rests on the item; may be empty
};

// What changed in one menu (not in its submenus: each menu tells its own observers).
struct MenuChange {
  enum class Kind { Inserted, Removed, Changed, Cleared };
  Kind kind = Kind::Cleared;
  std::size_t position = 0;  // position of the item in the menu right after the change
  // Inserted, Changed: the item as it is now. Removed: the item as it was. Cleared: empty.
  MenuItem item;
};

// An observer's hold on a menu. Ending it (destruction, Reset) stops the notifications; it is
// safe whichever goes first, the subscription or the menu.
class MenuSubscription {
 public:
  MenuSubscription() = default;
  MenuSubscription(MenuSubscription&& other) noexcept;
  MenuSubscription& operator=(MenuSubscription&& other) noexcept;
  MenuSubscription(const MenuSubscription&) = delete;
  MenuSubscription& operator=(const MenuSubscription&) = delete;
  ~MenuSubscription();

  void Reset();
  // True while the menu lives and this subscription has not been reset.
  bool Active() const;

 private:
  friend class Menu;
  MenuSubscription(std::weak_ptr<MenuObserverList> list, uint64_t id);

  std::weak_ptr<MenuObserverList> list_;
  uint64_t id_ = 0;
};

// A popup menu with these semantics: items addressed by position or, through every submenu
// depth-first, by command number. The model holds no Qt type; platform/qt renders it. Main
// thread only.
//
// Depth-first means: the items of this menu in order, and a submenu searched completely at the
// moment it is met. So in the main menu the "Recent Web Pages" submenu at position 3 is searched
// before any Site submenu further down, and a page listed in both is found in the recent list.
//
// Submenus are shared: the same Menu may sit in a table and in a menu (or in two menus) at once.
// A submenu that would make a menu contain itself is refused.
class Menu {
 public:
  using Observer = std::function<void(const MenuChange&)>;

  Menu();
  ~Menu();
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  // Inserting at a position past the end appends. Each returns where the item went.
  std::size_t InsertItem(std::size_t position, uint32_t command, std::string text,
                         LabelStyle style = LabelStyle::Literal, std::string tip = {});
  std::size_t InsertSeparator(std::size_t position);
  // Nothing is inserted (and nullopt returned) for a null submenu or one that contains this menu.
  std::optional<std::size_t> InsertSubmenu(std::size_t position, std::shared_ptr<Menu> submenu,
                                           std::string text, LabelStyle style = LabelStyle::Literal);
  std::size_t AppendItem(uint32_t command, std::string text, LabelStyle style = LabelStyle::Literal);
  std::size_t AppendSeparator();
  std::optional<std::size_t> AppendSubmenu(std::shared_ptr<Menu> submenu, std::string text,
                                           LabelStyle style = LabelStyle::Literal);

  // Removes the item at a position; a removed submenu lives on wherever else it is held.
  // False when there is no such position.
  bool RemoveAt(std::size_t position);
  // Removes the first item numbered command, depth-first. False when none is found.
  bool RemoveCommand(uint32_t command);
  // Removes every item.
  void Clear();

  // Enables (true) or grays (false) the first item numbered command, depth-first. Returns
  // whether it was enabled before, or nullopt when no item has that number.
  std::optional<bool> Enable(uint32_t command, bool enabled);
  // Sets or clears the check mark of the first item numbered command, depth-first. Returns
  // whether it was checked before, or nullopt when no item has that number.
  std::optional<bool> Check(uint32_t command, bool checked);
  // Gives the first item numbered command, depth-first, a new text (and tip, when one is given);
  // its number, label style and state stay. False when no item has that number.
  bool Relabel(uint32_t command, std::string text, std::optional<std::string> tip = std::nullopt);

  std::size_t Count() const { return items_.size(); }
  // Out of range: nullptr, 0, "" and nullptr.
  const MenuItem* ItemAt(std::size_t position) const;
  uint32_t CommandAt(std::size_t position) const;
  std::string TextAt(std::size_t position) const;
  std::shared_ptr<Menu> SubmenuAt(std::size_t position) const;

  // Position of the first item numbered command in this menu itself (submenus are not searched).
  std::optional<std::size_t> PositionOf(uint32_t command) const;
  // The menu (this one or a submenu) holding the first item numbered command, depth-first.
  Menu* MenuOf(uint32_t command);
  bool Contains(uint32_t command) const;
  // State of the first item numbered command, depth-first; nullopt when there is none.
  std::optional<bool> IsEnabled(uint32_t command) const;
  std::optional<bool> IsChecked(uint32_t command) const;
  // True when menu is this menu or a submenu at any depth below it.
  bool Reaches(const Menu* menu) const;

  // Every change of this menu's items is told to the observer after it is made. Changes made
  // from inside an observer are told after the one being delivered, to everybody in order.
  [[nodiscard]] MenuSubscription Subscribe(Observer observer);

 private:
  struct Location {
    Menu* menu;
    std::size_t position;
  };
  std::optional<Location> Find(uint32_t command) const;
  std::size_t Insert(std::size_t position, MenuItem item);
  void Notify(MenuChange::Kind kind, std::size_t position, MenuItem item);

  std::vector<MenuItem> items_;
  std::shared_ptr<MenuObserverList> observers_;
};
