#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/menu.h"

// The rules that keep every growing menu list short enough to fit on the screen. An item a rule
// removes only leaves the menu: its PageMark, Site or Topic stays where it is kept.
//
// Each rule removes only the kind of item it is meant for (a page, a Site, a Topic entry), never a
// fixed item, so a layout value that changed since the list was built (a "Power User" switch, a
// tiny screen) cannot eat separators or commands.

// Before a page goes to the top of "Recent Web Pages": a menu of menuRows items loses its oldest
// page, the one just above the separator and "More PageMarks...".
void ApplyRecentRule(Menu& recent, int32_t menuRows);

// After an insertion into a Site's submenu or a Topic submenu: a submenu of exactly menuRows items
// loses its last three items and gets a separator and its "More" item instead.
void ApplyMoreRule(Menu& submenu, int32_t menuRows, uint32_t moreCommand, const char* moreText);

// After a Site entry went into the "Sites" submenu: at menuRows items, the least recently used
// Site (the one above the separator) goes.
void ApplySitesSubmenuRule(Menu& sites, int32_t menuRows);

// After a Site entry went to the top of the main list: once more Sites are known than the list
// may show (mainListCap), the list is cut back to mainListCap entries from its end.
void ApplySiteListRule(Menu& main, std::size_t knownSites, int32_t mainListPosition, int32_t mainListCap);

// After a Topic entry went into the main list, which starts at firstTopicPosition: while the main
// menu is longer than menuRows and its item at menuRows is not "Edit Topics...", the entry at
// menuRows - 1 goes.
void ApplyTopicListRule(Menu& main, int32_t menuRows, std::size_t firstTopicPosition);

// Where the main list that starts at listPosition ends: the position of the separator after it
// (or the end of the menu).
std::size_t ListEnd(const Menu& menu, std::size_t listPosition);
