#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/message_boxes.h"
#include "platform/preference_store.h"

// Where Quick Search sends its keywords unless the user chose another service: the built-in search
// service's query address, up to and including "q=".
inline constexpr char kDefaultSearchAddress[] = "https://duckduckgo.com/?q=";

// The user's choices, as stored in the preferences file. Where the data files live (DataPaths) and
// how the menus fit the screen (MenuLayout) are kept apart: neither is stored.
struct CPrefs {
  std::string browser;          // "Browser": file name of the browser program
  std::string browserPath;      // "Browser Path": its directory, no trailing separator
  int32_t simpleSites = 0;      // "Simple Sites": non-zero keeps full server names as Site keys
  int32_t maxPageMarks = 1000;  // "Max PageMarks"
  int32_t menuState = 0;        // "Menu State": 0 main menu lists Sites, non-zero lists Topics
  std::array<int32_t, 4> columnWidths{140, 238, 110, 110};  // "Column 0" to "Column 3"
  int32_t sortColumn = -1;  // "Sort Column": the PageMarks list's sorted column; -1 the store's order
  int32_t sortFlag = 0;     // "Sort Flag": that column's flag (1: A to Z, newest first)
  // "Expanded Sites" and "Expanded Topics": the rows left expanded in those windows, one a line,
  // each named by its names from the top, a tab apart.
  std::string expandedSites;
  std::string expandedTopics;
  int32_t powerUser = 0;             // "Power User": non-zero removes the six link submenus (a new
                                     // preferences file starts with it on)
  int32_t checkSecurePages = 1;      // "Check Secure Pages": non-zero checks https pages like http ones
  int32_t modernSites = 1;           // "Modern Sites": non-zero groups http and https pages by their
                                     // registrable domain, as browsers do
  int32_t browserImportOffered = 0;  // "Browser Import Offered": non-zero once the offer to bring in
                                     // a browser's history and bookmarks was answered
  // "Check Watched Pages Hours": the watched pages are checked this often; 0 never.
  int32_t watchHours = 6;
  // "Search Address": Quick Search appends the keywords to it.
  std::string searchAddress = kDefaultSearchAddress;
};

// Reads every stored value; a missing or unreadable value leaves its field at the default. A key
// that holds none of the values yet (the empty file the start command makes) is a new one: the
// link submenus start hidden ("Power User" on).
void LoadPreferences(CPrefs& prefs, const PreferenceStore& store);
// LoadPreferences at start-up, and the user told once what was wrong with the key. One that cannot
// be read leaves the defaults and is neither read nor written in this run. A damaged one gives the
// values that parse; it is then kept aside (NAME.damaged-YYYYMMDD-HHMMSS) and those values are
// written at once to a new, empty key in its place. One that cannot be moved aside is not written.
void OpenPreferences(CPrefs& prefs, PreferenceStore& store, MessageBoxes& messages, Time32 now);
// Writes every stored value; with no key nothing is stored and nothing is reported.
void SavePreferences(const CPrefs& prefs, PreferenceStore& store);
