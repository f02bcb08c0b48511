#pragma once

#include "shell/popup_menus.h"
#include "shell/preference_rules.h"
#include "store/page_mark_store.h"
#include "store/prefs.h"

// Applies what the preferences dialog returned with OK, each change at once:
// - a lower "Max PageMarks" deletes the least recently visited PageMarks beyond it and rebuilds the
//   menus (a higher one only raises the limit);
// - "Simple Sites" or "Modern Sites" groups the store's PageMarks into Sites again (the menus and
//   the windows rebuild on the store's notice);
// - "Menu State" rebuilds the menus;
// - "Power User" takes the six link submenus out of the main menu or puts them back, without a
//   rebuild;
// - "Check Secure Pages" and "Search Address" are used from the next check or search on.
// Unchanged values change nothing. The caller saves the preferences afterwards.
void PreferencesCommand(const PreferenceChoices& chosen, CPrefs& prefs, PageMarkStore& store,
                        PopupMenus& menus);
