#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/menu.h"
#include "shell/popup_menus.h"
#include "shell/tool_windows.h"
#include "store/page_mark_store.h"

// Character codes of the control keys that act inside an open popup menu.
namespace menu_key {
inline constexpr int kTopicsWindow = 5;      // Ctrl+E
inline constexpr int kFindWindow = 6;        // Ctrl+F
inline constexpr int kRemove = 8;            // Ctrl+H
inline constexpr int kPageMarksWindow = 17;  // Ctrl+Q
inline constexpr int kQuickInfo = 19;        // Ctrl+S
inline constexpr int kSendToTopics = 20;     // Ctrl+T
inline constexpr int kSitesWindow = 23;      // Ctrl+W
}  // namespace menu_key

// What the open menu does after a key: a key that asks for a window closes it, so that the window
// can come to the front.
enum class MenuKeyResult { kStayOpen, kCloseMenu };

// The keys typed in an open popup menu and what happens when the menu closes.
//
// Ctrl+H marks the highlighted page for removal (grayed in the menu it was typed in and in its Site
// submenu), Ctrl+T marks it for Topics (checked there, and listed in the store's SendToTopicsList),
// each a second time takes the mark back (from every menu that shows it); Ctrl+S opens its Quick
// Info window at the cursor; Ctrl+Q, Ctrl+W and Ctrl+E ask for the PageMarks, Sites and Topics
// windows, Ctrl+F for the find window. Whether a key marks or takes back is read from the item in the menu it
// was typed in.
//
// When the menu closes, the pages marked for removal are deleted first (the store takes them out
// of SendToTopicsList as well, so a page marked both ways never reaches the Topics window); then
// the check marks go and the Topics window opens for the pages still marked; the window a key asked
// for comes last, in front. A marked page that leaves the store while the menu is open is
// forgotten. Main thread only.
class MenuKeys : private StoreListener {
 public:
  MenuKeys(PageMarkStore& store, PopupMenus& menus, ToolWindows& windows);
  ~MenuKeys() override;
  MenuKeys(const MenuKeys&) = delete;
  MenuKeys& operator=(const MenuKeys&) = delete;

  // A key typed in the open menu `menu`, where `highlighted` is the command of the highlighted
  // item (0 for none); a Quick Info window opens with its corner at (cursorX, cursorY).
  MenuKeyResult OnMenuKey(int code, uint32_t highlighted, Menu& menu, int cursorX, int cursorY);
  // The menu loop has ended: the marks are carried out.
  void OnMenuClosed();

  // The pages marked for removal, in marking order, each once.
  const std::vector<const CPez*>& RemovalList() const { return removal_; }

 private:
  void ToggleRemoval(const CPez& p, Menu& menu);
  void ToggleTopicsMark(const CPez& p, Menu& menu);
  // The menus that show p besides the one typed in: its Site submenu and "Recent Web Pages".
  std::vector<std::shared_ptr<Menu>> MenusShowing(const CPez& p) const;
  void CarryOutRemovals();
  void OpenTopicsForMarkedPages();

  void OnPageMarkRemoved(const CPez& p) override;
  void OnStoreReset() override;

  PageMarkStore& store_;
  PopupMenus& menus_;
  ToolWindows& windows_;
  std::vector<const CPez*> removal_;
  std::optional<ToolWindowKind> wantedWindow_;
  bool wantFind_ = false;
  PageMarkStore::Subscription storeSubscription_;
};
