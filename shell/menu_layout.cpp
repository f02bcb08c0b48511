#include "shell/menu_layout.h"

#include <algorithm>

void MeasureMenuRows(CPrefs& prefs, const ScreenMetrics& screen) {
  const int itemHeight = screen.MenuItemHeight() > 0 ? screen.MenuItemHeight() : kStandardMenuItemHeight;
  const int screenHeight = std::max(screen.ScreenHeight(), 0);
  const auto rows =
      static_cast<int32_t>(static_cast<unsigned>(screenHeight) / static_cast<unsigned>(itemHeight));
  prefs.menuRows = std::max(rows, kMinMenuRows);

  if (prefs.powerUser != 0) {
    prefs.mainListPosition = kPowerUserMainListPosition;
    prefs.secondaryMenuPosition = kPowerUserSecondaryMenuPosition;
  } else {
    prefs.mainListPosition = kMainListPosition;
    prefs.secondaryMenuPosition = kSecondaryMenuPosition;
  }
  prefs.mainListCap = prefs.menuRows - prefs.mainListPosition;
}
