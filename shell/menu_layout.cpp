#include "shell/menu_layout.h"

#include <algorithm>

MenuLayout MeasureMenuLayout(const ScreenMetrics& screen, int32_t powerUser) {
  const int itemHeight = screen.MenuItemHeight() > 0 ? screen.MenuItemHeight() : kStandardMenuItemHeight;
  const int screenHeight = std::max(screen.ScreenHeight(), 0);
  const auto rows =
      static_cast<int32_t>(static_cast<unsigned>(screenHeight) / static_cast<unsigned>(itemHeight));
  MenuLayout layout;
  layout.menuRows = std::max(rows, kMinMenuRows);
  if (powerUser != 0) {
    layout.mainListPosition = kPowerUserMainListPosition;
    layout.secondaryMenuPosition = kPowerUserSecondaryMenuPosition;
  }
  layout.mainListCap = layout.menuRows - layout.mainListPosition;
  return layout;
}
