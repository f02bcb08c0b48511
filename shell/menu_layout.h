#pragma once

#include <cstdint>

#include "shell/screen_metrics.h"

// Height assumed for one menu line when the style cannot tell (the menu bar is never shown).
inline constexpr int kStandardMenuItemHeight = 19;
// The fewest rows the size rules work with. The main menu has 16 fixed items (12 above the list
// with "Sites"/"Topics", the separators around the list and its last item); with fewer rows the
// rules would start removing fixed items, so a tiny or unreadable screen still counts as 16 rows.
inline constexpr int32_t kMinMenuRows = 16;

// Main menu positions with "Power User" off and on (the six link submenus and their separator gone).
inline constexpr int32_t kMainListPosition = 14;
inline constexpr int32_t kSecondaryMenuPosition = 12;
inline constexpr int32_t kPowerUserMainListPosition = 7;
inline constexpr int32_t kPowerUserSecondaryMenuPosition = 5;

// How the menus fit the screen: measured by the menus (PopupMenus) from the screen and "Power
// User" whenever they are built or the screen changes, and read by the parts that fill them.
// Never stored.
struct MenuLayout {
  int32_t menuRows = 0;                                    // how many menu lines the screen holds
  int32_t mainListPosition = kMainListPosition;            // where the main list of Sites or Topics starts
  int32_t secondaryMenuPosition = kSecondaryMenuPosition;  // the "Sites"/"Topics" submenu
  int32_t mainListCap = 0;                                 // how many entries the main list may take
};

// The layout for a screen: the rows from the screen height and the menu line height, the
// positions from "Power User" (non-zero: the link submenus are gone).
MenuLayout MeasureMenuLayout(const ScreenMetrics& screen, int32_t powerUser);
