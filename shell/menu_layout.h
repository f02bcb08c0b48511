#pragma once

#include <cstdint>

#include "shell/screen_metrics.h"
#include "store/prefs.h"

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

// Sets menuRows, mainListPosition, secondaryMenuPosition and mainListCap from the screen height,
// the menu line height and "Power User".
void MeasureMenuRows(CPrefs& prefs, const ScreenMetrics& screen);
